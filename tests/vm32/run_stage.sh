#!/usr/bin/env bash
# The vm32 stage's run inside one Wine session that runs 32-bit programs (tools/vm32.sh run):
# the chosen end-to-end cases, then kestro-spy's and kestro-rec's checks, all against the
# shipped i686 builds. Each suite's output also goes to its log in LOGDIR.
#
#   tests/vm32/run_stage.sh LOGDIR TREE PACKER [CASE|FOLDER...]
#   (TREE: the windows build tree; no cases: every case and the examples)
set -uo pipefail

logs=$1 tree=$2 packer=$3
shift 3
repo=$(cd "$(dirname "$0")/../.." && pwd)
cd "$repo"
mkdir -p "$logs"

# A time limit in seconds, scaled like the drivers' own (KESTRO_TIME_SCALE).
bound() { awk -v s="${KESTRO_TIME_SCALE:-1}" -v t="$1" 'BEGIN { printf "%d", s * t + 0.5 }'; }

find_exe() {
  local candidate
  for candidate in "$tree/$1" "$tree/host/$1" "$tree/authoring/$1" "$tree/tests/e2e/${1%.exe}/$1"; do
    [ -f "$candidate" ] && { echo "$candidate"; return; }
  done
  echo "$tree/$1"
}

echo "---- vm32: end-to-end cases (Wine: $KESTRO_WINE_ARCH, time scale ${KESTRO_TIME_SCALE:-1})"
timeout "$(bound 3600)" python3 tests/e2e/run_e2e.py --runner "$(find_exe kestro.exe)" \
  --helper "$tree/tests/e2e/helper/khelper.exe" --packer "$packer" "$@" 2>&1 | tee "$logs/vm32-e2e.log"

# A program a failed case left behind (a Notepad) must not show up in the next suite.
fresh_server() { wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1; wineserver -p; }

fresh_server
echo "---- vm32: kestro-spy"
timeout "$(bound 900)" python3 tests/authoring/check_spy.py --spy "$tree/authoring/kestro-spy.exe" \
  --wintarget "$tree/tests/e2e/wintarget/wintarget.exe" --runner "$(find_exe kestro.exe)" \
  --packer "$packer" --inputrec "$tree/tests/e2e/inputrec/inputrec.exe" \
  --a11ytarget "$tree/tests/e2e/a11ytarget/a11ytarget.exe" 2>&1 | tee "$logs/vm32-spy.log"

fresh_server
echo "---- vm32: kestro-rec"
timeout "$(bound 600)" python3 tests/authoring/check_rec.py --rec "$tree/authoring/kestro-rec.exe" \
  --inject "$tree/tests/e2e/inject/inject.exe" --inputrec "$tree/tests/e2e/inputrec/inputrec.exe" \
  --spy "$tree/authoring/kestro-spy.exe" --runner "$(find_exe kestro.exe)" --packer "$packer" \
  --hostprobe "$tree/tests/e2e/hostprobe/hostprobe.exe" 2>&1 | tee "$logs/vm32-rec.log"
