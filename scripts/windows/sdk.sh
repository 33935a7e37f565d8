#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Windows SDK that scripts/windows/build.sh uses, from Debian 12's own source packages, with Debian's
# mingw-w64 toolchain (posix threads): Qt 6 (qtbase, qtsvg), the picture libraries, the QR Code generator, GoogleTest and Google
# Benchmark, as DLLs with their import libraries, CMake packages and pkg-config files, and a CMake toolchain file.
set -euo pipefail
usage="Usage: scripts/windows/sdk.sh [--out DIR] [--work DIR] [--jobs N]
       scripts/windows/sdk.sh --check-versions VERSIONS.txt
Builds tessary-winsdk-x86_64-DATE.tar.xz and its .sha256 in DIR (default: the current folder), as root or with
sudo (it installs the Debian packages it needs). Each library comes from Debian 12's source package of the
version pinned below ('apt-get source', with Debian's patches), fetched through a private apt configuration
(deb-src lines for this machine's mirrors, kept in the work folder: this machine's apt sources are not
changed); when a pinned revision is no longer served, the newest the mirror has is taken and named in the SDK's
VERSIONS.txt. The work folder (default: a new one under /var/tmp) keeps sources and build trees: delete it
afterwards. About an hour on 2 cores (Qt alone about 40 minutes) and 6 GB of disk.
--check-versions compares the versions pinned here with an SDK's VERSIONS.txt and fails when they differ
(CI does this; it does not build the SDK)."

# What this recipe builds: Debian source package and version.
pinned=(
  "zlib 1:1.2.13.dfsg-1"
  "libjpeg-turbo 1:2.1.5-2"
  "libpng1.6 1.6.39-2+deb12u5"
  "tiff 4.5.0-6+deb12u4"
  "libwebp 1.2.4-0.2+deb12u1"
  "giflib 5.2.1-2.5+deb12u1"
  "libde265 1.0.11-1+deb12u2"
  "dav1d 1.0.0-2+deb12u1"
  "libheif 1.15.1-1+deb12u1"
  "googletest 1.12.1-0.2"
  "benchmark 1.7.1-1"
  "qt6-base 6.4.2+dfsg-10"
)
qtsvg_version=6.4.2
# Debian's one patch to qtsvg 6.4.2 (CVE-2023-32573), upstream's commit.
qtsvg_fix=ff22c3cc
# The QR Code generator's C++ library, built from upstream's tarball in Debian's source package (the mirror does
# not serve the packaging part) as Debian's libqrcodegencpp-dev ships it.
qrcodegen_version=1.8.0-1.1
toolchain_package=g++-mingw-w64-x86-64-posix
toolchain_version="12.2.0-14+deb12u1+25.2+b1"

# The manifest lines, as VERSIONS.txt holds them.
manifest() {
  local entry
  for entry in "${pinned[@]}"; do echo "$entry"; done
  echo "qt6-svg $qtsvg_version (upstream tag v$qtsvg_version + the CVE-2023-32573 fix, as Debian's $qtsvg_version-2)"
  echo "qr-code-generator $qrcodegen_version (upstream tarball; Debian's packaging part is not served)"
  echo "toolchain $toolchain_package $toolchain_version"
}

out=$PWD
work=""
jobs=$(nproc 2>/dev/null || echo 2)
while [ $# -gt 0 ]; do
  case $1 in
    --help | -h)
      echo "$usage"
      exit 0
      ;;
    --check-versions)
      file=${2:?--check-versions needs the VERSIONS.txt of an SDK}
      if diff <(manifest) <(grep -v '^#' "$file" | sed '/^$/d'); then
        echo "sdk.sh: the pinned versions are those of $file"
        exit 0
      fi
      echo "sdk.sh: the versions pinned in scripts/windows/sdk.sh (<) differ from $file (>)" >&2
      exit 1
      ;;
    --out)
      out=$(mkdir -p "${2:?}" && cd "$2" && pwd)
      shift 2
      ;;
    --work)
      work=${2:?}
      shift 2
      ;;
    --jobs)
      jobs=${2:?}
      shift 2
      ;;
    *)
      echo "$usage" >&2
      exit 2
      ;;
  esac
done

sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
say() { printf '[sdk %s] %s\n' "$(date -u +%H:%M:%S)" "$*"; }
fail() {
  say "FAILED: $*" >&2
  exit 1
}

packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 cmake ninja-build
  pkg-config nasm meson dpkg-dev qt6-base-dev qt6-base-dev-tools python3 xz-utils curl patch ca-certificates)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  say "installing ${missing[*]}"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
