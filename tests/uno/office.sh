#!/usr/bin/env bash
# Starts or stops the office the UNO tests work with: headless, on a profile of its own, listening
# on a pipe of its own. The nogui office crashes on documents with a window, so the tests load
# every document hidden.
#   office.sh start DIR PIPE    starts it and waits until the pipe accepts connections
#   office.sh stop DIR          stops the office started in DIR, by its process ids
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
}

case "$command" in
start)
    pipe=$3
    stop
    mkdir -p "$dir"
    # A socket left by an office that was killed would look like a listening one.
    socket="/tmp/OSL_PIPE_$(id -u)_$pipe"
    rm -f "$socket"
    soffice -env:UserInstallation="file://$dir/profile" --headless --invisible --norestore \
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
