# screenshot-common.sh: what the viewer's screenshot scripts share, sourced by them: the paths,
# the restart on a virtual X server (1024x768), a scratch folder, and the record generator.
# Uses build/debug; needs xvfb, xdotool, imagemagick.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out="$root/docs/screenshots"
viewer="$root/build/debug/app/viewer/merivox-view"
if [ -z "${MERIVOX_ON_XVFB:-}" ]; then
    exec env MERIVOX_ON_XVFB=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# record NAME RADIUS END: a record of the item NAME with a tip ball of RADIUS; END follows its
# endtip (CR LF, or nothing for a line end lost).
record() {
    printf 'ITEM:%sMM M3\r\nbegintip\r\nribcount 10\r\nColor 142 142 142\r\ncylinder 0 0 0 0 0 -10 4\r\n' "$1"
    printf 'cone 0 0 -10 4 0 0 -15 2\r\ncylinder 0 0 -15 0 0 -40 2\r\nColor 255 0 0\r\nsphere 0 0 -40 %s\r\n' "$2"
    printf 'hotspot 0 0 -40 0 0 1 %s %s ball\r\nendtip%s' "$2" "$2" "$3"
}
