#!/usr/bin/env bash
# The automation class across processes: a running tallyvane offers Class1 on the session bus,
# and another process's call to Merge runs the start again in it and gets an answer.
# Usage (inside dbus-run-session): dbus_merge_test.sh TALLYVANE WORKBOOK
# The workbook is a copy in a folder of the test's own: the window keeps a lock file beside it,
# which must be gone once the program has ended on SIGTERM.
set -euo pipefail
exe=$1
dir=$(mktemp -d)
cp "$2" "$dir/book.xlsx"
book="$dir/book.xlsx"
export QT_QPA_PLATFORM=offscreen
"$exe" "$book" &
pid=$!
trap 'kill $pid 2>/dev/null || true; rm -rf "$dir"' EXIT
owned=no
for _ in $(seq 100); do
    if dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.tallyvane.Tallyvane | grep -q "boolean true"; then
        owned=yes
        break
    fi
    sleep 0.1
done
[[ $owned == yes ]] || { echo "tallyvane did not offer its automation class"; exit 1; }
dbus-send --session --print-reply --dest=org.tallyvane.Tallyvane /Class1 \
    org.tallyvane.Class1.Merge variant:int32:7
kill -0 "$pid" || { echo "tallyvane ended after Merge"; exit 1; }
echo "Merge answered and tallyvane runs on"
[[ -f "$dir/.~lock.book.xlsx#" ]] || { echo "no lock file beside the open workbook"; exit 1; }
kill "$pid"
wait "$pid" || true
[[ ! -e "$dir/.~lock.book.xlsx#" ]] || { echo "the lock file stayed after SIGTERM"; exit 1; }
echo "the lock file went with the program"
