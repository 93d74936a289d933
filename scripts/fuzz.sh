#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, with AddressSanitizer and UndefinedBehaviorSanitizer) in
# build-fuzz/ and runs each for a while on its corpus, seeded from tests/fuzz/seeds, the sample
# and the workbooks of tests/data. A crash, a leak, a time-out or a broken oracle fails
# the run and leaves the input in build-fuzz/findings/.
#   scripts/fuzz.sh                 every target for 30 s
#   scripts/fuzz.sh 600             every target for 10 minutes
#   scripts/fuzz.sh 600 csv_reader_fuzz
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
shift || true
scripts/setup.sh --no-build >/dev/null
missing=()
for p in clang libclang-rt-14-dev python3; do
    [[ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" == "install ok installed" ]] || missing+=("$p")
done
if ((${#missing[@]})); then
    sudo=""; [[ $(id -u) -ne 0 ]] && sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
build="${FUZZ_BUILD_DIR:-build-fuzz}"
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTALLYVANE_FUZZ=ON -DTALLYVANE_BUILD_TESTS=OFF -DTALLYVANE_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target fuzz_all

# Seeds: the committed ones, whole workbooks for the file reader, and their sheet parts for the
# structure-aware target.
corpus="$build/corpus"
mkdir -p "$corpus" "$build/findings"
books=(examples/*.xlsx tests/data/workbooks/*.xlsx tests/data/findings/*.xlsx tests/data/findings-3/*.xlsx)
mkdir -p "$corpus/xlsx_reader_fuzz" "$corpus/sheet_xml_fuzz" "$corpus/csv_reader_fuzz" \
         "$corpus/criteria_fuzz" "$corpus/reference_fuzz" "$corpus/plain_xml_fuzz" \
         "$corpus/chart_xml_fuzz"
for b in "${books[@]}"; do
    [[ -f "$b" ]] && cp -n "$b" "$corpus/xlsx_reader_fuzz/" || true
done
/usr/bin/python3 - "$corpus/sheet_xml_fuzz" "${books[@]}" <<'PY'
import sys, zipfile, os, hashlib
out = sys.argv[1]
for book in sys.argv[2:]:
    try:
        z = zipfile.ZipFile(book)
        names = z.namelist()
        sheets = [n for n in names if n.startswith("xl/worksheets/sheet") and n.endswith(".xml")]
        strings = z.read("xl/sharedStrings.xml") if "xl/sharedStrings.xml" in names else None
        for s in sheets:
            data = z.read(s)
            if len(data) > 200000:
                continue
            if strings is not None and len(strings) < 200000:
                data += b"\n--strings--\n" + strings
            name = hashlib.sha1(data).hexdigest()
            open(os.path.join(out, name), "wb").write(data)
    except Exception:
        pass
PY
cp -n tests/fuzz/seeds/sheet_xml/* "$corpus/sheet_xml_fuzz/" 2>/dev/null || true
# The plain reader against the full parser: the same sheet parts (their first byte sets the size
# of the pieces fed).
cp -n "$corpus/sheet_xml_fuzz/"* "$corpus/plain_xml_fuzz/" 2>/dev/null || true
cp -n tests/fuzz/seeds/plain_xml/* "$corpus/plain_xml_fuzz/"
cp -n tests/fuzz/seeds/csv/* "$corpus/csv_reader_fuzz/"
cp -n tests/fuzz/seeds/criteria/* "$corpus/criteria_fuzz/"
cp -n tests/fuzz/seeds/reference/* "$corpus/reference_fuzz/"
cp -n tests/fuzz/seeds/chart_xml/* "$corpus/chart_xml_fuzz/"

declare -A dict=([xlsx_reader_fuzz]=tests/fuzz/xml.dict [sheet_xml_fuzz]=tests/fuzz/xml.dict
                 [csv_reader_fuzz]=tests/fuzz/csv.dict [criteria_fuzz]=tests/fuzz/criteria.dict
                 [reference_fuzz]=tests/fuzz/reference.dict [plain_xml_fuzz]=tests/fuzz/xml.dict
                 [chart_xml_fuzz]=tests/fuzz/xml.dict)
targets=("$@")
((${#targets[@]})) || targets=(xlsx_reader_fuzz sheet_xml_fuzz plain_xml_fuzz csv_reader_fuzz criteria_fuzz
                               reference_fuzz chart_xml_fuzz)
export ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
failed=0
for t in "${targets[@]}"; do
    log="$build/$t.log"
    if "$build/tests/fuzz/$t" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=3072 \
         -max_len=262144 -dict="${dict[$t]}" -artifact_prefix="$build/findings/$t-" \
         -print_final_stats=1 "$corpus/$t" >"$log" 2>&1; then
        runs=$(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
        cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1)
        echo "fuzz $t: ${seconds}s, $runs runs, $cov, corpus $(ls "$corpus/$t" | wc -l) inputs, no finding"
    else
        echo "fuzz $t: FINDING (see $log and $build/findings/)"
        grep -m5 -E 'ERROR|SUMMARY|runtime error' "$log" || true
        failed=1
    fi
done
exit $failed
