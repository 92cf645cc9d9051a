#!/usr/bin/env bash
# Builds VELT when needed and runs it.
#   ./run.sh                 a short demonstration of velt-cli in a temporary folder
#   ./run.sh ARGS...         velt-cli with these arguments (e.g. ./run.sh encrypt -r DIR)
#   ./run.sh gui             the desktop application, with a settings store of its own in build/
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/scripts/lib/packages.sh"
velt_install_packages "${VELT_BUILD_PACKAGES[@]}" >&2

build() {
  velt_configure_release "$here" "$here/build"
  cmake --build "$here/build" -j "$(nproc)" --target "$@" >/dev/null
}

if [ "${1:-}" = gui ]; then
  shift
  exec "$here/scripts/run-gui.sh" "$@"
fi

build velt-cli
cli=$here/build/cli/velt-cli
if [ $# -gt 0 ]; then
  exec "$cli" "$@"
fi
exec "$here/scripts/demo.sh" "$cli"
