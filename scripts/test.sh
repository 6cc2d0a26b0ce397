#!/usr/bin/env bash
# Installs what is missing, builds TLR64.exe and TLR32.exe with their tests, and runs
# every test under Wine on a virtual display with a null audio sink.
set -u
source "$(dirname "$0")/lib.sh"

tlr_install_packages || exit 1
tlr_detect_wine
tlr_prepare_prefixes
mkdir -p "$TLR_BUILD_ROOT"

has_arch() { case " $TLR_ARCHS " in *" $1 "*) return 0;; esac; return 1; }
if has_arch x86; then
  log "building the 32-bit program and its tests"
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

trap tlr_stop_all EXIT
tlr_start_display
tlr_start_audio
tlr_start_wineservers

status=0
if has_arch x64; then
  log "tests of the 64-bit build (64-bit prefix)"
  (cd "$TLR_BUILD_ROOT/x64" && WINEPREFIX=$TLR_PREFIX64 ctest --output-on-failure -j2 "$@") || status=1
fi
if ! has_arch x86; then
  :
elif [ "$TLR_CAN_RUN_32" = 1 ]; then
  log "tests of the 32-bit build (32-bit prefix)"
  (cd "$TLR_BUILD_ROOT/x86" && WINEPREFIX=$TLR_PREFIX32 ctest --output-on-failure -j2 "$@") || status=1
else
  log "SKIPPED: the tests of the 32-bit build (this machine cannot run 32-bit code)"
fi
exit $status
