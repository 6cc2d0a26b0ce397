#!/usr/bin/env bash
# Builds the 64-bit program with its benchmarks and runs every benchmark under Wine on a
# virtual display, in the Wine prefix under $TLR_WINE_ROOT as the other scripts do. Each
# benchmark prints its figures beside its goals and ends with 1 when one misses, with 2
# when it cannot finish (it says which step, call or process stopped it); the end of the
# output names those benchmarks, and one that was ended by a signal (the system out of
# memory, for one). The screen benchmark needs a display of 3840 x 2160 and gets one of
# its own; the others run on one of 1920 x 1080. Arguments: names of benchmarks to run
# (default: all bench/*.cpp).
set -u
source "$(dirname "$0")/lib.sh"

tlr_install_packages || exit 1
tlr_detect_wine
tlr_make_prefix "$TLR_PREFIX64_BARE" win64 bare
mkdir -p "$TLR_BUILD_ROOT"
tlr_build x64 || exit 1

trap tlr_stop_all EXIT
export WINEPREFIX=$TLR_PREFIX64_BARE

# The display a benchmark runs on.
display_of() {
  case $1 in
    bench_screen_watch) echo 3840x2160x24 ;;
    *) echo 1920x1080x24 ;;
  esac
}

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for src in "$TLR_ROOT"/bench/*.cpp; do names+=("$(basename "$src" .cpp)"); done
fi
status=0
missed=()
for size in 1920x1080x24 3840x2160x24; do
  group=()
  for name in "${names[@]}"; do
    [ "$(display_of "$name")" = "$size" ] && group+=("$name")
  done
  ((${#group[@]})) || continue
  # A display for each size: the prefix's desktop belongs to the display that its first
  # program met.
  tlr_start_display "$size" || exit 1
  for name in "${group[@]}"; do
    # A wineserver for each benchmark, started once the last one has gone with every
    # process it served: no benchmark's figures depend on another's processes ending.
    wineserver -k >/dev/null 2>&1
    wineserver -w
    wineserver -p
    $TLR_WINE cmd /c exit </dev/null >/dev/null 2>&1
    exe=$TLR_BUILD_ROOT/x64/bin/$name.exe
    if [ ! -f "$exe" ]; then
      log "no benchmark $name"
      status=1
      missed+=("$name (no such benchmark)")
      continue
    fi
    log "benchmark $name"
    start=$SECONDS
    (cd "$TLR_BUILD_ROOT/x64/bin" && $TLR_WINE "$exe")
    code=$?
    log "benchmark $name ended with $code after $((SECONDS - start)) s"
    case $code in
      0) ;;
      1) status=1; missed+=("$name") ;;
      2) status=1; missed+=("$name (could not finish)") ;;
      *)
        status=1
        if [ "$code" -gt 128 ]; then
          missed+=("$name (ended by signal $((code - 128)))")
        else
          missed+=("$name (exit code $code)")
        fi
        ;;
    esac
  done
  wineserver -k >/dev/null 2>&1
  tlr_stop_display
done
if ((${#missed[@]})); then
  log "GOALS MISSED by: ${missed[*]}"
else
  log "every benchmark met its goals"
fi
exit $status
