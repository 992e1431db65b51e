#!/usr/bin/env bash
# Builds the Debian package with CPack and checks it as apt and dpkg would
# see it: its control fields, that its dependencies name the package of
# every shared library its programs load, its file list, and then unpacks
# it into a scratch root (dpkg -x) and runs the installed program there on a
# short session, headless and on Qt.
#
#   deb_package_test.sh BUILD_DIR WITH_QT
set -euo pipefail
build=$1 with_qt=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/installed_session.sh"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/package" > "$tmp/cpack.log" 2>&1; then
  cat "$tmp/cpack.log"; exit 1
fi
debs=("$tmp"/package/*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: cpack made no single .deb"; ls "$tmp/package"; exit 1; }
deb=${debs[0]}
echo "package: $(basename "$deb")"
fail=0

# Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
expect_field() {
  local value
  value=$(field "$1")
  if ! grep -qE "$2" <<<"$value"; then echo "FAIL: $1 is \"$value\""; fail=1; fi
}
expect_field Package '^nodalux$'
expect_field Version '^[0-9]+\.[0-9]+(\.[0-9]+)?$'
expect_field Architecture "^$(dpkg --print-architecture)$"
expect_field Section '^utils$'
expect_field Priority '^optional$'
expect_field Maintainer '^[^<]+ <[^@ ]+@[^> ]+>$'
expect_field Homepage '^https?://'
expect_field Installed-Size '^[0-9]+$'
expect_field Description '^pick the points of interest inside a circle'
[ "$(field Description | wc -l)" -ge 4 ] || { echo "FAIL: the description has no long text"; fail=1; }
depends=$(field Depends)
echo "Depends: $depends"
expect_field Depends '(^|, )libc6 \(>= [0-9.]+\)'  # versioned: from dpkg-shlibdeps
if [ "$with_qt" = 1 ]; then
  expect_field Depends '(^|, )qt6-qpa-plugins(,|$)'
  expect_field Depends '(^|, )libqt6widgets6'
fi

# Every shared library an ELF file of the package needs comes from a
# package that Depends names.
dpkg -x "$deb" "$tmp/root"
# The package names in Depends, one a line (alternatives too).
depended=$(tr ',|' '\n\n' <<<"$depends" | sed 's/^ *//; s/[ (].*//')
# (No pipes that end early here: under pipefail a writer cut off by SIGPIPE
# would end the test at random.)
owner() {
  local path=$1 alt
  case "$path" in /usr/*) alt=${path#/usr} ;; *) alt=/usr$path ;; esac
  { dpkg -S "$path" 2>/dev/null || dpkg -S "$alt" 2>/dev/null || true; } | sed -n '1s/:.*//p'
}
libraries=$(ldconfig -p)
while IFS= read -r elf; do
  for lib in $(readelf -d "$elf" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    path=$(awk -v l="$lib" '$1 == l && !found { print $NF; found = 1 }' <<<"$libraries")
    pkg=$(owner "$(realpath "${path:-/nonexistent}")")
    [ -n "$pkg" ] || pkg=$(owner "$path")
    if [ -z "$pkg" ]; then echo "FAIL: ${elf#$tmp/root}: no package holds $lib"; fail=1; continue; fi
    grep -qxF "$pkg" <<<"$depended" ||
      { echo "FAIL: ${elf#$tmp/root} needs $lib from $pkg, which Depends does not name"; fail=1; }
  done
done < <(find "$tmp/root" -type f -exec sh -c 'file -b "$1" | grep -q "^ELF" && echo "$1"' _ {} \;)

# Files: owned by root, programs stripped, everything under /usr.
dpkg-deb -c "$deb" > "$tmp/contents"
awk '$2 != "root/root" { print "FAIL: not owned by root: " $0; bad = 1 } END { exit bad }' "$tmp/contents" || fail=1
awk '$6 !~ /^\.\/(usr\/.*)?$/ { print "FAIL: outside /usr: " $6; bad = 1 } END { exit bad }' "$tmp/contents" || fail=1
grep -qF './usr/bin/nodalux -> ../lib/nodalux/nodalux' "$tmp/contents" || { echo "FAIL: no /usr/bin/nodalux link"; fail=1; }
for f in nodalux MakeOV2_v1-1.exe; do
  [[ $(file -b "$tmp/root/usr/lib/nodalux/$f") == *", stripped"* ]] || { echo "FAIL: $f is not stripped"; fail=1; }
done

# The unpacked program runs from the scratch root.
folder="$tmp/root/usr/lib/nodalux/"
make_session "$tmp/headless"
run_session "$tmp/root/usr/bin/nodalux" "$tmp/headless" headless &&
  check_session "$tmp/headless" "$folder" || fail=1
if [ "$with_qt" = 1 ]; then
  make_session "$tmp/qt"
  if run_session "$tmp/root/usr/bin/nodalux" "$tmp/qt" qt; then
    check_session "$tmp/qt" "$folder" || fail=1
    same_on_qt "$tmp/headless" "$tmp/qt" || fail=1
  else
    fail=1
  fi
fi

[ $fail = 0 ] && echo "Debian package: OK"
exit $fail
