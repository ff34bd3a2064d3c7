#!/bin/sh
# Builds vexilo for 64-bit Windows on Debian 12 or 13, into build-windows/
# (the program: build-windows/vexilo.exe). It fetches the source of the
# Allegro 4.4 library and of libspng through apt, from the archive the
# machine's own apt sources name, with a source list of its own (the
# system's stays as it is), builds both with MinGW-w64, then vexilo.
# Run from the project's root; extra arguments go to vexilo's CMake
# configuration (-DBUILD_TESTING=ON, say).
set -eu
root=$(pwd)
out=$root/build-windows
deps=$out/deps
work=$out/sources
mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$deps"

# The machine's own archives, as source archives: one-line and deb822 lists.
{ grep -hsE '^deb ' /etc/apt/sources.list /etc/apt/sources.list.d/*.list | sed 's/^deb /deb-src /' || true; } \
  > "$work/apt/sources.list"
mkdir -p "$work/apt/sources.list.d"
for file in /etc/apt/sources.list.d/*.sources; do
  [ -f "$file" ] && sed 's/^Types:.*/Types: deb-src/' "$file" > "$work/apt/sources.list.d/$(basename "$file")"
done
apt_private="-o Dir::Etc::SourceList=$work/apt/sources.list -o Dir::Etc::SourceParts=$work/apt/sources.list.d \
  -o Dir::State::Lists=$work/apt/lists -o Dir::Cache=$work/apt/cache -o Debug::NoLocking=1"

# Only the upstream tarballs, each checked against its hash in the archive's
# index: the Debian packaging is not needed (nor always on the mirror).
fetch() {
  [ -s "$work/$1.orig.tar.gz" ] && return
  # shellcheck disable=SC2086
  uri=$(cd "$work" && apt-get $apt_private source --print-uris "$1" 2>/dev/null | grep "\.orig\.tar\." | head -n 1)
  [ -n "$uri" ] || { echo "build.sh: apt knows no source of $1; is a deb-src archive reachable?" >&2; exit 1; }
  set -- "$1" $uri
  /usr/lib/apt/apt-helper download-file "$(echo "$2" | tr -d "'")" "$work/$1.orig.tar.gz" "$5" > /dev/null
}
if [ ! -s "$work/allegro4.4.orig.tar.gz" ] || [ ! -s "$work/libspng.orig.tar.gz" ]; then
  # shellcheck disable=SC2086
  apt-get $apt_private update > "$work/apt/update.log" 2>&1 ||
    { cat "$work/apt/update.log" >&2; exit 1; }
fi
fetch allegro4.4
fetch libspng

toolchain=$root/packaging/windows/mingw-w64.cmake
built() { cmake --build "$1" -j2 > "$1.log" 2>&1 || { tail -n 30 "$1.log" >&2; exit 1; }; }

if [ ! -f "$deps/lib/liballeg.a" ]; then
  rm -rf "$work/allegro" && mkdir -p "$work/allegro"
  tar -xzf "$work/allegro4.4.orig.tar.gz" -C "$work/allegro" --strip-components=1
  # Three changes to the library, for Windows. Its keyboard asks
  # DirectInput for an emulated keyboard,
  # GUID_SysKeyboardEm2, which Wine does not have: no key would ever reach
  # the program there. GUID_SysKeyboard is the system keyboard.
  sed -i 's/&GUID_SysKeyboardEm2,/\&GUID_SysKeyboard,/' "$work/allegro/src/win/wkeybd.c"
  # Its window thread takes messages with PeekMessage(PM_NOREMOVE) and
  # then GetMessage(), which waits when the message seen was one Windows
  # handles itself: the thread then sleeps there, no longer serving the
  # keyboard's events, until some other message comes (under Wine, at
  # start, the viewer hung in install_keyboard()). PeekMessage(PM_REMOVE)
  # takes each message without ever waiting.
  sed -i -e 's/while (PeekMessage(&msg, NULL, 0, 0, PM_NOREMOVE)) {/while (PeekMessage(\&msg, NULL, 0, 0, PM_REMOVE)) {/' \
    -e 's/if (GetMessage(&msg, NULL, 0, 0)) {/if (msg.message != WM_QUIT) {/' "$work/allegro/src/win/wwnd.c"
  # And text and flood fills keep the address of a pixel in an unsigned
  # long, which 64-bit Windows makes 32 bits: memory above 4 GB (Windows'
  # address layout for 64-bit programs, and Wine 10's) crashed the first
  # text drawn. uintptr_t holds it whole, as the rest of the library does.
  sed -i 's/unsigned long addr;/uintptr_t addr;/' "$work/allegro/src/glyph.c" "$work/allegro/src/flood.c"
  grep -q '&GUID_SysKeyboard,' "$work/allegro/src/win/wkeybd.c" && grep -q 'PM_REMOVE)) {' "$work/allegro/src/win/wwnd.c" &&
    grep -q 'if (msg.message != WM_QUIT) {' "$work/allegro/src/win/wwnd.c" &&
    ! grep -q 'unsigned long addr;' "$work/allegro/src/glyph.c" "$work/allegro/src/flood.c" ||
    { echo "build.sh: the library's source is not as expected" >&2; exit 1; }
  cmake -S "$work/allegro" -B "$work/allegro-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$deps" -DSHARED=OFF -DWANT_EXAMPLES=OFF -DWANT_TOOLS=OFF -DWANT_TESTS=OFF \
    -DWANT_ALLEGROGL=OFF -DWANT_LOADPNG=OFF -DWANT_LOGG=OFF -DWANT_JPGALLEG=OFF > "$work/allegro.log" 2>&1
  built "$work/allegro-build"
  cmake --install "$work/allegro-build" > /dev/null
fi

if [ ! -f "$deps/lib/libspng_static.a" ]; then
  rm -rf "$work/spng" && mkdir -p "$work/spng"
  tar -xzf "$work/libspng.orig.tar.gz" -C "$work/spng" --strip-components=1
  # Its static library alone: 0.7's build cannot leave the shared one out.
  cmake -S "$work/spng" -B "$work/spng-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_EXAMPLES=OFF > "$work/spng.log" 2>&1
  cmake --build "$work/spng-build" -j2 --target spng_static > "$work/spng-build.log" 2>&1 ||
    { tail -n 30 "$work/spng-build.log" >&2; exit 1; }
  mkdir -p "$deps/lib" "$deps/include"
  cp "$work/spng-build/libspng_static.a" "$deps/lib/" && cp "$work/spng/spng/spng.h" "$deps/include/"
fi

cmake -S "$root" -B "$out" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DVEXILO_WINDOWS_DEPS="$deps" \
  -DCMAKE_BUILD_TYPE=Release "$@" > "$out/configure.log" 2>&1 || { cat "$out/configure.log" >&2; exit 1; }
cmake --build "$out" -j2
