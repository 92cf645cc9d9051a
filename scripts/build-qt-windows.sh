#!/usr/bin/env bash
# Cross-builds Qt 6 (Core, Gui, Widgets, Test; the windows and offscreen platform plugins) for
# 64-bit Windows with MinGW-w64, from the sources of Debian's own qt6-base, so that the Windows
# desktop program links against the same Qt version as the Linux one. The result is a prefix
# outside the repository that later runs reuse:
#   ${VELT_QT_WINDOWS_PREFIX:-$HOME/.cache/velt/qt6-windows-<version>}
# A complete prefix (its stamp file is written last) makes the script return at once. The build
# happens in a work folder beside the prefix, removed after success; about 25 minutes on 2 cores.
# Projects configure with the prefix's bin/qt-cmake, which brings the MinGW toolchain file along.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/scripts/lib/packages.sh"

version=6.4.2
prefix=$(realpath -m "${VELT_QT_WINDOWS_PREFIX:-$HOME/.cache/velt/qt6-windows-$version}")
stamp=$prefix/velt-qt-complete
[ -f "$stamp" ] && exit 0

jobs=${VELT_QT_WINDOWS_JOBS:-2}
work=$prefix.work
triplet=x86_64-w64-mingw32

# fetch_sources DIR: Debian's qt6-base source package unpacked in DIR/src. apt gets a sources
# list, lists and cache of its own, so the system's package lists stay as they are. The
# revision of the installed host tools is asked for first, any bookworm one else.
fetch_sources() {
  local dir=$1 apt_dir=$1/apt
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/parts"
  echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg]" \
    "http://deb.debian.org/debian bookworm main" >"$apt_dir/sources.list"
  local apt_options=(-o "Dir::Etc::SourceList=$apt_dir/sources.list"
    -o "Dir::Etc::SourceParts=$apt_dir/parts" -o "Dir::State::Lists=$apt_dir/lists"
    -o "Dir::Cache=$apt_dir/cache" -o "APT::Sandbox::User=root")
  apt-get "${apt_options[@]}" update -qq
  local host_version
  host_version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev)
  rm -rf "$dir/src" "$dir/source"
  mkdir -p "$dir/source"
  (cd "$dir/source" &&
    { apt-get "${apt_options[@]}" source -qq "qt6-base=$host_version" ||
      apt-get "${apt_options[@]}" source -qq qt6-base; })
  local unpacked
  unpacked=$(find "$dir/source" -mindepth 1 -maxdepth 1 -type d -name "qt6-base-$version*")
  [ -n "$unpacked" ] || { echo "qt6-base $version: no such source package" >&2; exit 1; }
  mv "$unpacked" "$dir/src"
  rm -rf "$dir/source" "$apt_dir"
}

# write_toolchain FILE: the MinGW-w64 toolchain (posix threads, which std::thread needs). It lives
# in the prefix because the installed qt-cmake refers to it.
write_toolchain() {
  mkdir -p "$(dirname "$1")"
  cat >"$1" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER $triplet-gcc-posix)
set(CMAKE_CXX_COMPILER $triplet-g++-posix)
set(CMAKE_RC_COMPILER $triplet-windres)
list(APPEND CMAKE_FIND_ROOT_PATH /usr/$triplet)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
}

# configure_qt SRC BUILD TOOLCHAIN: shared libraries; the third-party libraries bundled in the
# sources (Debian builds only zlib for MinGW); modules and features the desktop program does not
# use left out. Debian's sources lack wintab.h (tablet events), and the windows plugin of this
# version needs desktop OpenGL.
configure_qt() {
  nice -n 19 cmake -G Ninja -S "$1" -B "$2" -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$3" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF \
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF \
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_zstd=OFF -DFEATURE_tabletevent=OFF \
    -DINPUT_opengl=desktop
}

# copy_runtime BIN: the MinGW runtime DLLs that every program built against the prefix needs,
# beside Qt's own, so that deploying means copying from one folder.
copy_runtime() {
  local gcc_dir
  gcc_dir=$(dirname "$("$triplet-g++-posix" -print-file-name=libstdc++-6.dll)")
  cp "$gcc_dir/libstdc++-6.dll" "$gcc_dir/libgcc_s_seh-1.dll" "$1/"
  cp "/usr/$triplet/lib/libwinpthread-1.dll" "$1/"
}

velt_install_packages "${VELT_QT_WINDOWS_PACKAGES[@]}"
rm -rf "$prefix"
mkdir -p "$work"
[ -d "$work/src" ] || fetch_sources "$work"
toolchain=$prefix/lib/cmake/velt-mingw-w64.cmake
write_toolchain "$toolchain"
start=$SECONDS
configure_qt "$work/src" "$work/build" "$toolchain" >"$work/configure.log" ||
  { tail -40 "$work/configure.log" >&2; exit 1; }
echo "Qt $version for Windows: configured in $((SECONDS - start)) s; building (-j$jobs," \
  "log in $work/build.log)"
start=$SECONDS
# MinGW warns about Qt's dllimport redeclarations thousands of times: the log keeps them.
nice -n 19 cmake --build "$work/build" --parallel "$jobs" >"$work/build.log" 2>&1 ||
  { grep -B5 -A20 -m3 "FAILED:" "$work/build.log" >&2 || tail -40 "$work/build.log" >&2; exit 1; }
echo "Qt $version for Windows: built in $((SECONDS - start)) s"
cmake --install "$work/build" >/dev/null
copy_runtime "$prefix/bin"
rm -rf "$work"
echo "$version" >"$stamp"
echo "Qt $version for Windows: $prefix"
