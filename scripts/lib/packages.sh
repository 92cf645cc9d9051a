# Debian packages the scripts need, and the one function that installs the missing ones.
# Sourced by test.sh, run.sh and the other scripts.

# libisal-dev: the faster inflate and fastest-level deflate (the build falls back to zlib alone).
VELT_BUILD_PACKAGES=(cmake g++ make pkg-config zlib1g-dev libisal-dev qt6-base-dev libcli11-dev
                     libzxcvbn-dev)
# The tests; dpkg-dev (dpkg-shlibdeps), lintian, appstream, man-db and the shells serve the
# Debian package test; Xvfb, openbox, xdotool and xprop (x11-utils) the keyboard test.
VELT_TEST_PACKAGES=(libgtest-dev libbenchmark-dev libssl-dev openssl libcrypto++-dev python3
                    libglib2.0-bin shared-mime-info desktop-file-utils strace clang-format
                    dpkg-dev lintian appstream man-db bash-completion zsh fish
                    xvfb xauth openbox xdotool x11-utils)
# The Windows cross build: MinGW-w64, zlib for it, GoogleTest's sources, Wine to run the tests,
# and what a Linux velt-cli needs, to exchange files with.
VELT_WINDOWS_PACKAGES=(cmake make g++ zlib1g-dev libcli11-dev g++-mingw-w64-x86-64-posix
                       libz-mingw-w64-dev googletest wine64)
# The Windows installer (makensis builds 64-bit ones), the compiled help it ships (chmcmd), and
# its test under Wine, which starts the installed velt.exe on a virtual X display and looks for
# its windows.
VELT_WINDOWS_INSTALLER_PACKAGES=(nsis fp-utils xvfb xauth x11-utils procps)
# scripts/build-qt-windows.sh: Qt 6 for Windows, cross-built from Debian's qt6-base sources
# (apt-get source unpacks with dpkg-dev) against the host's Qt tools of the same version.
VELT_QT_WINDOWS_PACKAGES=(cmake ninja-build perl dpkg-dev g++-mingw-w64-x86-64-posix qt6-base-dev
                          qt6-base-dev-tools)
# scripts/fuzz.sh: clang with libFuzzer and the sanitizer run-times.
VELT_FUZZ_PACKAGES=(clang libclang-rt-14-dev)
# A virtual X display for the pictures of scripts/screenshots.sh (the GUI tests run offscreen).
VELT_SCREENSHOT_PACKAGES=(xvfb xauth)

# velt_missing_packages PKG...: prints the packages that are not installed, one per line.
velt_missing_packages() {
  local p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      echo "$p"
    fi
  done
}

# velt_install_packages PKG...: apt-get install of the packages that are not installed yet;
# sudo only when not root.
velt_install_packages() {
  local missing=()
  mapfile -t missing < <(velt_missing_packages "$@")
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  echo "Installing missing packages: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# velt_configure_release SOURCE BUILD [CMAKE-OPTION...]: configures BUILD as a Release build of
# SOURCE for the scripts that need only the programs. The tests and benchmarks are part of it
# when their packages are installed (./test.sh installs them), so that a fresh machine can build
# and run VELT with the build packages alone.
velt_configure_release() {
  local extras=ON
  [ -z "$(velt_missing_packages "${VELT_TEST_PACKAGES[@]}")" ] || extras=OFF
  cmake -S "$1" -B "$2" -DCMAKE_BUILD_TYPE=Release \
    -DVELT_BUILD_TESTS=$extras -DVELT_BUILD_BENCH=$extras "${@:3}" >/dev/null
}
