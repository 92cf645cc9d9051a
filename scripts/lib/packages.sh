# Debian packages the scripts need, and the one function that installs the missing ones.
# Sourced by test.sh, run.sh and the other scripts.

VELT_BUILD_PACKAGES=(cmake g++ make pkg-config zlib1g-dev qt6-base-dev libcli11-dev)
VELT_TEST_PACKAGES=(libgtest-dev libbenchmark-dev libssl-dev openssl libcrypto++-dev python3
                    libglib2.0-bin shared-mime-info desktop-file-utils)
# The Windows cross build: MinGW-w64, zlib for it, GoogleTest's sources, Wine to run the tests,
# and what a Linux velt-cli needs, to exchange files with.
VELT_WINDOWS_PACKAGES=(cmake make g++ zlib1g-dev libcli11-dev g++-mingw-w64-x86-64-posix
                       libz-mingw-w64-dev googletest wine64)
# scripts/fuzz.sh: clang with libFuzzer and the sanitizer run-times.
VELT_FUZZ_PACKAGES=(clang libclang-rt-14-dev)
# A virtual X display for the pictures of scripts/screenshots.sh (the GUI tests run offscreen).
VELT_SCREENSHOT_PACKAGES=(xvfb xauth)

# velt_install_packages PKG...: apt-get install of the packages that are not installed yet;
# sudo only when not root.
velt_install_packages() {
  local missing=() p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  echo "Installing missing packages: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
