#!/usr/bin/env bash
# Builds the Debian package in the build tree given and checks what an
# installation would get: the programs, the desktop entry and its icon, the
# OLT service's unit naming the installed program, the example
# configurations, the guide with every screenshot it shows, and the
# dependencies loaded at run time that no linker line reveals; and Debian's
# own check of the package (lintian) finds no error and no warning.
#   check_package.sh BUILD_DIR SOURCE_DIR [--with-sandbox]
set -euo pipefail

build=$1
source=$2
with_sandbox=${3:-}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cmake --build "$build" --target package >"$build/package.log" 2>&1 ||
  { cat "$build/package.log" >&2; fail "the package target failed"; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$build/zelcrm_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $deb"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
dpkg-deb -c "$deb" >"$root.list"
trap 'rm -rf "$root" "$root.list"' EXIT

programs=(zelcrm zelcrm-admin zelcrm-oltd)
[ "$with_sandbox" = --with-sandbox ] && programs+=(zelcrm-sandbox)
for p in "${programs[@]}"; do
  f="$root/usr/bin/$p"
  [ -x "$f" ] || fail "/usr/bin/$p missing or not executable"
  # CPack strips the programs: debug information would multiply the download.
  file -b "$f" | grep -q '^ELF.*executable' || fail "/usr/bin/$p is not a program"
  ! file -b "$f" | grep -q 'not stripped' || fail "/usr/bin/$p is not stripped"
done

# Nothing outside /usr, and nothing of the build or the tests.
bad=$(awk '{print $6}' "$root.list" | grep -v -E '^\./(usr/|$)' || true)
[ -z "$bad" ] || fail "files outside /usr: $bad"
bad=$(awk '{print $6}' "$root.list" | grep -E 'tst_|bench_|/build/|\.o$|\.a$' || true)
[ -z "$bad" ] || fail "build or test files packaged: $bad"

desktop="$root/usr/share/applications/zelcrm.desktop"
[ -f "$desktop" ] || fail "no desktop entry"
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$root/usr/bin/$exec_name" ] || fail "the desktop entry starts '$exec_name', which the package lacks"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no icon '$icon' in hicolor"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop entry does not validate"
fi

unit="$root/usr/lib/systemd/system/zelcrm-oltd.service"
[ -f "$unit" ] || fail "no systemd unit for zelcrm-oltd"
start=$(sed -n 's/^ExecStart=\([^ ]*\).*/\1/p' "$unit")
[ "$start" = /usr/bin/zelcrm-oltd ] || fail "the unit starts '$start', not the packaged /usr/bin/zelcrm-oltd"

for example in "$source"/etc/*.example.ini; do
  cmp -s "$example" "$root/usr/share/zelcrm/$(basename "$example")" ||
    fail "example configuration $(basename "$example") missing or changed"
done

doc="$root/usr/share/doc/zelcrm"
[ -f "$doc/guide.md" ] || fail "no guide in /usr/share/doc/zelcrm"
# Every screenshot the guide shows must travel with it.
grep -o '](screenshots/[^)]*)' "$doc/guide.md" | sed 's/^](//;s/)$//' | while read -r shot; do
  [ -f "$doc/$shot" ] || fail "the guide shows $shot, which the package lacks"
done

depends=$(dpkg-deb -f "$deb" Depends)
# Loaded at run time (plugins, a helper process, an ODBC driver, the service
# account), plus what dpkg-shlibdeps must find from the programs' links.
for needed in libqt6sql6-sqlite libqt6sql6-odbc libqt6sql6-psql tdsodbc libqt6webenginecore6-bin adduser \
  libqt6widgets6 libqt6webenginewidgets6 libmicrohttpd12 libcurl4 libxlsxwriter libc6; do
  grep -q -E "(^|, )$needed[^,]*" <<<"$depends" || fail "Depends lacks $needed: $depends"
done

dpkg-deb -I "$deb" postinst | grep -q 'adduser --system' || fail "postinst does not create the zelcrm-oltd user"
# The copyright, the changelog and a manual page for every program are what
# lintian asks of any package; anything else it finds is a fault too.
command -v lintian >/dev/null || fail "lintian is not installed (scripts/setup installs it)"
lintian --fail-on error,warning "$deb" >"$build/lintian.log" 2>&1 ||
  { cat "$build/lintian.log" >&2; fail "lintian finds errors or warnings"; }

echo "package $deb checked"
