#!/usr/bin/env bash
# Runs a command where the shipped 32-bit Windows programs can run: directly when this kernel
# runs 32-bit code, otherwise inside a QEMU guest (Debian bookworm amd64 with Wine) whose
# kernel does. Either way the command runs in a Wine session (tools/wine-session.sh).
#
#   tools/vm32.sh run [--share HOSTDIR:GUESTDIR]... -- COMMAND [ARGS...]
#   tools/vm32.sh build    builds the guest image now (run builds it when it needs it)
#   tools/vm32.sh mode     prints "direct" or "guest"
#
# In the guest the checkout, and the build root when it lies outside the checkout, are
# mounted at the same paths as on the host, so paths work unchanged; COMMAND starts in the
# current folder when that is one of them. Each --share mounts HOSTDIR at GUESTDIR (directly:
# bind-mounted there for the command when the paths differ). COMMAND runs as root, its output
# is streamed and its exit code returned (124: the time limit struck; 125: the guest failed).
# In the guest KESTRO_TIME_SCALE (which the test drivers multiply their limits by) is 6 unless
# set; every KESTRO_* variable is passed on.
#
#   KESTRO_VM32=guest|direct   force one way (default: direct when 32-bit code runs here)
#   KESTRO_VM32_CACHE=DIR      where the guest image is kept (default /var/cache/kestro/vm32,
#                              or <build root>/vm32 when that cannot be written)
#   KESTRO_VM32_TIMEOUT=SEC    bound for one run (default 5400); KESTRO_VM32_MEM=MB (default
#                              4096); KESTRO_VM32_ACCEL=kvm uses KVM instead of emulating
set -uo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
root=${KESTRO_BUILD_ROOT:-$repo/build}
timeout_s=${KESTRO_VM32_TIMEOUT:-5400}
guest_prefix=/var/lib/kestro-wine   # the Wine prefix made when the image is built

usage() {
  echo "usage: tools/vm32.sh run [--share HOSTDIR:GUESTDIR]... -- COMMAND [ARGS...]" >&2
  echo "       tools/vm32.sh build | mode" >&2
  exit 2
}

# Debian's 32-bit Wine loader starts only where the kernel runs 32-bit code.
runs_32bit() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

mode() {
  case ${KESTRO_VM32:-auto} in
    guest|direct) echo "$KESTRO_VM32" ;;
    *) if runs_32bit; then echo direct; else echo guest; fi ;;
  esac
}

cache_dir() {
  local dir=${KESTRO_VM32_CACHE:-/var/cache/kestro/vm32}
  if mkdir -p "$dir" 2>/dev/null && [ -w "$dir" ]; then echo "$dir"; return; fi
  mkdir -p "$root/vm32" && echo "$root/vm32"
}

