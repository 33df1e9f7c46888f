#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks what lands there: exactly the two
# programs, the desktop entry, its icon and the man page, all consistent with each other.
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
expected="bin/hcci-cycle
bin/hcci-cycle-export
share/applications/hcci-cycle.desktop
share/icons/hicolor/scalable/apps/hcci-cycle.svg
share/man/man1/hcci-cycle-export.1"
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

# The installed program runs on its own, away from the build folder.
if out=$("$prefix/bin/hcci-cycle-export" --version 2>&1); then
  [ "$out" = "hcci-cycle-export $version" ] || fail "--version printed '$out', expected 'hcci-cycle-export $version'"
else
  fail "installed hcci-cycle-export --version exited with status $?: $out"
fi

# Desktop entry: valid, and its Exec and Icon name what was installed.
desktop=$prefix/share/applications/hcci-cycle.desktop
if [ -f "$desktop" ]; then
  if command -v desktop-file-validate >/dev/null; then
    verdict=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate rejects the desktop entry: $verdict"
  fi
  key() { sed -n "s/^$1=//p" "$desktop"; }
  [ "$(key Exec)" = hcci-cycle ] || fail "desktop entry Exec is '$(key Exec)', expected hcci-cycle"
  [ "$(key Icon)" = hcci-cycle ] || fail "desktop entry Icon is '$(key Icon)', expected hcci-cycle"
  [ "$(key Name)" = "HCCI Cycle" ] || fail "desktop entry Name is '$(key Name)'"
  [ "$(key Terminal)" = false ] || fail "desktop entry must not ask for a terminal"
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

# Man page: well-formed roff, and it documents every option the program's --help lists,
# so that it cannot fall behind the program.
manpage=$prefix/share/man/man1/hcci-cycle-export.1
if [ -f "$manpage" ]; then
  grep -q '^\.TH HCCI\\-CYCLE\\-EXPORT 1' "$manpage" || fail "man page has no .TH line for section 1"
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" EXAMPLES; do
    grep -q "^\.SH \"\?$section\"\?\$" "$manpage" || fail "man page has no $section section"
  done
  if command -v groff >/dev/null; then
    warnings=$(LC_ALL=C.UTF-8 groff -man -ww -z "$manpage" 2>&1) || true
    [ -z "$warnings" ] || fail "groff warns about the man page: $warnings"
  fi
  plain=$(sed 's/\\-/-/g' "$manpage")
  help=$("$prefix/bin/hcci-cycle-export" --help 2>&1) || fail "installed hcci-cycle-export --help failed"
  options=$(grep -oE '(^|[][ |])--?[a-z][a-z-]*' <<<"$help" | sed 's/^[][ |]*//' | LC_ALL=C sort -u)
  [ -n "$options" ] || fail "found no options in the --help text"
  for word in csv png $options; do
    grep -qE -- "(^|[^a-z-])$word([^a-z-]|\$)" <<<"$plain" || fail "man page does not mention '$word'"
  done
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "install tree OK"
