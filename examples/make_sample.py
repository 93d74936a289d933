#!/usr/bin/env python3
"""Makes the sample workbook: a defect log of a production line, about 500 rows, saved with its
"Defect" column selected so that the analysis opens on it.

Usage: /usr/bin/python3 examples/make_sample.py [OUTPUT]   (needs Debian's python3-openpyxl)
The result is reproducible: the same seed gives the same workbook.
"""
import datetime
import random
import sys

import openpyxl
from openpyxl.styles import Font

CATEGORIES = [
    # label, weight: a few causes dominate, as in any real defect log
    ("Scratch", 120), ("Dent", 80), ("Misaligned label", 55), ("Crack", 40),
    ("Missing screw", 32), ("Paint run", 26), ("Burr", 21), ("Discoloration", 17),
    ("Warp", 14), ("Loose connector", 12), ("Contamination", 10), ("Short shot", 8),
    ("Flash", 7), ("Sink mark", 6), ("Bubble", 5), ("Wrong part", 4), ("Porosity", 3),
    ("Chipped edge", 3), (404, 3), ("Weld spatter", 2),
]
# Spellings that the same cause also turns up in, and the code 404 typed as text.
VARIANTS = {"Scratch": ["scratch", "SCRATCH"], "Dent": ["dent"], 404: ["404"]}


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "examples/defects.xlsx"
    rng = random.Random(20261206)
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Defect log"
    ws.append(["Date", "Line", "Defect", "Minutes"])
    for cell in ws[1]:
        cell.font = Font(bold=True)
    labels = [c for c, _ in CATEGORIES]
    weights = [w for _, w in CATEGORIES]
    day = datetime.datetime(2026, 9, 1, 6, 0)
    for i in range(500):
        day += datetime.timedelta(minutes=rng.randint(5, 70))
        label = rng.choices(labels, weights)[0]
        if label in VARIANTS and rng.random() < 0.2:
            label = rng.choice(VARIANTS[label])
        if rng.random() < 0.03:
            label = None  # not recorded
        minutes = round(rng.lognormvariate(2.2, 0.6), 1)
        ws.append([day, "L%d" % rng.randint(1, 4), label, minutes])
    for cell in ws["A"][1:]:
        cell.number_format = "yyyy-mm-dd hh:mm"
    ws.column_dimensions["A"].width = 17
    ws.column_dimensions["C"].width = 18
    last = ws.max_row
    ws.sheet_view.selection[0].sqref = "C1:C%d" % last
    ws.sheet_view.selection[0].activeCell = "C1"

    notes = wb.create_sheet("Notes")
    notes["A1"] = "Defect log of assembly lines L1 to L4, September 2026."
    notes["A2"] = "Minutes: time lost to each defect."
    wb.active = 0
    wb.save(out)


if __name__ == "__main__":
    main()
