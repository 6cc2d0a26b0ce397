# Shared set-up for scripts/test.sh, scripts/run.sh and scripts/bench.sh: packages, Wine
# prefixes, the virtual display and the audio server. Source it; nothing here runs by itself.

TLR_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TLR_BUILD_ROOT=${TLR_BUILD_ROOT:-$TLR_ROOT/build}
TLR_WINE_ROOT=${TLR_WINE_ROOT:-/var/cache/tollerup/wine}
TLR_ARCHS=${TLR_ARCHS:-x86 x64}  # which builds test.sh makes and tests
TLR_PREFIX64=$TLR_WINE_ROOT/pfx64
TLR_PREFIX32=$TLR_WINE_ROOT/pfx32
# The session-ending test ends every program of its prefix, so it has one of its own.
TLR_PREFIX_SESSION=$TLR_WINE_ROOT/pfx-session
# Tests that need the bare screen (no virtual desktop, see tlr_make_prefix) run in these;
# scripts/run.sh, the benchmarks and the wizard pictures use the 64-bit one, so that they
# show the program as it runs on a user's screen.
TLR_PREFIX64_BARE=$TLR_WINE_ROOT/pfx64-bare
TLR_PREFIX32_BARE=$TLR_WINE_ROOT/pfx32-bare
# The tests of the two builds run side by side, each on a display of its own; a prefix
# serves one display. The 32-bit program's refusal under WOW64 therefore runs in a 64-bit
# prefix of the 32-bit tests.
TLR_PREFIX_WOW64=$TLR_WINE_ROOT/pfx64-wow
TLR_PREFIX_VERSION=3  # bump when the prefix preparation changes
# The virtual display, and the desktop window of that size in which the programs of a test
# prefix run (see tlr_make_prefix).
TLR_SCREEN_SIZE=1920x1080

export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="

# Wine as Debian installs it. Its "wine" starts the 32-bit loader first; where the kernel
# cannot run 32-bit code (ia32 emulation off) 64-bit programs need the 64-bit loader
# directly and 32-bit programs cannot run at all. tlr_detect_wine tells which kind of
# machine this is and tlr_choose_wine sets what follows from the kind.
TLR_WINE_WRAPPER=/usr/bin/wine
TLR_WINE32_LOADER=/usr/lib/wine/wine
TLR_WINE64_LOADER=/usr/lib/wine/wine64
TLR_WINE=           # absolute path: CMake keeps a bare name as a path in the build folder
TLR_CAN_RUN_32=0
TLR_MACHINE=        # runs32 or no32

# Set by scripts/test.sh --dry-run: the steps that have effects are printed, not run.
TLR_DRY_RUN=${TLR_DRY_RUN:-}

log() { printf '[tollerup] %s\n' "$*" >&2; }

tlr_packages=(cmake make g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64 wine32:i386
  xvfb xauth x11-utils imagemagick fonts-ipafont-gothic locales pulseaudio pulseaudio-utils
  googletest python3 clang libclang-rt-14-dev)
# What the native fuzz targets need alone (scripts/fuzz.sh): clang with libFuzzer and the
# sanitizer runtimes, which Debian ships in the runtime package of clang's version.
tlr_fuzz_packages=(cmake make clang libclang-rt-14-dev)

# apt-get update, tried again a few times while a mirror is between two states (an index
# whose size does not match its release file is left out, and apt says so on stderr).
tlr_apt_update() {
  local attempt errors
  for attempt in 1 2 3; do
    errors=$(apt-get update -qq 2>&1 >/dev/null | grep '^E:')
    [ -z "$errors" ] && return 0
    log "apt-get update, attempt $attempt: $(printf '%s' "$errors" | head -n 1)"
    [ "$attempt" -lt 3 ] && sleep 10
  done
  return 0  # what did come is used; the install says whether it suffices
}

