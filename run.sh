#!/bin/bash
# Sets the machine up, builds everything and runs the program under Wine in
# its working folder build/run: on the screen when DISPLAY is set, otherwise
# on an Xvfb display of its own, where after a few seconds a screenshot of the
# whole screen is saved to build/screenshot.png and the program is closed.
# BUILD_DIR chooses another build tree (default: build/).
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")" || exit 1
build=${BUILD_DIR:-build}
wine_run=(bash "$PWD/cmake/wine-run.sh" --build-dir "$build")
xvfb_pid=""

# True while the process runs (a zombie not yet waited for does not count).
running() {
    local state
    state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null)
    [[ -n $state && $state != Z ]]
}

cleanup() {
    "${wine_run[@]}" --stop >/dev/null 2>&1
    if [[ -n $xvfb_pid ]]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

bash tools/setup.sh "$build" || exit 1
cmake --preset mingw -B "$build" || exit 1
cmake --build "$build" || exit 1

build=$(cd "$build" && pwd -P)
program=orvex_visualizer.exe
if [[ ! -f $build/run/$program ]]; then
    echo "run.sh: built; the program $build/run/$program does not exist yet."
    exit 0
fi

cd "$build/run" || exit 1

if [[ -n ${DISPLAY:-} ]]; then
    "${wine_run[@]}" "$program"
    exit $?
fi

# No screen: an Xvfb display of our own (-displayfd picks a free number).
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" \
    </dev/null >"$build/xvfb-run.log" 2>&1 &
xvfb_pid=$!
for ((i = 0; i < 200; i++)); do
    [[ -s $display_file ]] && break
    sleep 0.05
done
number=$(tr -dc '0-9' <"$display_file")
rm -f "$display_file"
if [[ -z $number ]]; then
    echo "run.sh: Xvfb did not start (see $build/xvfb-run.log)" >&2
    exit 1
fi
export DISPLAY=:$number

"${wine_run[@]}" "$program" &
program_pid=$!
sleep 8
if ! running "$program_pid"; then
    wait "$program_pid"
    echo "run.sh: the program ended early (exit code $?)" >&2
    exit 1
fi
import -window root "$build/screenshot.png" && echo "run.sh: screenshot saved to $build/screenshot.png"
# Ask the program to close as a user would (WM_CLOSE, so it saves its
# settings), and end it if it has not gone after a few seconds.
"${wine_run[@]}" taskkill /im "$program" >/dev/null 2>&1
for ((i = 0; i < 50; i++)); do
    running "$program_pid" || break
    sleep 0.1
done
wait "$program_pid" 2>/dev/null
exit 0
