#!/usr/bin/env bash
# Sets up, builds and runs every test: once in a normal build (build/), once
# with AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/), and the
# core's threaded tests once more with ThreadSanitizer (build-tsan/: the core
# alone, as Qt's own libraries are not built for it), and the Windows build
# under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
scripts/setup.sh
ctest --test-dir build --output-on-failure -j"$jobs"

BUILD_DIR=build-asan scripts/setup.sh -DKOBPACK_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs"

BUILD_DIR=build-tsan scripts/setup.sh -DKOBPACK_TSAN=ON -DKOBPACK_BUILD_GUI=OFF -DKOBPACK_BUILD_CLI=OFF
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest --test-dir build-tsan --output-on-failure -j"$jobs" -R '^(ParallelPack|ReusePack|Batch|LeftOut|SourceRecords|UnchangedArchive)'

# The Windows build under Wine (scripts/windows.sh): kobpack.exe and the core
# tests, and its archives compared with those of build/kobpack. Bounded as a
# whole, so a Wine that hangs cannot eat the CI's time; KOBPACK_WINDOWS=0
# leaves it out.
if [ "${KOBPACK_WINDOWS:-1}" = 1 ]; then
  KOBPACK_LINUX_BUILD=build timeout -k 30 2700 scripts/windows.sh
fi
