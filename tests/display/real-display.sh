#!/usr/bin/env bash
# Usage: real-display.sh ZPKVIEW OFFSCREEN-REFERENCE SAMPLES-FOLDER FAILURE-FOLDER
#
# The viewer on a real X display: a private Xvfb, Qt's xcb platform, no
# window manager, real input events from xdotool. Started in the samples
# folder with no file, it
#   - has a fixed border: no resize function in _MOTIF_WM_HINTS, and
#     WM_NORMAL_HINTS with minimum size = maximum size = 574 x 473;
#   - first looks as its offscreen render does (OffscreenReference);
#   - loads demo.zpk on a click on the first row of File1 and draws it;
#   - draws other entries on clicks on rows 2 and 1 of List1, and the user
#     colour ramp once UserColor is checked and "200" typed over color1;
#   - opens the canvas menu on Shift+F10 (the focus on the canvas after a
#     click there), and Escape closes it;
#   - then looks as the offscreen render of the same state does: the canvas
#     pixel for pixel, the whole window within ZPK_DISPLAY_TOLERANCE pixels
#     (default 0). The difference of each control is told.
# Exits with 77 (skipped) only when Xvfb does not start or a tool is
# missing, and with 1 on any failure; the pictures and logs of a failed run
# are kept in FAILURE-FOLDER. Every wait is bounded; Xvfb and the viewer end
# with the script on every path, also when it is killed.
set -uo pipefail
export LC_ALL=C

if [ $# -ne 4 ]; then
    echo "usage: real-display.sh ZPKVIEW OFFSCREEN-REFERENCE SAMPLES-FOLDER FAILURE-FOLDER" >&2
    exit 2
fi
viewer=$1 reference=$2 samples=$3 failureDir=$4

readonly SKIP=77
readonly WINDOW_TOLERANCE=${ZPK_DISPLAY_TOLERANCE:-0}
# The client area, and the places of the controls the test clicks, as
# MainWindow lays them out.
readonly CLIENT_SIZE="574 473"
declare -A EXPECTED=(
    [File1]="8 272 177 198"
    [List1]="8 56 177 148"
    [color1]="88 248 33 18"
    [Picture1]="192 16 377 449"
)

work=$(mktemp -d "${TMPDIR:-/tmp}/zpk-display.XXXXXX") || exit 1
viewerPid=
xvfbPid=
failures=0

# Ends a process this script started: TERM, at most 3 s, then KILL.
stop() {
    local pid=$1 i
    [ -n "$pid" ] || return 0
    kill -TERM "$pid" 2>>"$work/cleanup.log"
    for ((i = 0; i < 30; i++)); do
        kill -0 "$pid" 2>>"$work/cleanup.log" || break
        sleep 0.1
    done
    kill -KILL "$pid" 2>>"$work/cleanup.log"
    wait "$pid" 2>>"$work/cleanup.log"
    return 0
}
cleanup() {
    local status=$?
    trap - EXIT INT TERM HUP
    stop "$viewerPid"
    stop "$xvfbPid"
    if [ "$status" -ne 0 ] && [ "$status" -ne "$SKIP" ]; then
        mkdir -p "$failureDir" && cp -r "$work"/. "$failureDir"/ &&
            echo "the pictures and logs of this run are in $failureDir"
    fi
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

skip() {
    echo "SKIP: $*"
    exit "$SKIP"
}
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
die() {
    echo "FAIL: $*"
    exit 1
}
note() { echo "  $*"; }

# poll SECONDS COMMAND...: runs COMMAND again and again until it succeeds;
# fails when SECONDS have passed.
poll() {
    local deadline=$((${EPOCHREALTIME/./} + $1 * 1000000))
    shift
    until "$@"; do
        ((${EPOCHREALTIME/./} < deadline)) || return 1
        sleep 0.05
    done
}

rm -rf "$failureDir"
for tool in Xvfb xdotool xprop xwininfo import timeout setpriv; do
    command -v "$tool" >>"$work/tools.txt" ||
        skip "$tool is not installed (the display test needs xvfb, xdotool, x11-utils and imagemagick)"
done
for program in "$viewer" "$reference"; do
    [ -x "$program" ] || die "$program is not built"
done
[ -f "$samples/demo.zpk" ] || die "$samples/demo.zpk is missing"

# The environment both sides share: nothing that scales, styles or themes;
# settings (recent files, folders) start empty and stay in the work folder.
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR QT_ENABLE_HIGHDPI_SCALING \
    QT_FONT_DPI QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE QT_QPA_GENERIC_PLUGINS QT_IM_MODULE
mkdir -m 700 "$work/runtime" "$work/config"
export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config

# --- the reference: the same states on the offscreen platform ----------------------

if ! QT_QPA_PLATFORM=offscreen timeout -k 2 20 "$reference" render "$samples" "$work/reference-start.png" \
    "$work/reference-end.png" >"$work/layout.txt" 2>"$work/reference.log"; then
    cat "$work/reference.log"
    die "OffscreenReference could not render the window"
fi
declare -A control row
menuSize=
windowSize=
while read -r kind a b c d e f; do
    case $kind in
    window) windowSize="$a $b" ;;
    control) control[$a]="$b $c $d $e" ;;
    row) row["$a $b"]="$c $d $e $f" ;;
    menu) menuSize="$a $b" ;;
    esac
