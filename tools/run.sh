#!/usr/bin/env bash
# Packs a script and runs it under Wine on a virtual display, then tells how it ended and
# shows every file it wrote in its working directory.
#
#   tools/run.sh [SCRIPT.kst] [ARGS...]      (default script: examples/notepad.kst)
#
# ARGS reach the script after "/p" as %1%, %2%, ... Script errors go to a log instead of a box.
# KESTRO_RUN_TIMEOUT (seconds, default 300) bounds the run; KESTRO_BUILD_ROOT as for test.sh.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)

if [ "${KESTRO_RUN_INSIDE:-}" != 1 ]; then
  script=${1:-$repo/examples/notepad.kst}
  [ $# -gt 0 ] && shift
  if [ ! -f "$script" ]; then
    echo "run: no script $script" >&2
    exit 2
  fi
  bash "$repo/tools/setup.sh"
  echo "Building..." >&2
  paths=$("$repo/tools/test.sh" runnable) || { echo "run: the build failed" >&2; exit 1; }
  eval "$paths"
  export KESTRO_RUN_INSIDE=1 KESTRO_RUN_SCRIPT=$(cd "$(dirname "$script")" && pwd)/$(basename "$script")
  export KESTRO_RUN_RUNNER=$runner KESTRO_RUN_PACKER=$packer
  # A kept prefix saves the half minute a fresh one needs.
  export KESTRO_WINEPREFIX=${KESTRO_WINEPREFIX:-/tmp/kestro-wine}
  exec "$repo/tools/wine-session.sh" "$0" "$@"
fi

# From here on we run inside the Wine session.
scratch=$(mktemp -d /tmp/kestro-run.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/bin" "$scratch/work"
name=$(basename "$KESTRO_RUN_SCRIPT" .kst)
exe=$scratch/bin/$name.exe
log=$scratch/errors.log
"$KESTRO_RUN_PACKER" build "$KESTRO_RUN_SCRIPT" -o "$exe" --runner "$KESTRO_RUN_RUNNER"

# Wine maps the Linux root to drive Z:.
args=("/unattended:Z:${log//\//\\}")
if [ $# -gt 0 ]; then args+=(/p "$@"); fi

echo "Running $name under Wine..."
status=0
# Wine's own notices go to a file, shown only when the run did not end well.
(cd "$scratch/work" && timeout "${KESTRO_RUN_TIMEOUT:-300}" "$KESTRO_WINE" "$exe" "${args[@]}" \
  2>"$scratch/wine.log") || status=$?
if [ "$status" != 0 ] && [ -s "$scratch/wine.log" ]; then
  echo "---- Wine said:"
  cat "$scratch/wine.log"
fi

if [ "$status" = 124 ]; then
  echo "Script did not end within ${KESTRO_RUN_TIMEOUT:-300} seconds and was stopped."
elif [ -s "$log" ]; then
  echo "Script stopped with an error: $(head -n1 "$log" | tr -d '\r')"
elif [ "$status" != 0 ]; then
  echo "Script ended with exit code $status."
else
  echo "Script ended normally."
fi

# Show what the script wrote, so FileAppend and IniWrite output can be read here.
find "$scratch/work" -type f | sort | while read -r file; do
  echo "---- ${file#$scratch/work/}"
  # Text files written on Windows end their lines with CR LF; show them as plain lines.
  sed 's/\r$//' "$file" | cat -v
  echo
done
[ "$status" = 0 ] && [ ! -s "$log" ]
