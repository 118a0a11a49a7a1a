#!/usr/bin/env bash
# cpack -G DEB of a build: the control fields a packager needs, dependencies from the
# shared-library scan, the same files as cmake --install under /usr, both programs running
# from the unpacked package (stripped, they still carry their version), and lintian without
# errors. lintian's findings are printed either way.
#
# usage: debian_package_test.sh BUILD_DIR INSTALLED_FILES_LIST VERSION
set -uo pipefail
build=$1 list=$2 version=$3

source "$(dirname "$0")/checks.sh"

if ! cpack -G DEB -B "$tmp/out" --config "$build/CPackConfig.cmake" >"$tmp/cpack.log" 2>&1; then
    cat "$tmp/cpack.log"
    echo "FAIL: cpack -G DEB"
    exit 1
fi
debs=("$tmp"/out/*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    echo "FAIL: cpack made ${#debs[@]} packages: ${debs[*]}"
    exit 1
fi
deb=${debs[0]}
[ "$(basename "$deb")" = "quendra_${version}_$(dpkg --print-architecture).deb" ] ||
    fail "package file name $(basename "$deb")"

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = quendra ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] ||
    fail "Architecture: $(field Architecture)"
[ "$(field Section)" = utils ] || fail "Section: $(field Section)"
grep -Eq '^[^<>]+ <[^@ ]+@[^> ]+>$' <<<"$(field Maintainer)" || fail "Maintainer: $(field Maintainer)"
grep -q '^https://' <<<"$(field Homepage)" || fail "Homepage: $(field Homepage)"
# A synopsis line and an extended description.
description=$(field Description)
[ "$(wc -l <<<"$description")" -ge 3 ] || fail "no long description: $description"
# The shared-library scan names the C library and Qt's widgets, with versions.
depends=$(field Depends)
for library in libc6 libstdc++6 libqt6widgets6; do
    grep -Fq ", $library (>= " <<<", $depends" || fail "Depends lacks $library: $depends"
done

root=$tmp/root
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x"
if ! diff -u <(sed 's|^|usr/|' "$list") <(cd "$root" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort); then
    fail "packaged files differ from $list under usr/ (- expected, + packaged)"
fi
for program in quendra quendra-probe; do
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/$program" --version 2>&1)
    [ $? -eq 0 ] && [ "$out" = "$program $version" ] || fail "$program --version: $out"
done

lintian --fail-on error --tag-display-limit 0 "$deb" >"$tmp/lintian" 2>&1
status=$?
echo "lintian $(basename "$deb"):"
sed 's/^/  /' "$tmp/lintian"
[ $status -eq 0 ] || fail "lintian reports errors (exit $status)"

finish "Debian package"
