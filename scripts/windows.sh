#!/usr/bin/env bash
# The Windows build: installs what is missing, cross-builds kobpack.exe and
# the window KobPack.exe with MinGW-w64 into build-windows/, runs the Windows
# tests under Wine (ctest, through cmake/wine-run.sh in a Wine prefix of the
# build's own; the window tests on an Xvfb display of their own) and makes
# build-windows/KobPack-VERSION-win64.zip and, beside it, the source it was
# built from, KobPack-VERSION-src.zip (the project's files and LZO's source).
#   LZO 2.10 comes from Debian's lzo2 source package (apt-get source, with a
#   private apt folder under build-windows/apt: the machine's own apt is not
#   changed) and is compiled straight from its sources; GoogleTest from
#   /usr/src/googletest; both into build-windows/deps. A native build of
#   kobpack and kobpack-samplemod (build-windows/linux) serves the test that
#   the Windows and Linux programs write the same archives, and its
#   kobpack-make-images draws the window's bitmaps and icon.
# KOBPACK_LINUX_BUILD names a configured Linux build folder to use instead
# (scripts/test.sh passes build/, configured with the Qt window); its three
# programs are brought up to date.
# Extra arguments go to ctest (e.g. -R Archive).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-windows
deps=$out/deps
triple=x86_64-w64-mingw32
jobs=$(nproc)
linux=$(realpath -m "${KOBPACK_LINUX_BUILD:-$out/linux}")
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

packages=(cmake make g++ pkg-config liblzo2-dev libcli11-dev help2man googletest dpkg-dev zip
          g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64
          qt6-base-dev fonts-dejavu-core fonts-wine xvfb imagemagick)
scripts/install-packages.sh "${packages[@]}"
mkdir -p "$deps/lib/pkgconfig" "$deps/include"

step() { echo "windows: [${SECONDS}s] $*"; }
quietly() { # runs a step with its output in a log, shown only on failure
  local log=$1; shift
  "$@" >"$log" 2>&1 || { tail -n 60 "$log" >&2; echo "windows: failed, see $log" >&2; exit 1; }
}

# deb-src entries for the project's own apt folder, made from the machine's
# Debian entries (deb822 .sources files and one-line .list files).
apt_sources() {
  local d=$out/apt
  mkdir -p "$d/parts" "$d/lists/partial" "$d/cache/archives/partial"
  : >"$d/sources.list"
  shopt -s nullglob
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    sed -n 's/^[[:space:]]*deb[[:space:]]\+\(.*debian.*\)$/deb-src \1/p' "$f" >>"$d/sources.list"
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    awk 'BEGIN { RS = ""; ORS = "\n\n" }
         /(^|\n)Types:[^\n]*deb([ \n]|$)/ && /(^|\n)URIs:[^\n]*debian/ && !/(^|\n)Enabled: *no/ {
           sub(/(^|\n)Types:[^\n]*/, "\nTypes: deb-src"); sub(/^\n/, ""); print }' "$f" >"$d/parts/$(basename "$f")"
  done
  shopt -u nullglob
}

