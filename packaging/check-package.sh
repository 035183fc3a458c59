#!/bin/sh
# Checks a built vlk240 Debian package: its file list, that its dependencies were derived
# from the programs, and that the reader it contains decodes the worked example frame when
# unpacked into a scratch root.
# Usage: packaging/check-package.sh <vlk240_*.deb>
# Prints one line per failed check and exits 1 when any failed.
set -eu

deb=${1:?usage: check-package.sh <vlk240_*.deb>}
[ -f "$deb" ] || { echo "check-package: no such file: $deb" >&2; exit 2; }

failures=0
fail() {
  echo "check-package: $*" >&2
  failures=$((failures + 1))
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# 1. Files: the three programs, the desktop entry, the icon, three manual pages and the
# reader's service unit, its user and its example settings.
dpkg-deb -c "$deb" | awk '{ print $NF }' | sed 's|^\./|/|' >"$scratch/files"
for path in \
  /usr/bin/vlk240 /usr/bin/vlk240-read /usr/bin/vlk240-sim \
  /usr/share/applications/vlk240.desktop \
  /usr/share/icons/hicolor/scalable/apps/vlk240.svg \
  /usr/share/man/man1/vlk240.1.gz /usr/share/man/man1/vlk240-read.1.gz \
  /usr/share/man/man1/vlk240-sim.1.gz \
  /usr/lib/systemd/system/vlk240-read@.service /usr/lib/sysusers.d/vlk240.conf \
  /usr/share/doc/vlk240/example.conf; do
  grep -qx "$path" "$scratch/files" || fail "missing $path"
done

# 2. Control fields. A derived Depends line carries versions (libc6 (>= 2.34)); a bare
# package name would mean someone wrote it by hand.
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libqt6gui6 libqt6core6 libc6; do
  echo "$depends" | tr ',' '\n' | grep -Eq "^ *$library(:[a-z0-9]+)? \(>= [^)]+\)" ||
    fail "Depends lacks a derived $library: $depends"
done
[ "$(dpkg-deb -f "$deb" Package)" = vlk240 ] || fail "package name is not vlk240"
[ "$(dpkg-deb -f "$deb" Section)" = utils ] || fail "section is not utils"
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no maintainer"
[ -n "$(dpkg-deb -f "$deb" Description)" ] || fail "no description"
# One maintainer script, the postinst that makes the service's user; installing and removing
# need nothing else.
dpkg-deb -e "$deb" "$scratch/control"
for script in preinst prerm postrm; do
  [ ! -e "$scratch/control/$script" ] || fail "unexpected maintainer script $script"
done
grep -q "systemd-sysusers vlk240.conf" "$scratch/control/postinst" 2>/dev/null ||
  fail "the postinst does not make the service's user"

# 3. The unpacked reader decodes the worked example frame.
dpkg-deb -x "$deb" "$scratch/root"
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

if [ "$failures" -ne 0 ]; then
  echo "check-package: $failures check(s) failed for $deb" >&2
  exit 1
fi
echo "check-package: $deb passed"
