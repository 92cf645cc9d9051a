#!/usr/bin/env bash
# Installs the build into a fresh prefix as a user would (cmake --install --prefix) and checks
# what arrives: the programs, the help, the desktop entry, and the settings store with "Path"
# and the ten defaults; a second installation keeps the user's settings and renews "Path".
#   install_test.sh BUILD-DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/velt share/velt/Velt.html share/applications/velt.desktop \
         share/icons/hicolor/scalable/apps/velt.svg etc/velt/registry.reg; do
  [ -f "$prefix/$f" ] || fail "$f was not installed"
done
if [ -f "$build/help/Velt.chm" ]; then
  [ -f "$prefix/share/velt/Velt.chm" ] || fail "Velt.chm was not installed"
fi
if [ -x "$build/cli/velt-cli" ]; then
  [ -x "$prefix/bin/velt-cli" ] || fail "velt-cli was not installed"
fi
hive=$prefix/etc/velt/registry.reg
expect() { grep -qxF "$1" "$hive" || { cat "$hive" >&2; fail "the store lacks $1"; }; }
expect '[HKEY_LOCAL_MACHINE\Software\VELT]'
expect "\"Path\"=\"$prefix/share/velt\""
expect '"def"="VELT"'
for v in enc hash comp compspeed; do expect "\"$v\"=dword:00000000"; done
for v in ext sec del com add; do expect "\"$v\"=dword:ffffffff"; done

# The user's own values survive a reinstallation; a moved installation gets its new "Path".
sed -i -e 's/^"enc"=.*/"enc"=dword:00000010/' -e 's/^"def"=.*/"def"="abc"/' \
    -e 's/^"Path"=.*/"Path"="\/old\/place"/' "$hive"
cmake --install "$build" --prefix "$prefix" >/dev/null
expect '"enc"=dword:00000010'
expect '"def"="abc"'
expect "\"Path\"=\"$prefix/share/velt\""
[ "$(grep -c '^"enc"=' "$hive")" = 1 ] || fail "a value was written twice"
echo "1 passed, 0 failed"
