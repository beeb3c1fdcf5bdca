#!/bin/sh
# Renders an SVG picture of the zarvo tool (zarvo match --svg, zarvo show, zarvo eval --svg) to
# PNG with headless Chromium, to see it as a browser shows it.
#
#   scripts/render_svg.sh PICTURE.svg [OUT.png] [SIZE]
#
# OUT.png defaults to the picture's name with .png; SIZE is the window, default 800 (square).
# Needs Chromium (Debian: apt-get install chromium). A profile of its own in a temporary folder,
# no network services, removed afterwards.
set -eu

usage="usage: $0 PICTURE.svg [OUT.png] [SIZE]
Renders an SVG picture to PNG with headless Chromium; OUT.png defaults to the picture's name
with .png, SIZE (the square window) to 800."
case "${1:-}" in
  -h|--help) echo "$usage"; exit 0 ;;
  -*) echo "$0: unknown option '$1'" >&2; echo "$usage" >&2; exit 2 ;;
esac
if [ $# -lt 1 ] || [ $# -gt 3 ]; then
  echo "$usage" >&2
  exit 2
fi
svg=$1
out=${2:-${svg%.svg}.png}
size=${3:-800}
[ -f "$svg" ] || { echo "$0: no file '$svg'" >&2; exit 2; }

browser=
for candidate in chromium chromium-browser; do
  if command -v "$candidate" >/dev/null 2>&1; then browser=$candidate; break; fi
done
[ -n "$browser" ] || { echo "$0: chromium not found (apt-get install chromium)" >&2; exit 1; }

profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
svgPath=$(realpath "$svg")
outPath=$(realpath -m "$out")

"$browser" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync \
  --user-data-dir="$profile" --screenshot="$outPath" --window-size="$size,$size" \
  "file://$svgPath" >/dev/null 2>&1

[ -s "$outPath" ] || { echo "$0: no picture written to '$outPath'" >&2; exit 1; }
echo "$outPath"
