#!/bin/sh
# Debian's own kernel for the test machine, unpacked into the build tree and never installed:
# the linux-image package that linux-image-amd64 depends on, fetched with apt-get download
# and unpacked with dpkg-deb -x. Kept across runs; a newer kernel in the lists is fetched anew.
# Usage: kernel.sh DIR   prints the unpacked tree (boot/vmlinuz-*, lib/modules/*/kernel/)
set -eu
dir=$1

image_package() {
  apt-cache depends linux-image-amd64 2>/dev/null |
    sed -n 's/^ *Depends: \(linux-image-[^ ]*\)$/\1/p' | head -n 1
}

package=$(image_package)
if [ -z "$package" ]; then
  apt-get update -qq >/dev/null 2>&1 || true
  package=$(image_package)
fi
[ -n "$package" ] || { echo "linux-image-amd64 is in no package list" >&2; exit 1; }

tree="$dir/$package"
if [ ! -e "$tree/unpacked" ]; then
  rm -rf "$tree"
  mkdir -p "$tree"
  # Package lists older than the archive name a file that is gone: refresh once.
  if ! (cd "$tree" && apt-get download -q "$package") >"$tree/download.log" 2>&1; then
    apt-get update -qq >/dev/null 2>&1 || true
    (cd "$tree" && apt-get download -q "$package") >"$tree/download.log" 2>&1 || {
      echo "apt-get download $package failed: $(tail -n 1 "$tree/download.log")" >&2
      exit 1
    }
  fi
  dpkg-deb -x "$tree/${package}_"*.deb "$tree/root"
  rm "$tree/${package}_"*.deb
  touch "$tree/unpacked"
fi
echo "$tree/root"
