#!/usr/bin/env bash
# ./run's demo on the display and prefix this test is given: velnart must list at least
# one address, end when told to, and leave a screenshot with the red addresses in it.
#   demo_test.sh [--prefix NAME | --error] VELNART_EXE REMOTE_EXE
# NAME runs it in one of the end-to-end prefixes, such as 288dpi, to see the window at
# that screen density. --error runs it without a netapi32.dll: velnart must report that
# in its box, and the demo must say so and still leave a screenshot that shows the box.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Kept after the run, for a person to look at.
shot=$root/build/artefacts/velnart-listed.png
if [ "$1" = --prefix ]; then
    export WINEPREFIX=${VELNART_E2E_PREFIX:?run this under scripts/with-wine}-$2
    export VELNART_DEMO_DESKTOP=800x600
    shot=$root/build/artefacts/velnart-listed-$2.png
    shift 2
fi
expect_error=0
if [ "$1" = --error ]; then
    export WINEDLLOVERRIDES=netapi32=d
    expect_error=1
    shot=$root/build/artefacts/velnart-error.png
    shift
fi
mkdir -p "$(dirname "$shot")"

status=0
"$root/scripts/demo" "$1" "$2" "$shot" >"$work/out" || status=$?
cat "$work/out"
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
if ((expect_error)); then
    ((status == 1)) || fail "the demo exited with $status, not 1 for velnart's error"
    grep -q '^error: .' "$work/out" || fail "no error text printed"
    [ -s "$shot" ] || fail "no screenshot"
    # An X screenshot showed the box as a black rectangle, over 10000 pixels at 96 dpi;
    # drawn, the box is black only in its text and edges.
    black=$(convert "$shot" -fill white +opaque black -format '%[fx:(1-mean)*w*h]' info:)
    echo "screenshot $shot: $black black pixels"
    ((${black%.*} < 3000)) || fail "the screenshot shows the box as a black rectangle"
    exit 0
fi
((status == 0)) || fail "the demo exited with $status"
grep -Eqx '[0-9A-F]{12}' "$work/out" || fail "no address among the lines printed"
[ -s "$shot" ] || fail "no screenshot"
colours=$(convert "$shot" -format '%k' info:)
((colours >= 16)) || fail "the screenshot has only $colours colours"
red=$(convert "$shot" -fuzz 20% -fill black +opaque red -fill white -opaque red \
    -format '%[fx:mean*w*h]' info:)
echo "screenshot $shot: $colours colours, $red red pixels"
# An address in bold 12-point text is well over a hundred pixels of red.
((${red%.*} >= 100)) || fail "the screenshot shows no red text"
