#!/usr/bin/env python3
"""tallyvane-batch's Pareto options against numbers worked out here from the cells themselves
(openpyxl and the csv module read the files; nothing of the program's is used): the header, the
weights (text weights counted and named), ranking by weight with ties, case variants, "Other" after
80 % and after the top N, classes at 80,95, groups (and their report), three workbooks merged
(one a .csv), the refusals, and the defaults' output unchanged by the options' code.

    batch_pareto_test.py TALLYVANE_BATCH SCRATCH_DIR
"""
import csv
import io
import json
import os
import shutil
import subprocess
import sys

import openpyxl

batch, scratch = sys.argv[1:3]
shutil.rmtree(scratch, ignore_errors=True)
os.makedirs(scratch)
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def run(*args):
    p = subprocess.run([batch, *args], capture_output=True)
    return p.returncode, p.stdout, p.stderr.decode()


def close(a, b):
    return abs(a - b) < 1e-9


# A log of defects: label (case variants), line, minutes (numbers, blanks, text).
ROWS = [
    ("Scratch", "L1", 5), ("dent", "L2", 30), ("Scratch", "L2", 4), ("Dent", "L1", 25),
    ("Crack", "L1", 60), ("scratch", "L3", 6), ("Warp", "l2", None), ("Paint run", "L3", "n/a"),
    ("Crack", "L2", 55), ("Scratch", "L1", 5.5), ("Burr", "L3", 2), ("Warp", "L1", "ten"),
    ("Scratch", "L3", 3), ("Chip", "L2", 2.25), ("Burr", "L1", 1), ("Scratch", "L2", 4.5),
]


def write_book(path, rows, header=True, log_active=False):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Defect log"
    if header:
        ws.append(["Defect", "Line", "Minutes"])
    for r in rows:
        ws.append(list(r))
    wb.create_sheet("Notes")["A1"] = "not analysed"
    # The analysed sheet is not the active one: the columns without a sheet follow the range.
    wb.active = 0 if log_active else 1
    wb.save(path)


book = os.path.join(scratch, "log.xlsx")
write_book(book, ROWS)


def categories(rows, forms=None):
    """label -> [form, count, weight] in first-seen order, told apart without regard to case; a
    group's categories keep the whole range's forms and order (forms)."""
    found = {}
    for key, form in (forms or []):
        found[key] = [form, 0, 0.0]
    for label, _, minutes in rows:
        entry = found.setdefault(label.lower(), [label, 0, 0.0])
        entry[1] += 1
        if isinstance(minutes, (int, float)):
            entry[2] += minutes
    return [c for c in found.values() if c[1] > 0]


def ranked(cats, by_weight=False):
    out = sorted(cats, key=lambda c: -c[1])  # stable: ties keep the first-seen order
    if by_weight:
        out = sorted(out, key=lambda c: -c[2])
    return out


def shaped(cats, by_weight=False, top=0, after=0, classes=()):
    rows = [dict(label=c[0], count=c[1], weight=c[2]) for c in ranked(cats, by_weight)]
    key = "weight" if by_weight else "count"
    total = sum(r[key] for r in rows)
    if top or after:
        keep, before = len(rows), 0
        for i, r in enumerate(rows):
            if (top and i >= top) or (after and before * 100 >= after * total):
                keep = i
                break
            before += r[key]
        if keep < len(rows):
            tail = rows[keep:]
            rows = rows[:keep] + [dict(label="Other", count=sum(r["count"] for r in tail),
                                       weight=sum(r["weight"] for r in tail), other=len(tail))]
    count_total = sum(r["count"] for r in rows)
    weight_total = sum(r["weight"] for r in rows)
    run_c = run_w = before = 0
    for r in rows:
        if classes:
            r["class"] = "C"
            for name, limit in zip("AB", list(classes) + ([100] if len(classes) == 1 else [])):
                if before * 100 < limit * total:
                    r["class"] = name
                    break
        before += r[key]
        run_c += r["count"]
        run_w += r["weight"]
        r["share"], r["cumulative"] = r["count"] / count_total, run_c / count_total
        r["weight_share"], r["weight_cumulative"] = r["weight"] / weight_total, run_w / weight_total
    return rows


def compare(doc, expected, what, weighted=False):
    got = doc["categories"]
    if not weighted:
        check(all("weight" not in c for c in got), f"{what}: weights without --weight")
        expected = [{k: v for k, v in e.items() if not k.startswith("weight")} for e in expected]
    check([c["label"] for c in got] == [e["label"] for e in expected],
          f"{what}: labels {[c['label'] for c in got]} != {[e['label'] for e in expected]}")
    for c, e in zip(got, expected):
        for k, v in e.items():
            if k not in c:
                check(False, f"{what}: {c['label']} has no {k}")
            elif isinstance(v, float):
                check(close(c[k], v), f"{what}: {c['label']} {k} {c[k]} != {v}")
            else:
                check(c[k] == v, f"{what}: {c['label']} {k} {c[k]} != {v}")
        check(("other" in c) == ("other" in e), f"{what}: {c['label']} marked other wrongly")


