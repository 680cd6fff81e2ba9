#!/bin/bash
# Builds the guest of the network-share checks into CACHE (first argument):
# Debian's own kernel (the package unpacked, never installed) and a small
# busybox initramfs holding the virtio, 9p, CIFS and NFSv4 modules and
# tests/netfs/guest-init as /init. Prints the kernel's path and the
# initramfs's path, one a line. Reuses what an earlier run left in CACHE.
set -euo pipefail
cache=$1
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$cache"
cd "$cache"

kpkg=$(apt-cache depends linux-image-amd64 2>/dev/null | awk '/Depends: linux-image-[0-9]/ {print $2; exit}')
[ -n "$kpkg" ] || { echo "no kernel package found" >&2; exit 1; }
kver=${kpkg#linux-image-}
if [ ! -f "kernel-$kver/boot/vmlinuz-$kver" ]; then
  rm -f "$kpkg"_*.deb
  apt-get download "$kpkg" >download.log 2>&1 || { cat download.log >&2; exit 1; }
  rm -rf "kernel-$kver"
  dpkg -x "$kpkg"_*.deb "kernel-$kver"
  rm -f "$kpkg"_*.deb
fi
moddir=$cache/kernel-$kver/lib/modules/$kver

initrd=$cache/initrd-$kver.cpio.gz
# Rebuilt whenever the init script is newer than the image.
if [ -f "$initrd" ] && [ "$initrd" -nt "$here/guest-init" ]; then
  echo "$moddir/../../../boot/vmlinuz-$kver"
  echo "$initrd"
  exit 0
fi

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root"/{bin,sbin,proc,sys,dev,tmp,host,modules}
cp /bin/busybox "$root/bin/busybox"
cp "$here/guest-init" "$root/init"
chmod +x "$root/init"

# Modules in an order that loads every dependency first (from the
# depends= field each module carries; no depmod needed).
declare -A done_
order=()
find_module() {
  local name=$1 alt
  alt=${name//-/_}
  find "$moddir" \( -name "$name.ko" -o -name "$alt.ko" -o -name "${name//_/-}.ko" \) | head -1
}
add_module() {
  local name=$1 file dep
  [ -n "${done_[$name]:-}" ] && return 0
  done_[$name]=1
  file=$(find_module "$name")
  [ -n "$file" ] || return 0  # built into the kernel
  for dep in $(strings -a "$file" | sed -n 's/^depends=//p' | tr ',' ' '); do
    add_module "$dep"
  done
  order+=("$file")
}
for m in virtio_pci virtio_net 9pnet_virtio 9p \
    ecb ctr gcm ccm cmac sha512_generic ghash-generic cifs nfsv4; do
  add_module "$m"
done
n=0
for f in "${order[@]}"; do
  n=$((n + 1))
  cp "$f" "$root/modules/$(printf %02d "$n")-$(basename "$f")"
done
(cd "$root" && find . | cpio -o -H newc --quiet | gzip -1) >"$initrd.new"
mv "$initrd.new" "$initrd"
echo "$moddir/../../../boot/vmlinuz-$kver"
echo "$initrd"
