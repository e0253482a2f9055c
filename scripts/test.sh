#!/usr/bin/env bash
# Sets up, builds and runs every test: once in a normal build (build/) and
# once with AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/).
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
scripts/setup.sh
ctest --test-dir build --output-on-failure -j"$jobs"

BUILD_DIR=build-asan scripts/setup.sh -DKOBPACK_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs"
