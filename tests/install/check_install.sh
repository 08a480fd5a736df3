#!/usr/bin/env bash
# Installs the build into a temporary prefix, and again under DESTDIR with prefix /usr,
# and checks what a desktop and a user get: the links in bin/ reach the programs,
# sonkorac works from the installed copy, and the desktop entry, AppStream metadata,
# MIME package, icons and manual pages pass the freedesktop and Debian tools.
# Usage: check_install.sh BUILD_DIR
set -uo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/checks.sh"

app_id=org.sonkora.Sonkora

check_tree() {
    local root=$1       # the installed prefix as seen on this machine
    local destdir=${2:-} # what DESTDIR put in front of it
    echo "== $root"
    for program in sonkora sonkorac; do
        local link=$root/bin/$program target
        target=$(readlink "$link") || fail "$link is not a link"
        [[ $target == /* ]] && fail "$link points to the absolute path $target"
        [ -x "$link" ] || fail "$link does not reach an executable program ($target)"
    done

    # The installed sonkorac finds its pattern files and makes the example song.
    "$root/bin/sonkorac" languages | grep -q '^ENGLISH' || fail "the installed sonkorac lists no English patterns"
    local program_dir song=$work/song-$RANDOM
    program_dir=$(dirname "$(readlink -f "$root/bin/sonkorac")")
    cp -r "$program_dir/examples" "$song"
    "$root/bin/sonkorac" make "$song/jingle_bells.stf" >/dev/null && [ -s "$song/jingle_bells.kar" ] ||
        fail "the installed sonkorac cannot make the example song"

    local share=$root/share
    quiet desktop-file-validate "$share/applications/$app_id.desktop"
    # Infos count too (a missing content rating is one); only the pedantic note on the
    # capitals of the reverse-DNS id stays.
    if ! appstreamcli validate --no-net "$share/metainfo/$app_id.metainfo.xml" >"$work/appstream.log" 2>&1 ||
        grep -q '^[EWI]: ' "$work/appstream.log"; then
        fail "appstreamcli validate $share/metainfo/$app_id.metainfo.xml"
        sed 's/^/    /' "$work/appstream.log"
    fi

    local mime_package=$share/mime/packages/$app_id.xml
    quiet xmllint --noout "$mime_package"
    # The database the desktop builds from the package knows the song text type.
    local mime=$work/mime-$RANDOM
    install -D -m 644 "$mime_package" "$mime/packages/$app_id.xml"
    update-mime-database "$mime" >/dev/null 2>&1 || fail "update-mime-database rejects $mime_package"
    grep -qs ':text/x-sonkora-song:\*\.stf$' "$mime/globs2" || fail "*.stf is not text/x-sonkora-song"
    grep -qxs 'text/x-sonkora-song text/plain' "$mime/subclasses" || fail "a song text is not text/plain"

    [ -f "$share/icons/hicolor/scalable/apps/$app_id.svg" ] || fail "no scalable icon"
    for size in 16 24 32 48 64 128 256; do
        local png=$share/icons/hicolor/${size}x${size}/apps/$app_id.png
        file "$png" | grep -q "PNG image data, $size x $size," || fail "$png is not a $size px PNG"
    done

    for page in sonkora sonkorac; do
        local manual=$share/man/man1/$page.1.gz
        quiet mandoc -T lint -W style "$manual"  # a missing page included
    done
    # The page names the folder the programs run from once installed.
    zgrep -qF "${program_dir#"$destdir"}/examples/" "$share/man/man1/sonkorac.1.gz" ||
        fail "the sonkorac manual page does not name ${program_dir#"$destdir"}"

    [ -f "$share/bash-completion/completions/sonkorac" ] || fail "no bash completion for sonkorac"
    [ -f "$share/doc/sonkora/copyright" ] || fail "no copyright file"
}

# Once into a prefix of its own, once as a package build does it: /usr under DESTDIR.
for destdir in "" "$work/dest"; do
    prefix=${destdir:+/usr}
    prefix=${prefix:-$work/prefix}
    if DESTDIR=$destdir cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
        check_tree "$destdir$prefix" "$destdir"
    else
        fail "cmake --install --prefix $prefix (DESTDIR '$destdir')"
        cat "$work/install.log"
    fi
done
finish "installed layout checked"
