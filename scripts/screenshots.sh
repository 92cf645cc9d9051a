#!/usr/bin/env bash
# Takes the pictures in docs/screenshots/ from the running program on a virtual X display: the
# main window idle and busy (a real encryption under way), the options dialog, the decryption
# options dialog, the About box, the two folder pickers, the search dialog, the drag-and-drop
# and the two command-line dialogs, a directory job under way, a file with a long name under way,
# and (a second run at QT_SCALE_FACTOR=2, which Qt reads at its start) the main window and the
# options dialog at scale 2. When Qt for Windows is built
# (scripts/build-qt-windows.sh), the same program built for Windows takes its pictures under
# Wine too, of which the main window, the options dialog and a directory job go to windows/.
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
VELT_REGISTRY=$work/registry.reg QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=2 \
  xvfb-run -a -s "-screen 0 2560x2048x24" "$build/tools/velt-screenshots" "$out" scaled

# The Windows build: its own Wine installation, whose registry key gets the same defaults (the
# store's text is the format of the registry's own exports), "Path" in Windows form.
source "$here/scripts/lib/windows.sh"
if [ ! -f "$VELT_QT_WINDOWS/velt-qt-complete" ]; then
  echo "No pictures of velt.exe: Qt 6 for Windows is not built (scripts/build-qt-windows.sh)." >&2
  exit 0
fi
cd "$here"
velt_install_packages "${VELT_WINDOWS_PACKAGES[@]}" >&2
wbuild=${VELT_WINDOWS_GUI_DIR:-$here/build-windows-gui}
velt_windows_deps "$here/build-windows/deps"
velt_windows_gui_configure "$wbuild" "$here/build-windows/deps" >/dev/null
cmake --build "$wbuild" -j "$(nproc)" --target velt-screenshots >/dev/null
windows_path() { echo "Z:${1//\//\\}"; }
velt_wine_prefix "$work/wine"
"$build/packaging/velt-install-settings" "$work/windows.reg" "$(windows_path "$wbuild/help")"
"$VELT_WINE" reg import "$(windows_path "$work/windows.reg")" >/dev/null 2>&1
# Wine's desktop process, started above without a display, must end before the program runs on
# one: kept, it leaves every window black.
/usr/lib/wine/wineserver -w
mkdir -p "$work/windows" "$out/windows"
# Wine's GDI text output leaves line edits empty in Qt's windows; FreeType draws them.
if ! xvfb-run -a -s "-screen 0 1280x1024x24" "$VELT_WINE" "$wbuild/tools/velt-screenshots.exe" \
  -platform windows:fontengine=freetype "$(windows_path "$work/windows")" >"$work/wine.log" 2>&1; then
  cat "$work/wine.log" >&2
  exit 1
fi
/usr/lib/wine/wineserver -w
for picture in main-idle options directory-job; do
  cp "$work/windows/$picture.png" "$out/windows/$picture.png"
  echo "$out/windows/$picture.png"
done
