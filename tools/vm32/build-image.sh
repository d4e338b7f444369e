#!/usr/bin/env bash
# Builds the vm32 guest into DIR from Debian's archive: a bookworm amd64 system (debootstrap)
# with Wine and its 32-bit half, as an ext4 image plus the kernel and initrd to boot it with.
# Called by tools/vm32.sh; the folder's files (this script, init, packages) are its recipe.
#
#   tools/vm32/build-image.sh DIR
#
# KESTRO_VM32_MIRROR names the Debian archive (default http://deb.debian.org/debian).
set -euo pipefail

out=${1:?usage: build-image.sh DIR}
here=$(cd "$(dirname "$0")" && pwd)
mirror=${KESTRO_VM32_MIRROR:-http://deb.debian.org/debian}
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
