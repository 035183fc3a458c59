#!/bin/sh
# Installs the Debian 12 packages that building, running and testing need.
# Idempotent: packages already present are skipped; apt-get runs only when
# something is missing. Run as root (or through sudo).
set -eu

PACKAGES="
build-essential cmake g++ pkg-config
libgtest-dev libgmock-dev
qt6-base-dev qt6-svg-dev fonts-dejavu-core
libmodbus-dev mbpoll python3-pymodbus python3-serial socat
xvfb x11-apps imagemagick
qemu-system-x86 busybox-static
"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing="$missing $p"
  fi
done

if [ -n "$missing" ]; then
  echo "setup: installing$missing"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  # shellcheck disable=SC2086
  $SUDO apt-get install -y -qq --no-install-recommends $missing
else
  echo "setup: all packages present"
fi
