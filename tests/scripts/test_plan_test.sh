#!/usr/bin/env bash
# What scripts/test.sh does on each kind of machine, from its dry run: where the kernel
# runs 32-bit code and where it does not. Needs neither Wine nor a build.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
failures=0

fail() {
  printf 'FAILED (%s): %s\n' "$case_name" "$1"
  failures=$((failures + 1))
}
expect_line() {  # a line of the plan that must be there (a fixed string)
  grep -qxF -- "$1" <<<"$plan" || fail "missing line: $1"
}
expect_no_match() {  # a pattern that no line of the plan may match
  ! grep -qE -- "$1" <<<"$plan" || fail "unexpected line matching: $1"
}
plan_for() {  # $1 machine kind, then environment assignments
  local kind=$1; shift
  case_name="$kind $*"
  plan=$(env TLR_ARCHS="x86 x64" TLR_DRY_RUN= TLR_BUILD_ROOT=/b TLR_WINE_ROOT=/w "$@" "$root/scripts/test.sh" --dry-run --machine="$kind" -R e2e 2>&1)
  local status=$?
  [ $status = 0 ] || fail "the dry run ended with $status"
}

# A machine that runs 32-bit code: Wine by its absolute path, the 32-bit tests in the
# 32-bit prefix and the WOW64 refusal in a 64-bit prefix of their own; each build's tests on
# a display of their own.
plan_for runs32
expect_line "[tollerup] this machine runs 32-bit programs: Wine is /usr/bin/wine"
expect_line "would run: tlr_make_prefix /w/pfx64 win64"
expect_line "would run: tlr_make_prefix /w/pfx-session win64"
expect_line "would run: tlr_make_prefix /w/pfx64-bare win64 bare"
expect_line "would run: tlr_make_prefix /w/pfx32 win32"
expect_line "would run: tlr_make_prefix /w/pfx32-bare win32 bare"
expect_line "would run: tlr_make_prefix /w/pfx64-wow win64"
expect_line "would run: tlr_configure /b/x86 -S $root -B /b/x86 -DCMAKE_TOOLCHAIN_FILE=$root/cmake/toolchain-i686-w64-mingw32.cmake -DCMAKE_BUILD_TYPE=Release -DTLR_WINE=/usr/bin/wine -DTLR_WOW64_ENV=WINEPREFIX=/w/pfx64-wow -DTLR_BARE_SCREEN_ENV=WINEPREFIX=/w/pfx32-bare"
expect_line "would run: tlr_configure /b/x64 -S $root -B /b/x64 -DCMAKE_TOOLCHAIN_FILE=$root/cmake/toolchain-x86_64-w64-mingw32.cmake -DCMAKE_BUILD_TYPE=Release -DTLR_WINE=/usr/bin/wine -DTLR_TEST_ENV=TLR_OTHER_PROGRAM=/b/x86/bin/TLR32.exe -DTLR_SESSION_ENV=WINEPREFIX=/w/pfx-session -DTLR_BARE_SCREEN_ENV=WINEPREFIX=/w/pfx64-bare"
expect_line "would run: tlr_ctest /b/x64 /w/pfx64 -R e2e"
expect_line "would run: tlr_ctest /b/x86 /w/pfx32 -R e2e"
expect_line "would run: tlr_check_same_programs x86 x64"
[ "$(grep -c '^would run: tlr_start_display$' <<<"$plan")" = 2 ] || fail "not one display for each build"
expect_line "would run: tlr_start_wineservers x64"
expect_line "would run: tlr_start_wineservers x86"
expect_no_match "SKIPPED"
# The fuzz targets are built natively and replay their corpus, with the same selection.
expect_line "would run: tlr_fuzz_build /b/fuzz"
expect_line "would run: tlr_fuzz_replay /b/fuzz -R e2e"
# Whatever the kind, CMake never gets Wine by a bare name.
expect_no_match "-DTLR_WINE=[^/]"

# A machine whose kernel runs no 32-bit code: the 64-bit loader, no 32-bit prefix, the
# 32-bit program built but its tests skipped, and said so.
plan_for no32
expect_line "[tollerup] this machine cannot run 32-bit programs (the kernel's 32-bit emulation is off): Wine is /usr/lib/wine/wine64"
expect_line "would run: tlr_make_prefix /w/pfx64 win64"
expect_line "would run: tlr_make_prefix /w/pfx64-bare win64 bare"
expect_no_match "pfx32"
expect_line "would run: tlr_configure /b/x86 -S $root -B /b/x86 -DCMAKE_TOOLCHAIN_FILE=$root/cmake/toolchain-i686-w64-mingw32.cmake -DCMAKE_BUILD_TYPE=Release -DTLR_WINE=/usr/lib/wine/wine64 -DTLR_WOW64_ENV= -DTLR_BARE_SCREEN_ENV="
expect_line "would run: tlr_compile /b/x86"
expect_line "would run: tlr_ctest /b/x64 /w/pfx64 -R e2e"
expect_no_match "tlr_ctest /b/x86"
expect_no_match "tlr_start_wineservers x86"
[ "$(grep -c '^would run: tlr_start_display$' <<<"$plan")" = 1 ] || fail "a display for tests that do not run"
expect_line "[tollerup] SKIPPED: the tests of the 32-bit build (this machine cannot run 32-bit code)"
expect_line "would run: tlr_fuzz_replay /b/fuzz -R e2e"
expect_no_match "-DTLR_WINE=[^/]"

# One build only: nothing of the other is made, tested or reported as skipped.
plan_for no32 TLR_ARCHS=x64
expect_no_match "/b/x86"
expect_line "would run: tlr_check_same_programs x64"
expect_no_match "pfx32|pfx64-wow"
expect_no_match "SKIPPED"
expect_line "would run: tlr_ctest /b/x64 /w/pfx64 -R e2e"
expect_line "would run: tlr_fuzz_replay /b/fuzz -R e2e"
plan_for runs32 TLR_ARCHS=x86
expect_no_match "/b/x64"
expect_no_match "pfx-session|pfx64-bare"
expect_line "would run: tlr_ctest /b/x86 /w/pfx32 -R e2e"

# The pretended kind is only for a dry run, and an unknown kind is refused.
case_name="refusals"
env TLR_DRY_RUN= TLR_BUILD_ROOT=/b TLR_WINE_ROOT=/w "$root/scripts/test.sh" --machine=no32 >/dev/null 2>&1
[ $? = 2 ] || fail "--machine without --dry-run was not refused"
env TLR_DRY_RUN= TLR_BUILD_ROOT=/b TLR_WINE_ROOT=/w "$root/scripts/test.sh" --dry-run --machine=arm >/dev/null 2>&1
[ $? = 2 ] || fail "an unknown kind of machine was not refused"

if [ $failures -gt 0 ]; then
  printf '%d check(s) failed\n' "$failures"
  exit 1
fi
echo "the plans of both kinds of machine are as expected"