done <"$work/layout.txt"
[ "$windowSize" = "$CLIENT_SIZE" ] || fail "the offscreen window is $windowSize, not $CLIENT_SIZE"
for name in "${!EXPECTED[@]}"; do
    [ "${control[$name]:-}" = "${EXPECTED[$name]}" ] ||
        die "$name lies at ${control[$name]:-nowhere}, not at ${EXPECTED[$name]} (x y w h)"
done
for r in "File1 0" "List1 2" "List1 1"; do
    [ -n "${row[$r]:-}" ] || die "OffscreenReference told no place for row $r"
done
[ -n "$menuSize" ] || die "OffscreenReference told no size for the canvas menu"

# --- the display and the viewer ----------------------------------------------------

# Xvfb picks a free display number itself and writes it to descriptor 3;
# it ends with this script, however the script ends. -noreset: a server
# that resets when its last client leaves drops clients that connect
# meanwhile (between two xdotool calls, or before the viewer comes).
setpriv --pdeathsig KILL Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -dpi 96 -noreset \
    3>"$work/display.txt" 2>"$work/xvfb.log" &
xvfbPid=$!
number=
displayNumber() {
    kill -0 "$xvfbPid" 2>>"$work/cleanup.log" || return 0 # it ended: no use waiting
    [ -s "$work/display.txt" ] && read -r number <"$work/display.txt" && [ -n "$number" ]
}
poll 10 displayNumber
if [ -z "$number" ]; then
    cat "$work/xvfb.log"
    skip "Xvfb did not start"
fi
export DISPLAY=:$number
timeout 5 xwininfo -root >"$work/root.txt" 2>&1 || {
    cat "$work/root.txt"
    skip "Xvfb does not answer on $DISPLAY"
}
echo "Xvfb on $DISPLAY"

x() {
    timeout 5 xdotool "$@" 2>>"$work/xdotool.log" && return 0
    local status=$?
    echo "xdotool $* failed ($status):"
    tail -n 5 "$work/xdotool.log"
    return "$status"
}
# The pointer starts outside the window, as in the reference.
x mousemove --sync 1020 760 || die "xdotool cannot move the pointer"

# No file given: File1 lists the working folder. The viewer, too, ends with
# this script.
(cd "$samples" && QT_QPA_PLATFORM=xcb exec setpriv --pdeathsig KILL "$viewer") >"$work/viewer.log" 2>&1 &
viewerPid=$!
viewerAlive() {
    kill -0 "$viewerPid" 2>>"$work/cleanup.log" && return 0
    cat "$work/viewer.log"
    die "the viewer ended"
}

