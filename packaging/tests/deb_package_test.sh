#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package into a scratch folder, twice, and checks its name, control data and
# contents (it must pull in the Qt libraries, the label font and the Qt platform plugins), that
# lintian finds neither an error nor a warning in it, and that the two builds are the same bytes.
# usage: deb_package_test.sh CPACK BUILD_DIR VERSION
# Exits 77 (skipped) where the Debian packaging tools are missing.
set -euo pipefail

cpack=$1 build=$2 version=$3
for tool in dpkg dpkg-deb dpkg-shlibdeps; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed" >&2
    exit 77
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

package() {
  if ! (cd "$build" && "$cpack" -G DEB -B "$work/$1" --config "$build/CPackConfig.cmake") \
    >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    echo "FAIL: cpack -G DEB failed" >&2
    exit 1
  fi
}
package out

deb=$work/out/hcci-cycle_${version}_$(dpkg --print-architecture).deb
if [ ! -f "$deb" ]; then
  echo "FAIL: no $(basename "$deb"); cpack wrote:" >&2
  ls -l "$work/out" >&2
  exit 1
fi

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = hcci-cycle ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', expected $version"
[ "$(field Section)" = science ] || fail "Section is '$(field Section)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Description)" ] || fail "no Description"

# Depends, as bare package names (versions and alternatives stripped).
depends=$(field Depends)
names=$(tr ',|' '\n' <<<"$depends" | sed 's/(.*)//; s/:any//; s/^ *//; s/ *$//' | grep -v '^$' | sort -u)
for needed in libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 libqt6charts6 libavcodec59 \
  libavformat59 libtomlplusplus3 fonts-comic-neue qt6-qpa-plugins; do
  grep -qx -- "$needed" <<<"$names" || fail "Depends does not name $needed: $depends"
done

# Contents: the same files as an install, owned by root, the programs executable by all.
listing=$(dpkg-deb -c "$deb")
files=$(awk '$1 !~ /^d/ { print $NF }' <<<"$listing" | sed 's|^\./||' | LC_ALL=C sort)
expected="usr/bin/hcci-cycle
usr/bin/hcci-cycle-export
usr/share/applications/example.torvan.hcci_cycle.desktop
usr/share/applications/example.torvan.hcci_cycle_explorer.desktop
usr/share/doc/hcci-cycle/changelog.gz
usr/share/doc/hcci-cycle/copyright
usr/share/icons/hicolor/128x128/apps/hcci-cycle.png
usr/share/icons/hicolor/256x256/apps/hcci-cycle.png
usr/share/icons/hicolor/48x48/apps/hcci-cycle.png
usr/share/icons/hicolor/64x64/apps/hcci-cycle.png
usr/share/icons/hicolor/scalable/apps/hcci-cycle.svg
usr/share/man/man1/hcci-cycle-export.1.gz
usr/share/man/man1/hcci-cycle.1.gz
usr/share/metainfo/example.torvan.hcci_cycle.metainfo.xml"
if [ "$files" != "$expected" ]; then
  fail "package contents differ from the expected list"
  diff <(echo "$expected") <(echo "$files") >&2 || true
fi
awk '$2 != "root/root" { bad = 1; print "  " $0 } END { exit bad }' <<<"$listing" >&2 ||
  fail "files in the package not owned by root/root"
for program in hcci-cycle hcci-cycle-export; do
  grep -qE "^-rwxr-xr-x .* \./usr/bin/$program\$" <<<"$listing" ||
    fail "usr/bin/$program is not a mode 0755 file in the package"
done

# What a distribution's reviewer runs: no error and no warning, pedantic or not.
if command -v lintian >/dev/null; then
  verdict=$(lintian --pedantic --tag-display-limit 0 "$deb" 2>&1) || true
  if grep -qE '^[EW]: ' <<<"$verdict"; then
    fail "lintian finds errors or warnings:"
    grep -E '^[EW]: ' <<<"$verdict" >&2
  fi
  grep -E '^[IP]: ' <<<"$verdict" >&2 || true
fi

# The same sources and build make the same package, whenever it is made.
sleep 1
package again
cmp -s "$deb" "$work/again/$(basename "$deb")" || fail "a second cpack run made a different package"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "package OK: $(basename "$deb")"
echo "Depends: $depends"
