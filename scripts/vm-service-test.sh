#!/bin/sh
# The systemd test tier: the reader's Debian package installed with apt in a real Debian 12
# guest with systemd under QEMU, its unit vlk240-read@line1 reading vlk240-sim on the host
# through the guest's /dev/ttyS1 and publishing to mosquitto on the guest's loopback (the
# guest has no network device). Prints one line per check, "vm_check service_NAME ok|FAIL
# DETAIL", and exits 1 when a check failed or the machine could not be had.
# The guest's root file system comes from mmdebstrap once per package list and is kept in
# ${XDG_CACHE_HOME:-$HOME/.cache}/vlk240/systemd-vm (VLK240_VM_CACHE to choose another);
# each run boots a fresh disk image made from it. Runs as root (the tree keeps its owners).
# The last run's logs stay in BUILD/service-run.
# Usage: scripts/vm-service-test.sh             builds the programs in build-vmsvc
#        scripts/vm-service-test.sh --packed BUILD   packs BUILD, a build already made
#                                                    (scripts/test.sh's optimised one)
set -eu
cd "$(dirname "$0")/.."
started=$(date +%s)
build=build-vmsvc packed=no
if [ "${1:-}" = --packed ] && [ -n "${2:-}" ]; then
  build=$2 packed=yes
elif [ $# -gt 0 ]; then
  echo "usage: scripts/vm-service-test.sh [--packed BUILD]" >&2
  exit 2
fi
run=$build/service-run
cache=${VLK240_VM_CACHE:-${XDG_CACHE_HOME:-${HOME:-/root}/.cache}/vlk240/systemd-vm}
# Two boots under TCG with the checks' waits (a watchdog restart, 20 s without the line).
limit_s=600
checks="install reads password_file line_lost kill_restart watchdog stop spool"

tier_failed() {
  echo "vm_check service_tier FAIL $*"
  exit 1
}

for tool in qemu-system-x86_64 mmdebstrap mkfs.ext4 dpkg-deb cpack; do
  command -v "$tool" >/dev/null || tier_failed "$tool is missing (scripts/setup.sh installs it)"
done
[ "$(id -u)" = 0 ] || tier_failed "needs root: the guest's file system keeps its owners"

# The programs as the package ships them: dynamically linked (the window, when the build has
# it, goes into a package of its own).
rm -rf "$run"
mkdir -p "$build" "$run"
if [ "$packed" = no ] && ! { cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVLK_WITH_GUI=OFF \
  -DVLK_BUILD_TESTS=OFF -DVLK_BUILD_BENCHMARKS=OFF &&
  cmake --build "$build" -j"${JOBS:-2}"; } >"$run/build.log" 2>&1; then
  tier_failed "the programs did not build (see $run/build.log)"
fi
(cd "$build" && cpack -G DEB) >>"$run/build.log" 2>&1 ||
  tier_failed "cpack made no package (see $run/build.log)"
package=$(find "$build" -maxdepth 1 -name 'vlk240-read_*.deb' -newer "$run" | head -n 1)
[ -n "$package" ] || tier_failed "cpack made no vlk240-read_*.deb in $build"
built=$(date +%s)

# The guest has what the package depends on, and nothing is fetched there.
depends=$(dpkg-deb -f "$package" Depends | tr ',' '\n' | awk '{ print $1 }')
# shellcheck disable=SC2086
root=$(tests/vm/service/rootfs.sh "$cache" systemd systemd-sysv udev mosquitto mosquitto-clients \
  linux-image-amd64 libmosquitto1 libsqlite3-0 libsystemd0 libstdc++6 $depends \
  2>"$run/rootfs.log") || tier_failed "no root file system: $(tail -n 1 "$run/rootfs.log")"
rootfs_ready=$(date +%s)

mkdir -p "$run/payload/package"
cp tests/vm/service/guest.sh "$run/payload/"
cp "$package" "$run/payload/package/"
size_mb=$(($(du -sm "$root" | cut -f1) + 300))
if ! { mkfs.ext4 -q -F -L root -d "$root" "$run/base.raw" "${size_mb}M" &&
  mkfs.ext4 -q -F -L payload -d "$run/payload" "$run/payload.raw" 64M; } >"$run/mkfs.log" 2>&1; then
  tier_failed "no disk images: $(tail -n 1 "$run/mkfs.log")"
fi
kernel=$(find "$root/boot" -name 'vmlinuz-*' | head -n 1)
initrd=$(find "$root/boot" -name 'initrd.img-*' | head -n 1)
prepared=$(date +%s)

machine_ok=1
tests/vm/service/machine.sh "$run" "$kernel" "$initrd" "$build/sim/vlk240-sim" "$limit_s" \
  2>"$run/machine.log" || machine_ok=0
finished=$(date +%s)

status=0
for name in $checks; do
  line=$(grep -a "^vm_check service_$name " "$run/console.log" | tail -n 1)
  [ -n "$line" ] || line="vm_check service_$name FAIL no result (see $run/console.log)"
  echo "$line"
  case $line in *" FAIL "*) status=1 ;; esac
done
if [ "$machine_ok" = 0 ]; then
  echo "vm_check service_machine FAIL $(tail -n 1 "$run/machine.log")"
  status=1
fi
echo "vm_service_test: build $((built - started)) s, root file system $((rootfs_ready - built)) s" \
  "($(du -sm "$root" | cut -f1) MB in $cache), images $((prepared - rootfs_ready)) s," \
  "machine $((finished - prepared)) s, logs in $run"
exit $status
