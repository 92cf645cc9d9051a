#!/usr/bin/env bash
# Takes the pictures in docs/screenshots/ from the running program on a virtual X display: the
# main window idle and busy (a real encryption under way), the options dialog, the decryption
# options dialog, the About box, the two folder pickers, the search dialog, the drag-and-drop
# and the two command-line dialogs, and a directory job under way.
#   scripts/screenshots.sh [OUTPUT-FOLDER]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/scripts/lib/packages.sh"
velt_install_packages "${VELT_BUILD_PACKAGES[@]}" "${VELT_SCREENSHOT_PACKAGES[@]}" >&2
build=${VELT_BUILD_DIR:-$here/build}
out=${1:-$here/docs/screenshots}

velt_configure_release "$here" "$build" -DVELT_BUILD_TOOLS=ON
cmake --build "$build" -j "$(nproc)" --target velt-screenshots velt-install-settings >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A store of its own with the defaults, so the pictures never show someone's saved settings.
"$build/packaging/velt-install-settings" "$work/registry.reg" "$build/help"
mkdir -p "$out"
# The sample file of the busy picture is made in the temporary folder, not in the repository.
TMPDIR=$work VELT_REGISTRY=$work/registry.reg QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1280x1024x24" "$build/tools/velt-screenshots" "$out"
