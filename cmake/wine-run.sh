#!/bin/bash
# Runs Windows programs of one build tree under Wine, and manages the Wine
# prefix, wineserver and Xvfb display that belong to that build tree.
#
#   wine-run.sh [--build-dir DIR] [--workdir DIR] PROGRAM.exe [ARGS...]
#       Runs PROGRAM (this is CMAKE_CROSSCOMPILING_EMULATOR) in the current
#       folder and returns its exit code. --workdir runs it in DIR instead,
#       which is emptied first and must lie inside the build tree.
#   wine-run.sh [--build-dir DIR] --start | --stop
#       Starts a persistent wineserver with the prefix's services (after
#       --start-xvfb, bound to that display) / kills every Wine process of
#       the prefix.
#   wine-run.sh [--build-dir DIR] --start-xvfb | --stop-xvfb
#       Starts / stops the build tree's own Xvfb display (1280x1024x24).
#
# The build tree is --build-dir, else $ORVEX_BUILD_DIR, else the nearest
# folder holding a CMakeCache.txt above the program (then above the current
# folder). The prefix lives in <build>/wineprefix and is created on first use.
#
# Display: while the build tree's Xvfb runs (during a test run) every program
# gets that display. Otherwise, with ORVEX_DISPLAY=xvfb (set for every CTest
# test) the program gets a private Xvfb for this one run, and without it
# DISPLAY is passed on as it is.
set -u

die() {
    echo "wine-run.sh: $*" >&2
    exit 125
}

find_build_dir() {
    local dir
    for dir in "$@"; do
        dir=$(cd "$dir" 2>/dev/null && pwd -P) || continue
        while [[ -n $dir ]]; do
            if [[ -f $dir/CMakeCache.txt ]]; then
                echo "$dir"
                return 0
            fi
            [[ $dir == / ]] && break
            dir=$(dirname "$dir")
        done
    done
    return 1
}

find_tool() {
    local candidate
    for candidate in "$@"; do
        [[ -z $candidate ]] && continue
        if [[ $candidate == */* ]]; then
            [[ -x $candidate ]] && { echo "$candidate"; return 0; }
        elif command -v "$candidate" >/dev/null 2>&1; then
            command -v "$candidate"
            return 0
        fi
    done
    return 1
}

# Debian's wine64 package has no /usr/bin/wine; its loader and server live in
# /usr/lib/wine. The wineserver script there forces "-p0", so the persistent
# server is started through wineserver64 itself.
WINE_LOADER=$(find_tool "${WINE:-}" wine64 /usr/lib/wine/wine64 wine) ||
    die "Wine is not installed (run tools/setup.sh)"
WINE_SERVER=$(find_tool "${WINESERVER:-}" /usr/lib/wine/wineserver64 wineserver64 \
    /usr/lib/wine/wineserver wineserver) || die "wineserver not found"

build_dir=""
workdir=""
action=run
while [[ $# -gt 0 ]]; do
    case $1 in
    --build-dir) build_dir=${2:?--build-dir needs a folder}; shift 2 ;;
    --workdir) workdir=${2:?--workdir needs a folder}; shift 2 ;;
    --start) action=start; shift ;;
    --stop) action=stop; shift ;;
    --start-xvfb) action=start-xvfb; shift ;;
    --stop-xvfb) action=stop-xvfb; shift ;;
    --) shift; break ;;
    *) break ;;
    esac
done

if [[ $action == run ]]; then
    [[ $# -ge 1 ]] || die "no program given"
    program=$1
    shift
    if [[ -f $program ]]; then
        program=$(cd "$(dirname "$program")" && pwd -P)/$(basename "$program")
    elif [[ $program == */* ]]; then
        die "no such program: $program"
    fi
    # (A bare name that is no file here is one of Wine's own programs, e.g. taskkill.)
fi

if [[ -n $build_dir ]]; then
    mkdir -p "$build_dir" && build_dir=$(cd "$build_dir" && pwd -P) || die "bad build folder"
elif [[ -n ${ORVEX_BUILD_DIR:-} ]]; then
    build_dir=$(cd "$ORVEX_BUILD_DIR" 2>/dev/null && pwd -P) || die "bad ORVEX_BUILD_DIR"
else
    build_dir=$(find_build_dir ${program:+"$(dirname "$program")"} .) ||
        die "cannot tell the build tree; pass --build-dir or set ORVEX_BUILD_DIR"
fi

export WINEPREFIX=$build_dir/wineprefix
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko installer dialogs: the programs here need neither. No
# winemenubuilder: shortcuts a setup program makes stay inside the prefix
# instead of becoming menu entries of the Linux desktop.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Wine takes the ANSI code page and the user locale from the Unix locale;
# pin them (code page 1252, en-US) so that results do not depend on who runs.
export LC_ALL=C.UTF-8
unset LANG LANGUAGE

xvfb_dir=$build_dir/xvfb
log_dir=$build_dir/wine-logs
mkdir -p "$log_dir"

# Prints the display (":N") of the build tree's Xvfb while it is running.
running_xvfb_display() {
    local pid display
    pid=$(cat "$xvfb_dir/pid" 2>/dev/null) || return 1
    display=$(cat "$xvfb_dir/display" 2>/dev/null) || return 1
    [[ -n $pid && -n $display ]] || return 1
    alive "$pid" || return 1
    [[ $(cat "/proc/$pid/comm" 2>/dev/null) == Xvfb ]] || return 1
    echo "$display"
}

# Starts Xvfb in its own session with every descriptor redirected, so that
# nobody (CTest, ninja) waits on a pipe it holds. -displayfd picks a free
# display number, so parallel build trees never collide.
# Sets started_xvfb_pid and started_xvfb_display.
launch_xvfb() {
    local state=$1 number="" i
    mkdir -p "$state"
    rm -f "$state/display.number"
    setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
        3>"$state/display.number" </dev/null >"$state/xvfb.log" 2>&1 &
    started_xvfb_pid=$!
    for ((i = 0; i < 200; i++)); do
        number=$(tr -dc '0-9' <"$state/display.number" 2>/dev/null)
        [[ -n $number ]] && break
        alive "$started_xvfb_pid" || break
        sleep 0.05
    done
    if [[ -z $number ]]; then
        kill "$started_xvfb_pid" 2>/dev/null
        cat "$state/xvfb.log" >&2
        die "Xvfb did not start"
    fi
    started_xvfb_display=:$number
}

# True while the process exists and is not a zombie waiting to be reaped.
alive() {
    local state
    state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) || return 1
    [[ -n $state && $state != Z ]]
}

