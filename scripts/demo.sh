#!/usr/bin/env bash
# The main job: sets up and builds (scripts/setup.sh), writes the bundled
# sample mod into build/sample-mod, packs all its folders and levels
# compressed with kobpack, verifies every archive against the mod and shows
# what was made. BUILD_DIR and extra arguments are passed on to setup.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh "$@"
build_dir=${BUILD_DIR:-build}
kobpack=$PWD/$build_dir/kobpack
mod=$build_dir/sample-mod

"$build_dir/kobpack-samplemod" "$mod" demo

echo
echo "demo: kobpack -C $mod/Archives pack -v -c --all-folders --all-levels"
"$kobpack" -C "$mod/Archives" pack -v -c --all-folders --all-levels > "$build_dir/demo-pack.log" 2>&1
echo "demo: packed (trace in $build_dir/demo-pack.log)"

cd "$mod/Archives"
mapfile -t archives < <(find . -name '*.kob' -printf '%P\n' | LC_ALL=C sort)
echo
echo "demo: kobpack verify ${archives[*]} --against .."
"$kobpack" verify "${archives[@]}" --against ..

echo
echo "demo: archives made in $mod/Archives"
printf '%-30s %10s %10s %10s  %s\n' archive "file size" stored "mod bytes" "entries"
for a in "${archives[@]}"; do
  # The totals line of kobpack list: stored, size, "total,", count, "entries".
  read -r stored size _ count _ < <("$kobpack" list "$a" | tail -n 1)
  printf '%-30s %10s %10s %10s  %s\n' "$a" "$(stat -c %s "$a")" "$stored" "$size" "$count"
done
echo
echo "demo: the window on the same mod: cd $mod/Archives && ../../kobpack-gui"
