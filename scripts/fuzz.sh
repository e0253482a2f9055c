#!/usr/bin/env bash
# Fuzzes the archive reader, the quick-launch settings reader and the reader
# of the records of unchanged files with libFuzzer: installs clang and its
# runtime if missing, builds into build-fuzz/, makes a seed corpus of real
# archives, settings files and records, then
# runs each target for SECONDS (default 600), one after the other, on one
# worker. Findings land in build-fuzz/findings/; the exit status is non-zero
# when a target found one.
# usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}

packages=(clang libclang-rt-14-dev cmake make pkg-config liblzo2-dev libcli11-dev)
scripts/install-packages.sh "${packages[@]}"

out=build-fuzz
cmake -S . -B "$out" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DKOBPACK_FUZZ=ON \
  -DKOBPACK_BUILD_GUI=OFF -DKOBPACK_BUILD_TESTS=OFF >/dev/null
cmake --build "$out" -j"$(nproc)" --target archive_reader_fuzz settings_fuzz records_fuzz kobpack -- --no-print-directory >/dev/null

# Seeds: archives packed by kobpack itself, plain and compressed, with the
# block boundaries and an empty file, and the records those packs keep;
# settings and init files as written.
seeds=$out/seeds
rm -rf "$seeds" "$out/mod" "$out/cache"
# The seed packs keep their records here, and the records are seeds too.
export XDG_CACHE_HOME=$PWD/$out/cache
mkdir -p "$seeds/archive" "$seeds/settings" "$seeds/records" "$out/mod/Archives" "$out/mod/objects/sub" "$out/mod/tiny"
printf '0123456789' >"$out/mod/tiny/a.txt"
: >"$out/mod/objects/empty.con"
head -c 32769 /dev/zero | tr '\0' 'k' >"$out/mod/objects/sub/block.dds"
printf 'game.setCustomGameName MyMod\r\n' >"$out/mod/objects/init.con"
for name in tiny objects; do
  (cd "$out/mod/Archives" && ../../kobpack pack "$name" >/dev/null 2>&1 && mv "$name.kob" "../../seeds/archive/$name.kob" &&
   ../../kobpack pack -c "$name" >/dev/null 2>&1 && mv "$name.kob" "../../seeds/archive/$name-compressed.kob") ||
    { echo "fuzz: kobpack could not pack the seed archive $name" >&2; exit 1; }
done
cp "$XDG_CACHE_HOME"/kobpack/*.rec "$seeds/records/"
printf 'm_MapName\r\nmymap\r\n\r\nm_gpmString\r\nGPM_CQ\r\n\r\nm_gameExe\r\nostrel\r\n\r\nm_UseDebug\r\n1\r\n\r\n' \
  >"$seeds/settings/quickLaunch.cfg"
printf 'M_GAMEEXE\nkelvane\n\nm_UseDebug\n1abc\n' >"$seeds/settings/short.cfg"
cp "$out/mod/objects/init.con" "$seeds/settings/init.con"
printf '  game.CustomGameName Indented\ngame.CustomGameName "Quoted Mod"\n' >"$seeds/settings/init2.con"

status=0
for target in archive_reader settings records; do
  corpus=$out/corpus/$target findings=$out/findings/$target
  mkdir -p "$corpus" "$findings"
  echo "fuzz: $target for ${seconds}s"
  "$out/fuzz/${target}_fuzz" "$corpus" "$seeds/${target%_reader}" -max_total_time="$seconds" -workers=1 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" 2>"$out/$target.log" || status=1
  grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb|^#[0-9]+ +DONE' "$out/$target.log" || true
  ls "$findings"
done
exit $status
