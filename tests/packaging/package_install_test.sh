#!/usr/bin/env bash
# Builds the Debian package of the build tree given, unpacks it into a fresh
# root and checks what an office that installs it gets: the programs, the
# manual pages, the desktop entry, the help page; every dependency it
# declares is a package of this system; every library the programs need is
# found; and the programs run from the unpacked root (deskpost --version,
# dpadmin create).
set -euo pipefail
build=$1
for tool in cpack dpkg-deb dpkg-query ldd; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# cpack installs the build tree into its own staging folder under -B.
cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack could not build the package"; }
deb=$(ls "$work"/out/deskpost_*_amd64.deb 2>/dev/null | head -1)
[ -n "$deb" ] || fail "no deskpost_VERSION_amd64.deb in $(ls "$work/out")"
echo "package: $(basename "$deb")"

root="$work/root"
dpkg-deb -x "$deb" "$root"

for f in usr/bin/deskpost usr/bin/dpadmin usr/bin/dpsetup \
         usr/share/applications/deskpost.desktop \
         usr/share/icons/hicolor/scalable/apps/deskpost.svg \
         usr/share/doc/deskpost/deskpost.html \
         usr/share/man/man1/deskpost.1.gz usr/share/man/man1/dpadmin.1.gz \
         usr/share/man/man1/dpsetup.1.gz; do
  [ -e "$root/$f" ] || fail "the package lacks /$f"
done
# Programs built with the gateway bring its manual page and service unit.
if [ -e "$root/usr/bin/dpgateway" ]; then
  [ -e "$root/usr/share/man/man1/dpgateway.1.gz" ] || fail "the package lacks dpgateway's manual page"
  ls "$root"/usr/lib/systemd/system/dpgateway.service "$root"/lib/systemd/system/dpgateway.service \
    >/dev/null 2>&1 || find "$root" -name dpgateway.service | grep -q . ||
    fail "the package lacks dpgateway.service"
fi

# Every declared dependency names a package this system has, and the Qt
# libraries the windows link are among them.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
[ -n "$depends" ] || fail "the package declares no dependencies"
for lib in libqt6widgets6 libqt6core6; do
  grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib"
done
IFS=',' read -ra clauses <<<"$depends"
for clause in "${clauses[@]}"; do
  name=$(sed -E 's/^ *//; s/[ (|].*//' <<<"$clause")
  dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q "install ok installed" ||
    fail "declared dependency $name is not a package installed here"
done

# The installed programs find every library they link.
for program in "$root"/usr/bin/*; do
  if ldd "$program" | grep -q "not found"; then
    ldd "$program" | grep "not found" >&2
    fail "$(basename "$program") misses libraries"
  fi
done

# The programs run from the fresh root.
version=$("$root/usr/bin/deskpost" --version)
[[ "$version" == DESKpost\ * ]] || fail "deskpost --version said: $version"
echo "$version"
"$root/usr/bin/dpadmin" create "$work/office" >"$work/create.log" 2>&1 ||
  { cat "$work/create.log"; fail "dpadmin create failed"; }
[ -e "$work/office/DP.EXE" ] || fail "dpadmin create made no data directory"
"$root/usr/bin/dpadmin" check "$work/office" >"$work/check.log" 2>&1 ||
  { cat "$work/check.log"; fail "the new office does not pass dpadmin check"; }

# The manual pages read without warnings.
if command -v groff >/dev/null; then
  for page in "$root"/usr/share/man/man1/*.1.gz; do
    warnings=$(zcat "$page" | groff -man -Tutf8 -ww -z 2>&1)
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
  done
fi
echo "PASS"
