#!/usr/bin/env bash
# Sets up and builds if needed, then attaches to the sample workbook (or the workbook given).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
exec "${BUILD_DIR:-build}/app/tallyvane" "${@:-examples/defects.xlsx}"
