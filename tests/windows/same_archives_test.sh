#!/usr/bin/env bash
# kobpack.exe under Wine writes the same archives, byte for byte, as the
# Linux kobpack: every folder and level of the sample mod, plain and
# compressed, on one thread and on three (more than a two-core machine has).
# usage: same_archives_test.sh LINUX_BUILD KOBPACK_EXE WINE_RUNNER...
set -euo pipefail
linux=$1 exe=$2
shift 2
work=$(mktemp -d "${TMPDIR:-/tmp}/kobpack-same-archives.XXXXXX")
trap 'rm -rf "$work"' EXIT
# The records every compressed pack keeps land in the test's own folder.
# Wine sets LOCALAPPDATA from its prefix, so kobpack.exe is started by
# cmd.exe with the variable set there (the paths hold no spaces).
export XDG_CACHE_HOME="$work/cache"
windows() { printf 'Z:%s' "${1//\//\\}"; }
"$linux/kobpack-samplemod" "$work/mod" demo >/dev/null
cd "$work/mod/Archives"

pack() { # pack PROGRAM... -- moves the archives written into $work/$label
  local label=$1
  shift
  find . -name '*.kob' -delete
  "$@" -q pack $compress --fresh -j "$threads" --all-folders --all-levels >"$work/$label.log" 2>&1 ||
    { echo "$label: exit status $?"; cat "$work/$label.log"; exit 1; }
  mkdir -p "$work/$label"
  find . -name '*.kob' -exec cp --parents {} "$work/$label/" \;
  find . -name '*.kob' -delete
}

failed=0
for compress in "" -c; do
  threads=1
  pack "linux$compress" "$linux/kobpack"
  count=$(find "$work/linux$compress" -name '*.kob' | wc -l)
  [ "$count" -gt 2 ] || { echo "the Linux kobpack wrote only $count archives"; exit 1; }
  for threads in 1 3; do
    label="windows$compress-j$threads"
    pack "$label" "$@" cmd.exe /c "set LOCALAPPDATA=$(windows "$work/cache")&& $(windows "$exe")"
    if diff -r "$work/linux$compress" "$work/$label" >"$work/$label.diff"; then
      echo "same: pack $compress -j $threads ($count archives)"
    else
      echo "DIFFERENT: pack $compress -j $threads"; cat "$work/$label.diff"; failed=1
    fi
  done
done
exit $failed
