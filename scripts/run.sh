#!/usr/bin/env bash
# Builds TLR64.exe when needed and starts it under Wine with the given arguments, in the
# current directory (where it finds TLR.ini). With no display, it runs on a virtual one of
# its own and saves a screenshot of the first window it shows, printing its path.
set -u
source "$(dirname "$0")/lib.sh"

tlr_install_packages || exit 1
tlr_detect_wine
tlr_make_prefix "$TLR_PREFIX64_BARE" win64 bare
mkdir -p "$TLR_BUILD_ROOT"
exe=$TLR_BUILD_ROOT/x64/bin/TLR64.exe
if [ ! -f "$TLR_BUILD_ROOT/x64/CMakeCache.txt" ]; then
  tlr_build x64 -DTLR_BUILD_TESTS=OFF -DTLR_BUILD_BENCH=OFF || exit 1
else
  cmake --build "$TLR_BUILD_ROOT/x64" --target TLR64 -j"$(nproc)" >/dev/null || exit 1
fi
export WINEPREFIX=$TLR_PREFIX64_BARE

if [ -n "${DISPLAY:-}" ]; then
  exec $TLR_WINE "$exe" "$@"
fi

trap tlr_stop_all EXIT
tlr_start_display
wineserver -p
$TLR_WINE "$exe" "$@" &
pid=$!
# Wait for the program's first window on the virtual display, then picture it.
shot=${TLR_SCREENSHOT:-$PWD/tollerup-screenshot.png}
for i in $(seq 200); do
  if xwininfo -root -children 2>/dev/null | grep -q '"Tollerup'; then break; fi
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
sleep 1
if import -window root "$shot" 2>/dev/null; then
  echo "$shot"
else
  log "could not take a screenshot"
fi
# Nobody can answer windows on a display of our own: give the program a few seconds
# (TLR_RUN_SECONDS) to finish by itself, then end it.
for i in $(seq $((${TLR_RUN_SECONDS:-5} * 10))); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill $pid 2>/dev/null
wait $pid 2>/dev/null
exit 0
