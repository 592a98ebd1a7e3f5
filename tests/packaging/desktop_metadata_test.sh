#!/usr/bin/env bash
# Validates the desktop entry and the AppStream metadata as software centres
# read them, offline, and checks that the two name the same program, icon and
# version. Exits 77 (skipped) where appstreamcli or desktop-file-validate is
# missing.
# Usage: desktop_metadata_test.sh DESKTOP-FILE METAINFO-FILE SOURCE-DIR VERSION
set -euo pipefail
desktop="$1" metainfo="$2" source_dir="$3" version="$4"
icons="$source_dir/icons/hicolor"

if ! command -v appstreamcli >/dev/null || ! command -v desktop-file-validate >/dev/null; then
  echo "appstreamcli or desktop-file-validate is missing: skipped"
  exit 77
fi

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"

# The metadata launches the desktop entry by its file name.
launchable=$(grep -oP '<launchable type="desktop-id">\K[^<]+' "$metainfo")
[ "$launchable" = "$(basename "$desktop")" ] || fail "launchable '$launchable' is not $(basename "$desktop")"
# The metadata's file is named after its id, where software centres look.
id=$(grep -oP '<id>\K[^<]+' "$metainfo")
[ "$(basename "$metainfo")" = "$id.metainfo.xml" ] || fail "$(basename "$metainfo") is not named after $id"
# The newest release is this version.
newest=$(grep -m1 -oP '<release version="\K[^"]+' "$metainfo")
[ "$newest" = "$version" ] || fail "the newest release is '$newest', not $version"
# Every screenshot is a picture in docs/.
while read -r picture; do
  [ -f "$source_dir/docs/$picture" ] || fail "screenshot $picture is not in docs/"
done < <(grep -oP '<image>\K[^<]+' "$metainfo" | xargs -n1 basename)

# The entry starts the installed program and names an icon that exists at every size.
grep -qx 'Exec=tessaline' "$desktop" || fail "Exec is not the program"
icon=$(grep -oP '^Icon=\K.*' "$desktop")
[ -f "$icons/scalable/apps/$icon.svg" ] || fail "no scalable icon $icon.svg"
for size in 16 22 24 32 48 64 128 256; do
  [ -f "$icons/${size}x${size}/apps/$icon.png" ] || fail "no ${size}x${size} icon $icon.png"
done

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "desktop entry and AppStream metadata valid"