have=$(dpkg-query -W -f='${Version}' "$toolchain_package")
[ "$have" = "$toolchain_version" ] || say "note: $toolchain_package is $have here, the SDK was made with $toolchain_version"

[ -n "$work" ] || work=$(mktemp -d /var/tmp/tessary-winsdk.XXXXXX)
mkdir -p "$work"
work=$(cd "$work" && pwd)
name=tessary-winsdk-x86_64-$(date -u +%Y%m%d)
prefix=$work/prefix/$name
src=$work/src
build=$work/build
mkdir -p "$prefix" "$src" "$build"
triple=x86_64-w64-mingw32

# ---- sources: a private apt configuration with deb-src lines for this machine's mirrors ----
apt_dir=$work/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/archives/partial"
: >"$apt_dir/sources.list"
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -f "$f" ] || continue
  sed 's/#.*//' "$f" | awk '$1 == "deb" { $1 = "deb-src"; print }' >>"$apt_dir/sources.list"
done
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] || continue
  awk 'function flush() {
         if (types ~ /(^| )deb( |$)/ && enabled != "no")
           printf "Types: deb-src\nURIs: %s\nSuites: %s\nComponents: %s\n%s\n", uris, suites, comps,
                  (signed != "" ? "Signed-By: " signed "\n" : "")
         types = uris = suites = comps = enabled = signed = ""
       }
       /^[ \t]*#/ { next }
       /^[ \t]*$/ { flush(); next }
       /^[A-Za-z-]+:/ { key = tolower($1); sub(/:$/, "", key); $1 = ""; sub(/^[ \t]+/, ""); val = $0
         if (key == "types") types = val; else if (key == "uris") uris = val
         else if (key == "suites") suites = val; else if (key == "components") comps = val
         else if (key == "enabled") enabled = tolower(val); else if (key == "signed-by") signed = val }
       END { flush() }' "$f" >>"$apt_dir/sources.sources"
done
apt_options=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$apt_dir/parts"
  -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache::Archives=$apt_dir/archives"
  -o "Dir::State::status=/var/lib/dpkg/status" -o "APT::Sandbox::User=root")
mkdir -p "$apt_dir/parts"
[ -f "$apt_dir/sources.sources" ] && cp "$apt_dir/sources.sources" "$apt_dir/parts/deb-src.sources"
say "reading the source package lists"
apt-get "${apt_options[@]}" update -q >/dev/null

# Unpacks a source package (Debian's patches applied) into $src and prints its folder.
fetch() {
  local package=$1 version=$2 before
  before=$(ls "$src")
  (
    cd "$src"
    if ! apt-get "${apt_options[@]}" source -q "$package=$version" >"$work/fetch-$package.log" 2>&1; then
      say "$package $version is not served any more; taking the newest revision the mirror has" >&2
      apt-get "${apt_options[@]}" source -q "$package" >>"$work/fetch-$package.log" 2>&1
    fi
  ) || fail "cannot fetch the source of $package (see $work/fetch-$package.log)"
  local folder
  folder=$(comm -13 <(echo "$before") <(ls "$src") | while read -r entry; do
    [ -d "$src/$entry" ] && echo "$src/$entry"
  done | head -1)
  [ -n "$folder" ] || fail "no source folder for $package"
  echo "$folder"
}
version_of() { dpkg-parsechangelog -l "$1/debian/changelog" -S Version; }