wid=
findWindow() {
    viewerAlive
    local ids
    ids=$(timeout 5 xdotool search --onlyvisible --class '^zpkview$' 2>>"$work/xdotool.log") || return 1
    [ "$(wc -w <<<"$ids")" -eq 1 ] || return 1
    wid=$ids
}
poll 10 findWindow || die "no viewer window showed within 10 s"
geometry=$(timeout 5 xwininfo -id "$wid") || die "xwininfo cannot read window $wid"
wx=$(awk '/Absolute upper-left X:/ {print $NF}' <<<"$geometry")
wy=$(awk '/Absolute upper-left Y:/ {print $NF}' <<<"$geometry")
ww=$(awk '/^ *Width:/ {print $NF}' <<<"$geometry")
wh=$(awk '/^ *Height:/ {print $NF}' <<<"$geometry")
echo "window $wid: ${ww}x${wh} at $wx,$wy"
[ "$ww $wh" = "$CLIENT_SIZE" ] || die "the window is ${ww}x${wh}, not ${CLIENT_SIZE/ /x}"

# --- the border ----------------------------------------------------------------

# Qt writes its own Motif hints when it maps the window, and the viewer may
# replace them just after: wait a few seconds for hints without resizing.
motif=
motifProblem=
motifFixed() {
    motif=$(timeout 5 xprop -id "$wid" _MOTIF_WM_HINTS)
    if [[ $motif =~ =\ *(0x[0-9a-fA-F]+|[0-9]+),\ *(0x[0-9a-fA-F]+|[0-9]+) ]]; then
        local flags=$((BASH_REMATCH[1])) functions=$((BASH_REMATCH[2]))
        # MWM_HINTS_FUNCTIONS = 1 makes the functions field count; in it
        # MWM_FUNC_ALL = 1 means "all but those listed", MWM_FUNC_RESIZE = 2.
        if ((!(flags & 1))); then
            motifProblem="_MOTIF_WM_HINTS sets no functions: the window manager may offer resizing"
        elif (((functions & 1) ? !(functions & 2) : (functions & 2))); then
            motifProblem="_MOTIF_WM_HINTS allows resizing (functions $(printf '0x%x' "$functions"))"
        else
            return 0
        fi
    else
        motifProblem="the window has no _MOTIF_WM_HINTS: the window manager may offer resizing"
    fi
    return 1
}
poll 3 motifFixed || fail "$motifProblem"
note "$motif"
normal=$(timeout 5 xprop -id "$wid" WM_NORMAL_HINTS)
minSize=$(sed -n 's/.*minimum size: \([0-9]*\) by \([0-9]*\).*/\1 \2/p' <<<"$normal")
maxSize=$(sed -n 's/.*maximum size: \([0-9]*\) by \([0-9]*\).*/\1 \2/p' <<<"$normal")
note "WM_NORMAL_HINTS minimum ${minSize:-none}, maximum ${maxSize:-none}"
[ "$minSize $maxSize" = "$CLIENT_SIZE $CLIENT_SIZE" ] ||
    fail "WM_NORMAL_HINTS: minimum size '${minSize}', maximum size '${maxSize}', both should be '$CLIENT_SIZE'"

# --- pictures ------------------------------------------------------------------

shots=0
shot=
# Takes a picture of the window into a new file, $shot.
takeShot() {
    shots=$((shots + 1))
    shot=$work/shot-$shots.png
    timeout 5 import -silent -window "$wid" "$shot" 2>>"$work/import.log" ||
        die "import cannot take a picture of window $wid"
}
regionOf() {
    local name=$1 left top width height
    read -r left top width height <<<"${control[$name]}"
    echo "$name:$left,$top,$width,$height"
}
regions=("window:0,0,${ww},${wh}")
for name in "${!control[@]}"; do regions+=("$(regionOf "$name")"); done
# compare A B REGION...: sets $comparison, one line per region: name, pixels
# differing, pixels, largest difference in one channel.
comparison=
compare() {
    comparison=$(timeout 10 "$reference" compare "$@" 2>&1) || die "compare: $comparison"
}
differing() { awk -v name="$1" '$1 == name {print $2}' <<<"$comparison"; }
tellComparison() {
    echo "$1 (region, pixels differing, pixels, largest channel difference):"
    sort <<<"$comparison" | sed 's/^/  /'
}

