#!/usr/bin/env bash
# A fuzzing campaign over the portable core: builds the libFuzzer targets with
# clang, then runs each for RUNS executions (or SECONDS at the most), growing
# its corpus in tests/fuzz/corpus/<target>/ so that the test command replays
# what was found. Prints executions, coverage and corpus size per target.
#
#   tools/fuzz.sh [--runs N] [--seconds S] [--max-len BYTES] [TARGET...]
#        (defaults: 10000000 runs, 3600 seconds each, 4096 bytes, every target)
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
root=${KESTRO_BUILD_ROOT:-$repo/build}
runs=10000000
seconds=3600
max_len=4096
targets=()
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --max-len) max_len=$2; shift 2 ;;
    -*) echo "usage: tools/fuzz.sh [--runs N] [--seconds S] [--max-len BYTES] [TARGET...]" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_loader fuzz_params fuzz_engine fuzz_key_scan fuzz_launch_args fuzz_checker)

bash "$repo/tools/setup.sh"
cmake -S "$repo" -B "$root/fuzz" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DKESTRO_FUZZ=ON >/dev/null
cmake --build "$root/fuzz" -j 2 --target "${targets[@]}" >/dev/null

# Two frames of where each block was allocated instead of thirty make every
# execution cheaper; fewer than two would silence the leak checker, which
# counts a block without a caller as still in use.
export ASAN_OPTIONS=${ASAN_OPTIONS:-malloc_context_size=2}

printf '%-18s %12s %10s %10s %8s %s\n' target executions coverage features corpus result
for t in "${targets[@]}"; do
  corpus=$repo/tests/fuzz/corpus/$t
  mkdir -p "$corpus"
  log=$root/fuzz/$t.campaign.log
  result=clean
  # New inputs go into a scratch folder (the first one given); the corpus in
  # the repository is read as the starting point. -max_len bounds an input.
  scratch=$(mktemp -d)
  if ! "$root/fuzz/tests/fuzz/$t" -runs="$runs" -max_total_time="$seconds" -timeout=10 \
      -max_len="$max_len" -print_final_stats=1 "$scratch" "$corpus" >"$log" 2>&1; then
    result="FAILED (see $log)"
  fi
  # Only the new inputs that add coverage join the corpus; its named seeds stay.
  "$root/fuzz/tests/fuzz/$t" -merge=1 "$corpus" "$scratch" >>"$log" 2>&1 || true
  rm -rf "$scratch"
  done_line=$(grep -E '^#[0-9]+' "$log" | grep -v 'MERGE' | tail -n1)
  execs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+).*/\1/p' "$log" | tail -n1)
  cov=$(sed -nE 's/.* cov: ([0-9]+).*/\1/p' <<<"$done_line")
  ft=$(sed -nE 's/.* ft: ([0-9]+).*/\1/p' <<<"$done_line")
  files=$(ls "$corpus" | wc -l)
  printf '%-18s %12s %10s %10s %8s %s\n' "$t" "${execs:-?}" "${cov:-?}" "${ft:-?}" "$files" "$result"
done
