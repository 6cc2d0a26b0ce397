#!/usr/bin/env bash
# Installs what is missing, builds TLR64.exe and TLR32.exe with their tests, and runs
# every test under Wine on a virtual display with a null audio sink. First it builds the
# fuzz targets of the pure files natively and replays their corpus (fuzz/).
#
#   scripts/test.sh [ctest arguments]
#   scripts/test.sh --dry-run [--machine=runs32|no32] [ctest arguments]
#
# A dry run prints what the run would do, one "would run:" line per step, and does
# nothing; --machine pretends a kind of machine (one whose kernel runs 32-bit code, or
# one whose kernel does not) instead of asking this one.
set -u
source "$(dirname "$0")/lib.sh"

pretend=
while [ $# -gt 0 ]; do
  case $1 in
    --dry-run) TLR_DRY_RUN=1; shift ;;
    --machine=*) pretend=${1#--machine=}; shift ;;
    *) break ;;
  esac
done
if [ -n "$pretend" ] && [ -z "$TLR_DRY_RUN" ]; then
  log "--machine only goes with --dry-run"
  exit 2
fi

tlr_run tlr_install_packages || exit 1
tlr_detect_wine $pretend || exit 2
tlr_prepare_prefixes
tlr_run mkdir -p "$TLR_BUILD_ROOT"

if tlr_has_arch x86; then
  log "building the 32-bit program and its tests"
  # The WOW64 refusal runs the 32-bit test in a 64-bit prefix; the tests on the bare screen
  # run in a 32-bit prefix without the virtual desktop.
  wow64_env= bare_env=
  [ "$TLR_CAN_RUN_32" = 1 ] && wow64_env="WINEPREFIX=$TLR_PREFIX_WOW64" bare_env="WINEPREFIX=$TLR_PREFIX32_BARE"
  tlr_build x86 -DTLR_WOW64_ENV="$wow64_env" -DTLR_BARE_SCREEN_ENV="$bare_env" || exit 1
fi
if tlr_has_arch x64; then
  log "building the 64-bit program and its tests"
  other=
  tlr_has_arch x86 && other="TLR_OTHER_PROGRAM=$TLR_BUILD_ROOT/x86/bin/TLR32.exe"
  tlr_build x64 -DTLR_TEST_ENV="$other" || exit 1
fi

# The pure files natively, no display needed: a parser that fails its corpus fails the run.
log "building the fuzz targets natively and replaying their corpus"
tlr_run tlr_fuzz_build "$TLR_BUILD_ROOT/fuzz" || exit 1
status=0
tlr_run tlr_fuzz_replay "$TLR_BUILD_ROOT/fuzz" "$@" || status=1

# Most of a test's time is spent waiting: the tests of the two builds run side by side,
# each build's on a display and in prefixes of its own.
test32=
tlr_has_arch x86 && [ "$TLR_CAN_RUN_32" = 1 ] && test32=1
[ -z "$TLR_DRY_RUN" ] && trap tlr_stop_all EXIT
tlr_run tlr_start_display || exit 1
display64=${DISPLAY:-}
display32=$display64
if [ -n "$test32" ] && tlr_has_arch x64; then
  tlr_run tlr_start_display || exit 1
  display32=${DISPLAY:-}
  export DISPLAY=$display64
fi
tlr_run tlr_start_audio
tlr_has_arch x64 && tlr_run tlr_start_wineservers x64
[ -n "$test32" ] && DISPLAY=$display32 tlr_run tlr_start_wineservers x86

pid32=
log32=$TLR_BUILD_ROOT/x86.ctest.log
if [ -n "$test32" ]; then
  log "tests of the 32-bit build (32-bit prefix; the WOW64 refusal in a 64-bit prefix)"
  if [ -n "$TLR_DRY_RUN" ] || ! tlr_has_arch x64; then
    DISPLAY=$display32 tlr_run tlr_ctest "$TLR_BUILD_ROOT/x86" "$TLR_PREFIX32" "$@" || status=1
  else
    log "... beside those of the 64-bit build; their report follows theirs"
    (DISPLAY=$display32 tlr_ctest "$TLR_BUILD_ROOT/x86" "$TLR_PREFIX32" "$@" >"$log32" 2>&1) &
    pid32=$!
  fi
elif tlr_has_arch x86; then
  log "SKIPPED: the tests of the 32-bit build (this machine cannot run 32-bit code)"
fi
if tlr_has_arch x64; then
  log "tests of the 64-bit build (64-bit prefix)"
  tlr_run tlr_ctest "$TLR_BUILD_ROOT/x64" "$TLR_PREFIX64" "$@" || status=1
fi
if [ -n "$pid32" ]; then
  wait "$pid32" || status=1
  log "tests of the 32-bit build:"
  cat "$log32"
fi
# The programs again, in other folders and without the tests: the same bytes.
tlr_run tlr_check_same_programs $TLR_ARCHS || status=1
exit $status