# Waits for the window to look as the reference picture $1 does: the canvas
# exactly, the window within the tolerance.
looksAs() {
    viewerAlive
    takeShot
    compare "$1" "$shot" "${regions[@]}"
    [ "$(differing Picture1)" -eq 0 ] && [ "$(differing window)" -le "$WINDOW_TOLERANCE" ]
}
checkLooksAs() {
    local picture=$1 what=$2
    poll 5 looksAs "$picture"
    local matched=$?
    tellComparison "$what against the offscreen render"
    [ "$matched" -eq 0 ] && return 0
    [ "$(differing Picture1)" -eq 0 ] ||
        fail "$what: the canvas differs from the offscreen render in $(differing Picture1) pixels"
    [ "$(differing window)" -le "$WINDOW_TOLERANCE" ] ||
        fail "$what: the window differs from the offscreen render in $(differing window) pixels (tolerance $WINDOW_TOLERANCE)"
}

# Waits for the canvas to show something else than picture $1 does.
canvasChanged() {
    viewerAlive
    takeShot
    compare "$1" "$shot" "$(regionOf Picture1)"
    [ "$(differing Picture1)" -gt 0 ]
}
waitForCanvasChange() {
    local before=$1 what=$2
    poll 5 canvasChanged "$before" || die "the canvas did not change after $what within 5 s"
    note "the canvas changed after $what"
}

# A click in the middle of a rectangle "x y w h" of the window.
clickIn() {
    local left top width height
    read -r left top width height <<<"$1"
    x mousemove --sync $((wx + left + width / 2)) $((wy + top + height / 2)) click 1 || die "xdotool cannot click"
}

# Override-redirect windows on screen: popup menus and the like.
popups() {
    local id info
    for id in $(timeout 5 xwininfo -root -children | awk '$1 ~ /^0x/ {print $1}'); do
        info=$(timeout 5 xwininfo -id "$id" 2>>"$work/xwininfo.log") || continue
        grep -q 'Map State: IsViewable' <<<"$info" && grep -q 'Override Redirect State: yes' <<<"$info" &&
            echo "$id"
    done
}

# --- the start, the clicks and the keys ----------------------------------------------

checkLooksAs "$work/reference-start.png" "the window at the start"

takeShot
clickIn "${row[File1 0]}"
waitForCanvasChange "$shot" "a click on demo.zpk in File1"
clickIn "${row[List1 2]}"
waitForCanvasChange "$shot" "a click on row 2 of List1"
clickIn "${row[List1 1]}"
waitForCanvasChange "$shot" "a click on row 1 of List1"
clickIn "${control[check_color]}"
clickIn "${control[color1]}"
x key ctrl+a || die "xdotool cannot press keys"
x type 200 || die "xdotool cannot type"
waitForCanvasChange "$shot" "typing 200 over color1 with UserColor checked"

# --- the canvas menu from the keyboard -----------------------------------------------

# A click on the canvas takes the focus there, as in the reference: no caret
# blinks in color1.
clickIn "${control[Picture1]}"
before=$(popups)
[ -z "$before" ] || fail "a popup window is on screen before Shift+F10: $before"
x key shift+F10 || die "xdotool cannot press keys"
menu=
menuShown() {
    viewerAlive
    menu=$(popups)
    [ -n "$menu" ]
}
menuGone() {
    viewerAlive
    [ -z "$(popups)" ]
}
if poll 5 menuShown; then
    [ "$(wc -w <<<"$menu")" -eq 1 ] || fail "Shift+F10 opened more than one popup: ${menu//$'\n'/ }"
    menu=${menu%%$'\n'*}
    note "Shift+F10 opened the popup $menu"
    menuInfo=$(timeout 5 xwininfo -id "$menu" 2>&1)
    menuClass=$(timeout 5 xprop -id "$menu" WM_CLASS 2>&1)
    shownSize="$(awk '/^ *Width:/ {print $NF}' <<<"$menuInfo") $(awk '/^ *Height:/ {print $NF}' <<<"$menuInfo")"
    [[ $menuClass == *'"zpkview"'* ]] || fail "the popup is not the viewer's: $menuClass"
    [ "$shownSize" = "$menuSize" ] ||
        fail "the popup is ${shownSize/ /x}, the canvas menu ${menuSize/ /x}: another menu opened"
    x key Escape || die "xdotool cannot press keys"
    poll 5 menuGone || fail "Escape did not close the menu within 5 s"
else
    fail "Shift+F10 opened no popup menu within 5 s"
fi

# --- the screen against the offscreen render -----------------------------------------

checkLooksAs "$work/reference-end.png" "the window at the end"

viewerAlive
if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all checks passed"
