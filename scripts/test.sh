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

has_arch() { case " $TLR_ARCHS " in *" $1 "*) return 0;; esac; return 1; }
if has_arch x86; then
  log "building the 32-bit program and its tests"
  # The WOW64 refusal runs the 32-bit test in the 64-bit prefix.
  wow64_env=
  [ "$TLR_CAN_RUN_32" = 1 ] && wow64_env="WINEPREFIX=$TLR_PREFIX64"
  tlr_build x86 -DTLR_WOW64_ENV="$wow64_env" || exit 1
fi
if has_arch x64; then
  log "building the 64-bit program and its tests"
  other=
  has_arch x86 && other="TLR_OTHER_PROGRAM=$TLR_BUILD_ROOT/x86/bin/TLR32.exe"
  tlr_build x64 -DTLR_TEST_ENV="$other" || exit 1
fi

# The pure files natively, no display needed: a parser that fails its corpus fails the run.
log "building the fuzz targets natively and replaying their corpus"
tlr_run tlr_fuzz_build "$TLR_BUILD_ROOT/fuzz" || exit 1
status=0
tlr_run tlr_fuzz_replay "$TLR_BUILD_ROOT/fuzz" "$@" || status=1

[ -z "$TLR_DRY_RUN" ] && trap tlr_stop_all EXIT
tlr_run tlr_start_display || exit 1
tlr_run tlr_start_audio
tlr_run tlr_start_wineservers

if has_arch x64; then
  log "tests of the 64-bit build (64-bit prefix)"
  tlr_run tlr_ctest "$TLR_BUILD_ROOT/x64" "$TLR_PREFIX64" "$@" || status=1
fi
if ! has_arch x86; then
  :
elif [ "$TLR_CAN_RUN_32" = 1 ]; then
  log "tests of the 32-bit build (32-bit prefix; the WOW64 refusal in the 64-bit prefix)"
  tlr_run tlr_ctest "$TLR_BUILD_ROOT/x86" "$TLR_PREFIX32" "$@" || status=1
else
  log "SKIPPED: the tests of the 32-bit build (this machine cannot run 32-bit code)"
fi
exit $status
