#!/usr/bin/env bash
# Builds the 64-bit program and pictures each wizard page and the parameter dialogs under
# Wine on a virtual display, into docs/images/ (PNG), for the README.
set -u
source "$(dirname "$0")/lib.sh"

tlr_install_packages || exit 1
tlr_detect_wine
tlr_make_prefix "$TLR_PREFIX64_BARE" win64 bare
mkdir -p "$TLR_BUILD_ROOT"
tlr_build x64 || exit 1
cmake --build "$TLR_BUILD_ROOT/x64" --target wizard_pictures -j"$(nproc)" >/dev/null || exit 1

trap tlr_stop_all EXIT
tlr_start_display
export WINEPREFIX=$TLR_PREFIX64_BARE
wineserver -p
$TLR_WINE cmd /c exit </dev/null >/dev/null 2>&1

out=$TLR_ROOT/docs/images
shots=$(mktemp -d /tmp/tollerup-pictures.XXXXXX)
mkdir -p "$out"
(cd "$TLR_BUILD_ROOT/x64/bin" && $TLR_WINE wizard_pictures.exe "Z:${shots//\//\\}" </dev/null) || status=1
for bmp in "$shots"/*.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" "$out/$(basename "${bmp%.bmp}").png"
  log "picture $out/$(basename "${bmp%.bmp}").png"
done
rm -rf "$shots"
exit ${status:-0}