stop_pid() {
    local pid=$1 i
    kill "$pid" 2>/dev/null || return 0
    for ((i = 0; i < 100; i++)); do
        alive "$pid" || return 0
        sleep 0.05
    done
    kill -9 "$pid" 2>/dev/null
}

start_xvfb() {
    if running_xvfb_display >/dev/null; then
        return 0
    fi
    launch_xvfb "$xvfb_dir"
    echo "$started_xvfb_pid" >"$xvfb_dir/pid"
    echo "$started_xvfb_display" >"$xvfb_dir/display"
    echo "Xvfb $started_xvfb_display (pid $started_xvfb_pid) for $build_dir"
}

stop_xvfb() {
    if running_xvfb_display >/dev/null; then
        stop_pid "$(cat "$xvfb_dir/pid")"
    fi
    rm -f "$xvfb_dir/pid" "$xvfb_dir/display"
}

server_running() {
    "$WINE_SERVER" -k0 2>/dev/null
}

# Waits (bounded) until the prefix's wineserver has gone.
wait_for_server_exit() {
    timeout "${1:-60}" "$WINE_SERVER" -w 2>/dev/null
}

# Settings of the prefix, applied after it is created and again whenever this
# list changes (the stamp file records which version a prefix has).
#
# - A virtual desktop of the Xvfb's size: Wine then draws window frames itself
#   and needs no window manager. Without one, Wine waits two seconds for a
#   window manager that never answers each time it hides or destroys a window.
# - Wine's own fonts (Marlett draws the caption buttons, check marks and
#   arrows; Tahoma and MS Sans Serif are the dialog fonts) copied into
#   C:\windows\Fonts: Debian's wine64 looks for them in the wrong folder.
# - The Liberation fonts under the names of the Windows fonts they stand in for
#   (the same advance widths). "MS Sans Serif" needs none: Wine's own bitmap
#   face has the Windows metrics.
# - The user's Desktop, Documents, Pictures ... as folders of the prefix: Wine
#   links them to the Linux home folder, where a shortcut a setup program
#   makes on the desktop would land.
prefix_settings_version="3 desktop=1280x1024 fonts own-folders"
apply_prefix_settings() {
    local fonts=$WINEPREFIX/drive_c/windows/Fonts wine_fonts=/usr/share/wine/fonts folder
    mkdir -p "$fonts"
    if [[ -d $wine_fonts ]]; then
        cp -f "$wine_fonts"/* "$fonts"/ || return 1
    fi
    for folder in "$WINEPREFIX"/drive_c/users/*/*; do
        if [[ -L $folder ]]; then
            rm "$folder" && mkdir "$folder" || return 1
        fi
    done
    local settings=$log_dir/prefix-settings.reg
    cat >"$settings" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1280x1024"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"
"Times New Roman"="Liberation Serif"
"Courier New"="Liberation Mono"
REG
    "$WINE_LOADER" regedit /S "Z:${settings//\//\\}"
}