# The recipe: the image's build script, init and package list, and the Wine session setup
# that makes the prefix baked into it. Any change there makes a new image.
recipe_hash() {
  cat "$repo"/tools/vm32/* "$repo/tools/wine-session.sh" | sha256sum | cut -c1-16
}

# QEMU emulates the CPU (TCG). SMAP is left out: with it, the emulation faults Wine's switch
# between 64-bit and 32-bit code and every Wine process crashes in the guest.
# KESTRO_VM32_ACCEL=kvm uses KVM instead, where it works: a nested /dev/kvm may refuse the
# architecture capabilities MSR (so it is left out) or spin without booting.
accel_args() {
  if [ "${KESTRO_VM32_ACCEL:-tcg}" = kvm ]; then
    echo "-accel kvm -cpu max,-smap,-arch-capabilities"
  else
    echo "-accel tcg,thread=multi -cpu max,-smap"
  fi
}

# Boots IMAGE_DIR's guest once with the control folder CTL (shares, job) and waits for it.
# Extra arguments go to QEMU. Returns the job's exit code.
boot() {
  local image=$1 ctl=$2; shift 2
  local qemu_pid tail_pid status
  : >"$ctl/output"
  # Each share is one 9p device; the guest's init mounts them by their tags.
  local virtfs=() tag dir
  while read -r tag dir; do
    virtfs+=(-virtfs "local,path=${shares_host[$tag]},mount_tag=$tag,security_model=none,id=$tag")
  done <"$ctl/shares"
  # shellcheck disable=SC2046
  timeout --kill-after=15 "$timeout_s" qemu-system-x86_64 $(accel_args) \
    -smp 2 -m "${KESTRO_VM32_MEM:-4096}" -nodefaults -display none -no-reboot \
    -kernel "$image/vmlinuz" -initrd "$image/initrd.img" \
    -append "root=/dev/vda rw init=/usr/local/sbin/kestro-init console=ttyS0 panic=-1 quiet" \
    -drive "file=$image/disk.img,format=raw,if=virtio,cache=unsafe" \
    -virtfs "local,path=$ctl,mount_tag=ctl,security_model=none,id=ctl" "${virtfs[@]}" \
    -serial "file:$ctl/console.log" "$@" </dev/null >"$ctl/qemu.log" 2>&1 &
  qemu_pid=$!
  guest_pid=$qemu_pid
  tail -n +1 -f --pid="$qemu_pid" "$ctl/output" &
  tail_pid=$!
  wait "$qemu_pid"
  status=$?
  wait "$tail_pid" 2>/dev/null
  if [ -f "$ctl/status" ]; then return "$(cat "$ctl/status")"; fi
  if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    echo "vm32: the guest was still running after ${timeout_s}s; stopped" >&2
    return 124
  fi
  echo "vm32: the guest ended without running the command (QEMU exit $status):" >&2
  tail -n 20 "$ctl/qemu.log" "$ctl/console.log" >&2
  return 125
}

declare -A shares_host=()
guest_pid=
# Stopped from outside, the guest goes too (QEMU runs under timeout, which passes the signal on).
trap '[ -n "$guest_pid" ] && kill "$guest_pid" 2>/dev/null; exit 130' INT TERM

# Writes the job into CTL: start folder, environment, and COMMAND inside a Wine session.
write_job() {
  local ctl=$1 start=$2; shift 2
  {
    echo "cd $(printf %q "$start") || exit 125"
    local name
    for name in $(compgen -e); do
      case $name in KESTRO_VM32*) ;; KESTRO_*) echo "export $name=$(printf %q "${!name}")" ;; esac
    done
    echo "export KESTRO_WINEPREFIX=$guest_prefix"
    printf 'exec %q' "$repo/tools/wine-session.sh"
    printf ' %q' "$@"
    echo
  } >"$ctl/job"
}

# Makes a new control folder in $ctl, sharing the checkout and the build root.
new_ctl() {
  ctl=$(mktemp -d "${TMPDIR:-/tmp}/kestro-vm32.XXXXXX")
  shares_host=([repo]=$repo)
  echo "repo $repo" >"$ctl/shares"
  case $root/ in
    "$repo"/*) ;;
    *) mkdir -p "$root"; shares_host[root]=$root; echo "root $root" >>"$ctl/shares" ;;
  esac
}

# QEMU and debootstrap, from Debian's archive, are installed when a guest is first needed.
guest_tools() {
  local missing=() p sudo=
  for p in qemu-system-x86 debootstrap e2fsprogs; do
    dpkg -s "$p" 2>/dev/null | grep -q '^Status: install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "vm32: installing ${missing[*]}" >&2
  [ "$(id -u)" = 0 ] || sudo=sudo
  { $sudo apt-get update -q && DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q \
      --no-install-recommends "${missing[@]}"; } >&2
}

# Builds the image when the cache has none for today's recipe: the system from Debian's
# archive, then one boot that makes the Wine prefix every later run starts from.
ensure_image() {
  local cache hash image
  guest_tools || { echo "vm32: cannot install QEMU and debootstrap" >&2; return 125; }
  cache=$(cache_dir) || return 125
  hash=$(recipe_hash)
  image=$cache/$hash
  if [ -f "$image/ready" ]; then echo "$image"; return 0; fi
  exec 9>"$cache/lock"
  flock 9
  if [ -f "$image/ready" ]; then echo "$image"; return 0; fi
  local start=$SECONDS old
  for old in "$cache"/*/; do
    [ "${old%/}" != "$image" ] && [ -d "$old" ] && rm -rf "${old%/}"
  done
  if [ ! -f "$image/built" ]; then
    echo "vm32: building the guest image in $image (5 to 15 minutes)" >&2
    if ! timeout 2700 bash "$repo/tools/vm32/build-image.sh" "$image" >&2; then
      echo "vm32: building the guest image failed" >&2; return 125
    fi
    touch "$image/built"
  fi
  echo "vm32: first boot: the Wine prefix ..." >&2
  local ctl code
  new_ctl
  write_job "$ctl" / true
  boot "$image" "$ctl" >&2
  code=$?
  rm -rf "$ctl"
  if [ "$code" -ne 0 ]; then echo "vm32: the first boot failed ($code)" >&2; return 125; fi
  touch "$image/ready"
  echo "vm32: guest image ready after $((SECONDS - start))s" >&2
  echo "$image"
}

