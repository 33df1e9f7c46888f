#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the build into a fresh prefix and checks what lands there: exactly the two
# programs, the desktop entry, the software centre's metainfo, the icons, the man pages, the
# changelog and the copyright, all consistent with each other and with the version.
# usage: install_tree_test.sh CMAKE BUILD_DIR VERSION
set -euo pipefail

cmake=$1 build=$2 version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

if ! "$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
  cat "$work/install.log" >&2
  echo "FAIL: cmake --install failed" >&2
  exit 1
fi

# The tree, file for file: nothing missing, nothing stray (a test program, a static library).
id=example.torvan.hcci_cycle
expected="bin/hcci-cycle
bin/hcci-cycle-export
share/applications/$id.desktop
share/applications/${id}_explorer.desktop
share/doc/hcci-cycle/changelog.gz
share/doc/hcci-cycle/copyright
share/icons/hicolor/128x128/apps/hcci-cycle.png
share/icons/hicolor/256x256/apps/hcci-cycle.png
share/icons/hicolor/48x48/apps/hcci-cycle.png
share/icons/hicolor/64x64/apps/hcci-cycle.png
share/icons/hicolor/scalable/apps/hcci-cycle.svg
share/man/man1/hcci-cycle-export.1.gz
share/man/man1/hcci-cycle.1.gz
share/metainfo/$id.metainfo.xml"
actual=$(cd "$prefix" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort)
if [ "$actual" != "$expected" ]; then
  fail "installed files differ from the expected list"
  diff <(echo "$expected") <(echo "$actual") >&2 || true
fi

for program in hcci-cycle hcci-cycle-export; do
  if [ ! -f "$prefix/bin/$program" ] || [ ! -x "$prefix/bin/$program" ]; then
    fail "bin/$program is not an executable file"
  fi
done

# The installed programs run on their own, away from the build folder, and know the version.
for program in hcci-cycle hcci-cycle-export; do
  if out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/$program" --version 2>&1); then
    [ "$out" = "$program $version" ] || fail "$program --version printed '$out', expected '$program $version'"
  else
    fail "installed $program --version exited with status $?: $out"
  fi
done

# The software centre's metainfo: valid, of this version, launching the desktop entry.
metainfo=$prefix/share/metainfo/$id.metainfo.xml
if [ -f "$metainfo" ]; then
  if command -v appstreamcli >/dev/null; then
    verdict=$(appstreamcli validate --pedantic --no-net "$metainfo" 2>&1) ||
      fail "appstreamcli rejects the metainfo: $verdict"
  fi
  grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo has no release $version"
  grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "the metainfo does not launch $id.desktop"
fi

# The icons in pixels are rendered from the scalable one, at their own sizes.
for size in 48 64 128 256; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/hcci-cycle.png
  [ -f "$png" ] || continue
  got=$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print("%dx%d" % struct.unpack(">II", d[16:24]))' "$png")
  [ "$got" = "${size}x${size}" ] || fail "the ${size} px icon is $got"
done

# The changelog's newest entry is this version.
changelog=$prefix/share/doc/hcci-cycle/changelog.gz
[ -f "$changelog" ] && { zcat "$changelog" | head -n 1 | grep -q "^hcci-cycle ($version) " ||
  fail "the changelog does not begin with $version"; }

