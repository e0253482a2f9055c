#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's own prefix: CMake's
# CMAKE_CROSSCOMPILING_EMULATOR, so ctest runs the Windows tests.
#   wine-run.sh PREFIX PROGRAM.exe [ARG...]     run PROGRAM (at most KOBPACK_WINE_TIMEOUT s, default 600)
#   wine-run.sh PREFIX --start | --stop         make the prefix and start its server | stop the server
# The prefix is made once (under a lock, as ctest starts tests in parallel);
# a persistent wineserver then brings a start from seconds to a tenth of one.
# The server is started detached from our output: a server holding the test's
# pipes open would keep ctest waiting for them to close.
set -euo pipefail
export WINEPREFIX=$1 WINEDEBUG=-all WINEARCH=win64
shift
# No prompts to install .NET or a browser engine. Console programs need no
# display; the window tests get the one in KOBPACK_WINE_DISPLAY (scripts/windows.sh
# starts an Xvfb for them).
export WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=${KOBPACK_WINE_DISPLAY:-}
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

# The persistent server's process id is kept beside the prefix.
server_running() {
  local pid
  pid=$(cat "$WINEPREFIX.server" 2>/dev/null) && kill -0 "$pid" 2>/dev/null
}

start_server() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock -w 300 9 || { echo "wine-run: timed out waiting for $WINEPREFIX.lock" >&2; exit 1; }
    server_running && exit 0
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      rm -rf "$WINEPREFIX"
      timeout -k 5 300 "$wine" wineboot --init </dev/null >/dev/null 2>&1 ||
        { echo "wine-run: could not make the Wine prefix $WINEPREFIX" >&2; exit 1; }
    fi
    # Wine's own fonts (fonts-wine) where the prefix's programs look, so the
    # dialogs get their "MS Sans Serif" instead of a stand-in of other widths.
    [ -d /usr/share/wine/fonts ] && cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    # Replaces any server (wineboot's own quits when idle) with one that
    # stays, and quits by itself 15 minutes after its last program should
    # nobody stop it.
    timeout -k 5 60 "$wineserver" -k </dev/null >/dev/null 2>&1 || true
    setsid "$wineserver" -f -p900 </dev/null >/dev/null 2>&1 9>&- &
    echo $! >"$WINEPREFIX.server"
    # Wine's own services start with the first program and stay with the
    # server: start them here, so they hold none of a test's pipes.
    timeout -k 5 120 "$wine" cmd.exe /c exit </dev/null >/dev/null 2>&1 9>&- || true
  ) 9>"$WINEPREFIX.lock"
}

case ${1:-} in
  --start) start_server ;;
  --stop)
    timeout -k 5 60 "$wineserver" -k </dev/null >/dev/null 2>&1 || true
    rm -f "$WINEPREFIX.server"
    ;;
  *)
    server_running || start_server
    exec timeout -k 5 "${KOBPACK_WINE_TIMEOUT:-600}" "$wine" "$@"
    ;;
esac
