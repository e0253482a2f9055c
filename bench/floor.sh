#!/usr/bin/env bash
# bench/floor.sh [demo|small|medium|large]     (default: medium)
#
# kobpack against its floor, kobpack-floor (bench/floor.cpp: the same archives
# with the fewest system calls), side by side on one generated sample mod:
#   fresh-plain       pack --all-folders --all-levels, no archives there
#   fresh-c-j1        the same with -c -j 1 (floor: -c -j 1)
#   fresh-c-all       the same with -c on every core
#   nothing-changed   pack -c again over its own archives and records, nothing
#                     changed (floor: --stat, a walk that examines every file)
#   one-changed       pack (plain) again over its own archives and records
#                     after one 1 MiB file was rewritten at its size (floor:
#                     --changed: the walk, that file read, its archive
#                     written once, synced and renamed)
#   list, verify      list / verify every archive (floor: read each index /
#                     read each archive and decompress every block)
# On Linux with build/, and under Wine with the Windows build when
# WINDOWS_BUILD names it (scripts/windows.sh makes build-windows/). Every fresh
# pack of the floor is checked to give kobpack's archives byte for byte.
# Each run REPEAT times (default 5) in turn; the median counts. The table of
# ratios (kobpack / floor) goes to standard output and bench/FLOOR.md.
#
# Environment: BUILD_DIR (default: build), WINDOWS_BUILD (default: none),
# BENCH_DIR (default: $BUILD_DIR/floor-<scale>), REPEAT.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
scale=${1:-medium}
build=$(cd "${BUILD_DIR:-$root/build}" && pwd)
windows=${WINDOWS_BUILD:+$(cd "$WINDOWS_BUILD" && pwd)}
work=${BENCH_DIR:-$build/floor-$scale}
repeat=${REPEAT:-5}
cmake --build "$build" -j"$(nproc)" --target kobpack kobpack-floor kobpack-samplemod kobpack-benchpack >/dev/null

mkdir -p "$work"
"$build/kobpack-samplemod" "$work/mod" "$scale" >/dev/null
archives=$work/mod/Archives
mapfile -t names < <("$build/kobpack-benchpack" -C "$archives" names)
changed=${names[0]}/floor-changed.bin # rewritten for one-changed
head -c 1048576 /dev/urandom >"$work/mod/$changed"
read -r files bytes < <(cd "$work/mod" && find "${names[@]}" -type f -printf '%s\n' | awk '{ n++; s += $1 } END { print n, s }')
export XDG_CACHE_HOME=$work/cache

