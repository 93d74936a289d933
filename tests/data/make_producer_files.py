#!/usr/bin/env python3
"""Writes one workbook with openpyxl, then has LibreOffice write the same workbook again, so that
a test can check that the reader gets identical values, types and selections from both.

Usage: make_producer_files.py OUTPUT_DIR [SOFFICE]
Without SOFFICE (or when it is not installed) only the openpyxl file is made.
"""
import datetime
import os
import shutil
import subprocess
import sys
import tempfile

import openpyxl


def make_openpyxl(path):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Defects"
    ws.append(["Defect", "Minutes", "Found", "Passed"])
    rows = [
        ["Scratch", 5, datetime.date(2024, 1, 15), True],
        ["Dent", 7.5, datetime.datetime(2024, 1, 16, 8, 30), False],
        ["scratch", -2, datetime.date(2023, 12, 31), True],
        [None, 0.0000001, None, None],
        ["Ärger", 123456789.125, datetime.date(1900, 3, 1), False],
        ["漢字", 12, None, True],
        [12, "12", datetime.datetime(2024, 2, 29, 23, 59, 59), None],
        ["  padded ", 1e300, None, None],
        ["line1\nline2", -0.5, None, None],
        ["Misc & <tags>", 3, None, None],
    ]
    for row in rows:
        ws.append(row)
    for cell in ws["C"][1:]:
        cell.number_format = "yyyy-mm-dd hh:mm:ss"
    ws["B12"] = "#N/A"  # openpyxl stores this as an error value
    ws.sheet_view.selection[0].sqref = "A2:A11"
    ws.sheet_view.selection[0].activeCell = "A2"
    notes = wb.create_sheet("Notes & more")
    notes["A1"] = "x"
    notes["C3"] = 3
    notes.sheet_view.selection[0].sqref = "B2:C3"
    notes.sheet_view.selection[0].activeCell = "C3"
    wb.active = 1
    wb.save(path)


def convert_with_libreoffice(soffice, source, outdir):
    os.makedirs(outdir, exist_ok=True)
    profile = tempfile.mkdtemp(prefix="tallyvane-lo-profile-")
    try:
        subprocess.run(
            [soffice, "-env:UserInstallation=file://" + profile, "--headless", "--norestore",
             "--nologo", "--nodefault", "--nolockcheck", "--convert-to", "xlsx", "--outdir",
             outdir, source],
            check=True, timeout=240, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    finally:
        shutil.rmtree(profile, ignore_errors=True)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    source = os.path.join(out, "openpyxl.xlsx")
    make_openpyxl(source)
    soffice = sys.argv[2] if len(sys.argv) > 2 else ""
    if soffice and os.path.exists(soffice):
        convert_with_libreoffice(soffice, source, os.path.join(out, "libreoffice"))


if __name__ == "__main__":
    main()
