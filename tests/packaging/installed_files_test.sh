#!/usr/bin/env bash
# cmake --install of a build into a temporary prefix: exactly the listed files, each one
# accepted by its validator, the desktop entry pointing at what was installed, the icon made
# from the logo's source, and man pages that render without warnings and name every option
# the installed programs offer.
#
# usage: installed_files_test.sh BUILD_DIR INSTALLED_FILES_LIST LOGO_SVG
set -uo pipefail
build=$1 list=$2 logo=$3

source "$(dirname "$0")/checks.sh"
prefix=$tmp/prefix
id=example.quendra.Quendra

if ! cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1; then
    cat "$tmp/install.log"
    echo "FAIL: cmake --install"
    exit 1
fi

# Exactly these files: no quendra-service, no updater, no test library.
if ! diff -u "$list" <(cd "$prefix" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort); then
    fail "installed files differ from $list (- expected, + installed)"
fi
for program in quendra quendra-probe; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program is not executable"
done

desktop=$prefix/share/applications/$id.desktop
desktop-file-validate "$desktop" >"$tmp/out" 2>&1 || fail "desktop-file-validate: $(cat "$tmp/out")"
[ ! -s "$tmp/out" ] || fail "desktop-file-validate has hints: $(cat "$tmp/out")"
entry() { sed -n "s/^$1=//p" "$desktop"; }
[ -x "$prefix/bin/$(entry Exec)" ] || fail "Exec=$(entry Exec) is not an installed program"
[ "$(entry Icon)" = "$id" ] || fail "Icon=$(entry Icon), not the installed icon's name"

# The scalable icon is the logo's source; the 64 x 64 one is rendered from it.
cmp -s "$logo" "$prefix/share/icons/hicolor/scalable/apps/$id.svg" ||
    fail "the scalable icon is not $logo"
png=$prefix/share/icons/hicolor/64x64/apps/$id.png
file --brief "$png" | grep -q '^PNG image data, 64 x 64,' || fail "64x64 icon: $(file --brief "$png")"

# validate-tree also checks that the metadata's launchable and icon are in the tree.
metainfo=$prefix/share/metainfo/$id.metainfo.xml
appstreamcli validate --no-net "$metainfo" >"$tmp/out" 2>&1 ||
    fail "appstreamcli validate: $(cat "$tmp/out")"
appstreamcli validate-tree --no-net "$prefix" >"$tmp/out" 2>&1 ||
    fail "appstreamcli validate-tree: $(cat "$tmp/out")"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "the metadata does not launch $id.desktop"
grep -q '<screenshot type="default">' "$metainfo" || fail "the metadata has no screenshot"

for program in quendra quendra-probe; do
    page=$prefix/share/man/man1/$program.1.gz
    LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" >"$tmp/page" 2>"$tmp/warnings"
    [ $? -eq 0 ] && [ ! -s "$tmp/warnings" ] || fail "man -l $program.1: $(cat "$tmp/warnings")"
    grep -q "^NAME" "$tmp/page" && grep -Eq "^ +$program +- " "$tmp/page" ||
        fail "$program.1 has no NAME line for $program"
    # Every long option of --help is described in the page.
    env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/$program" --help >"$tmp/help" ||
        fail "$program --help"
    for option in $(grep -o -- '--[a-z][a-z-]*' "$tmp/help" | sort -u); do
        grep -Eq -- "^ +(-[a-zA-Z], )?$option( |$)" "$tmp/page" ||
            fail "$program.1 does not describe $option"
    done
done

finish "installed files"
