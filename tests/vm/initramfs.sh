#!/bin/sh
# Builds the test machine's initramfs: the static busybox, our static programs, the USB
# serial modules of guest/modules from the unpacked kernel, and the guest scripts.
# Usage: initramfs.sh OUTPUT KERNEL_TREE PROGRAM...
set -eu
output=$1 kernel_tree=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)

busybox=/bin/busybox
if ldd "$busybox" >/dev/null 2>&1; then
  echo "$busybox is not statically linked (scripts/setup.sh installs busybox-static)" >&2
  exit 1
fi

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
# The guest's / (mktemp makes it private): its unprivileged user must reach /bin and /dev.
chmod 755 "$root"
mkdir -p "$root/bin" "$root/dev" "$root/proc" "$root/sys" "$root/tmp" "$root/lib/vm-modules"
cp "$busybox" "$root/bin/busybox"
cp "$@" "$root/bin/"
modules=$(echo "$kernel_tree"/lib/modules/*/kernel)
while read -r module; do
  cp "$modules/$module" "$root/lib/vm-modules/"
done <"$here/guest/modules"
cp "$here/guest/modules" "$root/lib/vm-modules/order"
cp "$here/guest/init.sh" "$root/init"
cp "$here/guest/checks.sh" "$root/checks.sh"
chmod 755 "$root/init"

(cd "$root" && find . | "$busybox" cpio -o -H newc 2>/dev/null) | gzip -1 >"$output"
