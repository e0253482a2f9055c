#!/usr/bin/env bash
# Pictures of KobPack.exe's dialogs as Wine draws them, into docs/:
# windows-main.png, windows-progress.png, windows-quicklaunch.png and
# windows-archive.png. Run after scripts/windows.sh, which builds
# build-windows/. It sets up a small mod with a game folder, two levels and a
# folder large enough to watch being packed, and runs
# KobPack-render-dialogs.exe in its Archives folder on a virtual display of
# its own.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-windows
scripts/install-packages.sh xvfb imagemagick fonts-wine
nice -n 10 cmake --build "$out" --target KobPack-render-dialogs >/dev/null

work=$out/pictures
mod=$work/mods/MyMod
rm -rf "$work"
mkdir -p "$mod"/{Archives,Objects/textures,Menu,kelVane/game,kelVane/levels/Alpine,kelVane/levels/Canyon} "$work/bmp"
for i in 1 2 3 4 5 6; do
  head -c 3000000 /dev/urandom | base64 >"$mod/Objects/textures/rock$i.tga"
done
echo "game.setCustomGameName MyMod" >"$mod/init.con"
echo "menu" >"$mod/Menu/main.con"
echo "game" >"$mod/kelVane/game/game.con"

n=70
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
trap '"$root/cmake/wine-run.sh" "$out/wine" --stop; kill $xvfb' EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done

# Wine's server and desktop start afresh on this display; no window manager
# runs there, so Wine draws every frame itself.
export KOBPACK_WINE_DISPLAY=":$n"
"$root/cmake/wine-run.sh" "$out/wine" --stop
"$root/cmake/wine-run.sh" "$out/wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null
# The progress dialog is pictured while the batch runs; on a slow start of
# Wine the batch can end first, so up to three tries.
for _ in 1 2 3; do
  rm -f "$work/bmp"/*.bmp "$mod/Archives"/*.kob
  (cd "$mod/Archives" && "$root/cmake/wine-run.sh" "$out/wine" \
    "$out/win32/KobPack-render-dialogs.exe" "Z:$work/bmp")
  [ -f "$work/bmp/windows-progress.bmp" ] && break
done
for name in main progress quicklaunch archive; do
  convert "$work/bmp/windows-$name.bmp" "docs/windows-$name.png"
  echo "windows-pictures: docs/windows-$name.png"
done
