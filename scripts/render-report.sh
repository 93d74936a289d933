#!/usr/bin/env bash
# Renders the last sheet of a workbook (the report) through LibreOffice to PNG, for looking at.
# Usage: scripts/render-report.sh WORKBOOK OUTDIR   (needs libreoffice-calc and poppler-utils)
set -euo pipefail
book="$(realpath "$1")"
out="$(mkdir -p "$2" && realpath "$2")"
profile="$(mktemp -d)"
trap 'rm -rf "$profile"' EXIT
soffice -env:UserInstallation="file://$profile" --headless --norestore \
    --convert-to pdf --outdir "$out" "$book" >/dev/null
pdf="$out/$(basename "${book%.*}").pdf"
pages="$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')"
pdftoppm -r 110 -png -f "$pages" -l "$pages" "$pdf" "$out/report"
ls "$out"/report*.png