build_lzo() {
  [ -f "$deps/lib/liblzo2.a" ] && return
  step "LZO from Debian's lzo2 source package"
  apt_sources
  local d=$out/apt
  local apt=(-o "Dir::Etc::SourceList=$d/sources.list" -o "Dir::Etc::SourceParts=$d/parts"
             -o "Dir::State::Lists=$d/lists" -o "Dir::Cache=$d/cache" -o APT::Sandbox::User=root)
  quietly "$out/apt.log" timeout 600 apt-get "${apt[@]}" update
  rm -rf "$out"/lzo2-* "$out"/lzo2_*
  (cd "$out" && quietly "$out/apt-source.log" timeout 600 apt-get "${apt[@]}" source lzo2)
  local src
  src=$(find "$out" -maxdepth 1 -type d -name 'lzo2-*' | head -n 1)
  [ -n "$src" ] || { echo "windows: apt-get source lzo2 made no lzo2 folder" >&2; exit 1; }
  rm -rf "$out/lzo-obj" && mkdir -p "$out/lzo-obj"
  local cc=("$triple-gcc-posix")
  command -v ccache >/dev/null && cc=(ccache "${cc[@]}")
  printf '%s\n' "$src"/src/*.c | (cd "$out/lzo-obj" &&
    xargs -P "$jobs" -I{} "${cc[@]}" -O2 -DLZO_CFG_MODERN_C=1 -I"$src/include" -c {})
  "$triple-ar" rcs "$deps/lib/liblzo2.a" "$out/lzo-obj"/*.o
  rm -rf "$deps/include/lzo" && cp -r "$src/include/lzo" "$deps/include/lzo"
  cp "$src/COPYING" "$deps/LZO-COPYING"
  # Both include folders: the code includes <lzo/lzo1x.h>, LZO itself <lzoconf.h>.
  cat >"$deps/lib/pkgconfig/lzo2.pc" <<PC
prefix=$deps
Name: lzo2
Description: LZO 2 built for Windows by scripts/windows.sh
Version: $(sed -n 's/^#define LZO_VERSION_STRING *"\(.*\)"/\1/p' "$src/include/lzo/lzoconf.h")
Libs: -L\${prefix}/lib -llzo2
Cflags: -I\${prefix}/include -I\${prefix}/include/lzo
PC
}

build_googletest() {
  [ -f "$deps/lib/libgtest.a" ] && return
  step "GoogleTest from /usr/src/googletest"
  quietly "$out/googletest.log" cmake -S /usr/src/googletest -B "$out/googletest" "${launcher[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$deps"
  quietly "$out/googletest.log" nice -n 10 cmake --build "$out/googletest" -j"$jobs"
  quietly "$out/googletest.log" cmake --install "$out/googletest"
}

# CLI11 is header-only: its headers and CMake files, beside the other
# dependencies, so the cross build finds nothing of the Linux tree.
stage_cli11() {
  [ -f "$deps/share/cmake/CLI11/CLI11Config.cmake" ] && return
  mkdir -p "$deps/share/cmake"
  cp -r /usr/include/CLI "$deps/include/"
  cp -r /usr/share/cmake/CLI11 "$deps/share/cmake/"
}

build_linux() {
  step "kobpack, kobpack-samplemod and kobpack-make-images for Linux ($linux)"
  [ -f "$linux/CMakeCache.txt" ] ||
    quietly "$out/linux.log" cmake -S . -B "$linux" "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DBUILD_TESTING=OFF
  grep -q '^KOBPACK_BUILD_GUI:BOOL=ON' "$linux/CMakeCache.txt" ||
    { echo "windows: $linux is configured without the Qt window, whose kobpack-make-images draws KobPack.exe's images" >&2; exit 1; }
  quietly "$out/linux.log" nice -n 10 cmake --build "$linux" -j"$jobs" --target kobpack kobpack-samplemod kobpack-make-images
  step "the window's bitmaps and icon"
  rm -rf "$out/images"
  quietly "$out/images.log" env QT_QPA_PLATFORM=offscreen "$(find "$linux" -name kobpack-make-images -type f | head -n 1)" \
    --windows "$out/images"
}

build_windows() {
  step "kobpack.exe and the tests for Windows"
  quietly "$out/configure.log" cmake -S . -B "$out" "${launcher[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DKOBPACK_WIN_DEPS="$deps" \
    -DKOBPACK_BUILD_GUI=OFF -DKOBPACK_LINUX_BUILD="$linux" -DKOBPACK_WIN_IMAGES="$out/images"
  quietly "$out/build.log" nice -n 10 cmake --build "$out" -j"$jobs"
}

make_zip() {
  local version name stage stamp
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/CMakeCache.txt")
  name=KobPack-$version-win64
  stage=$out/zip
  stamp=@"$(git log -1 --format=%ct 2>/dev/null || date +%s)"
  step "$name.zip"
  # The manifest makes long paths work and names the Windows versions; without
  # it the program still runs, limited to 260 characters a path.
  for exe in kobpack.exe win32/KobPack.exe; do
    grep -q longPathAware "$out/$exe" || { echo "windows: $exe has no manifest" >&2; exit 1; }
  done
  # No top folder: unpacked into C:\Tools\KobPack, the files are there. The
  # window goes into a folder of its own: Windows names do not tell
  # KobPack.exe from kobpack.exe.
  rm -rf "$stage" "$out/$name.zip" && mkdir -p "$stage/window"
  "$triple-strip" -o "$stage/kobpack.exe" "$out/kobpack.exe"
  "$triple-strip" -o "$stage/window/KobPack.exe" "$out/win32/KobPack.exe"
  sed "s/@VERSION@/$version/g; s/\$/\r/" packaging/windows/README.txt >"$stage/README.txt"
  sed 's/$/\r/' COPYING >"$stage/COPYING.txt"
  sed 's/$/\r/' "$deps/LZO-COPYING" >"$stage/LZO-COPYING.txt"
  touch -d "$stamp" "$stage"/* "$stage"/window/*
  (cd "$stage" && zip -qX -r "../$name.zip" .)
  echo "windows: made $out/$name.zip ($(stat -c %s "$out/$name.zip") bytes; kobpack.exe $(stat -c %s "$stage/kobpack.exe")," \
    "KobPack.exe $(stat -c %s "$stage/window/KobPack.exe") bytes)"
  make_source_zip "$version" "$stamp"
}

# The GPL asks for the source of what the zip ships: the project's files as
# they are in this tree (those git tracks) and the LZO source folder the build
# compiled, Debian's changes included.
make_source_zip() {
  local name=KobPack-$1-src lzo
  local stage=$out/src-zip/$name
  lzo=$(find "$out" -maxdepth 1 -type d -name 'lzo2-*' | head -n 1)
  [ -n "$lzo" ] || { echo "windows: the LZO source is gone; remove $deps/lib/liblzo2.a and run again" >&2; exit 1; }
  step "$name.zip"
  rm -rf "$out/src-zip" "$out/$name.zip" && mkdir -p "$stage"
  git ls-files -z | xargs -0 cp --parents -t "$stage"
  cp -r "$lzo" "$stage/"
  find "$stage" -exec touch -h -d "$2" {} +
  (cd "$out/src-zip" && zip -qX -r "../$name.zip" "$name")
  echo "windows: made $out/$name.zip ($(stat -c %s "$out/$name.zip") bytes)"
}

build_lzo
build_googletest
stage_cli11
build_linux
build_windows

# The display for Wine's windows: a virtual X server on the first free number.
start_xvfb() {
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  export KOBPACK_WINE_DISPLAY=":$n"
}

wine=(cmake/wine-run.sh "$out/wine")
xvfb_pid=""
trap '"${wine[@]}" --stop; [ -z "$xvfb_pid" ] || kill "$xvfb_pid"' EXIT
start_xvfb
step "the tests under Wine (display $KOBPACK_WINE_DISPLAY)"
# A server left from an earlier run would keep the desktop of its own display.
"${wine[@]}" --stop
quietly "$out/wine.log" "${wine[@]}" --start
ctest --test-dir "$out" --output-on-failure -j"$jobs" --timeout 600 "$@"
make_zip
step "done"
