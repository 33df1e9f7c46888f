#!/usr/bin/env bash
# Builds the Debian package into a scratch folder and checks its name, control data and
# contents: it must pull in the Qt libraries, the label font and the Qt platform plugins.
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

if ! (cd "$build" && "$cpack" -G DEB -B "$work/out" --config "$build/CPackConfig.cmake") \
  >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  echo "FAIL: cpack -G DEB failed" >&2
  exit 1
fi

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
for needed in libqt6core6 libqt6gui6 libqt6widgets6 fonts-comic-neue qt6-qpa-plugins; do
  grep -qx -- "$needed" <<<"$names" || fail "Depends does not name $needed: $depends"
done

# Contents: the same files as an install, owned by root, the programs executable by all.
listing=$(dpkg-deb -c "$deb")
files=$(awk '$1 !~ /^d/ { print $NF }' <<<"$listing" | sed 's|^\./||' | LC_ALL=C sort)
expected="usr/bin/hcci-cycle
usr/bin/hcci-cycle-export
usr/share/applications/hcci-cycle.desktop
usr/share/icons/hicolor/scalable/apps/hcci-cycle.svg
usr/share/man/man1/hcci-cycle-export.1"
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

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "package OK: $(basename "$deb")"
echo "Depends: $depends"
