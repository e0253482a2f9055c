#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those missing) and builds
# KobPack into build/ (or $BUILD_DIR). Extra arguments go to cmake.
set -euo pipefail
cd "$(dirname "$0")/.."

# help2man writes the manual pages; dpkg-dev, desktop-file-utils, appstream
# and lintian make and check the Debian package (lintian brings perl and
# about 120 small packages with it), xmllint and update-mime-database its
# .kob type.
packages=(cmake make g++ pkg-config liblzo2-dev libgtest-dev libgmock-dev
          qt6-base-dev libcli11-dev fonts-dejavu-core help2man dpkg-dev desktop-file-utils
          appstream lintian libxml2-utils shared-mime-info)
scripts/install-packages.sh "${packages[@]}"

build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build_dir" -j"$(nproc)" -- --no-print-directory >/dev/null
echo "setup: built into $build_dir/"