# Creates the prefix once; concurrent first uses (parallel build steps,
# parallel tests) wait on the lock. It is set up without a display: the
# desktop process that starts goes away with its short-lived wineserver, so
# the next start binds the desktop to whatever display it is given.
ensure_prefix() {
    local ready=$WINEPREFIX/.orvex-ready
    [[ -f $ready && -f $WINEPREFIX/system.reg && $(cat "$ready") == "$prefix_settings_version" ]] &&
        return 0
    exec 8>"$build_dir/wineprefix.lock"
    flock -w 600 8 || die "timed out waiting for the Wine prefix lock"
    if [[ ! -f $ready || ! -f $WINEPREFIX/system.reg ]]; then
        local started=$SECONDS
        echo "wine-run.sh: creating Wine prefix $WINEPREFIX" >&2
        rm -rf "$WINEPREFIX"
        (unset DISPLAY; "$WINE_LOADER" wineboot -i) </dev/null >"$log_dir/prefix-init.log" 2>&1 ||
            { cat "$log_dir/prefix-init.log" >&2; die "wineboot -i failed"; }
        wait_for_server_exit 120
        echo "wine-run.sh: Wine prefix ready after $((SECONDS - started)) s" >&2
        touch "$ready"
    fi
    if [[ $(cat "$ready") != "$prefix_settings_version" ]]; then
        local was_running=""
        server_running && was_running=yes
        (unset DISPLAY; apply_prefix_settings) </dev/null >>"$log_dir/prefix-init.log" 2>&1 ||
            { cat "$log_dir/prefix-init.log" >&2; die "could not set up the Wine prefix"; }
        # The registry reaches the disk when the wineserver ends.
        [[ -n $was_running ]] || wait_for_server_exit 60
        echo "$prefix_settings_version" >"$ready"
    fi
    exec 8>&-
}

# The display for a program run; empty when it runs without one. While the
# build tree's Xvfb runs, the prefix's desktop lives there (a test run), so
# every program of the prefix goes there too.
choose_display() {
    if running_xvfb_display; then
        return 0
    elif [[ ${ORVEX_DISPLAY:-} == xvfb ]]; then
        echo private
    else
        echo "${DISPLAY:-}"
    fi
}

case $action in
start-xvfb)
    start_xvfb
    exit 0
    ;;
stop-xvfb)
    stop_xvfb
    exit 0
    ;;
stop)
    if [[ -d $WINEPREFIX ]]; then
        "$WINE_SERVER" -k 2>/dev/null
        wait_for_server_exit 30
    fi
    exit 0
    ;;
start)
    ensure_prefix
    display=$(running_xvfb_display) || display=${DISPLAY:-}
    # A server left by a build step ends within moments; one that stays is
    # left over from an interrupted run, with a desktop on a display that may
    # be gone, and is ended.
    if server_running && ! wait_for_server_exit 20; then
        "$WINE_SERVER" -k 2>/dev/null
        wait_for_server_exit 30
    fi
    "$WINE_SERVER" -p </dev/null >>"$log_dir/wineserver.log" 2>&1 ||
        server_running || die "could not start wineserver"
    # Start services and the desktop now, bound to the display, so that the
    # first test does not pay for them and all tests share one desktop.
    (export DISPLAY=$display; [[ -n $display ]] || unset DISPLAY
        "$WINE_LOADER" wineboot) </dev/null >>"$log_dir/wineboot.log" 2>&1 ||
        die "wineboot failed (see $log_dir/wineboot.log)"
    echo "wineserver running for $WINEPREFIX${display:+ on display $display}"
    exit 0
    ;;
esac

ensure_prefix

if [[ -n $workdir ]]; then
    workdir=$(realpath -m "$workdir")
    [[ $workdir == "$build_dir"/?* ]] || die "work folder must lie inside $build_dir"
    rm -rf "$workdir" && mkdir -p "$workdir" && cd "$workdir" || die "cannot empty $workdir"
fi

display=$(choose_display)
if [[ $display != private ]]; then
    if [[ -n $display ]]; then export DISPLAY=$display; else unset DISPLAY; fi
    exec "$WINE_LOADER" "$program" "$@"
fi

# No display of the build tree is running: give this run its own Xvfb and
# end it when the program and the wineserver it started have gone.
private_state=$(mktemp -d "$build_dir/xvfb-private.XXXXXX")
launch_xvfb "$private_state"
trap 'stop_pid "$started_xvfb_pid"; rm -rf "$private_state"' EXIT
trap 'exit 130' INT TERM
export DISPLAY=$started_xvfb_display
"$WINE_LOADER" "$program" "$@"
status=$?
wait_for_server_exit 15
exit $status
