#!/usr/bin/env bash
# Installs the build into a scratch prefix (with a blank in its name, as
# users' folders may have) and checks the installed tree: the program folder
# with every companion file, the links in bin/, the desktop entry, the icons
# and the AppStream metainfo, each validated by the freedesktop tools. Then
# runs the installed program as users start it (by name along PATH, through
# a link of their own) on a short session, headless and on Qt.
#
#   install_tree_test.sh BUILD_DIR "PROGRAM..." WITH_QT
set -euo pipefail
build=$1 programs=$2 with_qt=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/installed_session.sh"

for tool in desktop-file-validate appstreamcli file; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (tools/install_deps.sh installs it)"; exit 1; }
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix="$tmp/pre fix"
cmake --install "$build" --prefix "$prefix" > "$tmp/install.log" || { cat "$tmp/install.log"; exit 1; }

fail=0
folder="$prefix/lib/nodalux/"
id=org.nodalux.Nodalux

# The tree, exactly.
{
  for p in $programs; do
    echo "bin/$p -> ../lib/nodalux/$p"
    echo "lib/nodalux/$p"
    echo "share/man/man1/$p.1.gz"
  done
  echo lib/nodalux/MakeOV2_v1-1.exe
  echo lib/nodalux/Nodalux.hlp
  echo lib/nodalux/default_symbol.bmp
  [ "$with_qt" = 1 ] && echo lib/nodalux/zarvane-qt.so
  echo "share/applications/$id.desktop"
  for s in 16 32 48 64 128 256; do echo "share/icons/hicolor/${s}x$s/apps/$id.png"; done
  echo "share/icons/hicolor/scalable/apps/$id.svg"
  echo "share/metainfo/$id.metainfo.xml"
  echo share/doc/nodalux/copyright
  echo share/doc/nodalux/changelog.gz
} | sort > "$tmp/expected"
(cd "$prefix" && find . \( -type f -printf '%P\n' \) -o \( -type l -printf '%P -> %l\n' \) | sort) > "$tmp/found"
if ! diff -u "$tmp/expected" "$tmp/found"; then echo "FAIL: the installed tree differs"; fail=1; fi

# The program folder is the build's dist/ folder, file for file.
for f in MakeOV2_v1-1.exe Nodalux.hlp default_symbol.bmp; do
  [ -x "$folder$f" ] || [ "$f" != MakeOV2_v1-1.exe ] || { echo "FAIL: $f is not executable"; fail=1; }
  [ "$f" = MakeOV2_v1-1.exe ] || cmp -s "$folder$f" "$build/dist/$f" || { echo "FAIL: $f differs from dist/"; fail=1; }
done
for p in $programs; do
  [ -x "$folder$p" ] || { echo "FAIL: $p is not executable"; fail=1; }
done
for m in "$prefix"/share/man/man1/*.1.gz "$prefix"/share/doc/nodalux/*.gz; do
  gzip -t "$m" || { echo "FAIL: $m is not a gzip file"; fail=1; }
done

# Desktop entry, icons and metainfo, as the desktop's own tools read them.
desktop-file-validate "$prefix/share/applications/$id.desktop" || { echo "FAIL: desktop-file-validate"; fail=1; }
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" ||
  { echo "FAIL: appstreamcli validate"; fail=1; }
# The tree as a whole: the metainfo's desktop entry and icon are there.
appstreamcli validate-tree --no-net "$prefix" || { echo "FAIL: appstreamcli validate-tree"; fail=1; }
grep -qx "Exec=nodalux" "$prefix/share/applications/$id.desktop" ||
  { echo "FAIL: the desktop entry does not start nodalux"; fail=1; }
for s in 16 32 48 64 128 256; do
  png="$prefix/share/icons/hicolor/${s}x$s/apps/$id.png"
  [[ $(file -b "$png") == "PNG image data, $s x $s,"* ]] || { echo "FAIL: $png: $(file -b "$png")"; fail=1; }
done
[[ $(file -b "$prefix/share/icons/hicolor/scalable/apps/$id.svg") == SVG* ]] ||
  { echo "FAIL: the scalable icon is not SVG"; fail=1; }

# Started by name along PATH from another folder: the link in bin/ leads
# to the program folder, where the program finds its converter, its symbol
# bitmap and its help file.
make_session "$tmp/by name"
PATH="$prefix/bin:$PATH" run_session nodalux "$tmp/by name" headless &&
  check_session "$tmp/by name" "$folder" || fail=1

# Through a link of the user's own to the link in bin/, on the Qt backend,
# which is loaded from the program folder too.
if [ "$with_qt" = 1 ]; then
  mkdir "$tmp/own bin"
  ln -s "$prefix/bin/nodalux" "$tmp/own bin/pois"
  make_session "$tmp/qt"
  if run_session "$tmp/own bin/pois" "$tmp/qt" qt; then
    check_session "$tmp/qt" "$folder" || fail=1
    same_on_qt "$tmp/by name" "$tmp/qt" || fail=1
  else
    fail=1
  fi
fi

# The example script of the help file, as a user would copy it, with its
# folder replaced by one holding the two files it names.
ex="$tmp/example"
mkdir "$ex"
cp "$tmp/by name/pubs.csv" "$ex/pubs.csv"
cp "$tmp/by name/group.ov2" "$ex/cameras.ov2"
sed -n '/^<pre># each line answers/,/<\/pre>/p' "${folder}Nodalux.hlp" |
  sed -e 's/^<pre>//' -e 's|</pre>$||' -e "s|/home/me/pois|$ex|" > "$ex/session.script"
if [ "$(wc -l < "$ex/session.script")" -lt 10 ]; then
  echo "FAIL: no example script in the help file"; fail=1
elif run_session "$prefix/bin/nodalux" "$ex" headless; then
  t="$ex/transcript"
  for line in 'dialog 102 end 1 1005' 'status 2 " Centre: N  51.45000, W  0.97000, Radius: 25.00"' 'exit 0'; do
    grep -qxF "$line" "$t" || { echo "FAIL: the help's example script: no line: $line"; fail=1; }
  done
  if grep -qE '^(note|box) ' "$t"; then echo "FAIL: the help's example script:"; grep -E '^(note|box) ' "$t"; fail=1; fi
  [ -s "$ex/reading.ov2" ] || { echo "FAIL: the help's example script wrote no reading.ov2"; fail=1; }
else
  fail=1
fi

# The batch program by name along PATH: it finds the converter and the
# symbol bitmap in the program folder.
if [[ " $programs " == *" nodalux-batch "* ]]; then
  b="$tmp/batch"
  mkdir "$b"
  printf 'Longitude,Latitude,Name\n-0.1,51.5,"Kew"\n' > "$b/in.csv"
  if (cd "$b" && TMPDIR="$b" PATH="$prefix/bin:$PATH" nodalux-batch --all -o "out put.ov2" in.csv); then
    [ -s "$b/out put.ov2" ] && cmp -s "$b/out put.bmp" "${folder}default_symbol.bmp" ||
      { echo "FAIL: the installed nodalux-batch wrote no overlay with its symbol"; fail=1; }
  else
    echo "FAIL: the installed nodalux-batch failed"; fail=1
  fi
fi

[ $fail = 0 ] && echo "installed tree and program: OK"
exit $fail
