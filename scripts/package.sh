#!/usr/bin/env bash
# Sets up and builds (scripts/setup.sh) and makes the Debian package
# kobpack_VERSION_ARCH.deb in the build folder; install it with
# apt-get install ./build/kobpack_*.deb. BUILD_DIR and extra arguments are
# passed on to setup.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh "$@"
build_dir=${BUILD_DIR:-build}
(cd "$build_dir" && cpack -G DEB >cpack.log 2>&1) || { cat "$build_dir/cpack.log" >&2; exit 1; }
echo "package: $(ls "$build_dir"/kobpack_*.deb)"