run_direct() {
  local binds=() share
  for share in "${shares[@]}"; do
    local host=${share%%:*} guest=${share#*:}
    [ "$(cd "$host" && pwd)" = "$guest" ] || binds+=("$host" "$guest")
  done
  if [ ${#binds[@]} -eq 0 ]; then exec "$repo/tools/wine-session.sh" "$@"; fi
  # The folders appear at their guest paths only for this command: a mount namespace of its own.
  exec unshare -m bash -c '
    set -e; mount --make-rprivate /
    while [ $# -gt 0 ] && [ "$1" != -- ]; do mkdir -p "$2"; mount --bind "$1" "$2"; shift 2; done
    shift; exec "$@"' vm32 "${binds[@]}" -- "$repo/tools/wine-session.sh" "$@"
}

run_guest() {
  local image ctl start=$repo code n=0 share
  image=$(ensure_image) || exit 125
  new_ctl
  trap 'rm -rf "$ctl"' EXIT
  for share in "${shares[@]}"; do
    n=$((n + 1))
    shares_host[s$n]=$(cd "${share%%:*}" && pwd)
    echo "s$n ${share#*:}" >>"$ctl/shares"
  done
  case $PWD/ in "$repo"/*|"$root"/*) start=$PWD ;; esac
  # The test drivers stretch their time limits by this factor (an emulated CPU is slow).
  if [ -z "${KESTRO_TIME_SCALE:-}" ]; then
    if [ "${KESTRO_VM32_ACCEL:-tcg}" = kvm ]; then export KESTRO_TIME_SCALE=2
    else export KESTRO_TIME_SCALE=6; fi
  fi
  write_job "$ctl" "$start" "$@"
  boot "$image" "$ctl" -snapshot
  code=$?
  exit "$code"
}

[ $# -gt 0 ] || usage
what=$1; shift
case $what in
  mode) mode; exit 0 ;;
  build)
    [ "$(mode)" = direct ] && { echo "vm32: 32-bit code runs here; no guest needed"; exit 0; }
    ensure_image >/dev/null || exit 125
    exit 0 ;;
  run) ;;
  *) usage ;;
esac

shares=()
while [ $# -gt 0 ]; do
  case $1 in
    --share)
      [ $# -ge 2 ] && [[ $2 == /*:/* || $2 == *:/* ]] || usage
      [ -d "${2%%:*}" ] || { echo "vm32: no folder ${2%%:*}" >&2; exit 2; }
      shares+=("$2"); shift 2 ;;
    --share=*) shares+=("${1#--share=}"); shift ;;
    --) shift; break ;;
    *) usage ;;
  esac
done
[ $# -gt 0 ] || usage

if [ "$(mode)" = direct ]; then run_direct "$@"; else run_guest "$@"; fi
