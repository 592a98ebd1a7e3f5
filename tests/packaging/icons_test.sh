#!/usr/bin/env bash
# The committed PNG icons are the SVG drawing as tools/render-icons renders
# it now: a drawing changed without redrawing the PNGs is caught here. Small
# differences in anti-aliasing between renderer versions are allowed.
# Exits 77 (skipped) where rsvg-convert or ImageMagick's compare is missing.
# Usage: icons_test.sh SOURCE-DIR
set -euo pipefail
source_dir="$1"

if ! command -v rsvg-convert >/dev/null || ! command -v compare >/dev/null; then
  echo "rsvg-convert or compare is missing: skipped"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$source_dir/tools/render-icons" "$work"

failures=0
committed="$source_dir/icons/hicolor"
rendered=$(cd "$work" && find . -name '*.png' | sort)
[ "$rendered" = "$(cd "$committed" && find . -name '*.png' | sort)" ] || {
  echo "FAIL: the committed PNGs are not the sizes tools/render-icons renders"
  failures=$((failures + 1))
}
for png in $rendered; do
  # Pixels that differ by more than 10 % of the colour range, at most 2 %.
  pixels=$(identify -format '%[fx:w*h]' "$work/$png")
  differing=$(compare -metric AE -fuzz 10% "$work/$png" "$committed/$png" null: 2>&1 || true)
  if ! [[ "$differing" =~ ^[0-9]+$ ]] || [ $((differing * 50)) -gt "$pixels" ]; then
    echo "FAIL: $png differs from the drawing in $differing of $pixels pixels"
    failures=$((failures + 1))
  fi
done

# The window's compiled-in icon is the same set of files.
for png in $rendered; do
  grep -qF "<file>hicolor/${png#./}</file>" "$source_dir/icons/app_icon.qrc" || {
    echo "FAIL: icons/app_icon.qrc lacks $png"
    failures=$((failures + 1))
  }
done

if [ "$failures" -ne 0 ]; then
  exit 1
fi
echo "the PNG icons are the drawing"
