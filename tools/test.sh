#!/usr/bin/env bash
# Builds everything and runs every test: the unit tests (plain and under the sanitizers),
# the fuzz targets' corpus replay, the checks on kestro.exe, the release archives and signed
# programs, the editor extension's tests, the authoring tools under Wine, the end-to-end
# cases under Wine, the shipped 32-bit programs where 32-bit code runs (vm32), the packed
# extension in code-server (vscode), and the benchmark in quick mode (its table is printed;
# only a crash fails it). Ends with "N passed, N failed".
#
#   tools/test.sh [all|unit|fuzz|checks|release|editor|tools|e2e|vm32|vscode|bench] [CASE.kst|FOLDER...]
#   (a case or folder as a path, or as a path below tests/e2e/cases/, e.g. adlib/gosub.kst)
#   tools/test.sh vm32 --all  (every case instead of the chosen ones in tests/vm32/cases)
#   tools/test.sh runnable    (builds and prints where runner, helper and packer are)
#
# KESTRO_BUILD_ROOT=DIR puts the build trees in DIR/<preset> instead of build/<preset>.
set -uo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
root=${KESTRO_BUILD_ROOT:-$repo/build}
what=${1:-all}
[ $# -gt 0 ] && shift
logs=$root/logs
mkdir -p "$logs"

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "PASS $*"; }
fail() { failed=$((failed + 1)); echo "FAIL $*"; }

