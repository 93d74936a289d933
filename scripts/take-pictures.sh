#!/usr/bin/env bash
# Pictures of the windows as a user sees them: a virtual screen with a window manager (openbox)
# and a compositor (xcompmgr, so that the translucent shadow blends), the analysis window on the
# sample with the help window over it, and the About window. Writes analysis.png, help.png and
# about.png into OUTDIR (default build/pictures). Where the office with windows is installed, also
# Calc with the add-on's analysis window on the sample, after a highlight and after a report with
# its chart (office-*.png, taken by the add-on's test on a screen of its own).
#   scripts/take-pictures.sh [OUTDIR]
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-build/pictures}")"
build="${BUILD_DIR:-build}"
need=()
command -v Xvfb >/dev/null || need+=(xvfb)
command -v xcompmgr >/dev/null || need+=(xcompmgr)
command -v openbox >/dev/null || need+=(openbox)
if ((${#need[@]})); then
    sudo=""; [[ $(id -u) == 0 ]] || sudo=sudo
    $sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
cmake --build "$build" -j2 --target tallyvane-window-pictures >/dev/null

fifo="$(mktemp -u)"; mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb=$!
read -r -t 10 display <"$fifo"; rm -f "$fifo"
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
openbox >/dev/null 2>&1 & wm=$!
xcompmgr -n >/dev/null 2>&1 & compositor=$!
sleep 0.5
work="$(mktemp -d)"
cp examples/defects.xlsx "$work/"
status=0
dbus-run-session -- "$build/tools/tallyvane-window-pictures" "$out" "$work/defects.xlsx" || status=$?
kill "$compositor" "$wm" 2>/dev/null || true
wait "$compositor" "$wm" 2>/dev/null || true
kill "$xvfb" 2>/dev/null || true
wait "$xvfb" 2>/dev/null || true
rm -rf "$work"
if [[ -x "$build/tests/uno_desktop_tests" ]]; then
    cmake --build "$build" -j2 --target uno_desktop_tests tallyvane tallyvane-batch calc-addon >/dev/null
    TALLYVANE_PICTURES="$out" "$build/tests/uno_desktop_tests" >/dev/null || status=$?
fi
exit "$status"
