#!/usr/bin/env bash
# Installs a build folder into a temporary prefix and checks one part of the result.
# Usage: tests/install_test.sh files|desktop|man|version BUILD_DIR
# CTest passes the layout and version through the environment (cmake/Install.cmake); run by
# hand, they are taken from the build folder. Exit status 77: the part's tool is missing.
set -euo pipefail

part="$1"
build="$(cd "$2" && pwd)"
cmake_command="${CMAKE_COMMAND:-cmake}"
bindir="${PIVORA_BINDIR:-bin}"
datadir="${PIVORA_DATADIR:-share}"
mandir="${PIVORA_MANDIR:-share/man}"
version="${PIVORA_VERSION:-$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")}"
if [ -z "${PIVORA_WITH_APP:-}" ]; then
  PIVORA_WITH_APP=0
  [ -x "$build/app/pivora" ] && PIVORA_WITH_APP=1
fi

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
skip() { echo "SKIP: $*" >&2; exit 77; }
have() { command -v "$1" >/dev/null 2>&1; }

prefix="$(mktemp -d "${TMPDIR:-/tmp}/pivora-install.XXXXXX")"
trap 'rm -rf "$prefix"' EXIT
if ! "$cmake_command" --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1; then
  cat "$prefix.log" >&2
  rm -f "$prefix.log"
  echo "FAIL: cmake --install into $prefix" >&2
  exit 1
fi
rm -f "$prefix.log"

icons="$datadir/icons/hicolor"
desktop_entry="$datadir/applications/pivora.desktop"
pages=(pivora-cli)
[ "$PIVORA_WITH_APP" = 1 ] && pages+=(pivora)

copyright_file="$datadir/doc/pivora/copyright"
source_dir="${PIVORA_SOURCE_DIR:-$(sed -n 's/^CMAKE_HOME_DIRECTORY:[A-Z]*=//p' "$build/CMakeCache.txt")}"

expected_files() {
  echo "$bindir/pivora-cli"
  echo "$mandir/man1/pivora-cli.1"
  echo "$copyright_file"
  if [ "$PIVORA_WITH_APP" = 1 ]; then
    echo "$bindir/pivora"
    echo "$datadir/pivora/PIVORA.HLP"
    echo "$desktop_entry"
    echo "$icons/scalable/apps/pivora.svg"
    echo "$icons/48x48/apps/pivora.png"
    echo "$icons/256x256/apps/pivora.png"
    echo "$mandir/man1/pivora.1"
  fi
}

