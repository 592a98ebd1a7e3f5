#!/usr/bin/env bash
# Installs the programs into a temporary folder, as `cmake --install` does,
# and checks with hardening-check (Debian's devscripts) that each is built
# with Debian's hardening flags: a position-independent executable, the stack
# protector, fortified libc calls, read-only relocations and immediate
# binding. Control-flow protection is not among Debian 12's flags, and its C
# start-up files lack the marks, so no program there has it: it is not asked.
# Usage: hardening_test.sh BUILD-DIR WITH-GUI(0|1)
# Exits 77 (skipped) where hardening-check is missing.
set -euo pipefail
build="$1" gui="$2"

if ! command -v hardening-check >/dev/null; then
  echo "hardening-check (devscripts) is missing: skipped"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work" >"$work/install.log" || {
  cat "$work/install.log"
  echo "FAIL: cmake --install"
  exit 1
}

programs=(tessaline-process)
[ "$gui" = 1 ] && programs+=(tessaline)
failures=0
for program in "${programs[@]}"; do
  path="$work/bin/$program"
  if [ ! -x "$path" ]; then
    echo "FAIL: $program is not installed"
    failures=$((failures + 1))
    continue
  fi
  if ! report=$(hardening-check --nocfprotection "$path" 2>&1); then
    echo "FAIL: hardening-check $program"
    failures=$((failures + 1))
  fi
  echo "$report"
  # hardening-check passes what it cannot tell; each of these must be a yes.
  for check in "Position Independent Executable" "Stack protected" "Fortify Source functions" \
    "Read-only relocations" "Immediate binding"; do
    grep -q "^ $check: yes" <<<"$report" || {
      echo "FAIL: $program: $check is not a yes"
      failures=$((failures + 1))
    }
  done
done
[ "$failures" -eq 0 ] || exit 1
echo "hardened: ${programs[*]}"
