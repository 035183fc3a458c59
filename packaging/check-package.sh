#!/bin/sh
# Checks the built Debian packages: vlk240-read (what a plant runs without a display) and,
# when given, vlk240 (the window). Their file lists, that their dependencies were derived from
# the programs and that the reader's go without Qt, the window's exact dependency on the
# reader of its build, that the reader's system user gets its own group and dialout, and that
# the reader unpacked into a scratch root decodes the worked example frame.
# Usage: packaging/check-package.sh <vlk240-read_*.deb> [<vlk240_*.deb>]
# Prints one line per failed check and exits 1 when any failed.
set -eu

reader_deb=${1:?usage: check-package.sh <vlk240-read_*.deb> [<vlk240_*.deb>]}
window_deb=${2:-}
for deb in "$reader_deb" $window_deb; do
  [ -f "$deb" ] || { echo "check-package: no such file: $deb" >&2; exit 2; }
done

failures=0
fail() {
  echo "check-package: $*" >&2
  failures=$((failures + 1))
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# files DEB: the package's files (not its folders), one absolute path a line.
files() { dpkg-deb -c "$1" | awk '$1 !~ /^d/ { print $NF }' | sed 's|^\./|/|'; }

# expect_files DEB PATH...: each path is in the package.
expect_files() {
  deb=$1
  shift
  files "$deb" >"$scratch/files"
  for path in "$@"; do
    grep -qx "$path" "$scratch/files" || fail "$(basename "$deb"): missing $path"
  done
}

# expect_derived DEB LIBRARY...: each library is in Depends with a version, as dpkg-shlibdeps
# writes it (libc6 (>= 2.34)); a bare name would mean someone wrote it by hand.
expect_derived() {
  deb=$1
  shift
  depends=$(dpkg-deb -f "$deb" Depends)
  for library in "$@"; do
    echo "$depends" | tr ',' '\n' | grep -Eq "^ *$library(:[a-z0-9]+)? \(>= [^)]+\)" ||
      fail "$(basename "$deb"): Depends lacks a derived $library: $depends"
  done
}

# expect_fields DEB PACKAGE: the control fields every package needs.
expect_fields() {
  [ "$(dpkg-deb -f "$1" Package)" = "$2" ] || fail "$(basename "$1"): package name is not $2"
  [ "$(dpkg-deb -f "$1" Section)" = utils ] || fail "$(basename "$1"): section is not utils"
  [ -n "$(dpkg-deb -f "$1" Maintainer)" ] || fail "$(basename "$1"): no maintainer"
  [ -n "$(dpkg-deb -f "$1" Description)" ] || fail "$(basename "$1"): no description"
}

# expect_scripts DEB SCRIPT...: the package's maintainer scripts are exactly these.
expect_scripts() {
  deb=$1
  shift
  rm -rf "$scratch/control"
  dpkg-deb -e "$deb" "$scratch/control"
  for script in preinst postinst prerm postrm; do
    wanted=no
    for name in "$@"; do [ "$name" != "$script" ] || wanted=yes; done
    if [ -e "$scratch/control/$script" ] && [ $wanted = no ]; then
      fail "$(basename "$deb"): unexpected maintainer script $script"
    elif [ ! -e "$scratch/control/$script" ] && [ $wanted = yes ]; then
      fail "$(basename "$deb"): no maintainer script $script"
    fi
  done
}

# 1. The reader's package: the reader, the simulator, their manual pages, the service unit,
# its user and its example settings; derived dependencies, libsystemd0 among them, and none
# on Qt; one maintainer script, the postinst that makes the service's user.
expect_fields "$reader_deb" vlk240-read
expect_files "$reader_deb" \
  /usr/bin/vlk240-read /usr/bin/vlk240-sim \
  /usr/share/man/man1/vlk240-read.1.gz /usr/share/man/man1/vlk240-sim.1.gz \
  /usr/lib/systemd/system/vlk240-read@.service /usr/lib/sysusers.d/vlk240.conf \
  /usr/share/doc/vlk240-read/example.conf
expect_derived "$reader_deb" libc6 libmosquitto1
reader_depends=$(dpkg-deb -f "$reader_deb" Depends)
echo "$reader_depends" | tr ',' '\n' | grep -Eq '^ *libsystemd0([: ]|$)' ||
  fail "vlk240-read: Depends lacks libsystemd0: $reader_depends"
for field in Breaks Replaces; do
  [ "$(dpkg-deb -f "$reader_deb" "$field")" = "vlk240 (<< 1.1.0)" ] ||
    fail "vlk240-read: $field is not the single package of 1.0.0: $(dpkg-deb -f "$reader_deb" "$field")"
done
case $reader_depends in
  *qt*) fail "vlk240-read: depends on Qt: $reader_depends" ;;
