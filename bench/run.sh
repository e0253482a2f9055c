#!/usr/bin/env bash
# bench/run.sh [demo|small|medium|large]     (default: medium)
#
# Packing speed and memory on one generated sample mod, all in one run:
#   kobpack pack -c -j 1      compressed, single-thread path
#   kobpack pack -c           compressed, every core
#   kobpack pack              plain
#   tar cf - DIRS > FILE      a plain copy of the same folders
#   kobpack-lzobench DIRS     bare lzo1x_999_compress over the same 32 KiB blocks, one core
#                             (the folders that pack -c compresses: all but sound and music)
#   repack-plain              pack over the archives of a plain pack, nothing changed
#   repack-plain-one          the same after the one-byte change of repack-one
#   repack-compare            pack -c over copies of the archives of a pack -c, nothing
#                             changed: no record fits a copy, so every file is read and
#                             compared with its entry
#   repack-same               pack -c again, nothing changed: the records fit, files untouched
#   repack-one                the same after one byte in the middle of a 1 MiB texture
#                             changed (size and modification time kept)
#   pack-c-fresh              pack -c --fresh over copies of the same archives, that byte changed
#   repack-folder             pack -c --all-folders (the window's "All Folders") after one
#                             line was added to one small file of one folder
#   exfat-pack-c, exfat-repack, exfat-repack-one
#                             with EXFAT_DIR set (a folder on a mounted FUSE exFAT
#                             file system, where records are not trusted): pack -c
#                             of a copy of the mod there, a repack of it with nothing
#                             changed, and one after the one-byte change
# The packs keep their records in $BENCH_DIR/cache. Besides the timed runs,
# the first round runs each pack once more under strace to count the source
# files it opens.
# Each is timed with /usr/bin/time -v, REPEAT times in turn (the fastest run
# counts, as the machine may be shared); the figures go to standard output and
# to bench/RESULTS.md.
#
# Environment: BUILD_DIR (default: build), BENCH_DIR (where the mod is made,
# default: $BUILD_DIR/bench-<scale>), REPEAT (default: 3), KOBPACK (the pack
# command, default: $BUILD_DIR/kobpack; $BUILD_DIR/kobpack-benchpack takes the
# same arguments).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
scale=${1:-medium}
case "$scale" in demo | small | medium | large) ;; *)
    echo "usage: bench/run.sh [demo|small|medium|large]" >&2
    exit 2
    ;;
esac
build=$(cd "${BUILD_DIR:-$root/build}" 2>/dev/null && pwd) || {
    echo "bench: build folder ${BUILD_DIR:-$root/build} not found; run scripts/setup.sh first" >&2
    exit 1
}
work=${BENCH_DIR:-$build/bench-$scale}
repeat=${REPEAT:-3}
kobpack=${KOBPACK:-$build/kobpack}
results=$here/RESULTS.md
export XDG_CACHE_HOME=$work/cache

if [ ! -x /usr/bin/time ]; then
    echo "bench: installing GNU time (Debian package time)"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get install -y -qq --no-install-recommends time >/dev/null
fi
for tool in "$kobpack" "$build/kobpack-samplemod" "$build/kobpack-lzobench" "$build/kobpack-benchpack"; do
    if [ ! -x "$tool" ]; then
        echo "bench: building $(basename "$tool")"
        cmake --build "$build" -j"$(nproc)" --target "$(basename "$tool")" >/dev/null
    fi
done

mkdir -p "$work"
echo "bench: making the $scale sample mod in $work/mod"
"$build/kobpack-samplemod" "$work/mod" "$scale"
mod=$work/mod
archives=$mod/Archives
mapfile -t names < <("$build/kobpack-benchpack" -C "$archives" names)
[ ${#names[@]} -gt 0 ] || { echo "bench: no folders to pack in $mod" >&2; exit 1; }

# The batch stores the folders "sound" and "music" plain, whatever -c says.
compressed_names=()
for name in "${names[@]}"; do
    case "${name,,}" in sound | music) ;; *) compressed_names+=("$name") ;; esac
done
read -r files bytes largest < <(cd "$mod" && find "${names[@]}" -type f -printf '%s\n' |
    awk '{ n++; s += $1; if ($1 > m) m = $1 } END { printf "%d %d %d\n", n, s, m }')
