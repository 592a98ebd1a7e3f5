#!/usr/bin/env bash
# Builds the Debian package into a temporary folder and checks its control
# fields and contents with dpkg-deb, and with lintian where it is installed.
# Nothing is installed on the machine: the package is only listed and
# unpacked into the temporary folder.
# Usage: deb_package_test.sh CPACK BUILD-DIR VERSION WITH-GUI(0|1)
# Exits 77 (skipped) where cpack, dpkg-deb or dpkg-shlibdeps is missing.
set -euo pipefail
cpack="$1" build="$2" version="$3" gui="$4"

# cpack computes the dependencies with dpkg-shlibdeps (dpkg-dev) and file.
for tool in "$cpack" dpkg dpkg-deb dpkg-shlibdeps file; do
  if ! command -v "$tool" >/dev/null; then
    echo "$tool is missing: skipped"
    exit 77
  fi
done

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  echo "FAIL: cpack could not build the package"
  exit 1
fi
arch=$(dpkg --print-architecture)
deb="$work/tessaline_${version}_${arch}.deb"
if [ ! -f "$deb" ]; then
  ls "$work"
  echo "FAIL: no $(basename "$deb")"
  exit 1
fi

# Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tessaline ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is '$(field Architecture)', not $arch"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ "$(field Section)" = utils ] || fail "Section is '$(field Section)'"
depends=$(field Depends)
# Computed from the programs: the C and C++ runtimes always, Qt with the window.
required=(libc6 libstdc++6)
[ "$gui" = 1 ] && required+=(libqt6widgets6)
names=$(tr ',' '\n' <<<"$depends" | awk '{print $1}')
for library in "${required[@]}"; do
  grep -qxF "$library" <<<"$names" || fail "Depends lacks $library: $depends"
done
info=$(dpkg-deb -I "$deb")
grep -q '^ Description: prepare texts for reading on TI-89' <<<"$info" || fail "Description's first line"

# Contents: every file the package promises, owned by root, nothing outside /usr.
dpkg-deb -c "$deb" >"$work/contents"
expected=(
  ./usr/bin/tessaline-process
  ./usr/share/man/man1/tessaline-process.1.gz
  ./usr/share/doc/tessaline/copyright
  ./usr/share/doc/tessaline/changelog.gz
)
if [ "$gui" = 1 ]; then
  expected+=(
    ./usr/bin/tessaline
    ./usr/share/man/man1/tessaline.1.gz
    ./usr/share/applications/tessaline.desktop
    ./usr/share/metainfo/org.tessaline.tessaline.metainfo.xml
    ./usr/share/icons/hicolor/scalable/apps/tessaline.svg
  )
  for size in 16 22 24 32 48 64 128 256; do
    expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/tessaline.png")
  done
fi
paths=$(awk '{print $6}' "$work/contents")
for path in "${expected[@]}"; do
  grep -qxF "$path" <<<"$paths" || fail "the package lacks $path"
done
grep -v '^\./$' <<<"$paths" | grep -v '^\./usr/' && fail "files outside /usr"
awk '$2 != "root/root"' "$work/contents" | grep . && fail "files not owned by root"
awk '$1 !~ /^(drwxr-xr-x|-rw-r--r--|-rwxr-xr-x)$/' "$work/contents" | grep . && fail "unusual permissions"
grep ' \./usr/bin/.' "$work/contents" | grep -v '^-rwxr-xr-x' && fail "a program that cannot be run"

# Unpacked (not installed): what the files say.
root="$work/root"
dpkg-deb -x "$deb" "$root"
shown=$("$root/usr/bin/tessaline-process" --version)
[ "$shown" = "tessaline-process $version" ] || fail "--version prints '$shown'"

newest=$(gzip -dc "$root/usr/share/doc/tessaline/changelog.gz" | sed -n 1p)
[[ "$newest" == "tessaline ($version) "* ]] || fail "the changelog's newest entry is not version $version: $newest"
grep -q '^License: GPL-2+$' "$root/usr/share/doc/tessaline/copyright" || fail "the copyright file names no GPL-2+"

for page in "$root"/usr/share/man/man1/*.1.gz "$root"/usr/share/doc/tessaline/changelog.gz; do
  # Debian wants gzip -9 without a time stamp: header bytes 4-7 zero, byte 8 is 2.
  header=$(od -An -tx1 -j4 -N5 "$page" | tr -d ' \n')
  [ "$header" = 0000000002 ] || fail "$(basename "$page") is not gzipped with -9n (header $header)"
done

# The manual page names the version and every option the program's help shows.
manual=$(gzip -dc "$root/usr/share/man/man1/tessaline-process.1.gz")
grep -q "^\.TH TESSALINE-PROCESS 1 .*Tessaline $version" <<<"$manual" || fail "the manual page's title line lacks $version"
options=$("$root/usr/bin/tessaline-process" --help | grep -oE '(^|[ [])--?[a-z][a-z-]*' | tr -d ' [' | sort -u)
[ -n "$options" ] || fail "no options found in --help"
# The options the page describes: the words of each paragraph tag (the line
# after .TP) in its OPTIONS section.
described=$(awk '/^\.SH/ { inside = ($2 == "OPTIONS") } inside && tag { print } { tag = /^\.TP/ }' <<<"$manual" \
  | sed 's/\\-/-/g; s/\\f[BIRP]//g' | grep -oE -- '--?[a-z][a-z-]*' | sort -u)
for option in $options; do
  grep -qxF -- "$option" <<<"$described" || fail "the manual page does not describe $option"
done

if [ "$gui" = 1 ]; then
  # Every PNG is as large as its folder says (the width and height in its header).
  for png in "$root"/usr/share/icons/hicolor/*/apps/tessaline.png; do
    folder=$(basename "$(dirname "$(dirname "$png")")")
    read -r width height < <(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
    [ "${width}x${height}" = "$folder" ] || fail "$folder/apps/tessaline.png is ${width}x${height}"
  done
fi

# Debian's own checks, where lintian is installed: no error and no warning.
if command -v lintian >/dev/null; then
  if ! lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1; then
    grep -v 'running with root privileges' "$work/lintian.log"
    fail "lintian"
  fi
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "tessaline_${version}_${arch}.deb: fields and contents as expected"
