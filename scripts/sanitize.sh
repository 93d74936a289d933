#!/usr/bin/env bash
# Builds the whole test suite with clang under AddressSanitizer and UndefinedBehaviorSanitizer
# (leaks included) in build-asan/, and runs it. Any report fails the run.
#   scripts/sanitize.sh            set up, build and run every test
#   scripts/sanitize.sh -R Regex   only the tests ctest's -R picks
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --tests --no-build >/dev/null
missing=()
for p in clang libclang-rt-14-dev; do
    [[ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" == "install ok installed" ]] || missing+=("$p")
done
if ((${#missing[@]})); then
    sudo=""; [[ $(id -u) -ne 0 ]] && sudo="sudo"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
build="${SANITIZE_BUILD_DIR:-build-asan}"
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
# The sanitizers check the program's own readers, writers and engine; the office backend (which
# runs against uninstrumented office libraries) is tested by the regular build.
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTALLYVANE_BUILD_BENCH=OFF -DTALLYVANE_HARDENING=OFF -DTALLYVANE_UNO=OFF -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$build" -j2
# strndup is not intercepted: under strict string checks its interceptor reads the whole of the
# unterminated, length-bounded buffers that the X keyboard library (libxkbcommon-x11) passes it
# when a window test starts on an X screen. The program itself does not call it.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1:intercept_strndup=0"
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizer/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"
ctest --test-dir "$build" -j2 --output-on-failure "$@"