esac
files "$reader_deb" | grep -E '/vlk240$|\.desktop$|\.svg$|/vlk240\.1\.gz$' >"$scratch/window_files" ||
  true
[ ! -s "$scratch/window_files" ] ||
  fail "vlk240-read holds the window's files: $(tr '\n' ' ' <"$scratch/window_files")"
expect_scripts "$reader_deb" postinst
grep -q "systemd-sysusers vlk240.conf" "$scratch/control/postinst" 2>/dev/null ||
  fail "vlk240-read: the postinst does not make the service's user"

# 2. The service's user as systemd-sysusers makes it from the package's file: primary group
# vlk240 (which reads the password and key files), a member of dialout.
dpkg-deb -x "$reader_deb" "$scratch/root"
if command -v systemd-sysusers >/dev/null 2>&1; then
  mkdir -p "$scratch/users/etc"
  if systemd-sysusers --root="$scratch/users" "$scratch/root/usr/lib/sysusers.d/vlk240.conf" \
    >/dev/null 2>&1; then
    gid=$(awk -F: '$1 == "vlk240" { print $4 }' "$scratch/users/etc/passwd")
    group=$(awk -F: -v gid="$gid" '$3 == gid { print $1 }' "$scratch/users/etc/group")
    [ "$group" = vlk240 ] || fail "sysusers: the user vlk240's group is '$group', not vlk240"
    awk -F: '$1 == "dialout" { print "," $4 "," }' "$scratch/users/etc/group" | grep -q ',vlk240,' ||
      fail "sysusers: vlk240 is not in dialout"
  else
    fail "sysusers: systemd-sysusers refused the package's vlk240.conf"
  fi
fi

# 3. The unpacked reader decodes the worked example frame.
frame="01 04 1A 00 00 42 36 00 00 41 F2 00 00 41 40 00 00 42 C8 00 00 00 15 00 0A 42 48 00 00 47 76"
cat >"$scratch/expected" <<'EOF'
Принято:   1 4 26 0 0 66 54 0 0 65 242 0 0 65 64 0 0 66 200 0 0 0 21 0 10 66 72 0 0 71 118 
ВЛК240ТхИ Исполнение 1
(Уровнемер-Уровнемер)

Уровень канала 1 - 45,5 %
Объём канала 1 - 30,3 %
Уровень канала 2 - 12,0 %
Объём канала 2 - 100,0 %
Состояния реле: Вкл. Выкл. Вкл. Выкл. 
EOF
if "$scratch/root/usr/bin/vlk240-read" --decode "$frame" --separator , >"$scratch/actual"; then
  cmp -s "$scratch/expected" "$scratch/actual" ||
    fail "decoded output differs: $(diff "$scratch/expected" "$scratch/actual" | tr '\n' '|')"
else
  fail "vlk240-read --decode from the package failed with status $?"
fi

# 4. The window's package: the window, its desktop entry, icon and manual page; the reader of
# the same version, exactly; Qt derived; no maintainer scripts; no file of the reader's, which
# dpkg would refuse to install beside it.
if [ -n "$window_deb" ]; then
  expect_fields "$window_deb" vlk240
  expect_files "$window_deb" \
    /usr/bin/vlk240 /usr/share/applications/vlk240.desktop \
    /usr/share/icons/hicolor/scalable/apps/vlk240.svg /usr/share/man/man1/vlk240.1.gz
  expect_derived "$window_deb" libqt6widgets6 libqt6gui6 libqt6core6 libc6
  version=$(dpkg-deb -f "$reader_deb" Version)
  dpkg-deb -f "$window_deb" Depends | tr ',' '\n' | grep -qx " *vlk240-read (= $version)" ||
    fail "vlk240: Depends lacks vlk240-read (= $version): $(dpkg-deb -f "$window_deb" Depends)"
  expect_scripts "$window_deb"
  files "$reader_deb" | sort >"$scratch/reader_files"
  files "$window_deb" | sort >"$scratch/window_files"
  shared=$(comm -12 "$scratch/reader_files" "$scratch/window_files" | tr '\n' ' ')
  [ -z "$shared" ] || fail "files in both packages: $shared"
fi

if [ "$failures" -ne 0 ]; then
  echo "check-package: $failures check(s) failed" >&2
  exit 1
fi
echo "check-package: $reader_deb${window_deb:+ and $window_deb} passed"
