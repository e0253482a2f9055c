#!/usr/bin/env bash
# bench/archive_window.sh: the archive window against the command line on the
# same archives: opening and showing an archive of 100,000 entries (against
# kobpack list), scrolling it, and extracting 10,000 files (against kobpack
# extract). Fastest of REPEAT runs (default 3); the figures go to standard
# output and to bench/ARCHIVE_WINDOW.md. Environment: BUILD_DIR (default:
# build). Each extracted file is synced before its rename, so on a shared
# disk the extract figures vary with the other writers.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${BUILD_DIR:-$here/../build}" && pwd)
repeat=${REPEAT:-3}
work=$build/bench-archive-window
if [ ! -f "$work/mod/Archives/small.kob" ]; then # made once: 110,000 files take minutes
rm -rf "$work"
mkdir -p "$work/mod/Archives"
cd "$work/mod"
# big: 100,000 files in 100 folders; small: 10,000 in 10; 0 to 2 KiB each.
python3 - <<'PY'
import os
for top, folders in (("big", 100), ("small", 10)):
    for f in range(folders):
        d = f"{top}/dir{f:03}"
        os.makedirs(d)
        for i in range(1000):
            with open(f"{d}/file{i:04}.con", "w") as out:
                out.write(f"{top} {f} {i}\n" * ((f * 1000 + i) % 97))
PY
(cd Archives && "$build/kobpack" pack -c big small >/dev/null)
fi
cd "$work/mod/Archives"
best_of() { sort -n | head -1; }
list=$(for _ in $(seq "$repeat"); do /usr/bin/env time -f %e "$build/kobpack" list big.kob 2>&1 >/dev/null; done | best_of)
extract=$(for _ in $(seq "$repeat"); do rm -rf "$work/out"; /usr/bin/env time -f %e "$build/kobpack" extract -o "$work/out" small.kob 2>&1 >/dev/null; done | best_of)
window=$(for _ in $(seq "$repeat"); do rm -rf "$work/out"; "$build/kobpack-benchwindow" big.kob small.kob "$work/out"; done)
pick() { grep "^$1 " <<<"$window" | awk '{print $2}' | sort -n | head -1; }
{
echo "# Archive window benchmark"
echo
echo "Made by \`bench/archive_window.sh\` on $(date -u '+%Y-%m-%d %H:%M') UTC; $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) (the machine may be shared); fastest of $repeat runs."
echo
echo "Archives (\`kobpack pack -c\`): big.kob $(stat -c %s big.kob) bytes, 100,000 entries; small.kob $(stat -c %s small.kob) bytes, 10,000 entries."
echo
echo "| run | seconds |"
echo "|---|---:|"
echo "| kobpack list big.kob (100,000 entries) | $list |"
echo "| window: open and show big.kob | $(pick open-show) |"
echo "| window: scroll big.kob end to end, 100 pages drawn | $(pick scroll-100-pages) |"
echo "| kobpack extract small.kob (10,000 files) | $extract |"
echo "| window: Extract... small.kob, progress dialog to the end | $(pick extract) |"
} | tee "$here/ARCHIVE_WINDOW.md"
