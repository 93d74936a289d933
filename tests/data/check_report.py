#!/usr/bin/env python3
"""Opens a workbook with the report of the sample in openpyxl and checks what a second reader
must find: the report sheet and its values and formats, the two chart series with their
references, the secondary axis ending at 1, and the highlight rule. Prints one line per finding
that is wrong and exits 1 when there is any; prints "ok" otherwise.

Usage: check_report.py WORKBOOK SHEET HIGHLIGHTED_SHEET HIGHLIGHT_TEXT"""

import sys
import warnings

warnings.simplefilter('ignore')
import openpyxl  # noqa: E402

path, sheet_name, source_name, text = sys.argv[1:5]
problems = []


def check(ok, what):
    if not ok:
        problems.append(what)


wb = openpyxl.load_workbook(path)
check(sheet_name in wb.sheetnames, f'no sheet {sheet_name} among {wb.sheetnames}')
if sheet_name in wb.sheetnames:
    ws = wb[sheet_name]
    check(wb.sheetnames[-1] == sheet_name, 'the report sheet is not the last one')
    header = [c.value for c in ws[1]][:5]
    check(header == ['Category', 'Count', 'Count(%)', 'Cum(%)', 'Bar chart of Count(%)'],
          f'header row is {header}')
    rows = list(ws.iter_rows(min_row=2, values_only=True))
    rows = [r for r in rows if r[0] is not None]
    shares = [r[2] for r in rows]
    check(all(isinstance(s, (int, float)) for s in shares), f'shares are not numbers: {shares[:3]}')
    check(shares == sorted(shares, reverse=True), 'rows are not sorted by share, largest first')
    check(abs(rows[-1][3] - 1.0) < 1e-9, f'the last cumulative share is {rows[-1][3]}')
    check(ws['C2'].number_format == '0.0%', f'C2 is formatted {ws["C2"].number_format}')
    check(ws['A2'].font.name == 'Calibri', f'A2 font is {ws["A2"].font.name}')
    check(ws['A2'].alignment.horizontal == 'left', f'A2 alignment is {ws["A2"].alignment.horizontal}')
    charts = ws._charts
    check(len(charts) == 1, f'{len(charts)} charts on the report sheet')
    if charts:
        chart = charts[0]
        parts = list(getattr(chart, '_charts', [])) or [chart]
        series = [s for part in parts for s in part.series]
        check(len(series) == 2, f'{len(series)} series')
        last = len(rows) + 1
        refs = [s.val.numRef.f.replace("'", '') for s in series]
        check(refs[:2] == [f'{sheet_name}!$C$2:$C${last}', f'{sheet_name}!$D$2:$D${last}'],
              f'series values refer to {refs}')
        cats = [(s.cat.strRef or s.cat.numRef).f.replace("'", '') for s in series if s.cat]
        check(all(c == f'{sheet_name}!$A$2:$A${last}' for c in cats) and len(cats) == 2,
              f'series categories refer to {cats}')
        maxima = [getattr(getattr(p, 'y_axis', None), 'scaling', None) for p in parts]
        check(any(m is not None and m.max == 1 for m in maxima),
              f'no value axis ends at 1: {[m.max if m else None for m in maxima]}')
        kinds = sorted(type(p).__name__ for p in parts)
        check(kinds == ['BarChart', 'LineChart'], f'chart kinds {kinds}')
check(source_name in wb.sheetnames, f'no sheet {source_name}')
if source_name in wb.sheetnames:
    rules = [(str(cf.sqref), r) for cf in wb[source_name].conditional_formatting for r in cf.rules]
    found = [(ref, r) for ref, r in rules if r.type == 'containsText' and r.text == text]
    check(len(found) == 1, f'highlight rules found: {[(ref, r.type, r.text) for ref, r in rules]}')
    if found:
        fill = found[0][1].dxf.fill if found[0][1].dxf else None
        colour = fill.bgColor.rgb if fill is not None else None
        check(colour in ('FFFFFFCC', '00FFFFCC'), f'the highlight fill is {colour}')
for p in problems:
    print(p)
print('ok' if not problems else f'{len(problems)} problems')
sys.exit(1 if problems else 0)
