#!/bin/bash
# Sets the machine up, builds everything and runs the program under Wine in
# its working folder build/run (the program, its DLLs, the data sets in
# data/cru, worldmap.txt, the three background pictures and Information.rtf;
# init.txt and positions.txt are kept there between runs): on the screen when
# DISPLAY is set, otherwise on an Xvfb display of its own, where it waits
# until the first map is painted, saves a screenshot of the whole screen to
# build/screenshot.png and closes the program through its close box, so that
# the program writes its settings as after a user's session.
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
# From here on the program's folder is the current one: name the build tree absolutely.
wine_run=(bash "$PWD/cmake/wine-run.sh" --build-dir "$build")
program=orvex_visualizer.exe
if [[ ! -f $build/run/$program ]]; then
    echo "run.sh: built; the program $build/run/$program does not exist yet."
    exit 0
fi
for needed in quarn2.dll data/cru/hadcrut3v.dat worldmap.txt weltkarte1.jpg weltkarte2.jpg \
    weltkarte3.jpg Information.rtf; do
    if [[ ! -e $build/run/$needed ]]; then
        echo "run.sh: $build/run/$needed is missing (tools/setup.sh $build makes it)" >&2
        exit 1
    fi
done

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
# The probe (a Windows helper in the same Wine prefix) finds the window,
# waits for the painted map and presses the close box.
coproc probe { "${wine_run[@]}" orvex_probe.exe 2>/dev/null; }
ask() {
    local answer
    echo "$1" >&"${probe[1]}"
    read -r answer <&"${probe[0]}" || answer="error the probe ended"
    echo "${answer%$'\r'}"
}
title="Orvex Visualizer V0.91 - Visualisierung von HadCRUT3-Daten"
window=$(ask "wait 40000 $title")
status=1
if [[ $window == ok\ * ]]; then
    window=${window#ok }
    page=$(ask "child $window TabOrvexMap")
    painted=$(ask "painted ${page#ok } 40000")
    if [[ $painted == ok\ * ]]; then
        import -window root "$build/screenshot.png" &&
            echo "run.sh: screenshot saved to $build/screenshot.png" && status=0
    else
        echo "run.sh: no map was painted ($painted)" >&2
    fi
    ask "close $window" >/dev/null
else
    echo "run.sh: the program's window did not appear ($window)" >&2
fi
ask quit >/dev/null 2>&1
for ((i = 0; i < 100; i++)); do
    running "$program_pid" || break
    sleep 0.1
done
if running "$program_pid"; then
    echo "run.sh: the program did not end; stopping it" >&2
    kill "$program_pid" 2>/dev/null
    status=1
fi
wait "$program_pid" 2>/dev/null
exit $status
