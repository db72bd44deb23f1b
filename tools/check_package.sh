#!/usr/bin/env bash
# Builds the installed programs and the Debian package in a build folder,
# installs into a temporary DESTDIR, and checks what a user would get: the
# tree, the desktop entry, the AppStream data, the package (lintian), the
# LV2 bundle, the manual pages, and --help/--version without a display.
#
#   tools/check_package.sh [BUILD_FOLDER]      (default: build)
#
# Exits non-zero at the first check that fails; lintian's warnings are
# listed but do not fail it, its errors do.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$top/build}")
app_id=io.github.ampliro.Ampliro

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

fail() {
  echo "check_package: $*" >&2
  exit 1
}

echo "== build the installed targets in $build"
[ -f "$build/CMakeCache.txt" ] ||
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target ampliro ampliro-render ampliro_lv2 \
  ampliro_install_data >"$stage/build.log" || {
  cat "$stage/build.log"
  fail "the build failed"
}

echo "== the package"
rm -f "$build"/ampliro_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/ampliro_*.deb)
dpkg-deb --field "$deb" Package Version Architecture Section Depends

echo "== install into a temporary DESTDIR with the prefix /usr"
DESTDIR="$stage/root" cmake --install "$build" --prefix /usr >/dev/null
prefix=$stage/root/usr
expected=(
  bin/ampliro
  bin/ampliro-render
  lib/lv2/ampliro.lv2/ampliro.so
  lib/lv2/ampliro.lv2/manifest.ttl
  lib/lv2/ampliro.lv2/ampliro.ttl
  share/ampliro/presets
  share/applications/$app_id.desktop
  share/metainfo/$app_id.metainfo.xml
  share/icons/hicolor/scalable/apps/$app_id.svg
  share/icons/hicolor/48x48/apps/$app_id.png
  share/icons/hicolor/128x128/apps/$app_id.png
  share/icons/hicolor/256x256/apps/$app_id.png
  share/man/man1/ampliro.1.gz
  share/man/man1/ampliro-render.1.gz
  share/doc/ampliro/copyright
  share/doc/ampliro/changelog.gz
)
for path in "${expected[@]}"; do
  [ -e "$prefix/$path" ] || fail "missing from the installed tree: $path"
done
[ -d "$prefix/share/ampliro/presets" ] || fail "share/ampliro/presets is not a folder"
# Nothing beyond the list (the presets' folder may hold the factory presets).
unexpected=$(cd "$prefix" && find . -type f | sed 's|^\./||' | grep -v '^share/ampliro/presets/' |
  grep -vxF -f <(printf '%s\n' "${expected[@]}") || true)
[ -z "$unexpected" ] || fail "unexpected files installed: $unexpected"
(cd "$stage/root" && find . -type f -o -type d -empty | sort | sed 's|^\./|  /|')
# The package holds the same files.
diff <(cd "$stage/root" && find . -type f | sort) \
  <(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sort) >/dev/null ||
  fail "the package's files differ from the installed tree"

echo "== --help and --version without a display"
version=$(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/ampliro" --version)
echo "${version%%$'\n'*}"
env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/ampliro" --help >/dev/null
env -u DISPLAY "$prefix/bin/ampliro-render" --help >/dev/null
status=0
env -u DISPLAY "$prefix/bin/ampliro" --no-such-option 2>/dev/null || status=$?
[ "$status" -eq 2 ] || fail "an unknown option exits with $status, not 2"

echo "== desktop-file-validate"
desktop-file-validate "$prefix/share/applications/$app_id.desktop"

echo "== appstreamcli validate --no-net"
appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml"

echo "== lintian (errors fail; warnings and information are listed)"
status=0
lintian --fail-on error --display-info --tag-display-limit 0 "$deb" 2>&1 |
  grep -v '^running with root privileges' || status=${PIPESTATUS[0]}
[ "$status" -eq 0 ] || fail "lintian reports errors"

echo "== the LV2 bundle"
plugins=$(LV2_PATH="$prefix/lib/lv2" lv2ls)
echo "$plugins"
[ "$(echo "$plugins" | grep -c .)" -eq 9 ] || fail "lv2ls lists $(echo "$plugins" | grep -c .) plugins, not 9"

echo "== manual pages"
for page in "$prefix"/share/man/man1/*.1.gz; do
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
  echo "$(basename "$page"): no warnings"
done

echo "== all checks passed: $deb"