# Width and height of a PNG, read from its header chunk.
png_size() {
  local signature
  signature="$(od -An -tx1 -N8 "$1" | tr -d ' \n')"
  [ "$signature" = "89504e470d0a1a0a" ] || { echo "not-a-png"; return; }
  local width height
  width=$((16#$(od -An -tx1 -j16 -N4 "$1" | tr -d ' \n')))
  height=$((16#$(od -An -tx1 -j20 -N4 "$1" | tr -d ' \n')))
  echo "${width}x${height}"
}

# The value of KEY in the desktop entry's main group.
entry_value() {
  # awk, not head: a reader that stops early could kill sed with SIGPIPE under pipefail.
  sed -n "/^\[Desktop Entry\]/,/^\[/s/^$1=//p" "$prefix/$desktop_entry" | awk 'NR == 1'
}

check_files() {
  local missing extra
  missing="$(comm -23 <(expected_files | sort) <(cd "$prefix" && find . ! -type d | sed 's|^\./||' | sort))"
  extra="$(comm -13 <(expected_files | sort) <(cd "$prefix" && find . ! -type d | sed 's|^\./||' | sort))"
  [ -z "$missing" ] || fail "not installed: $missing"
  [ -z "$extra" ] || fail "installed but not expected: $extra"

  local program
  for program in pivora-cli pivora; do
    [ "$program" = pivora ] && [ "$PIVORA_WITH_APP" != 1 ] && continue
    [ -x "$prefix/$bindir/$program" ] || fail "$bindir/$program is not executable"
    # An installed program must not look for libraries in the build folder.
    if have readelf && grep -qF "$build" <<<"$(readelf -d "$prefix/$bindir/$program" | grep -E 'RPATH|RUNPATH' || true)"; then
      fail "$bindir/$program keeps a search path into the build folder"
    fi
  done

  for page in "${pages[@]}"; do
    local file="$prefix/$mandir/man1/$page.1"
    [ -f "$file" ] || continue
    grep -q '@[A-Z_]*@' "$file" && fail "$page.1 has an unfilled placeholder"
    grep -qE "^\.TH .*\"Pivora $version\"" "$file" || fail "$page.1 does not name version $version"
    grep -q '^\.SH COPYRIGHT' "$file" || fail "$page.1 has no COPYRIGHT section"
  done

  check_copyright_file

  [ "$PIVORA_WITH_APP" = 1 ] || return 0
  grep -qi '<html' "$prefix/$datadir/pivora/PIVORA.HLP" 2>/dev/null || fail "the help document is not an HTML page"
  local size
  for size in 48x48 256x256; do
    [ "$(png_size "$prefix/$icons/$size/apps/pivora.png")" = "$size" ] || fail "the $size icon is not a $size PNG"
  done
  local svg="$prefix/$icons/scalable/apps/pivora.svg"
  grep -q '<svg' "$svg" || fail "the scalable icon is not an SVG"
  if have xmllint; then xmllint --noout "$svg" || fail "the scalable icon is not well-formed XML"; fi
}

# Debian's machine-readable copyright file: its header, one Files paragraph naming the holder,
# and the licence text of the source tree's LICENSE (the lines below its copyright line).
check_copyright_file() {
  local file="$prefix/$copyright_file"
  [ -f "$file" ] || return 0
  grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$file" \
    || fail "the copyright file does not name its format on its first lines"
  grep -qx 'Files: \*' "$file" || fail "the copyright file has no 'Files: *' paragraph"
  local holder
  holder="$(sed -n 's/^Copyright (c) [0-9]* //p' "$source_dir/LICENSE")"
  [ -n "$holder" ] || fail "LICENSE names no copyright holder"
  grep -qx "Copyright: [0-9]* $holder" "$file" || fail "the copyright file does not name $holder as LICENSE does"
  local licence
  # The text is the stand-alone License paragraph, the second to name Expat, below its first line.
  licence="$(awk '/^License: Expat$/ { seen++; next } seen == 2' "$file" | sed 's/^ //; s/^\.$//')"
  [ "$licence" = "$(awk 'NR > 4' "$source_dir/LICENSE")" ] || fail "the copyright file's licence text is not LICENSE's"
}

check_desktop_entry() {
  [ "$PIVORA_WITH_APP" = 1 ] || skip "no window program in this build, so no desktop entry"
  have desktop-file-validate || skip "desktop-file-validate is missing (Debian package desktop-file-utils)"
  local entry="$prefix/$desktop_entry"
  [ -f "$entry" ] || { fail "no desktop entry at $desktop_entry"; return; }
  desktop-file-validate "$entry" || fail "desktop-file-validate rejects the entry"

  [ "$(entry_value Exec)" = "pivora %f" ] || fail "Exec is '$(entry_value Exec)'"
  local program mime categories
  program="$(entry_value Exec)"
  program="${program%% *}"
  [ -x "$prefix/$bindir/$program" ] || fail "Exec names '$program', which is not installed in $bindir"
  [ "$(entry_value TryExec)" = "$program" ] || fail "TryExec is not '$program'"
  [ -f "$prefix/$icons/scalable/apps/$(entry_value Icon).svg" ] || fail "Icon names '$(entry_value Icon)', which is not installed"
  mime=";$(entry_value MimeType)"
  [[ "$mime" == *";image/jpeg;"* ]] || fail "MimeType lacks image/jpeg"
  [[ "$mime" == *";inode/directory;"* ]] || fail "MimeType lacks inode/directory"
  categories=";$(entry_value Categories)"
  [[ "$categories" == *";Graphics;"* && "$categories" == *";Photography;"* ]] || fail "Categories lack Graphics and Photography"
}

# Renders one page and fails on any warning: groff with every warning, then man as a reader would.
check_page() {
  local page="$1" file="$prefix/$mandir/man1/$1.1" out
  [ -f "$file" ] || { fail "$page.1 is not installed"; return; }
  out="$(groff -ww -man -Tutf8 -z "$file" 2>&1)"
  [ -z "$out" ] || fail "groff warns about $page.1: $out"
  if have man; then
    local rendered="$prefix/$page.txt" warnings="$prefix/$page.err"
    MANWIDTH=80 man --warnings=w -l "$file" >"$rendered" 2>"$warnings" || fail "man -l $page.1 failed"
    [ -s "$warnings" ] && fail "man -l warns about $page.1: $(cat "$warnings")"
    grep -q "^NAME" "$rendered" || fail "man -l shows no NAME section for $page.1"
    [ "$(man -w -M "$prefix/$mandir" "$page" 2>/dev/null)" = "$file" ] || fail "man does not find $page(1) under $mandir"
  fi
  if have lexgrog; then
    # The NAME line feeds whatis and apropos.
    grep -q ": \"$page - " <<<"$(lexgrog "$file")" || fail "the NAME section of $page.1 cannot be read by lexgrog"
  fi
}

# Every option that a program's --help names is described in its manual page.
check_options_documented() {
  local program="$1" option page_text
  page_text="$(sed 's/\\-/-/g' "$prefix/$mandir/man1/$program.1")"
  for option in $(QT_QPA_PLATFORM=offscreen "$prefix/$bindir/$program" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
    grep -qF -- "$option" <<<"$page_text" || fail "$program.1 does not describe $option"
  done
}

check_man_pages() {
  have groff || skip "groff is missing"
  export LC_ALL=C.UTF-8 MAN_DISABLE_SECCOMP=1
  for page in "${pages[@]}"; do check_page "$page"; done
  check_options_documented pivora-cli
  [ "$PIVORA_WITH_APP" = 1 ] && check_options_documented pivora
  return 0
}

# Each program's name and version, then the copyright line of LICENSE and the licence's name.
check_versions() {
  local program out copyright
  copyright="$(grep -m1 '^Copyright ' "$source_dir/LICENSE")"
  for program in pivora-cli pivora; do
    [ "$program" = pivora ] && [ "$PIVORA_WITH_APP" != 1 ] && continue
    out="$(QT_QPA_PLATFORM=offscreen "$prefix/$bindir/$program" --version)" || fail "$program --version failed"
    [ "$(awk 'NR == 1' <<<"$out")" = "$program $version" ] || fail "$program --version printed '$out', not '$program $version' first"
    [ "$(awk 'NR == 2' <<<"$out")" = "$copyright" ] || fail "$program --version does not say '$copyright' below it"
    grep -q "MIT License" <<<"$out" || fail "$program --version does not name the MIT License"
  done
}

case "$part" in
  files) check_files ;;
  desktop) check_desktop_entry ;;
  man) check_man_pages ;;
  version) check_versions ;;
  *) echo "install_test: unknown part '$part'" >&2; exit 2 ;;
esac

if [ "$failures" -gt 0 ]; then
  echo "install_test $part: $failures failure(s)" >&2
  exit 1
fi
echo "install_test $part: ok"
