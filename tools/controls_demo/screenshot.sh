#!/bin/bash
# Shows the controls demonstration under Xvfb and saves a screenshot of the
# screen as <build>/controls_demo.png.
#
#   screenshot.sh BUILD_DIR [PROGRAM]
#
# The build tree's Xvfb is photographed. During a test run it is running
# already; otherwise the script starts it and stops it afterwards.
set -u

build_dir=$(cd "${1:?usage: screenshot.sh BUILD_DIR [PROGRAM]}" && pwd -P) || exit 2
program=${2:-$build_dir/run/controls_demo.exe}
source_dir=$(cd "$(dirname "$0")/../.." && pwd -P)
wine_run=$source_dir/cmake/wine-run.sh
work=$build_dir/controls_demo_work
shot=$build_dir/controls_demo.png

die() {
    echo "screenshot.sh: $*" >&2
    exit 1
}

command -v import >/dev/null || die "ImageMagick's import is missing (apt-get install imagemagick)"
[[ -f $program ]] || die "no program $program"

started_xvfb=""
cleanup() {
    if [[ -n $started_xvfb ]]; then
        "$wine_run" --build-dir "$build_dir" --stop-xvfb
    fi
}
trap cleanup EXIT

xvfb_pid=$(cat "$build_dir/xvfb/pid" 2>/dev/null)
if [[ -z $xvfb_pid ]] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
    "$wine_run" --build-dir "$build_dir" --start-xvfb >/dev/null || die "Xvfb did not start"
    started_xvfb=yes
fi
display=$(cat "$build_dir/xvfb/display")

rm -rf "$shot" "$work/run"
unset ORVEX_DISPLAY
DISPLAY=$display "$wine_run" --build-dir "$build_dir" --workdir "$work/run" \
    "$program" --close-after 8000 --ready-file ready &
demo_pid=$!

# The demonstration writes its ready file once it has been shown for a moment.
for ((i = 0; i < 600; i++)); do
    [[ -f $work/run/ready ]] && break
    kill -0 "$demo_pid" 2>/dev/null || break
    sleep 0.1
done
[[ -f $work/run/ready ]] || { wait "$demo_pid"; die "the demonstration never got ready"; }

import -display "$display" -window root "$shot" || die "import failed"
wait "$demo_pid"
status=$?
[[ $status -eq 0 ]] || die "the demonstration ended with $status"
[[ -s $shot ]] || die "no screenshot"
echo "screenshot.sh: $shot"