# Installs the packages given. When the i386 index of the security updates is missing
# (seen: a mirror serving a file of the wrong size), the 32-bit libraries exist only in
# the main suite's versions, which the security versions of their 64-bit twins block: the
# install is then resolved with the security suite at a low priority. When the 32-bit
# packages still cannot be installed, the others are, and the 32-bit tests are skipped
# (the machine counts as one that cannot run 32-bit programs).
tlr_apt_install() {
  local apt=(env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends)
  "${apt[@]}" "$@" >/dev/null && return 0
  if printf '%s\n' "$@" | grep -q ':i386$'; then
    local pin
    pin=$(mktemp /tmp/tollerup-apt-pin.XXXXXX)
    printf 'Package: *\nPin: release l=Debian-Security\nPin-Priority: 100\n' > "$pin"
    log "installing again with the security updates at a low priority (their 32-bit index is missing)"
    "${apt[@]}" -o Dir::Etc::Preferences="$pin" "$@" >/dev/null
    local status=$?
    rm -f "$pin"
    [ $status = 0 ] && return 0
    local native=() p
    for p in "$@"; do case $p in *:i386) ;; *) native+=("$p") ;; esac; done
    log "the 32-bit packages cannot be installed: installing the others; the 32-bit tests will be skipped"
    ((${#native[@]})) || return 0
    "${apt[@]}" "${native[@]}" >/dev/null && return 0
  fi
  log "apt-get install failed: $*"
  return 1
}

# Installs the packages given that are missing; without arguments all of tlr_packages and
# the Japanese locale.
tlr_install_packages() {
  local missing=() p everything=
  (($#)) || { everything=1; set -- "${tlr_packages[@]}"; }
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if ((${#missing[@]})); then
    log "installing: ${missing[*]}"
    if [ "$(id -u)" != 0 ]; then
      log "packages are missing and this is not root: install them or run as root"; return 1
    fi
    if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
      dpkg --add-architecture i386
    fi
    tlr_apt_update
    tlr_apt_install "${missing[@]}" || return 1
  fi
  if [ -n "$everything" ] && ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    log "generating the ja_JP.UTF-8 locale"
    sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
  fi
}

tlr_has_arch() { case " $TLR_ARCHS " in *" $1 "*) return 0;; esac; return 1; }

# Runs a step with effects (installing, preparing, building, starting, testing), or in a
# dry run prints it, one line each, as "would run:" and the words of the command.
tlr_run() {
  if [ -n "$TLR_DRY_RUN" ]; then
    printf 'would run:'; printf ' %q' "$@"; printf '\n'
    return 0
  fi
  "$@"
}

# The kind of this machine: runs32 when the kernel runs the 32-bit loader, else no32.
tlr_machine_kind() {
  if [ -x "$TLR_WINE32_LOADER" ] && "$TLR_WINE32_LOADER" --version >/dev/null 2>&1; then
    echo runs32
  else
    echo no32
  fi
}

# Sets TLR_WINE, TLR_CAN_RUN_32 and the loader for a machine kind: $1 runs32 or no32.
tlr_choose_wine() {
  TLR_MACHINE=$1
  case $1 in
    runs32)
      TLR_WINE=$TLR_WINE_WRAPPER
      TLR_CAN_RUN_32=1
      unset WINELOADER
      log "this machine runs 32-bit programs: Wine is $TLR_WINE"
      ;;
    no32)
      TLR_WINE=$TLR_WINE64_LOADER
      TLR_CAN_RUN_32=0
      export WINELOADER=$TLR_WINE64_LOADER
      log "this machine cannot run 32-bit programs (the kernel's 32-bit emulation is off): Wine is $TLR_WINE"
      log "TLR32.exe and its tests are built, but they can only run on another machine"
      ;;
    *)
      log "unknown kind of machine: $1 (runs32 or no32)"
      return 1
      ;;
  esac
}

# $1, when given, pretends a kind of machine (for a dry run); else the machine is asked.
tlr_detect_wine() {
  export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
  tlr_choose_wine "${1:-$(tlr_machine_kind)}"
}

# Creates a prefix once: $1 folder, $2 win64 or win32, $3 "bare" for one whose programs
# run on the bare screen instead of a virtual desktop.
tlr_make_prefix() {
  local pfx=$1 arch=$2 screen=${3:-desktop}
  if [ -f "$pfx/.tollerup-ready" ] && [ "$(cat "$pfx/.tollerup-ready")" = "$TLR_PREFIX_VERSION" ]; then
    return 0
  fi
  log "preparing the Wine prefix $pfx ($arch)"
  rm -rf "$pfx"; mkdir -p "$(dirname "$pfx")"
  WINEPREFIX=$pfx WINEARCH=$arch $TLR_WINE wineboot -i >/dev/null 2>&1
  # Japanese dialog fonts, as on a Japanese Windows.
  local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
  local pair
  for pair in 'ＭＳ Ｐゴシック=IPAPGothic' 'ＭＳ ゴシック=IPAGothic' 'MS Shell Dlg=IPAPGothic' \
              'MS Shell Dlg 2=IPAPGothic' 'MS UI Gothic=IPAPGothic'; do
    WINEPREFIX=$pfx $TLR_WINE reg add "$key" /v "${pair%%=*}" /t REG_SZ /d "${pair#*=}" /f >/dev/null 2>&1
  done
  # Every program of the prefix runs inside one desktop window as large as the display. A
  # window that is destroyed then goes at once: without a window manager the display keeps
  # a destroyed window for about two seconds, and a program waits for each of its windows
  # to go (a met screen watch acted some ten seconds after the change instead of one).
  # In the desktop window, though, Wine 8 places the pointer of a crossing event by where
  # the window is after a move instead of where it was: a window moved under the pointer
  # (the range drag) hears of a pointer position that never was. Its test needs the bare
  # screen.
  if [ "$screen" != bare ]; then
    WINEPREFIX=$pfx $TLR_WINE reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1
    WINEPREFIX=$pfx $TLR_WINE reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ \
      /d "$TLR_SCREEN_SIZE" /f >/dev/null 2>&1
  fi
  WINEPREFIX=$pfx wineserver -w
  # A new prefix links the Desktop to the Linux home folder: make it a real folder inside
  # the prefix, so that desktop shortcuts made by the tests stay there.
  local desktop
  for desktop in "$pfx"/drive_c/users/*/Desktop; do
    if [ -L "$desktop" ]; then rm -f "$desktop" && mkdir -p "$desktop"; fi
  done
  echo "$TLR_PREFIX_VERSION" > "$pfx/.tollerup-ready"
}

# The prefixes of the tests of a build that can run here: $1 x64 or x86; one folder a line.
tlr_test_prefixes() {
  case $1 in
    x64) printf '%s\n' "$TLR_PREFIX64" "$TLR_PREFIX_SESSION" "$TLR_PREFIX64_BARE" ;;
    x86) [ "$TLR_CAN_RUN_32" = 1 ] && printf '%s\n' "$TLR_PREFIX32" "$TLR_PREFIX32_BARE" "$TLR_PREFIX_WOW64" ;;
  esac
  return 0
}

tlr_prepare_prefixes() {
  if tlr_has_arch x64; then
    tlr_run tlr_make_prefix "$TLR_PREFIX64" win64
    tlr_run tlr_make_prefix "$TLR_PREFIX_SESSION" win64
    tlr_run tlr_make_prefix "$TLR_PREFIX64_BARE" win64 bare
  fi
  if tlr_has_arch x86 && [ "$TLR_CAN_RUN_32" = 1 ]; then
    tlr_run tlr_make_prefix "$TLR_PREFIX32" win32
    tlr_run tlr_make_prefix "$TLR_PREFIX32_BARE" win32 bare
    tlr_run tlr_make_prefix "$TLR_PREFIX_WOW64" win64
  fi
}

TLR_STARTED_XVFB=()
# A display of our own: Xvfb chooses a free number itself and reports it, so that runs
# started at the same moment never share a display (one run ending its display would end
# the programs of the other). $1: its size, width x height x depth (default $TLR_SCREEN_SIZE).
tlr_start_display() {
  local size=${1:-${TLR_SCREEN_SIZE}x24} report
  report=$(mktemp /tmp/tollerup-display.XXXXXX)
  Xvfb -displayfd 3 -screen 0 "$size" -nolisten tcp 3>"$report" >/dev/null 2>&1 &
  local pid=$!
  TLR_STARTED_XVFB+=("$pid")
  local i
  for i in $(seq 100); do
    [ -s "$report" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  local n
  n=$(head -n 1 "$report")
  rm -f "$report"
  if [ -z "$n" ]; then
    log "the virtual display did not start"
    return 1
  fi
  export DISPLAY=:$n
  log "virtual display $DISPLAY ($size)"
}

# Ends the display that tlr_start_display started last.
tlr_stop_display() {
  local n=${#TLR_STARTED_XVFB[@]}
  [ "$n" -gt 0 ] || return 0
  local pid=${TLR_STARTED_XVFB[$((n - 1))]}
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  unset "TLR_STARTED_XVFB[$((n - 1))]"
}

TLR_STARTED_PULSE=
tlr_start_audio() {
  export XDG_RUNTIME_DIR=${TLR_RUNTIME_DIR:-$(mktemp -d /tmp/tollerup-run.XXXXXX)}
  chmod 700 "$XDG_RUNTIME_DIR"
  if pulseaudio -D --exit-idle-time=-1 -n --load="module-null-sink sink_name=nullsink" \
       --load=module-native-protocol-unix >/dev/null 2>&1; then
    TLR_STARTED_PULSE=1
    log "audio server with a null sink in $XDG_RUNTIME_DIR"
  else
    log "the audio server did not start; media tests will see no device"
  fi
}

# Keeps one wineserver per prefix of a build's tests for the whole run, with the prefix's
# services already started: services started by a test would inherit the test runner's
# output pipes and keep them open after the test has ended. $1 x64 or x86; the prefixes
# go with the display in DISPLAY.
tlr_start_wineservers() {
  local pfx
  while read -r pfx; do
    [ -n "$pfx" ] || continue
    WINEPREFIX=$pfx wineserver -p
    WINEPREFIX=$pfx $TLR_WINE cmd /c exit </dev/null >/dev/null 2>&1
  done < <(tlr_test_prefixes "$1")
}

tlr_stop_all() {
  local pfx pid
  for pfx in "$TLR_PREFIX64" "$TLR_PREFIX_SESSION" "$TLR_PREFIX64_BARE" "$TLR_PREFIX32" "$TLR_PREFIX32_BARE" \
             "$TLR_PREFIX_WOW64"; do
    [ -d "$pfx" ] && WINEPREFIX=$pfx wineserver -k >/dev/null 2>&1
  done
  if [ -n "$TLR_STARTED_PULSE" ]; then pulseaudio --kill >/dev/null 2>&1; TLR_STARTED_PULSE=; fi
  for pid in "${TLR_STARTED_XVFB[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  TLR_STARTED_XVFB=()
}

# Configures and builds one architecture: $1 x64 or x86, then extra cmake arguments.
tlr_build() {
  local arch=$1; shift
  local triple=x86_64-w64-mingw32
  [ "$arch" = x86 ] && triple=i686-w64-mingw32
  local dir=$TLR_BUILD_ROOT/$arch
  # Only the 64-bit build runs the session-ending test, in its own prefix; the tests on the
  # bare screen run in a prefix of their own too (the 32-bit build's: see test.sh).
  [ "$arch" = x64 ] && set -- "$@" -DTLR_SESSION_ENV="WINEPREFIX=$TLR_PREFIX_SESSION" \
    -DTLR_BARE_SCREEN_ENV="WINEPREFIX=$TLR_PREFIX64_BARE"
  tlr_run tlr_configure "$dir" -S "$TLR_ROOT" -B "$dir" \
    -DCMAKE_TOOLCHAIN_FILE="$TLR_ROOT/cmake/toolchain-$triple.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DTLR_WINE="$TLR_WINE" "$@" || return 1
  tlr_run tlr_compile "$dir"
}

# cmake with the given arguments, its output kept in <build folder>.configure.log: $1 the
# build folder.
tlr_configure() {
  local dir=$1; shift
  cmake "$@" >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; return 1; }
}

tlr_compile() {
  cmake --build "$1" -j"$(nproc)" 2>&1 | grep -E 'error|warning:|Error' ; return "${PIPESTATUS[0]}"
}

# Runs CTest in one build folder with the tests in one prefix: $1 build folder, $2 prefix,
# then CTest arguments.
tlr_ctest() {
  local dir=$1 prefix=$2; shift 2
  (cd "$dir" && WINEPREFIX=$prefix ctest --output-on-failure -j2 "$@")
}

# The program alone, built in Release without tests or benchmarks in a folder of its own:
# what scripts/package.sh ships. $1 x64 or x86. Prints nothing but errors and warnings.
tlr_program_name() { if [ "$1" = x86 ]; then echo TLR32; else echo TLR64; fi; }
tlr_build_release() {
  local arch=$1 triple=x86_64-w64-mingw32
  [ "$arch" = x86 ] && triple=i686-w64-mingw32
  local dir=$TLR_BUILD_ROOT/release-$arch
  mkdir -p "$TLR_BUILD_ROOT"
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    tlr_configure "$dir" -S "$TLR_ROOT" -B "$dir" \
      -DCMAKE_TOOLCHAIN_FILE="$TLR_ROOT/cmake/toolchain-$triple.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DTLR_BUILD_TESTS=OFF -DTLR_BUILD_BENCH=OFF || return 1
  fi
  cmake --build "$dir" --target "$(tlr_program_name "$arch")" -j"$(nproc)" 2>&1 | grep -E 'error|warning:|Error'
  return "${PIPESTATUS[0]}"
}

# The programs of the test builds, built a second time as above (another folder, without
# the tests) must be the same bytes: a time stamp or a folder name in an executable shows
# here. $@ the architectures.
tlr_check_same_programs() {
  local arch name status=0
  for arch in "$@"; do
    name=$(tlr_program_name "$arch").exe
    tlr_build_release "$arch" || return 1
    if cmp -s "$TLR_BUILD_ROOT/$arch/bin/$name" "$TLR_BUILD_ROOT/release-$arch/bin/$name"; then
      log "$name built twice, in two folders: the same bytes"
    else
      log "FAILED: $name built in $TLR_BUILD_ROOT/$arch and in $TLR_BUILD_ROOT/release-$arch differs"
      status=1
    fi
  done
  return $status
}

# The native fuzz targets of the pure files (fuzz/), built with clang and its sanitizers in
# <build root>/fuzz: $1 the build folder.
tlr_fuzz_build() {
  local dir=$1
  mkdir -p "$(dirname "$dir")"
  tlr_configure "$dir" -S "$TLR_ROOT/fuzz" -B "$dir" -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo || return 1
  tlr_compile "$dir"
}

# Replays each target's corpus once (no fuzzing) through CTest: $1 the build folder, then
# CTest arguments. A selection that names none of the replays runs none.
tlr_fuzz_replay() {
  local dir=$1; shift
  (cd "$dir" && ctest --output-on-failure -j2 "$@")
}
