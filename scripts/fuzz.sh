#!/usr/bin/env bash
# Builds the fuzz targets of the pure files (fuzz/) natively with clang, libFuzzer and the
# address and undefined-behaviour sanitizers, and fuzzes each target for SECONDS, one after
# another.
#
#   scripts/fuzz.sh [--merge] SECONDS [target ...]
#
# Each target starts from its corpus in fuzz/corpus/<target> and the grammar's words in
# fuzz/tollerup.dict, and keeps what it finds new in build/fuzz-work/<target>. For each
# target it prints the name, the executions, the coverage and whether it found a fault.
# An input that crashes a target or breaks one of its properties is kept in
# build/fuzz-findings/<target>/, and the script then exits non-zero. --merge adds the new
# inputs that reach new coverage to fuzz/corpus/<target> (to be committed), so that the
# test run replays them.
set -u
source "$(dirname "$0")/lib.sh"

merge=
if [ "${1:-}" = --merge ]; then merge=1; shift; fi
seconds=${1:-}
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "usage: scripts/fuzz.sh [--merge] SECONDS [target ...]" >&2
  exit 2
fi
shift

tlr_install_packages "${tlr_fuzz_packages[@]}" || exit 1
build=$TLR_BUILD_ROOT/fuzz
tlr_fuzz_build "$build" || exit 1

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for src in "$TLR_ROOT"/fuzz/*_fuzz.cpp; do targets+=("$(basename "$src" _fuzz.cpp)"); done
fi

export UBSAN_OPTIONS=print_stacktrace=1
status=0
for name in "${targets[@]}"; do
  exe=$build/fuzz_$name
  [ -x "$exe" ] || { log "no fuzz target $name"; status=2; continue; }
  work=$TLR_BUILD_ROOT/fuzz-work/$name
  findings=$TLR_BUILD_ROOT/fuzz-findings/$name
  seeds=$TLR_ROOT/fuzz/corpus/$name
  mkdir -p "$work" "$findings" "$seeds"
  output=$TLR_BUILD_ROOT/fuzz-work/$name.log
  marker=$TLR_BUILD_ROOT/fuzz-work/$name.start
  touch "$marker"
  log "fuzzing $name for $seconds s"
  # New inputs go into the first folder; the committed corpus is only read.
  "$exe" "$work" "$seeds" -dict="$TLR_ROOT/fuzz/tollerup.dict" -max_total_time="$seconds" \
    -artifact_prefix="$findings/" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 >"$output" 2>&1
  code=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$output" | tail -n 1)
  coverage=$(grep -oE '^#[0-9]+[[:space:]]+(DONE|INITED|NEW|REDUCE|pulse)[[:space:]]+cov: [0-9]+ ft: [0-9]+ corp: [0-9]+' "$output" |
    tail -n 1 | sed -E 's/.*cov: ([0-9]+) ft: ([0-9]+) corp: ([0-9]+)/cov: \1, ft: \2, corpus: \3/')
  if [ $code = 0 ]; then
    printf '%s: %s executions in %s s, %s, no finding\n' "fuzz_$name" "${executions:-?}" "$seconds" "${coverage:-?}"
  else
    status=1
    printf '%s: FINDING after %s executions (exit %s), kept in: %s\n' "fuzz_$name" "${executions:-?}" "$code" \
      "$(find "$findings" -type f -newer "$marker" | tr '\n' ' ')"
    grep -E 'PROPERTY FAILED|runtime error|ERROR: AddressSanitizer|ERROR: libFuzzer' "$output" | head -n 3
    log "the whole output is in $output"
  fi
  if [ -n "$merge" ] && [ $code = 0 ]; then
    "$exe" -merge=1 "$seeds" "$work" >"$output.merge" 2>&1 || log "merging the corpus of $name failed: $output.merge"
    log "$name: $(ls "$seeds" | wc -l) inputs in fuzz/corpus/$name"
  fi
done
exit $status
