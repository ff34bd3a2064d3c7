#!/usr/bin/env bash
# What `cmake --install` puts where, and the Debian package made by CPack:
# its files and its dependencies. Usage: install_test.sh BUILD_DIR
set -u
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install failed"

[ -x "$prefix/bin/vexilo" ] || fail "no executable bin/vexilo"
grep -q '^\.TH VEXILO 6' "$prefix/share/man/man6/vexilo.6" || fail "no manual page in share/man/man6"
for section in NAME SYNOPSIS KEYS FILES 'EXIT STATUS' DIAGNOSTICS; do
    grep -q "^\.SH $section\$" "$prefix/share/man/man6/vexilo.6" || fail "the manual page has no $section"
done
desktop="$prefix/share/applications/vexilo.desktop"
for line in '[Desktop Entry]' 'Type=Application' 'Exec=vexilo' 'Icon=vexilo' 'Terminal=false'; do
    grep -qxF "$line" "$desktop" || fail "the desktop entry lacks $line"
done
icon="$prefix/share/icons/hicolor/128x128/apps/vexilo.png"
[ "$(identify -format '%m %wx%h' "$icon" 2>/dev/null)" = "PNG 128x128" ] || fail "the icon is not a 128x128 PNG"

# The installed program runs: without a display it says so and exits 1.
status=0
message=$(env -u DISPLAY "$prefix/bin/vexilo" 2>&1) || status=$?
[ "$status" -eq 1 ] || fail "installed vexilo without a display: status $status"
[ "$message" = "vexilo: cannot start the Allegro library (no usable X display or console)" ] ||
    fail "installed vexilo without a display said: $message"

# The package: the same files under /usr, and the libraries it needs.
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null) || fail "cpack failed"
deb=$(ls "$work"/package/vexilo_*_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "no vexilo_<version>_<arch>.deb"
contents=$(dpkg-deb -c "$deb" | awk '{ print $NF }')
for file in ./usr/bin/vexilo ./usr/share/man/man6/vexilo.6 ./usr/share/applications/vexilo.desktop \
    ./usr/share/icons/hicolor/128x128/apps/vexilo.png; do
    grep -qxF "$file" <<<"$contents" || fail "the package lacks $file"
done
depends=$(dpkg-deb -f "$deb" Depends)
for library in liballegro4.4 libc6 libstdc++6; do
    grep -q "$library" <<<"$depends" || fail "the package does not depend on $library: $depends"
done
[ "$(dpkg-deb -f "$deb" Package)" = vexilo ] || fail "the package is not called vexilo"
echo "PASS: installed layout and package"
