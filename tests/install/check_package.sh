#!/usr/bin/env bash
# Builds the Debian package of a full build with `cpack -G DEB` and checks it: the
# control fields, dependencies computed from the binaries plus the sound font and fonts
# loaded at run time, the files a desktop and Debian expect, no lintian error, and the
# programs run from the unpacked package.
# Usage: check_package.sh BUILD_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/checks.sh"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
deb=$build/sonkora_${version}_${arch}.deb
rm -f "$deb"
(cd "$build" && cpack -G DEB) >"$work/cpack.log" 2>&1 && [ -f "$deb" ] ||
    { cat "$work/cpack.log"; echo "FAIL: cpack -G DEB wrote no $deb"; exit 1; }
echo "== $deb"

field() { dpkg-deb -f "$deb" "$1"; }
for expected in Package=sonkora "Version=$version" "Architecture=$arch" Section=sound; do
    name=${expected%%=*}
    [ "$(field "$name")" = "${expected#*=}" ] || fail "$name is '$(field "$name")', not ${expected#*=}"
done
[[ $(field Maintainer) =~ ^.+\ \<.+@.+\>$ ]] || fail "Maintainer '$(field Maintainer)' has no name and address"
grep -q '^  \.$' <<<"$(dpkg-deb -I "$deb")" || fail "the description has no long part"
depends=$(field Depends)
for needed in 'libc6 (' 'libqt6widgets6 (' 'libfluidsynth3 (' 'librtmidi6 (' \
    'timgm6mb-soundfont | sf2-soundfont-gm' 'fonts-liberation'; do
    grep -qF "$needed" <<<"$depends" || fail "Depends lacks '$needed': $depends"
done

contents=$(dpkg-deb -c "$deb" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }')
for path in \
    './usr/bin/sonkora -> ../lib/sonkora/sonkora' \
    './usr/bin/sonkorac -> ../lib/sonkora/sonkorac' \
    ./usr/lib/sonkora/sonkora ./usr/lib/sonkora/sonkorac \
    ./usr/lib/sonkora/en.hyp ./usr/lib/sonkora/en.licence.txt \
    ./usr/lib/sonkora/help/contents.html ./usr/lib/sonkora/examples/jingle_bells.stf \
    ./usr/share/applications/org.sonkora.Sonkora.desktop \
    ./usr/share/metainfo/org.sonkora.Sonkora.metainfo.xml \
    ./usr/share/mime/packages/org.sonkora.Sonkora.xml \
    ./usr/share/icons/hicolor/scalable/apps/org.sonkora.Sonkora.svg \
    ./usr/share/icons/hicolor/48x48/apps/org.sonkora.Sonkora.png \
    ./usr/share/man/man1/sonkora.1.gz ./usr/share/man/man1/sonkorac.1.gz \
    ./usr/share/bash-completion/completions/sonkorac \
    ./usr/share/doc/sonkora/copyright ./usr/share/doc/sonkora/changelog.gz; do
    grep -qxF -- "$path" <<<"$contents" || fail "the package lacks $path"
done
outside=$(grep -v '^\./usr/' <<<"$contents")
[ -z "$outside" ] || fail "the package has files outside /usr: $(head -3 <<<"$outside")"

# Lintian: errors fail; the rest is printed for the reader.
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || fail "lintian reports errors"
grep -E '^[EW]: ' "$work/lintian.log"

# The unpacked package runs: sonkorac makes the example song, sonkora starts and keeps
# running until it is stopped.
root=$work/root
dpkg-deb -x "$deb" "$root"
mkdir -p "$work/song" "$work/home"
cp "$root"/usr/lib/sonkora/examples/jingle_bells.* "$work/song/"
"$root/usr/bin/sonkorac" make "$work/song/jingle_bells.stf" >/dev/null && [ -s "$work/song/jingle_bells.kar" ] ||
    fail "the packaged sonkorac cannot make the example song"
HOME=$work/home XDG_CONFIG_HOME=$work/home/.config QT_QPA_PLATFORM=offscreen \
    timeout 5 "$root/usr/bin/sonkora" >"$work/sonkora.log" 2>&1
status=$?
if [ $status -ne 124 ]; then
    fail "the packaged sonkora ended with code $status before it was stopped"
    sed 's/^/    /' "$work/sonkora.log"
fi
finish "package checked"
