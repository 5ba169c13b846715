#!/usr/bin/env bash
# The Debian package as `make deb` makes it: its dependencies, its files, its
# desktop entry and manual page, and the program unpacked from it converting
# the example course, from the command line and as the desktop's "Open
# with" runs it. Nothing is installed on the system.
#   deb_test.sh CPACK BUILD SOURCE GUI(1|0)
cpack=$1 build=$2 SOURCE=$3 gui=$4
. "$SOURCE/tests/install/lib.sh"
tmp=$(mktemp -d)
window=
trap '[ -n "$window" ] && kill "$window" 2>/dev/null; rm -rf "$tmp"' EXIT

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/pack" >"$tmp/cpack.log" 2>&1 ||
  fail "cpack: $(cat "$tmp/cpack.log")"
debs=("$tmp"/pack/raredozud_*.deb)
deb=${debs[0]}
[ -f "$deb" ] || fail "no raredozud_*.deb"
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"
dpkg-deb --info "$deb" >"$tmp/info.txt"
dpkg-deb --contents "$deb" >"$tmp/contents.txt"
dpkg-deb -x "$deb" "$tmp/root"
root=$tmp/root/usr
program=$root/lib/raredozud/raredozud
binaries=("$program" "$root/lib/raredozud/raredozud-pictures")
[ "$gui" = 1 ] && binaries+=("$root/lib/raredozud/raredozud-window.so")

# Each library the program and the window link, by the package that holds
# it, is a dependency; so are the toolkit's display plugins, which nothing links.
depends=$(sed -n 's/^ Depends: //p' "$tmp/info.txt")
echo "Depends: $depends"
declare -A owners=()
for binary in "${binaries[@]}"; do
  for needed in $(objdump -p "$binary" | awk '$1 == "NEEDED" { print $2 }'); do
    # The loader is listed by its path alone.
    path=$(ldd "$binary" | awk -v lib="$needed" '$1 == lib { print $3 } $1 ~ "/" lib "$" { print $1 }')
    [ -n "$path" ] || fail "$needed is not found"
    # The library's path as its package lists it: /lib/... may be /usr/lib/....
    owner=$( (dpkg -S "$path" || dpkg -S "/usr$path") 2>/dev/null | head -n 1 | cut -d: -f1)
    [ -n "$owner" ] || fail "no package holds $path"
    owners[$owner]=1
  done
done
required=("${!owners[@]}")
[ "$gui" = 1 ] && required+=(qt6-qpa-plugins)
for package in "${required[@]}"; do
  [[ ", $depends," == *", $package "[\(,]* || ", $depends," == *", $package,"* ]] ||
    fail "$package is not among the dependencies"
done
[ "${#required[@]}" -ge 8 ] || fail "only ${required[*]} found linked"

# The files, where the desktop, the manual and the shell look for them.
grep -q '^l.* ./usr/bin/raredozud -> ../lib/raredozud/raredozud$' "$tmp/contents.txt" ||
  fail "no link usr/bin/raredozud"
for f in lib/raredozud/copysql.sh lib/raredozud/player/index.htm lib/raredozud/schemas/imscp_v1p1.xsd \
  lib/raredozud/examples/course-template.docx share/applications/raredozud.desktop \
  share/icons/hicolor/scalable/apps/raredozud.svg share/icons/hicolor/256x256/apps/raredozud.png \
  share/man/man1/raredozud.1.gz share/bash-completion/completions/raredozud \
  share/doc/raredozud/README.md; do
  grep -q " ./usr/$f\$" "$tmp/contents.txt" || fail "usr/$f is not in the package"
done

# The desktop entry: valid, opening the three document types, with an icon
# the package holds.
desktop=$root/share/applications/raredozud.desktop
validation=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop entry: $validation"
[ -z "$validation" ] || fail "desktop entry: $validation"
for type in application/msword application/vnd.openxmlformats-officedocument.wordprocessingml.document \
  application/vnd.oasis.opendocument.text; do
  grep -q "^MimeType=.*$type;" "$desktop" || fail "the desktop entry does not open $type"
done
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$root/share/icons/hicolor/256x256/apps/$icon.png" ] || fail "no icon $icon"

# The manual page sets without a troff warning and names every command.
zcat "$root/share/man/man1/raredozud.1.gz" >"$tmp/raredozud.1"
groff -man -Tutf8 -P-cbou -ww "$tmp/raredozud.1" 2>"$tmp/groff.txt" >"$tmp/manual.txt" ||
  fail "groff failed"
[ ! -s "$tmp/groff.txt" ] || fail "the manual page: $(cat "$tmp/groff.txt")"
"$program" --help | sed -n 's/^.\{7\}\(raredozud\( [^ ]\+\)*\).*/\1/p' >"$tmp/forms.txt"
[ -s "$tmp/forms.txt" ] || fail "no forms in --help"
while IFS= read -r form; do
  grep -qF -- "$form" "$tmp/manual.txt" || fail "the manual page lacks $form"
done <"$tmp/forms.txt"

converts "$root/bin/raredozud" "$root/lib/raredozud" "$tmp/work"

# "Open with": the entry's command line with the document for %f opens the
# window, which converts the document there and starts the copy step.
if [ "$gui" = 1 ]; then
  mkdir -p "$tmp/open"
  cp "$SOURCE/examples/course.txt" "$tmp/open/opened.txt"
  exec_line=$(sed -n 's/^Exec=//p' "$desktop")
  read -r -a command <<<"${exec_line//%f/$tmp/open/opened.txt}"
  command[0]=$root/bin/${command[0]}
  (cd "$tmp/open" && QT_QPA_PLATFORM=offscreen exec "${command[@]}" >window.log 2>&1) &
  window=$!
  for ((i = 0; i < 600; i++)); do
    [ -f "$tmp/open/opened.zip" ] && break
    sleep 0.1
  done
  [ -f "$tmp/open/opened.zip" ] || fail "the window wrote no zip: $(cat "$tmp/open/window.log")"
  kill -0 "$window" 2>/dev/null || fail "the window did not stay open: $(cat "$tmp/open/window.log")"
  grep -q "^Успех" "$tmp/open/log.txt" || fail "the window's run did not succeed"
  kill "$window"
  wait "$window" || true
  window=
fi
