#!/bin/sh
# Installs the Debian 12 packages that building, running and testing need, then checks that
# everything they use is really there. Idempotent: apt-get runs only when something is
# missing. Run as root (or through sudo).
#   scripts/setup.sh           install what is missing, then check
#   scripts/setup.sh --check   check only
# The check prints one line per missing item, naming its package, and exits 1.
set -eu

# What the build, the scripts, the tests and the benchmarks use: package, kind, name.
#   program         a command on PATH
#   python-module   a module that /usr/bin/python3 imports
#   library         a pkg-config module
#   file            a path (a shell pattern where it depends on the architecture or version)
REQUIREMENTS="
# Build (gzip: the manual pages) and the window's font
g++                     program         g++
make                    program         make
cmake                   program         cmake
cmake                   program         ctest
cmake                   program         cpack
pkg-config              program         pkg-config
libgtest-dev            library         gtest
libgmock-dev            library         gmock
qt6-base-dev            library         Qt6Widgets
qt6-base-dev            library         Qt6Test
qt6-svg-dev             library         Qt6Svg
gzip                    program         gzip
fonts-dejavu-core       file            /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
# Tests and the poll benchmark: the independent Modbus peers, the Russian locale
libmodbus-dev           library         libmodbus
bash                    program         bash
socat                   program         socat
mbpoll                  program         mbpoll
python3                 file            /usr/bin/python3
python3-pymodbus        python-module   pymodbus.datastore
python3-pymodbus        python-module   pymodbus.transaction
python3-serial          python-module   serial
python3-serial-asyncio  python-module   serial_asyncio
libc-bin                program         localedef
locales                 file            /usr/share/i18n/locales/ru_RU
locales                 file            /usr/share/i18n/charmaps/UTF-8.gz
# Publishing to MQTT: the client library, OpenSSL to check the TLS files before connecting,
# and the broker, clients, password and certificate tools that the publishing tests start on
# their own (never the system's broker service)
libmosquitto-dev        library         libmosquitto
# The publisher's spool on disk
libsqlite3-dev          library         sqlite3
libssl-dev              library         openssl
mosquitto               file            /usr/sbin/mosquitto
mosquitto               program         mosquitto_passwd
mosquitto-clients       program         mosquitto_sub
openssl                 program         openssl
# The reader's readiness and watchdog messages to systemd (sd_notify), and the unit's check
libsystemd-dev          library         libsystemd
systemd                 program         systemd-analyze
# The package test (cpack and packaging/check-package.sh)
dpkg                    program         dpkg-deb
dpkg-dev                program         dpkg-shlibdeps
binutils                program         objdump
binutils                program         strip
file                    program         file
# scripts/screenshot.sh
xvfb                    program         Xvfb
x11-utils               program         xdpyinfo
x11-utils               program         xwininfo
imagemagick             program         import
# scripts/vm-test.sh: the virtual machine with real serial drivers (its kernel comes from
# apt-get download, into the build tree)
qemu-system-x86         program         qemu-system-x86_64
busybox-static          file            /bin/busybox
apt                     program         apt-get
# scripts/vm-service-test.sh: a Debian 12 guest with systemd, its root file system made by
# mmdebstrap (which asks gpg for the keyring that signs the mirror and mounts /proc and /dev
# in the tree it installs into), its disk images by mkfs.ext4 -d
mmdebstrap              program         mmdebstrap
gpg                     program         gpg
mount                   program         mount
e2fsprogs               program         mkfs.ext4
coreutils               program         timeout
# scripts/fuzz.sh
clang                   program         clang++
libclang-rt-14-dev      file            /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-*.a
# The Windows build (scripts/build-windows.sh): mingw-w64 with POSIX threads, GoogleTest built
# from Debian's sources, Wine to run the tests, and tmux, a terminal for the console check
g++-mingw-w64-x86-64-posix  program     x86_64-w64-mingw32-g++-posix
mingw-w64-x86-64-dev    file            /usr/x86_64-w64-mingw32/include/windows.h
binutils-mingw-w64-x86-64 program       x86_64-w64-mingw32-objdump
googletest              file            /usr/src/googletest/CMakeLists.txt
wine64                  file            /usr/lib/wine/wine64
tmux                    program         tmux
# The Windows window: its icon, rendered from packaging/vlk240.svg; Wine's own fonts, MS Sans
# Serif among them, for its screenshot and tests; its installer
librsvg2-bin            program         rsvg-convert
fonts-wine              file            /usr/share/wine/fonts/sserife.fon
icoutils                program         icotool
nsis                    program         makensis
"

# present KIND NAME: whether one requirement is met.
present() {
  case $1 in
    program) command -v "$2" >/dev/null 2>&1 ;;
    python-module) /usr/bin/python3 -c "import $2" >/dev/null 2>&1 ;;
    library) pkg-config --exists "$2" 2>/dev/null ;;
    file)
      # shellcheck disable=SC2086
      set -- $2
      [ -e "$1" ]
      ;;
  esac
}

# Prints "package kind name" for each requirement that is not met.
unmet() {
  echo "$REQUIREMENTS" | while read -r package kind name; do
    case $package in "" | "#"*) continue ;; esac
    present "$kind" "$name" </dev/null || echo "$package $kind $name"
  done
}

if [ "${1:-}" != "--check" ]; then
  missing=$(unmet | awk '{ print $1 }' | sort -u | paste -sd ' ')
  if [ -n "$missing" ]; then
    echo "setup: installing $missing"
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
    export DEBIAN_FRONTEND=noninteractive
    # A failed install is reported by the check below, item by item.
    # shellcheck disable=SC2086
    { $SUDO apt-get update -qq && $SUDO apt-get install -y -qq --no-install-recommends $missing; } ||
      echo "setup: apt-get failed" >&2
  else
    echo "setup: all packages present"
  fi
fi

still_missing=$(unmet)
if [ -n "$still_missing" ]; then
  echo "$still_missing" | while read -r package kind name; do
    echo "setup: missing $kind $name (from package $package)" >&2
  done
  exit 1
fi
echo "setup: checked $(echo "$REQUIREMENTS" | grep -c '^[^#]') requirements"
