#!/usr/bin/env bash
# A fuzzing campaign over the portable core: builds the libFuzzer targets with
# clang, then runs each for RUNS executions (or SECONDS at the most), growing
# its corpus in tests/fuzz/corpus/<target>/ so that the test command replays
# what was found. Prints executions, coverage and corpus size per target.
#
#   tools/fuzz.sh [--runs N] [--seconds S] [--max-len BYTES] [--chunk S] [--jobs J] [TARGET...]
#        (defaults: 10000000 runs, 3600 seconds each, 4096 bytes, chunks of
#         600 seconds, 1 process at a time, every target)
#
# A fuzzer process slows down the longer it runs (its sanitized heap spreads:
# the checker's target fell to half its pace within twenty minutes), so the
# campaign runs in chunks: a fresh process for each, started from the corpus
# as the last chunk left it, until the runs or the seconds are used up. With
# --jobs, J processes share each chunk's runs, each with a scratch folder of its
# own; the executions of all count.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
root=${KESTRO_BUILD_ROOT:-$repo/build}
runs=10000000
seconds=3600
max_len=4096
chunk=600
jobs=1
targets=()
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --max-len) max_len=$2; shift 2 ;;
    --chunk) chunk=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    -*) echo "usage: tools/fuzz.sh [--runs N] [--seconds S] [--max-len BYTES] [--chunk S] [--jobs J] [TARGET...]" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_loader fuzz_params fuzz_engine fuzz_key_scan fuzz_launch_args fuzz_checker fuzz_wide_text)

bash "$repo/tools/setup.sh"
cmake -S "$repo" -B "$root/fuzz" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DKESTRO_FUZZ=ON >/dev/null
cmake --build "$root/fuzz" -j 2 --target "${targets[@]}" >/dev/null

# Two frames of where each block was allocated instead of thirty make every
# execution cheaper; fewer than two would silence the leak checker, which
# counts a block without a caller as still in use.
export ASAN_OPTIONS=${ASAN_OPTIONS:-malloc_context_size=2}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$repo/tests/fuzz/lsan.supp}

printf '%-18s %12s %10s %10s %8s %s\n' target executions coverage features corpus result
for t in "${targets[@]}"; do
  corpus=$repo/tests/fuzz/corpus/$t
  mkdir -p "$corpus"
  log=$root/fuzz/$t.campaign.log
  : >"$log"
  result=clean
  execs=0
  started=$(date +%s)
  while :; do
    left_runs=$((runs - execs))
    left_seconds=$((seconds - ($(date +%s) - started)))
    [ "$left_runs" -gt 0 ] && [ "$left_seconds" -gt 0 ] || break
    [ "$left_seconds" -lt "$chunk" ] || left_seconds=$chunk
    # New inputs go into a scratch folder (the first one given); the corpus in
    # the repository is read as the starting point. -max_len bounds an input.
    scratches=()
    parts=()
    pids=()
    for _ in $(seq "$jobs"); do
      scratches+=("$(mktemp -d)")
      parts+=("$(mktemp)")
      "$root/fuzz/tests/fuzz/$t" -runs=$(((left_runs + jobs - 1) / jobs)) -max_total_time="$left_seconds" \
        -timeout=10 -max_len="$max_len" -print_final_stats=1 -artifact_prefix="$root/fuzz/$t-" \
        "${scratches[-1]}" "$corpus" \
        >"${parts[-1]}" 2>&1 &
      pids+=($!)
    done
    status=0
    for j in "${!pids[@]}"; do
      wait "${pids[$j]}" || status=$?
      cat "${parts[$j]}" >>"$log"
      ran=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+).*/\1/p' "${parts[$j]}" | tail -n1)
      execs=$((execs + ${ran:-0}))
      done_line=$(grep -E '^#[0-9]+' "${parts[$j]}" | tail -n1 || true)
    done
    # Only the new inputs that add coverage join the corpus; its named seeds stay.
    "$root/fuzz/tests/fuzz/$t" -merge=1 "$corpus" "${scratches[@]}" >>"$log" 2>&1 || true
    rm -rf "${scratches[@]}" "${parts[@]}"
    if [ "$status" -ne 0 ]; then
      result="FAILED (see $log; the input is in $root/fuzz/$t-*)"
      break
    fi
  done
  cov=$(sed -nE 's/.* cov: ([0-9]+).*/\1/p' <<<"${done_line:-}")
  ft=$(sed -nE 's/.* ft: ([0-9]+).*/\1/p' <<<"${done_line:-}")
  files=$(ls "$corpus" | wc -l)
  printf '%-18s %12s %10s %10s %8s %s\n' "$t" "$execs" "${cov:-?}" "${ft:-?}" "$files" "$result"
done
