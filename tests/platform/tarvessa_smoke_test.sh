#!/usr/bin/env bash
# Drives the real tarvessa from outside, as a user would, with xdotool.
#
#   tarvessa_smoke_test.sh TARVESSA EXAMPLES_DIR load
#       open a graph through Ctrl+O and the dialog (typing its path), check
#       the title, quit with Escape: exit status 0.
#   tarvessa_smoke_test.sh TARVESSA EXAMPLES_DIR no_gl
#       without OpenGL on the display the program shows its critical error
#       box; once dismissed, it ends with status 1.
#   tarvessa_smoke_test.sh TARVESSA EXAMPLES_DIR command_line
#       a file named on the command line is loaded at start (the title names
#       it); Ctrl+Q then ends the program with status 0.
#   tarvessa_smoke_test.sh TARVESSA EXAMPLES_DIR no_display
#       with no display at all it says so on standard error and ends with
#       status 1 (not with an abort).
#   tarvessa_smoke_test.sh TARVESSA EXAMPLES_DIR bad_arguments
#       an argument it does not accept: a French message and the usage on
#       standard error, status 2, and no window.
#
# The first three exit 77 (skipped) when there is no X display or no xdotool.
set -uo pipefail

tarvessa=$(realpath "$1")
examples=$(realpath "$2")
mode=$3

if [ "$mode" = no_display ]; then
    message=$(cd "$examples" && env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb \
        "$tarvessa" 2>&1 > /dev/null)
    status=$?
    [ "$status" = 1 ] || { echo "FAIL: exit status $status without a display"; exit 1; }
    grep -q "Impossible de créer la fenêtre" <<< "$message" ||
        { echo "FAIL: no message without a display: $message"; exit 1; }
    echo "ok"
    exit 0
fi

if [ "$mode" = bad_arguments ]; then
    message=$(env -u DISPLAY "$tarvessa" --verbose "$examples/ring.gr" 2>&1 > /dev/null)
    status=$?
    [ "$status" = 2 ] || { echo "FAIL: exit status $status for a bad argument"; exit 1; }
    grep -q "option inconnue : --verbose" <<< "$message" &&
        grep -q "^Usage : tarvessa \[--reset-settings\] \[FICHIER.gr\]" <<< "$message" ||
        { echo "FAIL: message for a bad argument: $message"; exit 1; }
    echo "ok"
    exit 0
fi

if [ -z "${DISPLAY:-}" ] || ! command -v xdotool > /dev/null; then
    echo "no X display or no xdotool: skipped"
    exit 77
fi

fail() {
    echo "FAIL: $*"
    kill "$pid" 2> /dev/null
    exit 1
}

# Holds one connection to the display for the whole run. An X server without
# -noreset (xvfb-run's default) resets when its last client leaves and
# refuses connections meanwhile; each xdotool call leaves, and the program
# could try to connect in that moment. The search never matches, so it keeps
# its connection until it is killed.
hold_display() {
    for _ in $(seq 30); do
        xdotool search --sync --name '^no window has this name$' > /dev/null 2>&1 &
        holder=$!
        sleep 0.2
        if kill -0 "$holder" 2> /dev/null; then
            return 0
        fi
    done
    return 1
}

# Prints the id of the first window whose name matches the regex $1,
# waiting up to $2 seconds.
wait_for_window() {
    local deadline=$((SECONDS + $2)) id
    while [ $SECONDS -lt $deadline ]; do
        id=$(xdotool search --onlyvisible --name "$1" 2> /dev/null | head -n 1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# Waits up to $1 seconds for the program to end and sets `status` to its
# exit status.
wait_for_exit() {
    local deadline=$((SECONDS + $1))
    while kill -0 "$pid" 2> /dev/null; do
        if [ $SECONDS -ge $deadline ]; then
            return 1
        fi
        sleep 0.1
    done
    wait "$pid"
    status=$?
}

log=$(mktemp)
# Preferences of its own, so that what the user's runs remember (the windows'
# places, the recent files) does not change the run, nor the run theirs.
XDG_CONFIG_HOME=$(mktemp -d)
export XDG_CONFIG_HOME
holder=
trap 'rm -rf "$log" "$XDG_CONFIG_HOME"; [ -n "$holder" ] && kill "$holder" 2> /dev/null' EXIT
pid=
hold_display || fail "cannot connect to $DISPLAY"

case $mode in
load)
    path=$examples/ring.gr
    # Started from the examples, as scripts/run.sh does.
    (cd "$examples" && exec "$tarvessa") > "$log" 2>&1 &
    pid=$!
    main=$(wait_for_window '^Quillmere$' 20) || fail "no main window"
    wait_for_window '^Console$' 5 > /dev/null || fail "no console panel"
    xdotool windowfocus --sync "$main"
    xdotool key --clearmodifiers ctrl+o
    dialog=$(wait_for_window '^Ouvrir$' 10) || fail "no open dialog"
    xdotool windowfocus --sync "$dialog"
    xdotool type --delay 20 "$path"
    sleep 0.5
    xdotool key Return
    wait_for_window "^Quillmere - \\[$path\\]\$" 20 > /dev/null ||
        fail "title after the load: $(xdotool getwindowname "$main")"
    # Escape goes to the main window, which has the focus back.
    sleep 0.5
    xdotool key Escape
    wait_for_exit 10 || fail "still running after Escape"
    [ "$status" = 0 ] || fail "exit status $status after Escape"
    ;;
command_line)
    # A path relative to where the program starts; the title gives it in full.
    (cd "$examples" && exec "$tarvessa" grid.gr) > "$log" 2>&1 &
    pid=$!
    main=$(wait_for_window "^Quillmere - \\[$examples/grid.gr\\]\$" 20) ||
        fail "no title naming the file given: $(xdotool search --name Quillmere getwindowname 2> /dev/null)"
    xdotool windowfocus --sync "$main"
    sleep 0.3
    xdotool key --clearmodifiers ctrl+q
    wait_for_exit 10 || fail "still running after Ctrl+Q"
    [ "$status" = 0 ] || fail "exit status $status after Ctrl+Q"
    ;;
no_gl)
    (cd "$examples" && QT_XCB_GL_INTEGRATION=none exec "$tarvessa") > "$log" 2>&1 &
    pid=$!
    box=$(wait_for_window '^Erreur critique !$' 20) || fail "no error box"
    xdotool windowfocus --sync "$box"
    xdotool key Return
    wait_for_exit 10 || fail "still running after the box"
    [ "$status" = 1 ] || fail "exit status $status without OpenGL"
    ;;
*)
    echo "unknown mode $mode"
    exit 2
    ;;
esac
echo "ok"