def pareto(*args, files=(book,)):
    code, out, err = run(*files, "--range", "'Defect log'!A:A", "--format", "json", *args)
    check(code == 0, f"{args}: exit {code} {err}")
    return (json.loads(out) if code == 0 else {"categories": []}), err


# The header: not counted, named in json.
doc, err = pareto("--skip-header")
check(doc.get("header") == "Defect", f"header {doc.get('header')}")
check(doc.get("range") == "'Defect log'!A2:A17", f"range without the header {doc.get('range')}")
compare(doc, shaped(categories(ROWS)), "header")
check(err == "", f"no warning without weights: {err!r}")

# Weights: text weights count 0 and are counted and named; case variants weigh together.
doc, err = pareto("--skip-header", "--weight", "C:C")
compare(doc, shaped(categories(ROWS)), "weights", True)
check(close(doc.get("total_weight", -1), sum(c[2] for c in categories(ROWS))), "total_weight")
check("2 weight cells hold text and count 0, the first C9" in err, f"text weights: {err!r}")
# Without the header row the header's own text is a weight cell that holds text.
doc, err = pareto("--weight", "C:C")
check("3 weight cells hold text and count 0, the first C1" in err, f"with header: {err!r}")

# Ranked by weight (Scratch has the most cells, Crack the most minutes).
doc, _ = pareto("--skip-header", "--weight", "'Defect log'!C:C", "--rank-by", "weight")
compare(doc, shaped(categories(ROWS), by_weight=True), "rank by weight", True)
check(doc["categories"][0]["label"] == "Crack", "Crack weighs most")

# Ties: Burr and Warp (and Dent and Crack) have equal counts and keep the order first seen.
labels = [c["label"] for c in pareto("--skip-header")[0]["categories"]]
check(labels.index("dent") < labels.index("Crack") and labels.index("Warp") < labels.index("Burr"),
      f"ties keep the first-seen order: {labels}")

# Other after 80 %, and after the top 3; classes at 80,95.
for args, kw in [(["--other-after", "80"], dict(after=80)), (["--top", "3"], dict(top=3)),
                 (["--classes", "80,95"], dict(classes=(80, 95))),
                 (["--other-after", "80", "--classes", "80,95", "--weight", "C:C",
                   "--rank-by", "weight"], dict(after=80, classes=(80, 95), by_weight=True))]:
    doc, _ = pareto("--skip-header", *args)
    compare(doc, shaped(categories(ROWS), **kw), " ".join(args), "--weight" in args)
doc, _ = pareto("--skip-header", "--top", "50")
check(all("other" not in c for c in doc["categories"]), "nothing to merge: no Other row")

# At exactly 80 % before it a category is merged; just below, it stays.
exact = os.path.join(scratch, "exact.xlsx")
write_book(exact, [("A", "L", 1)] * 4 + [("B", "L", 1)] * 4 + [("C", "L", 1)] * 2, log_active=True)
code, out, _ = run(exact, "--range", "A:A", "--skip-header", "--other-after", "80", "--format", "json")
check([c["label"] for c in json.loads(out)["categories"]] == ["A", "B", "Other"], "80 % exactly")
code, out, _ = run(exact, "--range", "A:A", "--skip-header", "--other-after", "80.1", "--format", "json")
check([c["label"] for c in json.loads(out)["categories"]] == ["A", "B", "C"], "80.1 %")

# The tab-separated text of a weighted, classed result: the extra columns, in order.
code, out, err = run(book, "--range", "'Defect log'!A:A", "--skip-header", "--weight", "C:C",
                     "--classes", "80", "--top", "2")
rows = list(csv.reader(io.StringIO(out.decode(), newline=""), delimiter="\t"))
check(rows[0][:-1] == ["Category", "Count", "Count(%)", "Cum(%)", "Bar chart of Count(%)", "Weight",
                       "Weight(%)", "Cum weight(%)", "Class"], f"tsv captions {rows[0]}")
check(rows[3][0] == "Other" and rows[3][8] in "ABC", f"tsv Other row {rows[3]}")

# Groups: one Pareto per line (l2 is L2), each ranked in itself, by descending totals.
doc, _ = pareto("--skip-header", "--by", "B:B", "--weight", "C:C")
groups = {}
for r in ROWS:
    groups.setdefault(r[1].lower(), [r[1], []])[1].append(r)
expected = sorted(groups.values(), key=lambda g: -len(g[1]))
check([g["group"] for g in doc.get("groups", [])] == [g[0] for g in expected],
      f"groups {[g['group'] for g in doc.get('groups', [])]}")
check(doc.get("by") == "'Defect log'!B2:B17", f"by {doc.get('by')}")
# Within a group a category keeps the whole range's name, and ties its ranking there.
whole = [(c[0].lower(), c[0]) for c in ranked(categories(ROWS))]
for g, (name, rows_of) in zip(doc.get("groups", []), expected):
    check(g["total"] == len(rows_of), f"group {name} total")
    compare(g, shaped(categories(rows_of, whole)), f"group {name}", True)
code, out, _ = run(book, "--range", "'Defect log'!A:A", "--skip-header", "--by", "B:B",
                   "--format", "csv")