read -r lzo_bytes < <(cd "$mod" && find "${compressed_names[@]}" -type f -printf '%s\n' |
    awk '{ s += $1 } END { printf "%d\n", s }')
cores=$(nproc)
cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
load_before=$(cut -d' ' -f1-3 /proc/loadavg)

clean() { find "$archives" -name '*.kob' -delete; rm -f "$work/copy.tar"; }
# The archives of a pack -c of the unchanged mod, put back before each repack.
previous=$work/previous
restore() { clean; cp -a "$previous/." "$archives/"; }
# keep DIR / same DIR: copies the archives to DIR / tells whether they equal it.
keep() { rm -rf "$1"; mkdir -p "$1"; (cd "$archives" && find . -name '*.kob' -exec cp --parents {} "$1/" \;); }
same() {
    [ "$(cd "$1" && find . -name '*.kob' | wc -l)" = "$(cd "$archives" && find . -name '*.kob' | wc -l)" ] || return 1
    (cd "$archives" && find . -name '*.kob' | while read -r f; do cmp -s "$f" "$1/$f" || exit 1; done)
}
# Flips (and flips back) one byte in the middle of the edited file; its size
# and modification time stay.
edited=$mod/textures/terrain/colormap.dds
flip() {
    local at byte
    at=$(($(stat -c %s "$edited") / 2))
    byte=$(od -An -tu1 -j "$at" -N1 "$edited" | tr -d ' ')
    touch -r "$edited" "$work/edited-time"
    printf "\\$(printf '%03o' $((byte ^ 1)))" | dd of="$edited" bs=1 seek="$at" conv=notrunc status=none
    touch -r "$work/edited-time" "$edited"
}
# Adds a line to (and takes it off again) one small file of one folder.
small=$(find "$mod/objects" -type f -name '*.con' -size -4k | sort | awk 'NR == 1')
grow() { printf 'rem one more line\r\n' >>"$small"; }
shrink() { truncate -s -19 "$small"; }

# measure LABEL COMMAND...: runs it under /usr/bin/time -v and keeps, per
# label, the fastest elapsed seconds with that run's CPU seconds (user +
# system), and the largest peak RSS (KiB).
declare -A best_s best_cpu worst_s peak_kb
measure() {
    local label=$1
    shift
    local report
    report=$(mktemp)
    ${prepare:-clean}
    if ! /usr/bin/time -v -o "$report" "$@" >/dev/null 2>"$work/$label.err"; then
        echo "bench: $label failed:" >&2
        cat "$work/$label.err" "$report" >&2
        exit 1
    fi
    local seconds cpu kb
    seconds=$(awk -F': ' '/Elapsed \(wall clock\)/ {
        n = split($2, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i]
        print (s < 0.01 ? 0.01 : s) }' "$report") # the timer counts hundredths
    cpu=$(awk -F': ' '/User time|System time/ { s += $2 } END { print s }' "$report")
    kb=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$report")
    rm -f "$report"
    if [ -z "${best_s[$label]:-}" ] || awk -v a="$seconds" -v b="${best_s[$label]}" 'BEGIN { exit !(a < b) }'; then
        best_s[$label]=$seconds
        best_cpu[$label]=$cpu
    fi
    if [ -z "${worst_s[$label]:-}" ] || awk -v a="$seconds" -v b="${worst_s[$label]}" 'BEGIN { exit !(a > b) }'; then
        worst_s[$label]=$seconds
    fi
    if [ -z "${peak_kb[$label]:-}" ] || [ "$kb" -gt "${peak_kb[$label]}" ]; then
        peak_kb[$label]=$kb
    fi
    printf '  %-14s %8.2f s  %8.2f s CPU  %8d KiB\n' "$label" "$seconds" "$cpu" "$kb"
    if [ "$round" = 1 ] && [ "${count_opens:-}" = yes ]; then
        # The same pack once more, untimed, counting the source files opened
        # (all below "../"; archives and records are not).
        ${prepare:-clean}
        # One file per thread (-ff), so that no call is split across lines.
        rm -f "$work/$label.strace".*
        strace -ff -qq -e trace=openat -o "$work/$label.strace" "$@" >/dev/null 2>&1
        opened[$label]=$(cat "$work/$label.strace".* | grep -v O_DIRECTORY |
            grep -c '"\.\./[^"]*", [^)]*) = [0-9]' || true)
        rm -f "$work/$label.strace".*
    fi
}
declare -A opened

