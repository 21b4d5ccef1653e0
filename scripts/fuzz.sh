#!/usr/bin/env bash
# Builds the parsers' fuzzers with clang 14 (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# in build-fuzz and runs each for a set time, then prints executions and findings per fuzzer.
#   scripts/fuzz.sh [SECONDS] [TARGET...]     SECONDS per fuzzer, default 60; TARGET: wav, ogg, ...
#   QR_FUZZ_JOBS=2 scripts/fuzz.sh 600       two fuzzers at a time
# The corpus grows in build-fuzz/corpus/<target> across runs; it starts from the generated seeds
# and the kept inputs in tests/reliability/fuzz_cases/<target>. A finding is written to
# build-fuzz/findings/<target>/; keep it in fuzz_cases once it is fixed, so the test suite replays it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-fuzz"
seconds=${1:-60}
shift || true
all_targets=(wav ogg image string_load state url http_response peek_string)
if [ $# -gt 0 ]; then targets=("$@"); else targets=("${all_targets[@]}"); fi

# Rounds of the fuzzers: a run that needs more memory than this, or an input that takes longer
# than this many seconds, is a finding too.
rss_limit_mb=2048
input_timeout=10

bash "$top/scripts/deps.sh"

sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
CC=clang-14 CXX=clang++-14 cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQR_FUZZ=ON \
  -DCMAKE_C_FLAGS="$sanitizers -fsanitize=fuzzer-no-link" \
  -DCMAKE_CXX_FLAGS="$sanitizers -fsanitize=fuzzer-no-link" \
  -DCMAKE_EXE_LINKER_FLAGS="$sanitizers" >/dev/null
build_targets=(fuzz_seeds)
for t in "${targets[@]}"; do build_targets+=("fuzz_$t"); done
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target "${build_targets[@]}"

rm -rf "$build/seeds"
"$build/fuzz/fuzz_seeds" "$build/seeds" >/dev/null

# An impossible allocation returns null as the C library's does, rather than ending the run: only
# what the program then does with it can be a finding. Leaks are looked for when a fuzzer ends, not
# after every input (the collector frees garbage later, by design).
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:allocator_may_return_null=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$top/fuzz/lsan.supp}
export ALSOFT_DRIVERS=null

# One fuzzer: replays its earlier findings, runs for the set time, and writes its report line.
fuzz_one() {
  local t=$1
  local corpus="$build/corpus/$t" findings="$build/findings/$t" kept="$top/tests/reliability/fuzz_cases/$t"
  local log="$build/logs/$t.log"
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  # Findings of earlier runs that no longer fail are fixed: they leave the findings folder.
  for old in "$findings"/*; do
    [ -f "$old" ] || continue
    if "$build/fuzz/fuzz_$t" -detect_leaks=0 "$old" >/dev/null 2>&1; then rm -f "$old"; fi
  done
  local inputs=("$corpus" "$build/seeds/$t")
  if [ -d "$kept" ]; then inputs+=("$kept"); fi
  echo "== fuzz_$t for ${seconds}s =="
  local status=0
  "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout="$input_timeout" -rss_limit_mb="$rss_limit_mb" \
    -artifact_prefix="$findings/" -detect_leaks=0 -close_fd_mask=1 -print_final_stats=1 "${inputs[@]}" >"$log" 2>&1 || status=$?
  local execs cov found
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1 || true)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*' || true)
  found=$(find "$findings" -type f | wc -l)
  if [ "$status" -ne 0 ] && [ "$found" -eq 0 ]; then found=1; fi
  printf '%-14s %12s executions %8s edges %4s findings\n' "$t" "${execs:-?}" "${cov:-?}" "$found" >"$log.result"
  if [ "$found" -ne 0 ]; then
    echo "fuzz_$t: finding(s) in $findings (log $log):"
    grep -E 'ERROR|qr-fuzz|SUMMARY' "$log" | head -5 || true
  fi
}

# QR_FUZZ_JOBS fuzzers run at once (one core each); the default is one at a time.
jobs=${QR_FUZZ_JOBS:-1}
running=0
for t in "${targets[@]}"; do
  fuzz_one "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait || true

echo "== fuzzing: ${seconds}s per fuzzer =="
open_findings=0
for t in "${targets[@]}"; do
  line=$(cat "$build/logs/$t.log.result" 2>/dev/null || printf '%-14s did not run 1 findings' "$t")
  echo "$line"
  open_findings=$((open_findings + $(echo "$line" | awk '{print $(NF-1)}')))
done
echo "open findings: $open_findings"
[ "$open_findings" -eq 0 ]
