#!/bin/busybox sh
# /init of the test machine: brings up the USB serial driver, runs the checks of
# checks.sh against both lines and powers off. Everything it reports goes to the
# console as "vm_..." lines; the host answers requests on the console's input.
/bin/busybox --install -s /bin
export PATH=/bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mount -t tmpfs tmpfs /tmp
# The lock folder of terminal programs, where the reader leaves its lock file while it holds a line.
mkdir -p /run/lock
# The host's answers must not come back as console output.
stty -echo

# USB is modular in Debian's kernel; the file lists the modules in load order.
while read -r module; do
  insmod "/lib/vm-modules/${module##*/}"
done </lib/vm-modules/order

# shellcheck disable=SC1091 # checks.sh, copied to / by initramfs.sh
. /checks.sh
run_checks

echo vm_done
dmesg | sed 's/^/vm_log /'
poweroff -f
