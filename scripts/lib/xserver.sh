# The program in a private X server, as the scripts that look at it or drive it start it. Sourced,
# not run; needs xvfb and xdotool.
#
#   at_exit COMMAND        runs COMMAND (one string, evaluated) when the script ends, the last
#                          registered first
#   private_home           a folder of its own in $private_dir, removed at the end, as HOME, cache,
#                          configuration and runtime folder
#   xserver_start [LOG]    starts Xvfb on a free display (XSERVER_DISPLAY=N: on :N, which must be
#                          free; XSERVER_SCREEN: 1280x1024x24), exports DISPLAY, stops it at the end
#   yaoshi_start PROGRAM [ARG...]
#                          starts the program, waits for its first window and ends the splash with
#                          a key; its pid in $yaoshi_pid, stopped at the end
#   yaoshi_open TOOL       opens calculator, plotter or help from the launcher as a user does, and
#                          prints the id of its window
#   yaoshi_window TOOL     waits (30 s at the most) for a window of launcher or a tool, prints its id;
#                          both find the titles and places in the layout.json beside the program
#                          that yaoshi_start started
#   xclick WINDOW X Y      a left click at X, Y inside WINDOW, raised first

_at_exit=()
_run_at_exit() {
    local command
    for command in "${_at_exit[@]}"; do
        eval "$command" || true
    done
}
at_exit() {
    _at_exit=("$1" "${_at_exit[@]}")
    trap _run_at_exit EXIT
}

private_home() {
    private_dir=$(mktemp -d)
    at_exit "rm -rf '$private_dir'"
    mkdir -p "$private_dir/cache" "$private_dir/config"
    mkdir -m 700 "$private_dir/run"
    export HOME=$private_dir XDG_CACHE_HOME=$private_dir/cache
    export XDG_CONFIG_HOME=$private_dir/config XDG_RUNTIME_DIR=$private_dir/run
}

xserver_start() {
    local log=${1:-/dev/null} number=${XSERVER_DISPLAY:-} file=''
    # -noreset: else the server resets, and refuses connections, whenever its last client goes.
    local options=(-screen 0 "${XSERVER_SCREEN:-1280x1024x24}" -nolisten tcp -noreset)
    if [ -n "$number" ]; then
        # Another server there would take our events, and we its windows.
        if [ -e "/tmp/.X$number-lock" ]; then
            echo "display :$number is in use" >&2
            return 1
        fi
        Xvfb ":$number" "${options[@]}" >"$log" 2>&1 &
    else
        file=$(mktemp)
        Xvfb -displayfd 3 "${options[@]}" 3>"$file" >"$log" 2>&1 &
    fi
    xserver_pid=$!
    at_exit "kill $xserver_pid 2>/dev/null; wait $xserver_pid 2>/dev/null"
    # With -displayfd the number arrives once the server takes connections; a named display
    # is ready once its socket is there.
    local _
    for _ in $(seq 200); do
        kill -0 "$xserver_pid" 2>/dev/null || break
        [ -n "$file" ] && [ -s "$file" ] && number=$(cat "$file")
        if [ -n "$number" ] && [ -S "/tmp/.X11-unix/X$number" ]; then
            [ -n "$file" ] && rm -f "$file"
            export DISPLAY=:$number
            return 0
        fi
        sleep 0.1
    done
    [ -n "$file" ] && rm -f "$file"
    echo "Xvfb did not start${number:+ on :$number}" >&2
    return 1
}

# The tools' window titles and where the launcher's words are, from the layout the build writes
# beside the program.
_yaoshi_layout() {
    PYTHONDONTWRITEBYTECODE=1 python3 "$_yaoshi_scripts/layout.py" "$_yaoshi_program" "$@"
}
_yaoshi_scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
declare -A _yaoshi_words=([calculator]=Label1 [plotter]=Label2 [help]=Label3)

yaoshi_start() {
    _yaoshi_program=$1
    "$@" &
    yaoshi_pid=$!
    at_exit "kill $yaoshi_pid 2>/dev/null; wait $yaoshi_pid 2>/dev/null"
    local splash
    splash=$(timeout 60 xdotool search --sync --onlyvisible --pid "$yaoshi_pid" | head -n 1)
    [ -n "$splash" ] || {
        echo "$1 showed no window" >&2
        return 1
    }
    xdotool windowfocus --sync "$splash" key Return
}

yaoshi_window() {
    local id title
    title=$(_yaoshi_layout title "$1") || return 1
    id=$(timeout 30 xdotool search --sync --onlyvisible --name "^$title\$" | head -n 1)
    [ -n "$id" ] || {
        echo "no $1 window" >&2
        return 1
    }
    echo "$id"
}

xclick() {
    xdotool windowraise "$1" mousemove --window "$1" "$2" "$3" click 1
}

yaoshi_open() {
    local launcher
    launcher=$(yaoshi_window launcher) || return 1
    # shellcheck disable=SC2046 # x and y
    xclick "$launcher" $(_yaoshi_layout centre launcher "${_yaoshi_words[$1]}")
    yaoshi_window "$1"
}
