#!/bin/sh
# Makes the guest's Debian 12 root file system with mmdebstrap, once per package list, and
# prints the folder that holds it (ROOT/boot has the kernel and its initrd). The tree is kept
# in CACHE/<key>, where the key is a hash of the package list and of this script, so that a
# changed list or recipe builds anew; older trees are removed then.
# Kernel modules beyond what the root disk and the serial ports need, documentation and
# apt's lists are left out: nothing in the guest fetches anything.
# Usage: rootfs.sh CACHE PACKAGE...   (run as root: the tree keeps its owners)
set -eu
cache=$1
shift
packages=$(printf '%s\n' "$@" | sort -u | paste -sd, -)
key=$({ printf '%s\n' "$packages"; cat "$0"; } | sha256sum | cut -c1-16)
tree="$cache/$key"
if [ -e "$tree/ready" ]; then
  echo "$tree/root"
  exit 0
fi

# The host's own Debian mirror for bookworm (a deb822 .sources stanza or a one-line entry).
mirror=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources \
  2>/dev/null | awk '
    /^deb[ \t]/ && $3 == "bookworm" { print $2; exit }
    /^URIs:/ { uri = $2 }
    /^Suites:/ && uri != "" { for (i = 2; i <= NF; i++) if ($i == "bookworm") { print uri; exit } }
    /^[ \t]*$/ { uri = "" }')
[ -n "$mirror" ] || { echo "rootfs: no bookworm mirror in /etc/apt/sources.list*" >&2; exit 1; }

# Older trees, and what is left of a build that was cut short.
find "$cache" -mindepth 1 -maxdepth 1 -type d -regextype posix-extended -regex '.*/[0-9a-f]{16}' \
  -exec rm -rf {} + 2>/dev/null || true
mkdir -p "$tree"
# The initrd mounts the root disk (virtio, ext4); the running system needs only the serial
# drivers beside what is built in. The hooks are run by mmdebstrap, the tree as their "$1".
# shellcheck disable=SC2016
mmdebstrap --variant=apt --include="$packages" \
  --dpkgopt='path-exclude=/usr/share/doc/*' --dpkgopt='path-exclude=/usr/share/man/*' \
  --dpkgopt='path-exclude=/usr/share/locale/*' --dpkgopt='path-exclude=/usr/share/info/*' \
  --customize-hook='cd "$1"/lib/modules/*/kernel && find . -name "*.ko" ! -path "./drivers/tty/*" \
    ! -path "./drivers/virtio/*" ! -path "./drivers/block/*" ! -path "./fs/ext4/*" \
    ! -path "./fs/jbd2/*" ! -path "./fs/mbcache.ko" ! -path "./lib/*" ! -path "./crypto/*" -delete &&
    find . -type d -empty -delete'\
  --customize-hook='chroot "$1" sh -c "depmod -a \$(ls /lib/modules)"' \
  --customize-hook='rm -rf "$1"/var/lib/apt/lists/* "$1"/var/cache/apt/* "$1"/var/log/*.log' \
  bookworm "$tree/root" "$mirror" >&2
touch "$tree/ready"
echo "$tree/root"
