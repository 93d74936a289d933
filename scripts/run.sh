#!/usr/bin/env bash
# Sets up and builds if needed, then opens the analysis window on the sample workbook (or the
# workbook given), analysed from the workbook's saved selection. Without a display it says so and
# prints the same analysis as text.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build="${BUILD_DIR:-build}"
book="${1:-examples/defects.xlsx}"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "No display here: run 'xvfb-run -a scripts/run.sh' (Debian's xvfb) to see the window."
    echo "The analysis of $book as text:"
    exec "$build/app/tallyvane-batch" "$book"
fi
exec "$build/app/tallyvane" "$book"
