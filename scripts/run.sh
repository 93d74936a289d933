#!/usr/bin/env bash
# Sets up and builds if needed, then attaches to the sample workbook (or the workbook given) and
# prints its Pareto table, counted from the workbook's saved selection.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build="${BUILD_DIR:-build}"
book="${1:-examples/defects.xlsx}"
"$build/app/tallyvane" "$book"
echo
"$build/app/tallyvane-batch" "$book"
