#!/usr/bin/env bash
# Builds the 64-bit program with its benchmarks and runs every benchmark under Wine on a
# virtual display. Each benchmark prints its figures beside its goals and exits non-zero
# when one misses; the end of the output names those benchmarks. Arguments: names of
# benchmarks to run (default: all bench/*.cpp).
set -u
source "$(dirname "$0")/lib.sh"

tlr_install_packages || exit 1
tlr_detect_wine
tlr_make_prefix "$TLR_PREFIX64_BARE" win64 bare
mkdir -p "$TLR_BUILD_ROOT"
tlr_build x64 || exit 1

trap tlr_stop_all EXIT
tlr_start_display
export WINEPREFIX=$TLR_PREFIX64_BARE
wineserver -p
$TLR_WINE cmd /c exit </dev/null >/dev/null 2>&1

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for src in "$TLR_ROOT"/bench/*.cpp; do names+=("$(basename "$src" .cpp)"); done
fi
status=0
missed=()
for name in "${names[@]}"; do
  exe=$TLR_BUILD_ROOT/x64/bin/$name.exe
  [ -f "$exe" ] || { log "no benchmark $name"; status=1; continue; }
  log "benchmark $name"
  (cd "$TLR_BUILD_ROOT/x64/bin" && $TLR_WINE "$exe") || { status=1; missed+=("$name"); }
done
if ((${#missed[@]})); then
  log "GOALS MISSED by: ${missed[*]}"
else
  log "every benchmark met its goals"
fi
exit $status
