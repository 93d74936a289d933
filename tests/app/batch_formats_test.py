#!/usr/bin/env python3
"""tallyvane-batch's output formats read by other programs' readers: the JSON parses and its
numbers are the tab-separated text's, the CSV reads back with the csv module to the same rows,
--output writes the same bytes as standard output, and bad option combinations exit with 2 and
a message, printing nothing.

    batch_formats_test.py TALLYVANE_BATCH SAMPLE.xlsx SCRATCH_DIR
"""
import csv
import io
import json
import os
import shutil
import subprocess
import sys

batch, sample, scratch = sys.argv[1:4]
shutil.rmtree(scratch, ignore_errors=True)
os.makedirs(scratch)
book = os.path.join(scratch, "defects.xlsx")
shutil.copyfile(sample, book)
failures = []


def run(*args):
    p = subprocess.run([batch, *args], capture_output=True)
    return p.returncode, p.stdout, p.stderr.decode()


def check(condition, what):
    if not condition:
        failures.append(what)


code, tsv_bytes, err = run(book, "--include-blank")
check(code == 0, f"tsv run: {code} {err}")
tsv = list(csv.reader(io.StringIO(tsv_bytes.decode(), newline=""), delimiter="\t"))
header, rows = tsv[0][:-1], [r for r in tsv[1:] if r]  # the captions each end with a tab
check(header == ["Category", "Count", "Count(%)", "Cum(%)", "Bar chart of Count(%)"],
      f"tsv header {header}")

code, out, err = run(book, "--include-blank", "--format", "json")
check(code == 0, f"json run: {code} {err}")
doc = json.loads(out)
check(list(doc) == ["workbook", "range", "total", "categories"], f"json keys {list(doc)}")
check(doc["workbook"] == "defects.xlsx", f"workbook {doc['workbook']}")
check(doc["range"] == "'Defect log'!C1:C501", f"range {doc['range']}")
cats = doc["categories"]
check(len(cats) == len(rows), f"{len(cats)} json categories, {len(rows)} tsv rows")
check(doc["total"] == sum(c["count"] for c in cats), "total is the sum of the counts")
running = 0
for c, r in zip(cats, rows):
    running += c["count"]
    check(c["label"] == r[0], f"label {c['label']} != {r[0]}")
    check(c["count"] == int(r[1]), f"count of {r[0]}")
    check(0 <= c["share"] <= 1 and f"{c['share'] * 100:.1f}%" == r[2], f"share of {r[0]}")
    check(abs(c["cumulative"] - running / doc["total"]) < 1e-12, f"cumulative of {r[0]}")
    check(f"{c['cumulative'] * 100:.1f}%" == r[3], f"cumulative of {r[0]} shown as {r[3]}")
check(abs(cats[-1]["cumulative"] - 1) < 1e-12, "the last cumulative share is 1")

code, csv_bytes, err = run(book, "--include-blank", "--format", "csv")
check(code == 0, f"csv run: {code} {err}")
check(csv_bytes.endswith(b"\r\n") and b"\n\r\n" not in csv_bytes, "csv lines end in CR LF")
back = list(csv.reader(io.StringIO(csv_bytes.decode(), newline="")))
check(back == [header] + rows, "csv rows are the tsv rows")

# A label with a comma, a quote and a line break stays one field.
odd = os.path.join(scratch, "odd.csv")
with open(odd, "w", newline="") as f:
    csv.writer(f).writerows([["Defect"], ['Bent, "twisted"\nand cracked'], ["Dent"], ["Dent"]])
code, out, err = run(odd, "--range", "A2:A4", "--format", "csv")
check(code == 0, f"odd csv run: {code} {err}")
back = list(csv.reader(io.StringIO(out.decode(), newline="")))
check([r[0] for r in back[1:]] == ["Dent", 'Bent, "twisted"\nand cracked'], f"odd rows {back}")
code, out, err = run(odd, "--range", "A2:A4", "--format", "json")
check(json.loads(out)["categories"][1]["label"] == 'Bent, "twisted"\nand cracked', "odd json")

target = os.path.join(scratch, "result.json")
code, out, err = run(book, "--include-blank", "--format", "JSON", "--output", target)
check(code == 0 and out == b"", f"--output run: {code} {err} {out[:40]}")
with open(target, "rb") as f:
    check(json.load(f) == doc, "--output holds what standard output gets")

before = open(book, "rb").read()
for args, message in [
    (["--format", "xml"], '--format takes tsv, csv or json, not "xml".'),
    (["--format"], "--format needs a value."),
    (["--output", book], "--output names the workbook itself; name another file."),
    (["--output", ""], "--output needs a file name."),
    (["--range", "C:C", "--range", "D:D"], "--range is given more than once."),
    (["--chart"], "--chart goes with --report."),
    (["--colour"], "Unknown option --colour."),
]:
    code, out, err = run(book, *args)
    check(code == 2 and out == b"" and err.endswith(f"tallyvane-batch: {message}\n"),
          f"{args}: {code} {err!r}")
check(open(book, "rb").read() == before, "the workbook is as it was")

code, out, err = run("--version")
check(code == 0 and out.decode().startswith("tallyvane-batch "), f"--version {out}")
code, out, err = run("--help")
check(code == 0 and b"--format" in out and b"Exit status" in out, "--help")

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("ok")
