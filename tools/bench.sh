#!/usr/bin/env bash
# Builds what the benchmark needs and prints its table: each figure of the runner under
# Wine next to a bare Win32 program of ours measured in the same run (docs/benchmark.md).
#
#   tools/bench.sh [--quick] [--arch 32|64] [--only pace,drift,wait,start,size,memory,typing,matcher,engine,a11y]
#                  [--compare OTHER_KESTRO.exe]
#
# --quick       short intervals and few rounds (about a minute; tools/test.sh runs it)
# --compare EXE also measures another runner of the same bitness (an older build, say) in the
#               start-up, pace and CPU figures, round by round with the others
# --arch 32|64  which build of the runner Wine runs (default: 32-bit where Wine can run it,
#               as the end-to-end tests do); the size figure is always the 32-bit kestro.exe
# Exits non-zero only when a program crashed or a figure could not be taken, never on a
# figure that misses its goal.
#
# KESTRO_BUILD_ROOT=DIR builds in DIR/<preset>; KESTRO_WINEPREFIX=DIR keeps the Wine prefix
# there (default DIR/wineprefix-bench, made once and reused).
set -uo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
root=${KESTRO_BUILD_ROOT:-$repo/build}
quick=() arch=auto only=() compare=()
while [ $# -gt 0 ]; do
  case $1 in
    --quick) quick=(--quick) ;;
    --arch) arch=$2; shift ;;
    --only) only=(--only "$2"); shift ;;
    --compare) compare=(--compare "$(realpath "$2")"); shift ;;
    *) echo "usage: tools/bench.sh [--quick] [--arch 32|64] [--only LIST] [--compare EXE]" >&2; exit 2 ;;
  esac
  shift
done
mkdir -p "$root/logs"

build() {
  local name=$1 log=$root/logs/bench-build-$1.log
  echo "bench: building $name" >&2
  if timeout 900 cmake --preset "$name" -B "$root/$name" >"$log" 2>&1 &&
     timeout 1800 cmake --build "$root/$name" -j 2 >>"$log" 2>&1; then
    return 0
  fi
  tail -n 30 "$log" >&2
  echo "bench: building $name failed (see $log)" >&2
  exit 1
}

bash tools/setup.sh || exit 1
build native
build windows
if [ "$arch" = auto ]; then
  arch=64
  if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then arch=32; fi
fi
tree=$root/windows
if [ "$arch" = 64 ]; then build windows64; tree=$root/windows64; fi

export KESTRO_WINEPREFIX=${KESTRO_WINEPREFIX:-$root/wineprefix-bench}
echo "bench: runner $tree/host/kestro.exe ($arch-bit) under Wine" >&2
tools/wine-session.sh python3 bench/run_bench.py --tree "$tree" --runner "$tree/host/kestro.exe" \
  --shipped "$root/windows/host/kestro.exe" --packer "$root/native/packer/kestro-pack" \
  --bench-core "$root/native/bench/bench_core" "${quick[@]}" "${only[@]}" "${compare[@]}"
