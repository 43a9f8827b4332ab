#!/bin/bash
# Shows the program's dialogs under Xvfb and saves a picture of each as
# <build>/dialog_position.png, dialog_load.png, dialog_export.png,
# dialog_import.png, dialog_help.png (dialog_help_links.png: the part with
# the web addresses), dialog_animation.png, dialog_reference.png,
# dialog_trend.png, dialog_update.png, dialog_wait.png and dialog_message.png.
#
#   screenshot.sh BUILD_DIR [PROGRAM]
#
# The build tree's Xvfb is used; outside a test run the script starts it and
# stops it afterwards.
set -u

build_dir=$(cd "${1:?usage: screenshot.sh BUILD_DIR [PROGRAM]}" && pwd -P) || exit 2
program=${2:-$build_dir/run/dialogs_screenshot.exe}
source_dir=$(cd "$(dirname "$0")/../.." && pwd -P)
wine_run=$source_dir/cmake/wine-run.sh
work=$build_dir/dialogs_screenshot_work

die() {
    echo "screenshot.sh: $*" >&2
    exit 1
}

command -v convert >/dev/null || die "ImageMagick's convert is missing (apt-get install imagemagick)"
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

rm -rf "$work"
mkdir -p "$work"
cp "$build_dir/run/Information.rtf" "$build_dir/run/produkte.txt" "$work/" ||
    die "no Information.rtf or produkte.txt in the run folder"
unset ORVEX_DISPLAY
(cd "$work" && DISPLAY=$display "$wine_run" --build-dir "$build_dir" \
    "$program" "Z:$build_dir/run/data/cru/hadcrut3v.dat" . >/dev/null) ||
    die "the dialogs could not be shown"

for name in dialog_position dialog_load dialog_export dialog_import dialog_help dialog_help_links \
    dialog_animation dialog_reference dialog_trend dialog_update dialog_wait dialog_message; do
    [[ -s $work/$name.bmp ]] || die "no picture of $name"
    convert "$work/$name.bmp" "$build_dir/$name.png" || die "convert failed for $name"
    echo "screenshot.sh: $build_dir/$name.png"
done
