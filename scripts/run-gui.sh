#!/usr/bin/env bash
# Builds the desktop program in build/ and starts it with a settings store of its own there
# (build/etc/velt/registry.reg: "Path" names the help in the build tree, the ten settings start
# at their defaults and keep what the user saves).
#   scripts/run-gui.sh [ARGS...]     (./run.sh gui [ARGS...] comes here)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/scripts/lib/packages.sh"
velt_install_packages "${VELT_BUILD_PACKAGES[@]}" >&2
build=${VELT_BUILD_DIR:-$here/build}

velt_configure_release "$here" "$build"
cmake --build "$build" -j "$(nproc)" --target velt velt-install-settings >/dev/null

hive=$build/etc/velt/registry.reg
"$build/packaging/velt-install-settings" "$hive" "$build/help"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No desktop to show the window on (DISPLAY is not set)." >&2
  echo "Under a virtual one: xvfb-run -a ./run.sh gui" >&2
  exit 1
fi
export VELT_REGISTRY=$hive
exec "$build/ui/velt" "$@"
