#!/usr/bin/env bash
# Starts or stops the office the UNO tests work with: headless, on a profile of its own, listening
# on a pipe of its own. The nogui office crashes on documents with a window, so the tests load
# every document hidden.
#   office.sh start DIR PIPE    starts it and waits until the pipe accepts connections
#   office.sh desktop DIR PIPE  the same with windows, on a virtual screen of its own (Xvfb; with
#                               a window manager and compositor where installed); DIR/display
#                               holds the screen's name. Needs the office with windows.
#   office.sh stop DIR          stops what was started in DIR, by its process ids
set -euo pipefail
command=$1 dir=$2
pidfile="$dir/office.pid"

stop() {
    [[ -f "$pidfile" ]] || return 0
    local launcher children
    launcher=$(cat "$pidfile")
    children=$(pgrep -P "$launcher" || true)
    kill $children "$launcher" 2>/dev/null || true
    for _ in $(seq 50); do
        kill -0 $children "$launcher" 2>/dev/null || break
        sleep 0.1
    done
    kill -9 $children "$launcher" 2>/dev/null || true
    rm -f "$pidfile"
    for extra in "$dir"/screen-*.pid; do
        [[ -f "$extra" ]] || continue
        kill "$(cat "$extra")" 2>/dev/null || true
        rm -f "$extra"
    done
}

# A virtual screen of its own for an office with windows; its name goes to DIR/display.
start_screen() {
    local fifo number
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fifo" >"$dir/screen.log" 2>&1 &
    echo $! >"$dir/screen-xvfb.pid"
    read -r -t 20 number <"$fifo" || true
    rm -f "$fifo"
    [[ -n "${number:-}" ]] || { echo "Xvfb did not start" >&2; cat "$dir/screen.log" >&2; exit 1; }
    export DISPLAY=":$number"
    echo "$DISPLAY" >"$dir/display"
    if command -v openbox >/dev/null; then
        openbox >/dev/null 2>&1 &
        echo $! >"$dir/screen-wm.pid"
    fi
    if command -v xcompmgr >/dev/null; then
        xcompmgr -n >/dev/null 2>&1 &
        echo $! >"$dir/screen-compositor.pid"
    fi
}

case "$command" in
start | desktop)
    pipe=$3
    stop
    mkdir -p "$dir"
    window_options=(--headless --invisible)
    if [[ "$command" == desktop ]]; then
        start_screen
        window_options=()
    fi
    # A socket left by an office that was killed would look like a listening one.
    socket="/tmp/OSL_PIPE_$(id -u)_$pipe"
    rm -f "$socket"
    soffice -env:UserInstallation="file://$dir/profile" "${window_options[@]}" --norestore \
        --nologo --nodefault --nolockcheck \
        --accept="pipe,name=$pipe;urp;StarOffice.ComponentContext" >"$dir/office.log" 2>&1 &
    echo $! >"$pidfile"
    # The pipe is a socket named after the user and the pipe; it appears when the office accepts.
    for _ in $(seq 600); do
        if [[ -S "$socket" ]]; then
            exit 0
        fi
        if ! kill -0 "$(cat "$pidfile")" 2>/dev/null; then
            echo "the office ended before it listened:" >&2
            cat "$dir/office.log" >&2
            exit 1
        fi
        sleep 0.1
    done
    echo "the office did not listen on $pipe within 60 s" >&2
    stop
    exit 1
    ;;
stop)
    stop
    ;;
esac
