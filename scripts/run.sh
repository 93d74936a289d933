#!/usr/bin/env bash
# Sets up and builds if needed, then opens the analysis window on the sample workbook (or the
# workbook given), analysed from the workbook's saved selection. Without a display it says so and
# prints the same analysis as text.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build="${BUILD_DIR:-build}"
# The sample is opened from a copy in the build folder: a report or highlight saved into it then
# leaves the repository's sample as it is.
if [[ $# -gt 0 ]]; then
    book="$1"
else
    mkdir -p "$build/sample"
    [[ -f "$build/sample/defects.xlsx" ]] || cp examples/defects.xlsx "$build/sample/defects.xlsx"
    book="$build/sample/defects.xlsx"
fi
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "No display here: run 'xvfb-run -a scripts/run.sh' (Debian's xvfb) to see the window."
    echo "The analysis of $book as text:"
    exec "$build/app/tallyvane-batch" "$book"
fi
exec "$build/app/tallyvane" "$book"