# ---- the toolchain file, which the SDK carries for its users too ----
cat >"$prefix/toolchain-x86_64-w64-mingw32.cmake" <<'EOF'
# CMake toolchain file: Windows x86_64 (mingw-w64, posix threads) cross build against this SDK.
# Use: cmake -DCMAKE_TOOLCHAIN_FILE=<sdk>/toolchain-x86_64-w64-mingw32.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(WINSDK_TRIPLE x86_64-w64-mingw32)
# The SDK is the folder that holds this file, wherever it was unpacked.
get_filename_component(WINSDK_PREFIX "${CMAKE_CURRENT_LIST_DIR}" ABSOLUTE)
set(CMAKE_C_COMPILER   ${WINSDK_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${WINSDK_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${WINSDK_TRIPLE}-windres)
set(CMAKE_AR           ${WINSDK_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB       ${WINSDK_TRIPLE}-ranlib CACHE FILEPATH "")
set(CMAKE_ASM_NASM_COMPILER nasm)
set(CMAKE_FIND_ROOT_PATH "${WINSDK_PREFIX}" /usr/${WINSDK_TRIPLE})
list(APPEND CMAKE_PREFIX_PATH "${WINSDK_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config: only the SDK's .pc files (relative to their own folder)
set(ENV{PKG_CONFIG_LIBDIR} "${WINSDK_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(PKG_CONFIG_EXECUTABLE pkg-config CACHE FILEPATH "")
# Qt: the host tools (moc, rcc, uic, ...) come from Debian's Qt 6 (qt6-base-dev-tools)
if(NOT QT_HOST_PATH)
  set(QT_HOST_PATH "/usr" CACHE PATH "Host Qt 6 (Debian)")
endif()
if(NOT QT_HOST_PATH_CMAKE_DIR)
  set(QT_HOST_PATH_CMAKE_DIR "/usr/lib/x86_64-linux-gnu/cmake" CACHE PATH "Host Qt 6 CMake packages (Debian)")
endif()
# Tests and gtest_discover_tests run the .exe under wine, with the SDK's DLLs on the path. Wine passes no QT_*
# variable from Linux to Windows programs.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(WINSDK_WINE NAMES wine64 wine PATHS /usr/lib/wine /usr/bin NO_CMAKE_FIND_ROOT_PATH)
  if(WINSDK_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR "/usr/bin/env;WINEPATH=Z:${WINSDK_PREFIX}/bin;WINEDEBUG=-all;${WINSDK_WINE}"
        CACHE STRING "Run Windows programs under wine")
  endif()
endif()
EOF
toolchain=$prefix/toolchain-x86_64-w64-mingw32.cmake

# CMake projects: configure, build and install into the prefix.
cmake_build() {
  local source=$1 tree=$build/$2
  shift 2
  cmake -S "$source" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" "$@" >"$tree.log" 2>&1 ||
    fail "configuring $source (see $tree.log)"
  nice -n 10 cmake --build "$tree" -j "$jobs" >>"$tree.log" 2>&1 || fail "building $source (see $tree.log)"
  cmake --install "$tree" >>"$tree.log" 2>&1 || fail "installing $source (see $tree.log)"
}
versions=()
record() { versions+=("$1 $(version_of "$2")"); }

# ---- zlib: its library sources straight into a DLL (the dfsg tarball has no win32/ makefile) ----
say "zlib"
zlib=$(fetch zlib "1:1.2.13.dfsg-1")
record zlib "$zlib"
(
  cd "$zlib"
  mkdir -p "$build/zlib"
  objects=()
  for c in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees trees \
    uncompr zutil; do
    $triple-gcc-posix -O2 -DZLIB_DLL -c "$c.c" -o "$build/zlib/$c.o"
    objects+=("$build/zlib/$c.o")
  done
  mkdir -p "$prefix/bin" "$prefix/lib/pkgconfig" "$prefix/include"
  $triple-gcc-posix -shared -o "$prefix/bin/zlib1.dll" "${objects[@]}" -Wl,--out-implib,"$prefix/lib/libz.dll.a"
  cp zlib.h zconf.h "$prefix/include/"
  version=$(sed -n 's/#define ZLIB_VERSION "\(.*\)"/\1/p' zlib.h)
  printf 'prefix=${pcfiledir}/../..\nlibdir=${prefix}/lib\nincludedir=${prefix}/include\n\nName: zlib\n' \
    >"$prefix/lib/pkgconfig/zlib.pc"
  printf 'Description: zlib compression library\nVersion: %s\nLibs: -L${libdir} -lz\nCflags: -I${includedir}\n' \
    "$version" >>"$prefix/lib/pkgconfig/zlib.pc"
) || fail "zlib"

say "libjpeg-turbo"
jpeg=$(fetch libjpeg-turbo "1:2.1.5-2")
record libjpeg-turbo "$jpeg"
cmake_build "$jpeg" libjpeg-turbo -DENABLE_SHARED=ON -DENABLE_STATIC=OFF -DWITH_SIMD=ON -DWITH_TURBOJPEG=ON

say "libpng"
png=$(fetch libpng1.6 "1.6.39-2+deb12u5")
record libpng1.6 "$png"
cmake_build "$png" libpng -DPNG_SHARED=ON -DPNG_STATIC=OFF -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
  -DZLIB_ROOT="$prefix"

say "libtiff"
tiff=$(fetch tiff "4.5.0-6+deb12u4")
record tiff "$tiff"
cmake_build "$tiff" tiff -DBUILD_SHARED_LIBS=ON -Dzlib=ON -Djpeg=ON -Dold-jpeg=ON -Dpixarlog=ON -Dlzma=OFF \
  -Dzstd=OFF -Dwebp=OFF -Djbig=OFF -Dlerc=OFF -Dlibdeflate=OFF -Djpeg12=OFF -Dtiff-tools=OFF -Dtiff-tests=OFF \
  -Dtiff-contrib=OFF -Dtiff-docs=OFF -Dcxx=ON

say "libwebp"
webp=$(fetch libwebp "1.2.4-0.2+deb12u1")
record libwebp "$webp"
cmake_build "$webp" libwebp -DBUILD_SHARED_LIBS=ON -DWEBP_BUILD_ANIM_UTILS=OFF -DWEBP_BUILD_CWEBP=OFF \
  -DWEBP_BUILD_DWEBP=OFF -DWEBP_BUILD_GIF2WEBP=OFF -DWEBP_BUILD_IMG2WEBP=OFF -DWEBP_BUILD_VWEBP=OFF \
  -DWEBP_BUILD_WEBPINFO=OFF -DWEBP_BUILD_WEBPMUX=OFF -DWEBP_BUILD_EXTRAS=OFF

# ---- giflib: its eight library sources, with a small CMake file of ours ----
say "giflib"
gif=$(fetch giflib "5.2.1-2.5+deb12u1")
record giflib "$gif"
cat >"$build/giflib-CMakeLists.txt" <<'EOF'
cmake_minimum_required(VERSION 3.16)
project(giflib C)
add_library(gif SHARED dgif_lib.c egif_lib.c gifalloc.c gif_err.c gif_font.c gif_hash.c openbsd-reallocarray.c
            quantize.c)
set_target_properties(gif PROPERTIES RUNTIME_OUTPUT_NAME gif-7)
install(TARGETS gif RUNTIME DESTINATION bin ARCHIVE DESTINATION lib)
install(FILES gif_lib.h DESTINATION include)
EOF
mkdir -p "$build/giflib-source"
cp "$gif"/*.c "$gif"/*.h "$build/giflib-source/"
cp "$build/giflib-CMakeLists.txt" "$build/giflib-source/CMakeLists.txt"
cmake_build "$build/giflib-source" giflib
printf 'prefix=${pcfiledir}/../..\nlibdir=${prefix}/lib\nincludedir=${prefix}/include\n\nName: giflib\n' \
  >"$prefix/lib/pkgconfig/giflib.pc"
printf 'Description: GIF library\nVersion: 5.2.1\nLibs: -L${libdir} -lgif\nCflags: -I${includedir}\n' \
  >>"$prefix/lib/pkgconfig/giflib.pc"

say "libde265"
de265=$(fetch libde265 "1.0.11-1+deb12u2")
record libde265 "$de265"
cmake_build "$de265" libde265 -DBUILD_SHARED_LIBS=ON -DENABLE_SDL=OFF -DENABLE_DECODER=OFF -DENABLE_ENCODER=OFF
sed -i "s/^Version:.*/Version: $(version_of "$de265" | sed 's/-.*//')/" "$prefix/lib/pkgconfig/libde265.pc"

# ---- dav1d: meson, with a cross file for the posix-threads compilers ----
say "dav1d"
dav1d=$(fetch dav1d "1.0.0-2+deb12u1")
record dav1d "$dav1d"
cat >"$build/dav1d-cross.txt" <<EOF
[binaries]
c = '$triple-gcc-posix'
cpp = '$triple-g++-posix'
ar = '$triple-ar'
strip = '$triple-strip'
windres = '$triple-windres'
nasm = 'nasm'
[host_machine]
system = 'windows'
cpu_family = 'x86_64'
cpu = 'x86_64'
endian = 'little'
EOF
(
  meson setup "$build/dav1d" "$dav1d" --cross-file "$build/dav1d-cross.txt" --prefix "$prefix" --libdir lib \
    --buildtype release --default-library shared -Denable_tools=false -Denable_tests=false -Denable_asm=true &&
    nice -n 10 meson compile -C "$build/dav1d" -j "$jobs" && meson install -C "$build/dav1d"
) >"$build/dav1d.log" 2>&1 || fail "dav1d (see $build/dav1d.log)"

say "libheif"
heif=$(fetch libheif "1.15.1-1+deb12u1")
record libheif "$heif"
cmake_build "$heif" libheif -DBUILD_SHARED_LIBS=ON -DWITH_LIBDE265=ON -DWITH_DAV1D=ON -DWITH_X265=OFF \
  -DWITH_AOM_DECODER=OFF -DWITH_AOM_ENCODER=OFF -DWITH_RAV1E=OFF -DWITH_SvtEnc=OFF -DWITH_EXAMPLES=OFF \
  -DENABLE_PLUGIN_LOADING=OFF -DWITH_GDK_PIXBUF=OFF -DBUILD_TESTING=OFF

say "googletest"
gtest=$(fetch googletest "1.12.1-0.2")
record googletest "$gtest"
cmake_build "$gtest" googletest -DBUILD_SHARED_LIBS=ON -Dgtest_force_shared_crt=ON

say "benchmark"
bench=$(fetch benchmark "1.7.1-1")
record benchmark "$bench"
# As debian/rules does: the version is not read from git.
cmake_build "$bench" benchmark -DBUILD_SHARED_LIBS=ON -DGIT_VERSION=1.7.1 -DBENCHMARK_ENABLE_TESTING=OFF \
  -DBENCHMARK_ENABLE_GTEST_TESTS=OFF -DBENCHMARK_ENABLE_WERROR=OFF

# ---- Qt: qtbase with the configure line of the SDK's README, then qtsvg ----
say "qtbase (the longest step)"
qtbase=$(fetch qt6-base "6.4.2+dfsg-10")
record qt6-base "$qtbase"
(
  mkdir -p "$build/qtbase"
  cd "$build/qtbase"
  "$qtbase/configure" -release -shared -xplatform win32-g++ -qt-host-path /usr -prefix "$prefix" \
    -nomake examples -nomake tests -no-feature-sql -no-feature-network -no-dbus -no-feature-printsupport \
    -no-opengl -no-feature-vulkan -no-feature-tabletevent -system-zlib -system-libpng -system-libjpeg -qt-pcre \
    -qt-harfbuzz -qt-freetype -qt-doubleconversion -no-icu -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -DCMAKE_PREFIX_PATH="$prefix" &&
    nice -n 10 cmake --build . -j "$jobs" && cmake --install .
) >"$build/qtbase.log" 2>&1 || fail "qtbase (see $build/qtbase.log)"

say "qtsvg"
# The mirror serves only the .dsc of Debian's qt6-svg 6.4.2-2: the source is upstream's tarball, checked against
# the .dsc's checksum of it, with the one fix Debian applies.
svg_tarball=qtsvg-everywhere-src-$qtsvg_version.tar.xz
(
  cd "$src"
  apt-get "${apt_options[@]}" source --download-only -q "qt6-svg=$qtsvg_version-2" >"$work/fetch-qt6-svg.log" 2>&1 || true
  curl -fsSL -o "$svg_tarball" "https://download.qt.io/archive/qt/${qtsvg_version%.*}/$qtsvg_version/submodules/$svg_tarball"
  dsc=$(ls qt6-svg_"$qtsvg_version"-*.dsc 2>/dev/null | head -1 || true)
  if [ -n "$dsc" ]; then
    expected=$(awk '/^Checksums-Sha256:/ { on = 1; next } /^[^ ]/ { on = 0 } on && /orig.tar/ { print $1 }' "$dsc")
    [ "$(sha256sum "$svg_tarball" | cut -d' ' -f1)" = "$expected" ] || fail "$svg_tarball is not Debian's orig tarball"
  else
    say "no .dsc of qt6-svg $qtsvg_version-2: upstream's tarball taken unchecked" >&2
  fi
  rm -rf "qtsvg-everywhere-src-$qtsvg_version"
  tar -xJf "$svg_tarball"
  curl -fsSL "https://code.qt.io/cgit/qt/qtsvg.git/patch/?id=$qtsvg_fix" |
    patch -p1 -d "qtsvg-everywhere-src-$qtsvg_version"
) >>"$work/fetch-qt6-svg.log" 2>&1 || fail "the source of qtsvg (see $work/fetch-qt6-svg.log)"
cmake_build "$src/qtsvg-everywhere-src-$qtsvg_version" qtsvg \
  -DCMAKE_TOOLCHAIN_FILE="$prefix/lib/cmake/Qt6/qt.toolchain.cmake"
versions+=("qt6-svg $qtsvg_version (upstream tag v$qtsvg_version + the CVE-2023-32573 fix, as Debian's $qtsvg_version-2)")

# ---- QR Code generator: upstream's two C++ files as a static library, laid out as Debian's -dev package ----
say "qr-code-generator"
(
  cd "$src"
  apt-get "${apt_options[@]}" source --tar-only -q "qr-code-generator=$qrcodegen_version" \
    >"$work/fetch-qr-code-generator.log" 2>&1 || fail "cannot fetch qr-code-generator (see $work/fetch-qr-code-generator.log)"
  tar -xf qr-code-generator_"${qrcodegen_version%-*}".orig.tar.*
)
qrsrc=$(find "$src" -maxdepth 3 -path '*/cpp/qrcodegen.cpp' | head -1)
[ -n "$qrsrc" ] || fail "no cpp/qrcodegen.cpp in qr-code-generator's tarball"
mkdir -p "$build/qrcodegen" "$prefix/include/qrcodegen" "$prefix/lib/pkgconfig"
$triple-g++-posix -O2 -std=c++11 -c "$qrsrc" -o "$build/qrcodegen/qrcodegen.o"
$triple-ar rcs "$prefix/lib/libqrcodegencpp.a" "$build/qrcodegen/qrcodegen.o"
cp "$(dirname "$qrsrc")/qrcodegen.hpp" "$prefix/include/qrcodegen/"
printf 'prefix=%s\nlibdir=${prefix}/lib\nincludedir=${prefix}/include/qrcodegen\n\nName: qrcodegencpp\n' "$prefix" \
  >"$prefix/lib/pkgconfig/qrcodegencpp.pc"
printf 'Description: QR Code generator library - C++ version\nVersion: %s\nLibs: -L${libdir} -lqrcodegencpp\nCflags: -I${includedir}\n' \
  "${qrcodegen_version%-*}" >>"$prefix/lib/pkgconfig/qrcodegencpp.pc"
mkdir -p "$prefix/licenses"
sed -n '1,/^ \*\/$/p' "$qrsrc" >"$prefix/licenses/qr-code-generator-${qrcodegen_version%-*}.copyright"
versions+=("qr-code-generator $qrcodegen_version (upstream tarball; Debian's packaging part is not served)")

# ---- the mingw runtime the DLLs need ----
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
  found=$($triple-g++-posix -print-file-name="$dll")
  [ -f "$found" ] || fail "the compiler has no $dll"
  cp "$found" "$prefix/bin/"
done
versions+=("toolchain $toolchain_package $(dpkg-query -W -f='${Version}' "$toolchain_package")")

# ---- relocatable: nothing may name the build folder ----
say "making the SDK relocatable"
find "$prefix/lib/pkgconfig" -name '*.pc' -exec sed -i "s|^prefix=.*|prefix=\${pcfiledir}/../..|; s|$prefix|\${prefix}|g" {} +
find "$prefix/lib/cmake" -name '*.cmake' | while read -r f; do
  case $f in
    *Targets*.cmake | *targets*.cmake) sed -i "s|$prefix|\${_IMPORT_PREFIX}|g" "$f" ;;
    */qt.toolchain.cmake) sed -i "s|$prefix|\${CMAKE_CURRENT_LIST_DIR}/../../..|g" "$f" ;;
    *) sed -i "s|$prefix|\${PACKAGE_PREFIX_DIR}|g" "$f" ;;
  esac
done
rm -rf "$prefix/share/man" "$prefix/share/doc" "$prefix/doc" "$prefix/bin/qmake" "$prefix/bin/libpng16-config" \
  "$prefix/bin/libpng-config"
find "$prefix" \( -name '*.dll' -o -name '*.exe' \) -exec $triple-strip --strip-unneeded {} +
mkdir -p "$prefix/licenses"
for folder in "$zlib" "$jpeg" "$png" "$tiff" "$webp" "$gif" "$de265" "$dav1d" "$heif" "$gtest" "$bench" "$qtbase"; do
  cp "$folder/debian/copyright" "$prefix/licenses/$(basename "$folder").copyright"
done
if grep -rIl "$work" "$prefix" >"$work/leaks.txt"; then
  fail "files still name the build folder: $(head -5 "$work/leaks.txt" | tr '\n' ' ')"
fi
{
  echo "# Built by the winsdk recipe on $(date -u +%Y-%m-%d) from Debian 12 source packages (apt-get source)"
  printf '%s\n' "${versions[@]}"
} >"$prefix/VERSIONS.txt"

say "packing $name.tar.xz"
tar -C "$work/prefix" -cf - "$name" | xz -9 -T "$jobs" >"$out/$name.tar.xz"
(cd "$out" && sha256sum "$name.tar.xz" >"$name.tar.xz.sha256")
say "done: $out/$name.tar.xz (sources and build trees are in $work)"
