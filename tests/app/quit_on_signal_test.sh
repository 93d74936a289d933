#!/usr/bin/env bash
# The end the system asks for (SIGTERM) reaches a program still in its start: the options
# dialog or a message box waits in a loop of its own before the main loop runs (here the message
# that no office listens), and the program must end all the same.
# Usage: quit_on_signal_test.sh TALLYVANE [SECONDS before the signal, default 4]
set -euo pipefail
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
export TALLYVANE_UNO_CONNECT="pipe,name=tallyvane-nobody-listens-$$"
"$1" --office-options 2>/dev/null &
pid=$!
trap 'kill -9 $pid 2>/dev/null || true' EXIT
# Asked to end once while it still tries to reach the office (the message comes after), and
# else while the message waits.
sleep "${2:-4}"
kill -0 "$pid" || { echo "the program ended before it was asked to"; exit 1; }
kill -TERM "$pid"
for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || { echo "ended on SIGTERM"; exit 0; }
    sleep 0.1
done
echo "the program still runs 5 s after SIGTERM"
exit 1
