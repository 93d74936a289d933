#!/usr/bin/env bash
# The automation class across processes: a running tallyvane offers Class1 on the session bus,
# and another process's call to Merge runs the start again in it and gets an answer.
# Usage (inside dbus-run-session): dbus_merge_test.sh TALLYVANE WORKBOOK
set -euo pipefail
exe=$1
book=$2
export QT_QPA_PLATFORM=offscreen
"$exe" "$book" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
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