# Read everything once so that every run starts from a warm cache.
(cd "$mod" && tar cf - "${names[@]}" >/dev/null)

[ -f "$edited" ] || { echo "bench: $edited missing; the sample mod is too old" >&2; exit 1; }
clean
"$kobpack" -C "$archives" pack -c --all-folders --all-levels >/dev/null 2>&1
keep "$previous"

command -v strace >/dev/null || { echo "bench: strace missing (Debian package strace)" >&2; exit 1; }
echo "bench: $files files, $bytes bytes in ${#names[@]} archives; $cores cores; load $load_before"
# Every file of the mod is older than the records by more than their 2 s.
sleep 3
pack_all=("$kobpack" -C "$archives" pack -c --all-folders --all-levels)
for round in $(seq 1 "$repeat"); do
    echo "round $round of $repeat"
    measure lzo1x_999 bash -c 'cd "$0" && exec "$1" "${@:2}"' "$mod" "$build/kobpack-lzobench" "${compressed_names[@]}"
    measure pack-c-j1 "$kobpack" -C "$archives" pack -c -j 1 --all-folders --all-levels
    count_opens=yes measure pack-c-all "${pack_all[@]}"
    measure tar bash -c 'cd "$0" && exec tar cf - "${@:2}" > "$1"' "$mod" "$work/copy.tar" "${names[@]}"
    measure pack-plain "$kobpack" -C "$archives" pack --all-folders --all-levels
    count_opens=yes prepare=: measure repack-plain "$kobpack" -C "$archives" pack --all-folders --all-levels
    flip
    count_opens=yes prepare=: measure repack-plain-one "$kobpack" -C "$archives" pack --all-folders --all-levels
    flip
    sleep 3 # settled again before the records of the next runs are taken
    count_opens=yes prepare=restore measure repack-compare "${pack_all[@]}"
    same "$previous" || { echo "bench: repack-compare differs from the pack it repacked" >&2; exit 1; }
    # The copies just repacked now have records that fit them.
    count_opens=yes prepare=: measure repack-same "${pack_all[@]}"
    same "$previous" || { echo "bench: repack-same differs from the pack it repacked" >&2; exit 1; }
    flip
    count_opens=yes prepare=: measure repack-one "${pack_all[@]}"
    keep "$work/one"
    prepare=restore measure pack-c-fresh "$kobpack" -C "$archives" pack -c --fresh --all-folders --all-levels
    same "$work/one" || { echo "bench: repack-one differs from pack -c --fresh" >&2; exit 1; }
    flip
    sleep 3 # records of the whole mod again, settled, as a user's last pack leaves them
    "${pack_all[@]}" >/dev/null 2>&1
    grow
    count_opens=yes prepare=: measure repack-folder "$kobpack" -C "$archives" pack -c --all-folders
    shrink
    if [ -n "${EXFAT_DIR:-}" ]; then
        exfat_archives=$EXFAT_DIR/mod/Archives
        exfat_pack=("$kobpack" -C "$exfat_archives" pack -c --all-folders --all-levels)
        rm -rf "$EXFAT_DIR/mod"
        cp -r "$mod" "$EXFAT_DIR/mod"
        find "$exfat_archives" -name '*.kob' -delete
        sleep 3
        prepare=: measure exfat-pack-c "${exfat_pack[@]}"
        prepare=: measure exfat-repack "${exfat_pack[@]}"
        edited_on_mod=$edited
        edited=$EXFAT_DIR/mod/${edited_on_mod#"$mod"/}
        flip
        prepare=: measure exfat-repack-one "${exfat_pack[@]}"
        edited=$edited_on_mod
        rm -rf "$EXFAT_DIR/mod"
    fi
done
clean
rm -rf "$previous" "$work/one" "$work/edited-time" "$XDG_CACHE_HOME"
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# mbps SECONDS [BYTES]
mbps() { awk -v b="${2:-$bytes}" -v s="$1" 'BEGIN { printf "%.1f", b / 1e6 / s }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
verdict() { awk -v v="$1" -v t="$2" 'BEGIN { print (v >= t ? "met" : "NOT met") }'; }

speedup=$(ratio "${best_s[pack-c-j1]}" "${best_s[pack-c-all]}")
j1_vs_lzo=$(ratio "${best_s[lzo1x_999]}" "${best_s[pack-c-j1]}")
plain_vs_tar=$(ratio "${best_s[tar]}" "${best_s[pack-plain]}")
limit_kb=$(((64 << 10) + 2 * largest / 1024))
peak_pack=0
for label in pack-c-j1 pack-c-all pack-plain; do
    [ "${peak_kb[$label]}" -gt "$peak_pack" ] && peak_pack=${peak_kb[$label]}
done
memory_ok=$([ "$peak_pack" -lt "$limit_kb" ] && echo met || echo "NOT met")
same_speedup=$(ratio "${best_s[pack-c-all]}" "${best_s[repack-same]}")
one_speedup=$(ratio "${best_s[pack-c-all]}" "${best_s[repack-one]}")
plain_same_speedup=$(ratio "${best_s[pack-c-all]}" "${best_s[repack-plain]}")
plain_one_speedup=$(ratio "${best_s[pack-c-all]}" "${best_s[repack-plain-one]}")
folder_speedup=$(ratio "${best_s[pack-c-all]}" "${best_s[repack-folder]}")
compare_speedup=$(ratio "${best_s[pack-c-all]}" "${best_s[repack-compare]}")
plain_repack_vs_tar=$(ratio "${best_s[tar]}" "${best_s[repack-plain]}")
peak_repack=0
for label in repack-plain repack-plain-one repack-compare repack-same repack-one pack-c-fresh repack-folder; do
    [ "${peak_kb[$label]}" -gt "$peak_repack" ] && peak_repack=${peak_kb[$label]}
done
repack_memory_ok=$([ "$peak_repack" -lt "$limit_kb" ] && echo met || echo "NOT met")

table() {
    echo "| run | seconds | MB/s of source | CPU seconds | slowest round (s) | peak memory (MiB) | source files opened |"
    echo "|---|---:|---:|---:|---:|---:|---:|"
    local labels=(lzo1x_999 pack-c-j1 pack-c-all pack-plain tar repack-plain repack-plain-one repack-compare repack-same
        repack-one pack-c-fresh repack-folder)
    [ -n "${EXFAT_DIR:-}" ] && labels+=(exfat-pack-c exfat-repack exfat-repack-one)
    for label in "${labels[@]}"; do
        local source=$bytes
        [ "$label" = lzo1x_999 ] && source=$lzo_bytes
        printf '| %s | %.2f | %s | %.2f | %.2f | %.1f | %s |\n' "$label" "${best_s[$label]}" \
            "$(mbps "${best_s[$label]}" "$source")" "${best_cpu[$label]}" "${worst_s[$label]}" \
            "$(awk -v k="${peak_kb[$label]}" 'BEGIN { print k / 1024 }')" "${opened[$label]:-}"
    done
}
summary() {
    echo "| target | measured | |"
    echo "|---|---:|---|"
    echo "| every core at least 1.8 x as fast as -j 1 | ${speedup} x | $(verdict "$speedup" 1.8) |"
    echo "| -j 1 at least 95% of bare lzo1x_999_compress (same blocks, time ratio) | $(awk -v r="$j1_vs_lzo" 'BEGIN { printf "%.0f%%", r * 100 }') | $(verdict "$j1_vs_lzo" 0.95) |"
    echo "| plain packing at least 80% of the plain copy | $(awk -v r="$plain_vs_tar" 'BEGIN { printf "%.0f%%", r * 100 }') | $(verdict "$plain_vs_tar" 0.80) |"
    echo "| peak memory below 64 MiB + 2 x largest file ($(awk -v k="$limit_kb" 'BEGIN { printf "%.1f", k / 1024 }') MiB) | $(awk -v k="$peak_pack" 'BEGIN { printf "%.1f MiB", k / 1024 }') | $memory_ok |"
    echo "| repack, nothing changed, at least 100 x as fast as pack -c (every core) | ${same_speedup} x | $(verdict "$same_speedup" 100) |"
    echo "| repack, one byte of a 1 MiB file changed, at least 20 x as fast as pack -c (every core) | ${one_speedup} x | $(verdict "$one_speedup" 20) |"
    echo "| plain repack, nothing changed, at least 100 x as fast as pack -c (every core) | ${plain_same_speedup} x | $(verdict "$plain_same_speedup" 100) |"
    echo "| plain repack, that byte changed, at least 20 x as fast as pack -c (every core) | ${plain_one_speedup} x | $(verdict "$plain_one_speedup" 20) |"
    if [ -n "${EXFAT_DIR:-}" ]; then
        echo "| exFAT (FUSE), every file compared: repack, nothing changed, against its pack -c (no target) | $(ratio "${best_s[exfat-pack-c]}" "${best_s[exfat-repack]}") x | |"
        echo "| exFAT (FUSE): repack, that byte changed, against its pack -c (no target) | $(ratio "${best_s[exfat-pack-c]}" "${best_s[exfat-repack-one]}") x | |"
    fi
    echo "| plain repack, nothing changed, at least as fast as tar | $(awk -v r="$plain_repack_vs_tar" 'BEGIN { printf "%.0f%%", r * 100 }') | $(verdict "$plain_repack_vs_tar" 1) |"
    echo "| \"All Folders\", one file of one folder changed, against pack -c of folders and levels (no target) | ${folder_speedup} x | |"
    echo "| repack without records (every file read and compared), for comparison (no target) | ${compare_speedup} x | |"
    echo "| repacks' peak memory within the same bound | $(awk -v k="$peak_repack" 'BEGIN { printf "%.1f MiB", k / 1024 }') | $repack_memory_ok |"
}

echo
table
echo
summary

{
    echo "# Packing benchmark"
    echo
    echo "Made by \`bench/run.sh $scale\` on $(date -u '+%Y-%m-%d %H:%M UTC')."
    echo
    echo "- Machine: $cores cores ($cpu); load average $load_before before, $load_after after (the machine is shared)."
    echo "- Sample mod \`$scale\`: $files files, $bytes bytes in ${#names[@]} archives ($lzo_bytes bytes outside sound and music, which are always stored plain); the largest file has $largest bytes."
    echo "- Pack command: \`$(basename "$kobpack")\`. Each run $repeat times in turn; the fastest counts. MB = 10^6 bytes of source."
    echo
    table
    echo
    summary
    echo
    echo "The runs: \`pack -c -j 1\` (single-thread path), \`pack -c\` (every core), \`pack\` (plain), \`tar cf - DIRS > FILE\`, and \`kobpack-lzobench DIRS\` (each 32 KiB block of the folders that \`pack -c\` compresses, that is all but sound and music, through bare \`lzo1x_999_compress\` on one core, nothing written; its MB/s counts those bytes only); every pack but repack-folder is \`--all-folders --all-levels\`. \`repack-plain\` is \`pack\` over the archives of \`pack\`, nothing changed, and \`repack-plain-one\` the same after the one-byte change of repack-one (records cover plain entries too). \`repack-compare\` runs over copies of the archives of a \`pack -c\` of the unchanged mod (no record fits a copy, so every file is read and compared with its entry); \`repack-same\` then repacks with the records that run left, nothing changed, the files untouched for more than 2 s (both are checked to give the archives they replaced); \`repack-one\` follows after one byte in the middle of the 1 MiB file textures/terrain/colormap.dds changed (size and modification time kept), and \`pack-c-fresh\` (\`pack -c --fresh\`, the same change, over the copies; its archives are checked to equal repack-one's); \`repack-folder\` is \`pack -c --all-folders\` (the window's \"All Folders\", no levels) after a line was added to one small file of objects, with the records of a settled pack of everything. All on every core. Source files opened: an untimed run of the same pack under \`strace -e trace=openat\` in the first round, counting the files below \"../\" it opened. Peak memory is the maximum resident set size from \`/usr/bin/time -v\`. With EXFAT_DIR, \`exfat-pack-c\` packs a copy of the mod on a FUSE exFAT mount, \`exfat-repack\` repacks it with nothing changed and \`exfat-repack-one\` after the one-byte change: records are not trusted there, so every file is read and compared with its entry."
} >"$results"
echo
echo "bench: written to $results"
