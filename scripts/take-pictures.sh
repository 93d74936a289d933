#!/usr/bin/env bash
# Pictures of the windows as a user sees them: a virtual screen with a window manager (openbox)
# and a compositor (xcompmgr, so that the translucent shadow blends), the analysis window on the
# sample with the help window over it, the About window, the workbook window with the highlight
# and the report, the report saved and opened again (workbook-reopened.png), a report of 32,767
# categories (chart-many.png), and the analysis window on a 1600 x 900 screen at scale 2
# (analysis-at-scale-2.png); with the Pareto options on the sample (minutes weighing each defect,
# ranked by them, Other after 95 %, classes at 80 and 95 %): the report in the workbook window
# (pareto-weighted.png), its chart drawn by tallyvane-batch --chart-image
# (pareto-weighted-chart.png), one chart per line (pareto-by-line.png), and the report with a
# table and chart per line in the workbook window (pareto-by-line-report.png). Writes them into
# OUTDIR (default build/pictures). Where the office with windows is installed, also Calc with the
# add-on's analysis window on the sample, after a highlight and after a report with its chart,
# the add-on's options dialog, a weighted report with Other and the 80 % line, and the report
# per line (office-*.png, taken by the add-on's tests on screens of their own).
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
cmake --build "$build" -j2 --target tallyvane-window-pictures tallyvane-batch >/dev/null

# A virtual screen of the given size with a window manager and a compositor; run the command on
# it with the environment given before it, then take the screen down.
on_screen() {
    local size="$1"; shift
    local fifo display xvfb wm compositor rc=0
    fifo="$(mktemp -u)"; mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    xvfb=$!
    read -r -t 10 display <"$fifo"; rm -f "$fifo"
    DISPLAY=":$display" openbox >/dev/null 2>&1 & wm=$!
    DISPLAY=":$display" xcompmgr -n >/dev/null 2>&1 & compositor=$!
    sleep 0.5
    env DISPLAY=":$display" QT_QPA_PLATFORM=xcb "$@" || rc=$?
    kill "$compositor" "$wm" 2>/dev/null || true
    wait "$compositor" "$wm" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
    return "$rc"
}

export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
work="$(mktemp -d)"
cp examples/defects.xlsx "$work/"
# 32,767 categories (the most one analysis lists), few of them frequent, as a report of their own.
python3 - "$work/many.csv" <<'PY'
import random, sys
random.seed(7)
rows = []
for i in range(32767):
    rows += ["C%05d" % (i + 1)] * (1 + int(200 / (1 + i) ** 0.7))
random.shuffle(rows)
open(sys.argv[1], "w").write("Code\n" + "\n".join(rows) + "\n")
PY
"$build/app/tallyvane-batch" --range "A2:A$(( $(wc -l <"$work/many.csv") ))" --report --chart \
    "$work/many.csv" >/dev/null
status=0
on_screen 1280x800 dbus-run-session -- "$build/tools/tallyvane-window-pictures" "$out" \
    "$work/defects.xlsx" --report-of "$work/many.xlsx" || status=$?
cp examples/defects.xlsx "$work/weighted.xlsx"
options=(--range "'Defect log'!C:C" --skip-header --weight D:D --rank-by weight --other-after 95
         --classes 80,95)
"$build/app/tallyvane-batch" "$work/weighted.xlsx" "${options[@]}" --report --chart >/dev/null
"$build/app/tallyvane-batch" examples/defects.xlsx "${options[@]}" \
    --chart-image "$out/pareto-weighted-chart.png" >/dev/null
"$build/app/tallyvane-batch" examples/defects.xlsx --range "'Defect log'!C:C" --skip-header \
    --by "'Defect log'!B:B" --classes 80 --chart-image "$out/pareto-by-line.png" \
    --chart-size 900x506 >/dev/null
on_screen 1280x800 dbus-run-session -- "$build/tools/tallyvane-window-pictures" "$out" \
    "$work/defects.xlsx" --report-only "$work/weighted.xlsx" pareto-weighted || status=$?
cp examples/defects.xlsx "$work/by-line.xlsx"
"$build/app/tallyvane-batch" "$work/by-line.xlsx" --range "'Defect log'!C:C" --skip-header \
    --by B:B --weight D:D --classes 80 --report --chart >/dev/null
on_screen 1600x1800 dbus-run-session -- "$build/tools/tallyvane-window-pictures" "$out" \
    "$work/defects.xlsx" --report-only "$work/by-line.xlsx" pareto-by-line-report 1600x1800 \
    || status=$?
cp examples/defects.xlsx "$work/scaled.xlsx"
on_screen 1600x900 QT_SCALE_FACTOR=2 dbus-run-session -- "$build/tools/tallyvane-window-pictures" \
    "$out" "$work/scaled.xlsx" --analysis-only analysis-at-scale-2 || status=$?
rm -rf "$work"
if [[ -x "$build/tests/uno_desktop_tests" ]]; then
    cmake --build "$build" -j2 --target uno_desktop_tests tallyvane tallyvane-batch calc-addon >/dev/null
    TALLYVANE_PICTURES="$out" "$build/tests/uno_desktop_tests" >/dev/null || status=$?
fi
exit "$status"
