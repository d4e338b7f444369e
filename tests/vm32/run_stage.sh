#!/usr/bin/env bash
# The vm32 stage's run inside one Wine session that runs 32-bit programs (tools/vm32.sh run):
# the chosen end-to-end cases, then kestro-spy's and kestro-rec's checks and one session of the
# debugging runner's protocol, all against the shipped i686 builds. Each suite's output also goes to its log in LOGDIR.
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
# In an emulated guest (time scale above 1) Wine's own programs, Notepad above all, are
# slow enough to start that a case may miss its window now and then: a failed case runs
# once more there, and the output says when a case passed only on its second try.
retries=0
if awk -v s="${KESTRO_TIME_SCALE:-1}" 'BEGIN { exit !(s > 1) }'; then retries=1; fi
timeout "$(bound 3600)" python3 tests/e2e/run_e2e.py --runner "$(find_exe kestro.exe)" \
  --helper "$tree/tests/e2e/helper/khelper.exe" --packer "$packer" --retries "$retries" "$@" 2>&1 |
  tee "$logs/vm32-e2e.log"

# A program a failed case left behind (a Notepad) must not show up in the next suite.
fresh_server() { wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1; wineserver -p; }

# Runs one tool's checks into LOG; in the emulated guest a run with a failure is made once
# more, after a fresh Wine server, and the log ends with that run's count (the first run's
# lines stay in the log, marked).
suite() {
  local log=$1 limit=$2
  shift 2
  fresh_server
  timeout "$(bound "$limit")" "$@" 2>&1 | tee "$log"
  if [ "$retries" -gt 0 ] && ! tail -n1 "$log" | grep -q ' 0 failed$'; then
    echo "---- vm32: a check failed in the guest; its suite runs once more" | tee -a "$log"
    fresh_server
    timeout "$(bound "$limit")" "$@" 2>&1 | tee -a "$log"
  fi
}

echo "---- vm32: kestro-spy"
suite "$logs/vm32-spy.log" 900 python3 tests/authoring/check_spy.py \
  --spy "$tree/authoring/kestro-spy.exe" --wintarget "$tree/tests/e2e/wintarget/wintarget.exe" \
  --runner "$(find_exe kestro.exe)" --packer "$packer" \
  --inputrec "$tree/tests/e2e/inputrec/inputrec.exe" \
  --a11ytarget "$tree/tests/e2e/a11ytarget/a11ytarget.exe"

echo "---- vm32: kestro-rec"
suite "$logs/vm32-rec.log" 600 python3 tests/authoring/check_rec.py \
  --rec "$tree/authoring/kestro-rec.exe" --inject "$tree/tests/e2e/inject/inject.exe" \
  --inputrec "$tree/tests/e2e/inputrec/inputrec.exe" --spy "$tree/authoring/kestro-spy.exe" \
  --runner "$(find_exe kestro.exe)" --packer "$packer" \
  --hostprobe "$tree/tests/e2e/hostprobe/hostprobe.exe"

fresh_server
echo "---- vm32: kestro-debug"
timeout "$(bound 300)" python3 tests/vm32/debug_session.py --runner "$(find_exe kestro-debug.exe)" \
  --packer "$packer" 2>&1 | tee "$logs/vm32-debug.log"