# Desktop entry: valid, and its Exec and Icon name what was installed.
desktop=$prefix/share/applications/$id.desktop
if [ -f "$desktop" ]; then
  if command -v desktop-file-validate >/dev/null; then
    verdict=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate rejects the desktop entry: $verdict"
  fi
  key() { sed -n "s/^$1=//p" "$desktop"; }
  [ "$(key Exec)" = hcci-cycle ] || fail "desktop entry Exec is '$(key Exec)', expected hcci-cycle"
  [ "$(key Icon)" = hcci-cycle ] || fail "desktop entry Icon is '$(key Icon)', expected hcci-cycle"
  [ "$(key Name)" = "HCCI Cycle" ] || fail "desktop entry Name is '$(key Name)'"
  [ "$(key Terminal)" = false ] || fail "desktop entry must not ask for a terminal"
  # The window's class, by which docks find the entry.
  [ "$(key StartupWMClass)" = hcci-cycle ] || fail "desktop entry StartupWMClass is '$(key StartupWMClass)'"
  explorer=$prefix/share/applications/${id}_explorer.desktop
  if [ -f "$explorer" ]; then
    if command -v desktop-file-validate >/dev/null; then
      verdict=$(desktop-file-validate "$explorer" 2>&1) || fail "desktop-file-validate rejects the explorer's entry: $verdict"
    fi
    [ "$(sed -n 's/^Exec=//p' "$explorer")" = "hcci-cycle --explore" ] || fail "the explorer's entry does not run hcci-cycle --explore"
    [ "$(sed -n 's/^Name=//p' "$explorer")" = "HCCI Cycle Explorer" ] || fail "the explorer's entry is not named HCCI Cycle Explorer"
  fi
  exec_program=$(key Exec | cut -d' ' -f1)
  [ -x "$prefix/bin/$exec_program" ] || fail "desktop entry runs '$exec_program', which is not installed in bin/"
  [ -f "$prefix/share/icons/hicolor/scalable/apps/$(key Icon).svg" ] ||
    fail "no scalable icon named after the desktop entry's Icon"
fi

# Icon: well-formed SVG that scales (a viewBox), so icon themes can draw it at any size.
icon=$prefix/share/icons/hicolor/scalable/apps/hcci-cycle.svg
if [ -f "$icon" ]; then
  python3 - "$icon" <<'EOF' || fail "the icon is not a usable SVG document"
import sys
import xml.dom.minidom

root = xml.dom.minidom.parse(sys.argv[1]).documentElement
if root.tagName != "svg" or root.namespaceURI != "http://www.w3.org/2000/svg":
    sys.exit(f"root element is {root.tagName!r} in {root.namespaceURI!r}")
if not root.getAttribute("viewBox"):
    sys.exit("the svg element has no viewBox")
EOF
fi

# Man pages: well-formed roff of this version, and each documents every option its program's
# --help lists, so that neither can fall behind its program.
for program in hcci-cycle hcci-cycle-export; do
  manpage=$prefix/share/man/man1/$program.1.gz
  [ -f "$manpage" ] || continue
  text=$(zcat "$manpage")
  title=$(tr 'a-z-' 'A-Z-' <<<"$program" | sed 's/-/\\\\-/g')
  grep -qE "^\.TH $title 1 \"[0-9]{4}-[0-9]{2}-[0-9]{2}\" \"hcci-cycle $version\"" <<<"$text" ||
    fail "$program.1 has no .TH line with a date and version $version"
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS"; do
    grep -q "^\.SH \"\?$section\"\?\$" <<<"$text" || fail "$program.1 has no $section section"
  done
  if command -v groff >/dev/null; then
    warnings=$(LC_ALL=C.UTF-8 groff -man -ww -z <<<"$text" 2>&1) || true
    [ -z "$warnings" ] || fail "groff warns about $program.1: $warnings"
  fi
  plain=$(sed 's/\\-/-/g' <<<"$text")
  help=$(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/$program" --help 2>&1) ||
    fail "installed $program --help failed"
  options=$(grep -oE '(^|[][ |])--?[a-z][a-z-]*' <<<"$help" | sed 's/^[][ |]*//' | LC_ALL=C sort -u)
  [ -n "$options" ] || fail "found no options in $program --help"
  for word in $options; do
    grep -qE -- "(^|[^a-z-])$word([^a-z-]|\$)" <<<"$plain" || fail "$program.1 does not mention '$word'"
  done
  # Every key of the summary's JSON, by its own name.
  if [ "$program" = hcci-cycle-export ]; then
    keys=$("$prefix/bin/$program" summary --json | grep -oE '^ *"[a-z0-9_]+"' | tr -d ' "')
    [ -n "$keys" ] || fail "found no keys in hcci-cycle-export summary --json"
    for key in $keys; do
      grep -qE -- "(^|[^a-z0-9_])$key([^a-z0-9_]|\$)" <<<"$plain" ||
        fail "$program.1 does not document the summary key '$key'"
    done
  fi
done

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "install tree OK"
