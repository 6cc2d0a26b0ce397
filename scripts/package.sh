#!/usr/bin/env bash
# Makes the download for Windows users: builds TLR64.exe and TLR32.exe in Release from the
# working tree and writes dist/tollerup-<version>.zip with the two programs, the guide in
# Japanese (README.txt, from docs/guide_ja.txt) and SHA256SUMS. Prints the zip's path and
# its SHA-256.
#
#   scripts/package.sh              build, pack and check the zip
#   scripts/package.sh --no-check   build and pack only
#
# The same commit gives the same bytes on any machine of the same kind: the programs carry
# no time stamp and no folder name, and every entry of the zip has the commit's date
# (SOURCE_DATE_EPOCH when it is set), in the order of their names.
#
# The check unpacks the zip into a new folder whose name has a blank and Japanese
# characters, starts TLR64.exe there (its current folder) in a new 64-bit Wine prefix and
# TLR32.exe in a new 32-bit one, and expects each to open the wizard and to keep its
# settings file in that folder.
set -u
source "$(dirname "$0")/lib.sh"

check=1
case ${1:-} in
  --no-check) check=0 ;;
  "") ;;
  *) log "unknown argument: $1 (only --no-check)"; exit 2 ;;
esac

PYTHON=/usr/bin/python3  # Debian's own, as the packages install it: the same zlib everywhere
DIST=$TLR_ROOT/dist

tlr_install_packages || exit 1
tlr_detect_wine || exit 1

epoch=${SOURCE_DATE_EPOCH:-$(git -C "$TLR_ROOT" log -1 --format=%ct 2>/dev/null)}
if [ -z "$epoch" ]; then
  log "no commit to date the zip by: set SOURCE_DATE_EPOCH"
  exit 1
fi
if [ -n "$(git -C "$TLR_ROOT" status --porcelain 2>/dev/null)" ]; then
  log "the working tree has changes that are not committed: the zip holds them, dated by the last commit"
fi

for arch in x64 x86; do
  log "building $(tlr_program_name $arch).exe in Release"
  tlr_build_release $arch || exit 1
done

version_of() {  # the version the build folder of $1 was configured with
  sed -n 's/^#define TLR_VERSION_TEXT "\(.*\)"$/\1/p' "$TLR_BUILD_ROOT/release-$1/generated/tollerup_version.h"
}
version=$(version_of x64)
if [ -z "$version" ] || [ "$version" != "$(version_of x86)" ]; then
  log "the two builds do not tell the same version: '$version' and '$(version_of x86)'"
  exit 1
fi

mkdir -p "$DIST"
zip=$DIST/tollerup-$version.zip
"$PYTHON" "$TLR_ROOT/scripts/pack_zip.py" --date "$epoch" --guide "$TLR_ROOT/docs/guide_ja.txt" --out "$zip" \
  "$TLR_BUILD_ROOT/release-x64/bin/TLR64.exe" "$TLR_BUILD_ROOT/release-x86/bin/TLR32.exe" || exit 1

# Starts a program of the unpacked folder in a new prefix and waits for the wizard:
# $1 prefix, $2 win64 or win32, $3 folder, $4 program.
starts_into_wizard() {
  local pfx=$1 arch=$2 folder=$3 program=$4 pid i shown=
  log "starting $program in a new $arch prefix, in \"$folder\""
  WINEPREFIX=$pfx WINEARCH=$arch $TLR_WINE wineboot -i >/dev/null 2>&1
  # As a double click does: the program's folder is the current one, its path quoted.
  (cd "$folder" && WINEPREFIX=$pfx exec $TLR_WINE "$folder/$program") >/dev/null 2>&1 &
  pid=$!
  for i in $(seq 600); do
    if xwininfo -root -tree 2>/dev/null | grep -q '"Tollerup モード指定'; then shown=1; break; fi
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
  done
  local ini=
  [ -f "$folder/TLR.ini" ] && ini=$(tr -d '\r' <"$folder/TLR.ini")
  WINEPREFIX=$pfx wineserver -k >/dev/null 2>&1
  wait $pid 2>/dev/null
  rm -f "$folder/TLR.ini"
  if [ -z "$shown" ]; then
    log "FAILED: $program did not open the wizard"
    return 1
  fi
  if ! grep -qx 'PCHandle=0' <<<"$ini"; then
    log "FAILED: $program kept no settings file in its folder"
    return 1
  fi
  log "$program opened the wizard and keeps its settings in its folder"
}

# The check's folder, prefixes and display, removed however the script ends.
check_work=
check_cleanup() {
  [ -n "$check_work" ] || return 0
  WINEPREFIX=$check_work/pfx64 wineserver -k >/dev/null 2>&1
  WINEPREFIX=$check_work/pfx32 wineserver -k >/dev/null 2>&1
  if [ -n "$TLR_STARTED_XVFB" ]; then
    kill "$TLR_STARTED_XVFB" 2>/dev/null; wait "$TLR_STARTED_XVFB" 2>/dev/null; TLR_STARTED_XVFB=
  fi
  rm -rf "$check_work"
  check_work=
}

check_zip() {  # $1 zip
  local status=0
  check_work=$(mktemp -d /tmp/tollerup-package.XXXXXX)
  local folder="$check_work/展開 テスト"
  "$PYTHON" "$TLR_ROOT/scripts/pack_zip.py" --unpack "$1" --out "$folder" || return 1
  tlr_start_display || return 1
  starts_into_wizard "$check_work/pfx64" win64 "$folder" TLR64.exe || status=1
  if [ "$TLR_CAN_RUN_32" = 1 ]; then
    starts_into_wizard "$check_work/pfx32" win32 "$folder" TLR32.exe || status=1
  else
    log "SKIPPED: TLR32.exe (this machine cannot run 32-bit code)"
  fi
  return $status
}

if [ $check = 1 ]; then
  trap check_cleanup EXIT
  if ! check_zip "$zip"; then
    rm -f "$zip"  # not to be shipped by mistake
    log "FAILED: the zip did not pass its check and was removed: $zip"
    exit 1
  fi
  check_cleanup
fi
sha256sum "$zip"
