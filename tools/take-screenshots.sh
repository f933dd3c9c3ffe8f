#!/usr/bin/env bash
# Takes the pictures of docs/screenshots/ the way a person sees the window program: under a real X
# server (Xvfb) with a window manager (openbox), driven with xdotool, from the built program in
# build/. Installs the tools it needs when run as root: xvfb, openbox, xdotool, imagemagick.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
program="$root/build/gui/wayload"
pictures="$root/docs/screenshots"

if [ ! -x "$program" ]; then
    echo "build the program first: bash tools/build.sh" >&2
    exit 1
fi
missing=()
for tool in Xvfb openbox xdotool import convert; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" != 0 ]; then
        echo "missing: ${missing[*]} (apt-get install xvfb openbox xdotool imagemagick)" >&2
        exit 1
    fi
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        xvfb openbox xdotool imagemagick >/dev/null
fi

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A display of our own: the first free number from 90 on.
number=90
while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
export DISPLAY=":$number"
Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1

# A user of the program's own: English chosen, no converter, the demo analyzer in a fresh folder
# with a measured-data set large enough to watch the progress strip.
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
export WAYLOAD_PORT="$work/no-converter" QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_CONFIG_HOME"
printf '[Settings]\nLanguage=eng.lng\n' >"$XDG_CONFIG_HOME/wayload.ini"
mkdir -p "$pictures"

# Waits for a window whose name matches and prints its id.
window() {
    for _ in $(seq 100); do
        local id
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
        if [ -n "$id" ]; then echo "$id"; return 0; fi
        sleep 0.1
    done
    echo "no window '$1' came" >&2
    return 1
}

# The window with its frame, as the window manager draws it.
picture_of() {
    local frame
    frame=$(xwininfo -id "$1" -children 2>/dev/null | awk '/Parent window id/ {print $4}')
    import -window "${frame:-$1}" "$pictures/$2"
    echo "  $2"
}

echo "Taking the pictures into docs/screenshots/:"
"$program" >/dev/null 2>&1 &
pids+=($!)
main=$(window "^Tarvek Trailpack v")
sleep 1.5
picture_of "$main" main-window-no-instrument.png
kill "${pids[-1]}"
wait "${pids[-1]}" 2>/dev/null || true
unset 'pids[-1]'

# The demo fills its analyzer at first use. A large route is added, ticked like every route, so
# that the download lasts long enough to show its progress.
"$program" --demo >/dev/null 2>&1 &
pids+=($!)
window "^Tarvek Trailpack v" >/dev/null
kill "${pids[-1]}"
wait "${pids[-1]}" 2>/dev/null || true
unset 'pids[-1]'
big="$XDG_DATA_HOME/wayload/demo/TKB_DEMO/TKBRoute/Turbine hall, all points"
mkdir -p "$big"
for i in $(seq 1 30); do head -c 4000000 /dev/urandom >"$big/point-$i.dat"; done
"$program" --demo >/dev/null 2>&1 &
pids+=($!)
main=$(window "^Tarvek Trailpack v")
sleep 1.5
picture_of "$main" main-window-analyzer-found.png

# The route selection: the download's first dialog.
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove $((X + WIDTH * 3 / 4)) $((Y + HEIGHT / 2)) click 1
select=$(window "^Select Routes$")
sleep 0.5
picture_of "$select" route-selection.png
xdotool key Return
sleep 1
xdotool type --delay 5 "$work/day.rdx"
xdotool key Return

# The progress strip over the main window while the folders are packed: the main window's frame
# and the strip's width.
sleep 1.2
frame=$(xwininfo -id "$main" -children | awk '/Parent window id/ {print $4}')
read -r x y width height < <(xwininfo -id "$frame" |
    awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
         /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}')
centre=$((x + width / 2))
left=$((centre - 310 < x - 10 ? centre - 310 : x - 10))
right=$((centre + 310 > x + width + 10 ? centre + 310 : x + width + 10))
import -window root -crop "$((right - left))x$((height + 20))+$left+$((y - 10))" \
    "$pictures/transfer-progress.png"
echo "  transfer-progress.png"
