#!/usr/bin/env bash
# Sets up everything the tests use, builds, and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --tests
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"
ctest --test-dir "${BUILD_DIR:-build}" -j2 --output-on-failure
