#!/usr/bin/env bash
# Builds the vm32 guest into DIR from Debian's archive: a bookworm amd64 system (debootstrap)
# with Wine and its 32-bit half, as an ext4 image plus the kernel and initrd to boot it with.
# Called by tools/vm32.sh; the folder's files (this script, init, packages) are its recipe.
#
#   tools/vm32/build-image.sh DIR
#
# The Debian archive is the one this machine's apt already uses for bookworm (its sources in
# /etc/apt/sources.list and /etc/apt/sources.list.d/, one-line ".list" or deb822 ".sources"),
# so a machine behind a local mirror builds from that mirror. KESTRO_VM32_MIRROR=URL names
# another archive.
set -euo pipefail

out=${1:?usage: build-image.sh DIR}
here=$(cd "$(dirname "$0")" && pwd)

# Prints the URI of the first enabled "deb" source for bookworm itself (not its -updates or
# -security suites) in the files apt reads; prints nothing when there is none.
apt_mirror() {
  local files=() f
  [ -f /etc/apt/sources.list ] && files+=(/etc/apt/sources.list)
  for f in /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && files+=("$f")
  done
  [ ${#files[@]} -gt 0 ] || return 0
  awk '
    function has_bookworm(list,   n, i, w) {
      n = split(list, w, /[ \t]+/)
      for (i = 1; i <= n; i++) if (w[i] == "bookworm") return 1
      return 0
    }
    function stanza_end() {
      if (types ~ /(^|[ \t])deb([ \t]|$)/ && uris != "" && enabled !~ /^[Nn]o/ &&
          has_bookworm(suites)) { split(uris, u, /[ \t]+/); print u[1]; printed = 1; exit }
      types = uris = suites = enabled = ""
    }
    FNR == 1 { if (deb822) stanza_end(); deb822 = FILENAME ~ /\.sources$/ }
    /^[ \t]*#/ { next }  # a comment line, which does not end a deb822 stanza
    { sub(/#.*/, ""); sub(/[ \t\r]+$/, "") }
    !deb822 {
      # deb [options] URI suite components
      if ($1 != "deb") next
      sub(/^deb[ \t]+(\[[^]]*\][ \t]+)?/, "")
      split($0, w, /[ \t]+/)
      if (w[2] == "bookworm") { print w[1]; printed = 1; exit }
      next
    }
    /^$/ { stanza_end(); next }
    /^[Tt]ypes:/ { types = substr($0, index($0, ":") + 1) }
    /^URIs:/ { uris = substr($0, index($0, ":") + 1); sub(/^[ \t]+/, "", uris) }
    /^[Ss]uites:/ { suites = substr($0, index($0, ":") + 1) }
    /^[Ee]nabled:/ { enabled = substr($0, index($0, ":") + 1); sub(/^[ \t]+/, "", enabled) }
    END { if (deb822 && !printed) stanza_end() }
  ' "${files[@]}"
}

mirror=${KESTRO_VM32_MIRROR:-$(apt_mirror)}
if [ -z "$mirror" ]; then
  echo "vm32: no Debian bookworm archive in this machine's apt sources (/etc/apt/sources.list," \
    "/etc/apt/sources.list.d/); set KESTRO_VM32_MIRROR=URL to a Debian archive" >&2
  exit 1
fi
chroot=$out/chroot
export DEBIAN_FRONTEND=noninteractive LC_ALL=C

unmount_all() {
  local m
  for m in dev/pts dev proc sys; do
    mountpoint -q "$chroot/$m" 2>/dev/null && umount -l "$chroot/$m" 2>/dev/null || true
  done
}
trap unmount_all EXIT

mapfile -t packages < <(grep -vE '^[[:space:]]*(#|$)' "$here/packages")
amd64=() i386=()
for p in "${packages[@]}"; do
  case $p in *:i386) i386+=("$p") ;; *) amd64+=("$p") ;; esac
done

rm -rf "$chroot"
mkdir -p "$out"
echo "vm32: debootstrap bookworm from $mirror (several minutes) ..."
# The kernel comes with debootstrap, so its initrd is made there; the rest goes in with apt.
debootstrap --variant=minbase --arch=amd64 --include=linux-image-amd64 \
  bookworm "$chroot" "$mirror" >"$out/debootstrap.log" 2>&1 ||
  { tail -n 30 "$out/debootstrap.log"; exit 1; }

echo "vm32: Wine and the rest of the packages ..."
mount --bind /dev "$chroot/dev"
mount -t devpts devpts "$chroot/dev/pts"
mount -t proc proc "$chroot/proc"
mount -t sysfs sys "$chroot/sys"
printf 'deb %s bookworm main\n' "$mirror" >"$chroot/etc/apt/sources.list"
{
  chroot "$chroot" dpkg --add-architecture i386 &&
  chroot "$chroot" apt-get update -q &&
  chroot "$chroot" apt-get install -y -q --no-install-recommends "${amd64[@]}" "${i386[@]}" &&
  chroot "$chroot" apt-get clean
} >"$out/packages.log" 2>&1 || { tail -n 30 "$out/packages.log"; exit 1; }
unmount_all

install -m 0755 "$here/init" "$chroot/usr/local/sbin/kestro-init"
rm -rf "$chroot"/var/lib/apt/lists/* "$chroot"/var/cache/apt/*.bin
cp "$(ls "$chroot"/boot/vmlinuz-* | sort -V | tail -n1)" "$out/vmlinuz"
cp "$(ls "$chroot"/boot/initrd.img-* | sort -V | tail -n1)" "$out/initrd.img"

echo "vm32: disk image ..."
rm -f "$out/disk.img"
truncate -s 6G "$out/disk.img"
mkfs.ext4 -q -F -L kestro-vm32 -d "$chroot" "$out/disk.img"
rm -rf "$chroot"