# Adds the counts of a suite's closing "N passed, N failed" line, or of ctest's summary.
add_counts() {
  local log=$1 name=$2 line p f
  line=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$log" | tail -n1)
  if [ -n "$line" ]; then
    p=${line%% passed*}; f=${line#*, }; f=${f%% failed}
  else
    line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n1)
    if [ -z "$line" ]; then fail "$name: no result (see $log)"; return; fi
    f=$(sed -E 's/.*tests passed, ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
    p=$(( $(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line") - f ))
  fi
  passed=$((passed + p)); failed=$((failed + f))
  echo "---- $name: $p passed, $f failed"
}

# Configures and builds one preset into $root/<name>; extra arguments replace the preset.
build() {
  local name=$1; shift
  local log=$logs/build-$name.log
  echo "---- building $name"
  if [ $# -eq 0 ]; then set -- --preset "$name"; fi
  if timeout 900 cmake "$@" -B "$root/$name" >"$log" 2>&1 &&
     timeout 1800 cmake --build "$root/$name" -j 2 >>"$log" 2>&1; then
    return 0
  fi
  tail -n 40 "$log"
  fail "build $name (see $log)"
  return 1
}

unit_tests() {
  local preset
  for preset in native sanitize; do
    build "$preset" || continue
    local log=$logs/ctest-$preset.log
    timeout 1200 ctest --test-dir "$root/$preset" --output-on-failure -j 2 --timeout 300 >"$log" 2>&1
    grep -E '^ *[0-9]+/[0-9]+ Test .*\*\*\*(Failed|Exception|Timeout)' "$log" | sed 's/^ */FAIL /'
    add_counts "$log" "unit tests ($preset)"
  done
}

# The fuzz targets, built with clang, replay their seed corpora once (no fuzzing here;
# docs/fuzzing.md says how to fuzz for longer).
fuzz_replay() {
  build fuzz -S "$repo" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DKESTRO_FUZZ=ON || return
  local log=$logs/ctest-fuzz.log
  timeout 600 ctest --test-dir "$root/fuzz" -R _corpus --output-on-failure --timeout 300 >"$log" 2>&1
  grep -E '^ *[0-9]+/[0-9]+ Test .*\*\*\*(Failed|Exception|Timeout)' "$log" | sed 's/^ */FAIL /'
  add_counts "$log" "fuzz corpus replay"
}

# The runner and helper live where the build puts them; accept both layouts.
find_built() {
  local dir=$1 name=$2 candidate
  for candidate in "$dir/$name" "$dir/host/$name" "$dir/tests/e2e/helper/$name"; do
    if [ -f "$candidate" ]; then echo "$candidate"; return 0; fi
  done
  return 1
}

# kestro.exe must be a 32-bit GUI program that needs nothing beyond the DLLs every Windows has,
# and no network DLL: only the debugging runner kestro-debug.exe has a socket (ws2_32.dll).
check_pe() {
  local exe=$1 extra=${2:-} dump dll bad= name
  name=$(basename "$exe")
  local allowed=" kernel32.dll user32.dll gdi32.dll shell32.dll advapi32.dll msvcrt.dll comctl32.dll ole32.dll oleaut32.dll comdlg32.dll shlwapi.dll version.dll winmm.dll $extra "
  dump=$(i686-w64-mingw32-objdump -p "$exe" 2>&1)
  grep -q 'file format pei-i386' <<<"$dump" || bad="not an i386 PE file; "
  grep -qE '^Magic[[:space:]]+010b' <<<"$dump" || bad+="not PE32; "
  grep -qE '^Subsystem[[:space:]]+0+2[[:space:]]' <<<"$dump" || bad+="not a GUI program; "
  while read -r dll; do
    case $allowed in
      *" ${dll,,} "*) ;;
      *) bad+="imports $dll; " ;;
    esac
    case ${dll,,} in
      ws2_32.dll|wsock32.dll|wininet.dll|winhttp.dll|mswsock.dll) [ -z "$extra" ] && bad+="network DLL $dll; " ;;
    esac
  done < <(sed -nE 's/^[[:space:]]*DLL Name: (.*)$/\1/p' <<<"$dump")
  local what="$name is a PE32 i386 GUI program importing only system DLLs"
  [ -z "$extra" ] && what+=", none for the network"
  if [ -z "$bad" ]; then pass "$what"
  else fail "$what: $bad"; fi
}

# The loader stops at the first line that is the marker, so the runner's own copy of it
# must never stand at the start of a line.
check_marker() {
  local exe=$1 where
  where=$(python3 - "$exe" "$repo/tools" <<'EOF'
import sys
sys.path.insert(0, sys.argv[2])
from kestro_container import marker_line_offsets
print(" ".join(str(at) for at in marker_line_offsets(open(sys.argv[1], "rb").read())))
EOF
)
  if [ -z "$where" ]; then pass "$(basename "$exe") holds no marker line of its own"
  else fail "$(basename "$exe") holds no marker line of its own: marker at line start at offset(s) $where"; fi
}

checks() {
  build windows || return
  local exe
  if ! exe=$(find_built "$root/windows" kestro.exe); then fail "checks: kestro.exe was not built"; return; fi
  check_pe "$exe"
  check_marker "$exe"
  if ! exe=$(find_built "$root/windows" kestro-debug.exe); then fail "checks: kestro-debug.exe was not built"; return; fi
  check_pe "$exe" ws2_32.dll
  check_marker "$exe"
}

# Whether Wine can run 32-bit programs here: it cannot where the kernel's 32-bit emulation
# is switched off. The suite then runs a 64-bit build of the same sources.
wine_runs_32bit() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

build_windows64() {
  if grep -q '"name": *"windows64"' CMakePresets.json; then build windows64; return; fi
  build windows64 -S "$repo" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR=x86_64 \
    -DCMAKE_C_COMPILER=x86_64-w64-mingw32-gcc -DCMAKE_CXX_COMPILER=x86_64-w64-mingw32-g++ \
    -DCMAKE_RC_COMPILER=x86_64-w64-mingw32-windres -DCMAKE_FIND_ROOT_PATH=/usr/x86_64-w64-mingw32 \
    -DCMAKE_FIND_ROOT_PATH_MODE_PROGRAM=NEVER -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=ONLY \
    -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=ONLY
}

# The editor extension's tests under Node's test runner: the grammar tokenised by the npm
# packages VS Code itself uses, the reading of the checker's report, and the extension's glue;
# the debug adapter driven by a DAP client with the real debugging runner under Wine (the
# packer and kestro-debug.exe are built for it). One test also reads the real checker's output.
editor_tests() {
  local dir=$repo/editors/vscode/test log=$logs/editor.log status p f
  local runner helper packer pack= debug_runner=
  if build_runnable; then
    pack=$packer
    debug_runner=$(dirname "$runner")/kestro-debug.exe
  fi
  echo "---- editor extension tests"
  if [ ! -d "$dir/node_modules/vscode-textmate" ] || [ ! -d "$dir/node_modules/vscode-oniguruma" ] ||
     [ ! -d "$dir/node_modules/@vscode/debugadapter-testsupport" ] ||
     [ ! -d "$dir/../node_modules/@vscode/debugadapter" ]; then
    if ! (cd "$dir/.." && timeout 300 npm ci --no-audit --no-fund && cd test &&
          timeout 300 npm ci --no-audit --no-fund) >"$logs/editor-npm.log" 2>&1; then
      tail -n 20 "$logs/editor-npm.log"
      fail "editor tests: npm ci (see $logs/editor-npm.log)"
      return
    fi
  fi
  (cd "$dir" && KESTRO_PACK=$pack KESTRO_DEBUG_RUNNER=$debug_runner timeout 900 \
    "$repo/tools/wine-session.sh" node --test --test-reporter=tap ./*.test.js) >"$log" 2>&1
  status=$?
  grep -E '^ *not ok ' "$log" | sed -E 's/^ *not ok [0-9]+ - /FAIL editor: /'
  p=$(sed -nE 's/^# pass ([0-9]+)$/\1/p' "$log" | tail -n1)
  f=$(sed -nE 's/^# fail ([0-9]+)$/\1/p' "$log" | tail -n1)
  if [ -z "$p" ] || [ -z "$f" ]; then fail "editor tests: no result (see $log)"; return; fi
  # A run that ended badly without a failing test (a time-out, a crash) is one failure.
  if [ "$status" -ne 0 ] && [ "$f" -eq 0 ]; then f=1; fi
  echo "$p passed, $f failed" >>"$log"
  add_counts "$log" "editor extension tests"
}

# Builds the packer and a runner that Wine can start here; sets runner, helper and packer.
build_runnable() {
  build native || { fail "the packer did not build"; return 1; }
  local tree=windows
  if wine_runs_32bit; then
    build windows || return 1
  else
    echo "NOTE: this machine cannot run 32-bit code (the kernel's 32-bit emulation is off);"
    echo "NOTE: Wine runs a 64-bit build of the runner instead."
    tree=windows64
    build_windows64 || return 1
  fi
  packer=$root/native/packer/kestro-pack
  runner=$(find_built "$root/$tree" kestro.exe) || { fail "no kestro.exe in $root/$tree"; return 1; }
  helper=$(find_built "$root/$tree" khelper.exe) || { fail "no khelper.exe in $root/$tree"; return 1; }
}

# The authoring tools under Wine: kestro-spy's reports on windows that wintarget opens, its
# agreement with the runner, and a screenshot of its live window; kestro-rec's round trip
# (keys and clicks recorded, the script packed and run, the same keys and clicks again).
authoring_tools() {
  local runner helper packer log=$logs/tools.log tree spy wintarget
  build_runnable || { fail "authoring tools: nothing to run"; return; }
  tree=$(dirname "$(dirname "$runner")")
  spy=$tree/authoring/kestro-spy.exe
  wintarget=$tree/tests/e2e/wintarget/wintarget.exe
  if [ ! -f "$spy" ] || [ ! -f "$wintarget" ]; then fail "authoring tools: not built in $tree"; return; fi
  echo "---- authoring tools under Wine"
  timeout 900 tools/wine-session.sh python3 tests/authoring/check_spy.py --spy "$spy" \
    --wintarget "$wintarget" --runner "$runner" --packer "$packer" \
    --inputrec "$tree/tests/e2e/inputrec/inputrec.exe" \
    --a11ytarget "$tree/tests/e2e/a11ytarget/a11ytarget.exe" 2>&1 | tee "$log"
  add_counts "$log" "authoring tools (kestro-spy)"
  # kestro-rec: a recording of injected keys and clicks, packed and replayed.
  local rec=$tree/authoring/kestro-rec.exe inject=$tree/tests/e2e/inject/inject.exe
  local inputrec=$tree/tests/e2e/inputrec/inputrec.exe hostprobe=$tree/tests/e2e/hostprobe/hostprobe.exe
  if [ ! -f "$rec" ] || [ ! -f "$inject" ] || [ ! -f "$inputrec" ] || [ ! -f "$hostprobe" ]; then
    fail "authoring tools: kestro-rec or its test programs not built in $tree"; return
  fi
  timeout 600 tools/wine-session.sh python3 tests/authoring/check_rec.py --rec "$rec" \
    --inject "$inject" --inputrec "$inputrec" --spy "$spy" --runner "$runner" \
    --packer "$packer" --hostprobe "$hostprobe" 2>&1 | tee "$log.rec"
  add_counts "$log.rec" "authoring tools (kestro-rec)"
}

e2e() {
  local runner helper packer log=$logs/e2e.log
  build_runnable || { fail "end-to-end cases: nothing to run"; return; }
  echo "---- end-to-end cases under Wine"
  timeout 3600 tools/wine-session.sh python3 tests/e2e/run_e2e.py --runner "$runner" \
    --helper "$helper" --packer "$packer" "$@" 2>&1 | tee "$log"
  add_counts "$log" "end-to-end cases"
}

# The release archives made by cpack: what they hold, the version everywhere, and that the
# packer unpacked from the Linux archive finds its runner. Then, in a Wine session, packed
# programs signed with a throw-away certificate verify and run as the unsigned ones.
release() {
  local log=$logs/release.log runner32 version tree runner helper packer
  # Both archives carry the VS Code extension packed as kestro-VERSION.vsix.
  build windows --preset windows -DKESTRO_VSIX=ON || return
  runner32=$(find_built "$root/windows" kestro.exe) || { fail "release: no kestro.exe"; return; }
  build native --preset native -DKESTRO_RUNNER_EXE="$runner32" -DKESTRO_VSIX=ON || return
  version=$(sed -nE 's/^#define KESTRO_VERSION "(.*)"$/\1/p' "$root/native/generated/kestro_version.h")
  echo "---- release $version: archives"
  : >"$log"
  local dir
  for dir in windows native; do
    if ! (cd "$root/$dir" && rm -rf package && timeout 300 cpack) >>"$log" 2>&1; then
      fail "cpack in $dir (see $log)"; return
    fi
  done
  tree=$root/release/kestro-$version-linux
  python3 tests/release/check_release.py --version "$version" --runner "$runner32" \
    --zip "$root/windows/package/kestro-$version-win32.zip" \
    --tar "$root/native/package/kestro-$version-linux.tar.gz" --unpack "$root/release" \
    >"$log.checks" 2>&1
  grep -E '^(PASS|FAIL) ' "$log.checks"
  add_counts "$log.checks" "release archives"
  [ -x "$tree/bin/kestro-pack" ] || return

  build_runnable || { fail "signing: nothing to run"; return; }
  if [ "$runner" != "$runner32" ]; then
    # Wine runs only the 64-bit twin here: the unpacked layout gets it in place of kestro.exe.
    cp "$runner" "$tree/share/kestro/kestro.exe"
  fi
  echo "---- signed programs under Wine"
  timeout 900 tools/wine-session.sh bash tests/release/signing.sh "$tree/bin/kestro-pack" \
    "$helper" >"$log.signing" 2>&1
  grep -E '^(PASS|FAIL) ' "$log.signing"
  add_counts "$log.signing" "signed programs"
}

# The programs users download are i686 builds: kestro.exe, kestro-spy.exe, kestro-rec.exe and
# kestro-debug.exe run where 32-bit code runs (tools/vm32.sh: here, or in a QEMU guest): the
# end-to-end cases listed in tests/vm32/cases (or the ones named, or every one with --all), then
# the spy's and the recorder's checks and one debug protocol session.
vm32_stage() {
  local cases=() case_file=$repo/tests/vm32/cases name status bound=3000
  if [ "${1:-}" = --all ]; then shift; case_file=; bound=5400; fi
  if [ $# -gt 0 ]; then cases=("$@")
  elif [ -n "$case_file" ]; then mapfile -t cases < <(grep -vE '^[[:space:]]*(#|$)' "$case_file"); fi
  build native || return
  build windows || return
  echo "---- vm32: the i686 programs ($(tools/vm32.sh mode))"
  rm -f "$logs"/vm32-{e2e,spy,rec,debug}.log
  KESTRO_BUILD_ROOT=$root KESTRO_VM32_TIMEOUT=${KESTRO_VM32_TIMEOUT:-$bound} tools/vm32.sh run -- \
    bash tests/vm32/run_stage.sh "$logs" "$root/windows" "$root/native/packer/kestro-pack" \
    "${cases[@]}" 2>&1 | tee "$logs/vm32.log"
  status=${PIPESTATUS[0]}
  [ "$status" -eq 124 ] && fail "vm32: the run was stopped at its time limit (see $logs/vm32.log)"
  for name in e2e spy rec debug; do
    if [ -f "$logs/vm32-$name.log" ]; then add_counts "$logs/vm32-$name.log" "vm32 ($name)"
    else fail "vm32 ($name): did not run (see $logs/vm32.log)"; fi
  done
}

# The extension as users install it: kestro-VERSION.vsix packed with vsce, installed into a
# fresh code-server profile, and checked through Debian's Chromium (tests/vscode/).
vscode_stage() {
  local log=$logs/vscode.log version vsix code_server playwright_dir
  build native || return
  version=$(sed -nE 's/^#define KESTRO_VERSION "(.*)"$/\1/p' "$root/native/generated/kestro_version.h")
  vsix=$root/vscode/kestro-$version.vsix
  echo "---- vscode: kestro-$version.vsix in code-server"
  if ! tools/vsix.sh "$version" "$vsix" >"$logs/vscode-vsix.log" 2>&1; then
    tail -n 20 "$logs/vscode-vsix.log"; fail "vscode: packing the .vsix (see $logs/vscode-vsix.log)"; return
  fi
  if ! eval "$(tests/vscode/setup.sh 2>"$logs/vscode-setup.log")"; then
    tail -n 20 "$logs/vscode-setup.log"; fail "vscode: installing code-server (see $logs/vscode-setup.log)"; return
  fi
  # F5 on a script: the debugging runner runs under Wine, so the check runs in a Wine session.
  local runner helper packer debug=()
  if build_runnable; then debug=(--debug-runner "$(dirname "$runner")/kestro-debug.exe"); fi
  timeout 900 tools/wine-session.sh node tests/vscode/check_vscode.js --code-server "$code_server" \
    --vsix "$vsix" --packer "$root/native/packer/kestro-pack" --playwright "$playwright_dir" \
    --shots "$logs/vscode-shots" "${debug[@]}" 2>&1 | tee "$log"
  add_counts "$log" "vscode"
}

# The benchmark in quick mode: its table goes to the output for the record. Figures never fail
# the suite (speed goals are no tests); a program that crashed or a figure that could not be
# taken does.
bench_quick() {
  local log=$logs/bench.log
  echo "---- benchmark (quick)"
  KESTRO_BUILD_ROOT=$root timeout 600 tools/bench.sh --quick >"$log" 2>&1
  local status=$?
  sed -n '/^| figure/,$p' "$log"
  if [ "$status" -eq 0 ]; then pass "benchmark (quick) ran every figure"
  else fail "benchmark (quick) ran every figure (see $log)"; fi
}

if ! bash tools/setup.sh; then
  echo "setup failed"
  echo "0 passed, 1 failed"
  exit 1
fi

case $what in
  all) unit_tests; fuzz_replay; checks; release; editor_tests; authoring_tools; e2e "$@"
       vm32_stage; vscode_stage; bench_quick ;;
  unit) unit_tests ;;
  fuzz) fuzz_replay ;;
  checks) checks ;;
  release) release ;;
  editor) editor_tests ;;
  tools) authoring_tools ;;
  e2e) e2e "$@" ;;
  vm32) vm32_stage "$@" ;;
  vscode) vscode_stage ;;
  bench) bench_quick ;;
  runnable)
    # For tools/run.sh: build quietly, then print the three paths as shell assignments.
    build_runnable >&2 || exit 1
    printf 'runner=%q\nhelper=%q\npacker=%q\n' "$runner" "$helper" "$packer"
    exit 0 ;;
  *) echo "usage: tools/test.sh [all|unit|fuzz|checks|release|editor|tools|e2e|vm32|vscode|bench] [CASE.kst|FOLDER...]" >&2; exit 2 ;;
esac

echo
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
