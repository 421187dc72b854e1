#!/usr/bin/env bash
# Builds the Debian package from a built tree into a scratch folder and checks
# what a user installing it gets: the files, their consistency and the control
# fields.
#   check_package.sh BUILD_DIR VERSION APP_ID
set -euo pipefail

build=$1 version=$2 app_id=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# CPack first brings the build up to date (its "preinstall" step), which is
# quick after the build that runs before the tests.
if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    find "$work/out" -name PreinstallOutput.log -exec tail -n 40 {} + >&2
    exit 1
fi
arch=$(dpkg --print-architecture)
deb="$work/out/velmora_${version}_${arch}.deb"
[[ -f "$deb" ]] || { echo "FAIL: no $(basename "$deb")" >&2; ls "$work/out" >&2; exit 1; }

field() { dpkg-deb --field "$deb" "$1"; }
[[ "$(field Package)" == velmora ]] || fail "Package is '$(field Package)'"
[[ "$(field Version)" == "$version" ]] || fail "Version is '$(field Version)', not $version"
[[ "$(field Architecture)" == "$arch" ]] || fail "Architecture is '$(field Architecture)'"
[[ "$(field Section)" =~ ^(sound|education)$ ]] || fail "Section is '$(field Section)'"
[[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer '$(field Maintainer)' is not 'Name <address>'"
[[ "$(field Description | wc -l)" -ge 2 ]] || fail "the Description has no long description"

# Each dependency is one comma-separated item; alternatives within it are '|'.
depends=$(field Depends)
has_dependency() {
    local wanted=$1
    tr ',' '\n' <<<"$depends" | grep -Eq "(^|\|)[[:space:]]*$wanted([[:space:]]|\||$)"
}
soundfont_item=$(tr ',' '\n' <<<"$depends" | grep -E 'soundfont' || true)
[[ "$soundfont_item" == *timgm6mb-soundfont* && "$soundfont_item" == *sf2-soundfont-gm* ]] ||
    fail "Depends names no General MIDI SoundFont ($depends)"
for library in libfluidsynth3 libqt6widgets6 libqt6svg6 librtmidi6 libasound2 libpulse0; do
    has_dependency "$library" || fail "Depends lacks $library ($depends)"
done

root="$work/root"
dpkg-deb --extract "$deb" "$root"
dpkg-deb --contents "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/contents"
expect() { grep -qx "$1" "$work/contents" || fail "the package lacks $1"; }
expect /usr/bin/velmora
expect "/usr/share/applications/$app_id.desktop"
expect "/usr/share/metainfo/$app_id.metainfo.xml"
expect /usr/share/man/man1/velmora.1
expect /usr/share/doc/velmora/copyright
[[ -f "$root/usr/share/doc/velmora/copyright" ]] &&
    ! grep -q "GNU GENERAL PUBLIC LICENSE" "$root/usr/share/doc/velmora/copyright" &&
    fail "the copyright file is not the GNU GPL"
expect "/usr/share/icons/hicolor/scalable/apps/$app_id.svg"
for side in 16 32 48 64 128; do
    icon="/usr/share/icons/hicolor/${side}x${side}/apps/$app_id.png"
    expect "$icon"
    [[ -f "$root$icon" ]] && ! file "$root$icon" | grep -q "PNG image data, $side x $side," &&
        fail "$icon is not a $side x $side PNG: $(file -b "$root$icon")"
done
# Nothing of the build (tests, benchmarks, libraries, headers) is shipped.
unexpected=$(grep -v -E '/$|^/usr/bin/velmora$|^/usr/share/(applications|metainfo|man/man1|icons/hicolor|doc/velmora)/' "$work/contents" || true)
[[ -z "$unexpected" ]] || fail "unexpected files in the package: $unexpected"

# The packaged program runs and is the version the package claims.
out=$("$root/usr/bin/velmora" --version 2>&1) || fail "the packaged velmora --version failed: $out"
[[ "$out" == "velmora $version" ]] || fail "the packaged velmora says '$out', the package $version"

# The menu entry starts the installed program with the installed icon, and the
# metainfo describes this very entry and release.
desktop="$root/usr/share/applications/$app_id.desktop"
metainfo="$root/usr/share/metainfo/$app_id.metainfo.xml"
if [[ -f "$desktop" && -f "$metainfo" ]]; then
    grep -qx 'Exec=velmora' "$desktop" || fail "the menu entry does not run velmora"
    grep -qx "Icon=$app_id" "$desktop" || fail "the menu entry's icon is not $app_id"
    appstreamcli validate-tree --no-net --strict "$root" >"$work/appstream.log" 2>&1 ||
        { cat "$work/appstream.log" >&2; fail "appstreamcli validate-tree found problems"; }
    grep -q "<id>$app_id</id>" "$metainfo" || fail "the metainfo's id is not $app_id"
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
        fail "the metainfo does not launch $app_id.desktop"
    grep -q "<binary>velmora</binary>" "$metainfo" || fail "the metainfo does not provide the velmora binary"
    newest=$(grep -o '<release version="[^"]*"' "$metainfo" | head -n1 | cut -d'"' -f2)
    [[ "$newest" == "$version" ]] || fail "the metainfo's newest release is '$newest', the program $version"
fi

if [[ $failures -gt 0 ]]; then
    echo "--- package contents:" >&2
    cat "$work/contents" >&2
    exit 1
fi
echo "$(basename "$deb"): $(grep -cv '/$' "$work/contents") files; Depends: $depends"
