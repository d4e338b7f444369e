#!/usr/bin/env bash
# The soak test, run for longer than the test command does: the end-to-end soak
# case (tests/e2e/cases/host/soak.kst) for ROUNDS rounds under Wine, with its
# watcher sampling the runner's private bytes, handles and GDI/USER objects.
# Prints the figures at the start, a quarter into the run, and at the end.
#
#   tools/soak.sh [ROUNDS]        (default 3000; each round runs nine lines, ~0.2 s)
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-3000}
case $rounds in ''|*[!0-9]*) echo "usage: tools/soak.sh [ROUNDS]" >&2; exit 2 ;; esac

bash "$repo/tools/setup.sh"
paths=$("$repo/tools/test.sh" runnable) || { echo "soak: the build failed" >&2; exit 1; }
eval "$paths"
work=$(mktemp -d /tmp/kestro-soak.XXXXXX)
# The case with its round count and time bound raised.
sed -e "s|^; args: /p .*|; args: /p $rounds|" -e "s|^; timeout: .*|; timeout: $((rounds / 2 + 120))|" \
    -e "s|^; expect-file: result.txt = .*|; expect-file: result.txt = $rounds\\\\r\\\\n|" \
    -e "s|--lifetime [0-9]*|--lifetime $(( (rounds / 2 + 150) * 1000 ))|" \
    "$repo/tests/e2e/cases/host/soak.kst" > "$work/soak.kst"
echo "soak: $rounds rounds (about $((rounds / 5 / 60 + 1)) minutes)"
status=0
"$repo/tools/wine-session.sh" python3 "$repo/tests/e2e/run_e2e.py" --keep-failed --keep \
  --runner "$runner" --helper "$helper" --packer "$packer" "$work/soak.kst" | tee "$work/run.log" || status=$?
kept=$(sed -nE 's/^kept (.*)$/\1/p; s/.*\(kept (.*)\)$/\1/p' "$work/run.log" | tail -n1)
samples=
[ -n "$kept" ] && [ -f "$kept/samples.txt" ] && samples=$kept/samples.txt
if [ -n "$samples" ]; then
  python3 - "$samples" <<'PY'
import sys
rows = [list(map(int, line.split())) for line in open(sys.argv[1]) if line.strip()]
if rows:
    pick = [("start", rows[0]), ("a quarter in", rows[len(rows) // 4]), ("end", rows[-1])]
    print("%-14s %10s %14s %12s %8s %6s %6s" % ("", "seconds", "private bytes", "working set",
                                                 "handles", "gdi", "user"))
    for name, r in pick:
        print("%-14s %10.1f %14d %12d %8d %6d %6d" % (name, r[0] / 1000.0, r[1], r[5], r[2], r[3], r[4]))
    print("%d samples; private bytes grew %+d from a quarter in to the end"
          % (len(rows), rows[-1][1] - rows[len(rows) // 4][1]))
PY
else
  echo "soak: no samples; see $work/run.log"
fi
exit $status