text = out.decode()
check(text.startswith("Group: L1\r\nCategory,Count,") and "\r\nGroup: L2\r\n" in text,
      f"csv groups {text[:60]!r}")

# The report with groups: one block per group on the report sheet, read back by openpyxl: the
# "Group:" line, then the group's table ranked in itself with the weights, and a chart per group.
grouped = os.path.join(scratch, "grouped.xlsx")
shutil.copy(book, grouped)
code, _, err = run(grouped, "--range", "'Defect log'!A:A", "--skip-header", "--by", "B:B",
                   "--weight", "C:C", "--report", "--chart")
check(code == 0, f"grouped report: {code} {err}")
report = openpyxl.load_workbook(grouped)["Tallyvane1"]
cells = [[c.value for c in row] for row in report.iter_rows(min_row=1, max_col=8)]
starts = [i for i, row in enumerate(cells) if isinstance(row[0], str) and row[0].startswith("Group: ")]
check([cells[i][0][7:] for i in starts] == [g[0] for g in expected],
      f"report groups {[cells[i][0] for i in starts]}")
for i, (name, rows_of) in zip(starts, expected):
    check(cells[i + 1][:2] == ["Category", "Count"], f"report {name} captions {cells[i + 1]}")
    want = shaped(categories(rows_of, whole))
    got = []
    for row in cells[i + 2:]:
        if row[0] is None:
            break
        got.append((row[0], row[1], row[5]))
    check(got == [(w["label"], w["count"], w["weight"]) for w in want],
          f"report {name}: {got} != {[(w['label'], w['count'], w['weight']) for w in want]}")
check(len(report._charts) == len(expected), f"report charts {len(report._charts)}")

# Three workbooks merged, one a .csv: first form seen in argument order.
more = [("DENT", "L4", 10), ("Crack", "L4", 1), ("Crack", "L4", 2), ("Gouge", "L4", 3)]
first = os.path.join(scratch, "first.xlsx")
write_book(first, ROWS, log_active=True)
second = os.path.join(scratch, "second.xlsx")
write_book(second, more, log_active=True)
third = os.path.join(scratch, "third.csv")
last = [("crack", "L5", "4"), ("gouge", "L5", "1.5"), ("Scratch", "L5", "")]
with open(third, "w", newline="") as f:
    csv.writer(f).writerows([["Defect", "Line", "Minutes"]] + [list(r) for r in last])
last_numbers = [(a, b, float(c) if c else None) for a, b, c in last]
code, out, err = run(first, second, third, "--range", "A:A", "--skip-header", "--weight", "C:C",
                     "--format", "json")
check(code == 0, f"merged: {code} {err}")
doc = json.loads(out) if code == 0 else {"categories": []}
check(doc.get("workbooks") == ["first.xlsx", "second.xlsx", "third.csv"] and "workbook" not in doc,
      f"workbooks {doc.get('workbooks')}")
merged = categories(ROWS + more + last_numbers)
compare(doc, shaped(merged), "merged", True)
check([c["label"] for c in doc["categories"]][:2] == ["Scratch", "Crack"], "merged ranking")

# A file that cannot be read: named, exit 1, nothing printed.
broken = os.path.join(scratch, "broken.xlsx")
with open(broken, "wb") as f:
    f.write(b"PK\x03\x04 not really")
code, out, err = run(book, broken, "--range", "A:A")
check(code == 1 and out == b"" and "broken.xlsx" in err, f"broken: {code} {err!r}")

# Refusals: exit 2 with a sentence, nothing printed.
for args, message in [
    (["--rank-by", "weight"], "--rank-by weight needs the weights: name their column with --weight."),
    (["--top", "3", "--other-after", "80"],
     "--top and --other-after both say where Other begins; give one."),
    (["--top", "0"], '--top takes a whole number of categories from 1 on, not "0".'),
    (["--other-after", "120"], '--other-after takes a percentage above 0 and at most 100, not "120".'),
    (["--classes", "95,80"],
     '--classes takes one or two percentages such as 80 or 80,95 (the second larger), not "95,80".'),
    (["--weight", "C2:C9"], "--weight C2:C9 is not on the rows of the range analysed (rows 1 to 17); "
                            "give a column on the same rows, or a whole column such as D:D."),
    (["--weight", "B:C"], '--weight takes one column, such as D:D or D2:D500, not "B:C".'),
    (["--chart-image", "chart.gif"],
     '--chart-image writes .png, .svg or .pdf files; "chart.gif" is none of them.'),
    (["--chart-size", "12x5"], "--chart-size takes a width and a height in pixels such as 1200x675 "
                               '(from 200x150 to 10000x10000), not "12x5".'),
]:
    code, out, err = run(book, "--range", "'Defect log'!A:A", *args)
    check(code == 2 and out == b"" and err.endswith(f"tallyvane-batch: {message}\n"),
          f"{args}: {code} {err!r}")
code, out, err = run(book, second, "--range", "A:A", "--report")
check(code == 2 and err.endswith("tallyvane-batch: --report takes one workbook; 2 are named.\n"),
      f"--report with two: {err!r}")

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("ok")