clean() { find "$archives" -name '*.kob' -delete; }
keep() { rm -rf "$work/kept"; mkdir -p "$work/kept"; (cd "$archives" && find . -name '*.kob' -exec cp --parents {} "$work/kept/" \;); }
same() { (cd "$work/kept" && find . -name '*.kob' | while read -r f; do cmp -s "$f" "$archives/$f" || exit 1; done); }
seconds() { local t0 t1; t0=$(date +%s.%N); "$@" >/dev/null 2>&1 || { echo "floor: failed: $*" >&2; exit 1; }; t1=$(date +%s.%N); awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f\n", b - a }'; }
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

declare -A times
# run SYSTEM KOBPACK... -- FLOOR...: every operation, kobpack then the floor, one round.
run() {
    local system=$1; shift
    local kob=() floor=()
    while [ "$1" != -- ]; do kob+=("$1"); shift; done
    shift
    floor=("$@")
    local op args fargs
    for op in fresh-plain fresh-c-j1 fresh-c-all; do
        case $op in
            fresh-plain) args=(); fargs=() ;;
            fresh-c-j1) args=(-c -j 1); fargs=(-c -j 1) ;;
            fresh-c-all) args=(-c); fargs=(-c) ;;
        esac
        clean
        times[$system,$op,kobpack]+=" $(seconds "${kob[@]}" -C "$archives" pack "${args[@]}" --all-folders --all-levels)"
        keep
        clean
        times[$system,$op,floor]+=" $(seconds "${floor[@]}" "${fargs[@]}" -C "$archives" "${names[@]}")"
        same || { echo "floor: $system $op: the floor's archives differ from kobpack's" >&2; exit 1; }
    done
    # Records of every file, taken when the files were settled.
    clean
    "${kob[@]}" -C "$archives" pack -c --all-folders --all-levels >/dev/null 2>&1
    sleep 3
    "${kob[@]}" -C "$archives" pack -c --all-folders --all-levels >/dev/null 2>&1
    times[$system,nothing-changed,kobpack]+=" $(seconds "${kob[@]}" -C "$archives" pack -c --all-folders --all-levels)"
    times[$system,nothing-changed,floor]+=" $(seconds "${floor[@]}" --stat -C "$archives" "${names[@]}")"
    times[$system,list,kobpack]+=" $(seconds "${kob[@]}" -C "$archives" list "${names[@]/%/.kob}")"
    times[$system,list,floor]+=" $(seconds "${floor[@]}" --list -C "$archives" "${names[@]}")"
    times[$system,verify,kobpack]+=" $(seconds "${kob[@]}" -C "$archives" verify "${names[@]/%/.kob}")"
    times[$system,verify,floor]+=" $(seconds "${floor[@]}" --verify -C "$archives" "${names[@]}")"
    # One file rewritten at its size, then a plain repack; the floor starts
    # from the same archives and must end with kobpack's.
    clean
    "${kob[@]}" -C "$archives" pack --all-folders --all-levels >/dev/null 2>&1
    sleep 3
    "${kob[@]}" -C "$archives" pack --all-folders --all-levels >/dev/null 2>&1
    local before=$work/before.kob
    cp "$archives/${names[0]}.kob" "$before"
    head -c 1048576 /dev/urandom | dd of="$work/mod/$changed" conv=notrunc status=none
    times[$system,one-changed,kobpack]+=" $(seconds "${kob[@]}" -C "$archives" pack --all-folders --all-levels)"
    keep
    cp "$before" "$archives/${names[0]}.kob"
    times[$system,one-changed,floor]+=" $(seconds "${floor[@]}" --changed "$changed" -C "$archives" "${names[@]}")"
    same || { echo "floor: $system one-changed: the floor's archives differ from kobpack's" >&2; exit 1; }
}

systems=(linux)
if [ -n "$windows" ]; then
    systems+=(wine)
    export WINEPREFIX=$work/wine WINEDEBUG=-all
    mkdir -p "$WINEPREFIX"
    wine=/usr/lib/wine/wine64 # Debian's wine64 keeps it off the PATH
    /usr/lib/wine/wineserver -p 2>/dev/null || true # one server for every run: its start is not measured
    "$wine" "$windows/kobpack.exe" --version >/dev/null 2>&1 || true
fi
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
for round in $(seq 1 "$repeat"); do
    echo "round $round of $repeat"
    run linux "$build/kobpack" -- "$build/kobpack-floor"
    [ -z "$windows" ] || run wine "$wine" "$windows/kobpack.exe" -- "$wine" "$windows/kobpack-floor.exe"
done
clean
[ -z "$windows" ] || /usr/lib/wine/wineserver -k 2>/dev/null || true
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

table() {
    echo "| operation | system | kobpack s | floor s | kobpack / floor |"
    echo "|---|---|---:|---:|---:|"
    local system op k f
    for system in "${systems[@]}"; do
        for op in fresh-plain fresh-c-j1 fresh-c-all nothing-changed one-changed list verify; do
            # shellcheck disable=SC2086
            k=$(median ${times[$system,$op,kobpack]}); f=$(median ${times[$system,$op,floor]})
            printf '| %s | %s | %.3f | %.3f | %.2f |\n' "$op" "$system" "$k" "$f" "$(awk -v a="$k" -v b="$f" 'BEGIN { print a / b }')"
        done
    done
}
echo
table
{
    echo "# kobpack against its floor"
    echo
    echo "Made by \`bench/floor.sh $scale\` on $(date -u '+%Y-%m-%d %H:%M UTC'): $files files, $bytes bytes in ${#names[@]} archives; $(nproc) cores, load average $load_before before, $load_after after; median of $repeat runs."
    echo
    table
} >"$here/FLOOR.md"
echo "floor: written to $here/FLOOR.md"
