#!/bin/sh
# The program's command line as a user meets it, with and without a display.
# Usage: command_line.sh PROGRAM VERSION
# Each row: name | exit status | environment added | arguments | stream | its text. The stream is
# "out" or "err" for the first line of standard output or error, "only" when standard error is
# that one line and nothing else is printed. Every run starts with no display of any kind.
program=$1
version=$2
nodisplay='yaoshi：没有可用的图形显示（DISPLAY 和 WAYLAND_DISPLAY 都未设置）/ yaoshi: no display to show the windows on (neither DISPLAY nor WAYLAND_DISPLAY is set)'
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Qt warns on every start without a runtime folder.
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
failed=0
while IFS='|' read -r name status environment arguments stream text; do
    [ -n "$name" ] || continue
    # shellcheck disable=SC2086 # the arguments and the environment are word lists
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM $environment "$program" $arguments \
        >"$work/out" 2>"$work/err" </dev/null
    got=$?
    case $stream in
    out) line=$(head -n 1 "$work/out") ;;
    err) line=$(head -n 1 "$work/err") ;;
    only) line=$(cat "$work/err") ;;
    esac
    [ "$stream" != only ] || [ ! -s "$work/out" ] || line="(standard output not empty)"
    if [ "$got" != "$status" ] || [ "$line" != "$text" ]; then
        echo "FAIL $name: status $got (want $status)"
        echo "  got:  $line"
        echo "  want: $text"
        failed=1
    fi
done <<ROWS
version without display|0||--version|out|yaoshi $version
help without display|0||-h|out|用法：yaoshi [选项] [文件]
plain start without display|1|||only|$nodisplay
document without display|1||notes.txt|only|$nodisplay
xcb named without display|1|QT_QPA_PLATFORM=xcb|--calculator|only|$nodisplay
Qt option taken out without display|1||-style fusion --plotter|only|$nodisplay
unknown option without display|2||--bogus|err|yaoshi：未知选项“--bogus”
second file without display|2||a.txt b.txt|err|yaoshi：一次只能打开一个文件
unknown option with -platform|2||-platform offscreen --bogus|err|yaoshi：未知选项“--bogus”
unknown option offscreen|2|QT_QPA_PLATFORM=offscreen|-x|err|yaoshi：未知选项“-x”
second file offscreen|2|QT_QPA_PLATFORM=offscreen|a.txt b.txt|err|yaoshi：一次只能打开一个文件
ROWS
exit $failed
