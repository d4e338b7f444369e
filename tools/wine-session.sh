#!/usr/bin/env bash
# Runs one command inside a Wine session: a private Xvfb display, a Wine prefix with a
# virtual desktop and one persistent wineserver, all torn down when the command ends.
#
#   tools/wine-session.sh COMMAND [ARGS...]
#
# The command sees DISPLAY, WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES and
#   KESTRO_WINE       the Wine loader to start programs with
#   KESTRO_WINE_ARCH  "win32" when 32-bit programs can run, "win64" when only 64-bit ones can
# KESTRO_WINEPREFIX=DIR reuses (and keeps) a prefix there instead of a throw-away one.
set -euo pipefail

if [ $# -eq 0 ]; then
  echo "usage: tools/wine-session.sh COMMAND [ARGS...]" >&2
  exit 2
fi

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko installer prompts

session_dir=$(mktemp -d /tmp/kestro-session.XXXXXX)
xvfb_pid=
if [ -n "${KESTRO_WINEPREFIX:-}" ]; then
  export WINEPREFIX=$KESTRO_WINEPREFIX
else
  export WINEPREFIX=$session_dir/prefix
fi

cleanup() {
  # wineserver -k ends every Wine process of the prefix, the virtual desktop included.
  timeout 20 wineserver -k >/dev/null 2>&1 || true
  timeout 20 wineserver -w >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$session_dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Pick the loader. Debian's "wine" starts the 32-bit loader, which cannot run where the
# kernel has 32-bit emulation switched off; the 64-bit loader then still runs 64-bit programs.
if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
  export KESTRO_WINE=wine KESTRO_WINE_ARCH=win32
elif [ -x /usr/lib/wine/wine64 ]; then
  export KESTRO_WINE=/usr/lib/wine/wine64 KESTRO_WINE_ARCH=win64
elif command -v wine64 >/dev/null 2>&1; then
  export KESTRO_WINE=wine64 KESTRO_WINE_ARCH=win64
else
  echo "wine-session: no working Wine loader (run tools/setup.sh)" >&2
  exit 1
fi

# Xvfb picks a free display itself and writes its number to the descriptor given.
Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$session_dir/display" >"$session_dir/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$session_dir/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || break
  sleep 0.1
done
if [ ! -s "$session_dir/display" ]; then
  echo "wine-session: Xvfb did not start:" >&2
  cat "$session_dir/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(head -n1 "$session_dir/display")"

# A fresh prefix takes 20 to 60 seconds; a kept one is ready once it carries our mark.
if [ ! -f "$WINEPREFIX/.kestro-ready" ]; then
  mkdir -p "$WINEPREFIX"
  echo "wine-session: initialising Wine prefix $WINEPREFIX ..." >&2
  if ! timeout 300 "$KESTRO_WINE" wineboot -i >"$session_dir/wineboot.log" 2>&1; then
    echo "wine-session: wineboot failed or timed out:" >&2
    tail -n 20 "$session_dir/wineboot.log" >&2
    exit 1
  fi
  # Without a tray on the display Shell_NotifyIcon stalls; a virtual desktop has one.
  timeout 60 "$KESTRO_WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  timeout 60 "$KESTRO_WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
  # A crashing program should end with its exit code, not wait behind a crash dialog.
  timeout 60 "$KESTRO_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  timeout 60 wineserver -w || true
  touch "$WINEPREFIX/.kestro-ready"
fi

# One wineserver for the whole session keeps every program start cheap.
wineserver -p
status=0
"$@" || status=$?
# The cleanup stops the wineserver first: it finds the server by the prefix folder, so the
# throw-away prefix (inside the session folder) is removed only after that.
exit "$status"
