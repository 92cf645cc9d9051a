#!/usr/bin/env bash
# Installs the build into a fresh prefix as a user would (cmake --install --prefix) and checks
# what arrives: the programs, the help, the desktop entries with their launcher, the MIME type,
# and the settings store with "Path" and the ten defaults; a second installation keeps the
# user's settings and renews "Path". The prefix has a blank in it, as a home folder may. A staged
# installation for /usr keeps the store in /etc.
#   install_test.sh BUILD-DIR
set -euo pipefail
build=$1
base=$(mktemp -d)
trap 'rm -rf "$base"' EXIT
prefix="$base/my prefix"
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/velt share/velt/Velt.html share/applications/velt.desktop \
         share/applications/velt-encrypt.desktop share/applications/velt-decrypt.desktop \
         share/kio/servicemenus/velt.desktop share/mime/packages/velt.xml \
         share/icons/hicolor/scalable/apps/velt.svg etc/velt/registry.reg; do
  [ -f "$prefix/$f" ] || fail "$f was not installed"
done
[ -x "$prefix/bin/velt-launch" ] || fail "velt-launch was not installed as a program"
[ -x "$prefix/share/kio/servicemenus/velt.desktop" ] || fail "the service menu is not executable"
if [ -f "$build/help/Velt.chm" ]; then
  [ -f "$prefix/share/velt/Velt.chm" ] || fail "Velt.chm was not installed"
fi
if [ -x "$build/cli/velt-cli" ]; then
  [ -x "$prefix/bin/velt-cli" ] || fail "velt-cli was not installed"
fi

# The entries start the launcher by its full path, quoted for the blank.
launch="Exec=\"$prefix/bin/velt-launch\""
for entry in applications/velt-encrypt.desktop kio/servicemenus/velt.desktop; do
  grep -qxF "$launch -e %F" "$prefix/share/$entry" || fail "$entry: no encrypting Exec line"
done
grep -qxF "$launch -d %F" "$prefix/share/applications/velt-decrypt.desktop" ||
  fail "velt-decrypt.desktop: no decrypting Exec line"
grep -qxF "Name=Encrypt with VELT" "$prefix/share/kio/servicemenus/velt.desktop" ||
  fail "the service menu has no Encrypt with VELT"
grep -qxF "MimeType=application/x-velt-encrypted;" "$prefix/share/applications/velt.desktop" ||
  fail "velt.desktop does not open encrypted files"
if command -v desktop-file-validate >/dev/null; then
  for entry in velt velt-encrypt velt-decrypt; do
    desktop-file-validate --no-hints "$prefix/share/applications/$entry.desktop" ||
      fail "$entry.desktop is not a valid desktop entry"
  done
fi

# As a file manager does it: GLib expands the entry with the selected files. A stand-in for
# velt records what the launcher hands it.
if command -v gio >/dev/null; then
  mv "$prefix/bin/velt" "$prefix/bin/velt.real"
  printf '#!/bin/sh\nfor a; do printf "[%%s]\\n" "$a"; done > "%s/args"\n' "$base" >"$prefix/bin/velt"
  chmod +x "$prefix/bin/velt"
  mkdir -p "$base/sel dir"
  touch "$base/sel dir/a b.txt" "$base/sel dir/c.txt"
  gio launch "$prefix/share/applications/velt-encrypt.desktop" \
    "$base/sel dir/a b.txt" "$base/sel dir/c.txt" "$base/sel dir"
  for _ in $(seq 100); do [ -s "$base/args" ] && break; sleep 0.1; done
  expected=$(printf '[-e]\n[*%s*|*%s*|*%s*]' "$base/sel dir/a b.txt" "$base/sel dir/c.txt" \
    "$base/sel dir")
  [ "$(cat "$base/args")" = "$expected" ] || { cat "$base/args" >&2; fail "gio launch: wrong list"; }
  mv "$prefix/bin/velt.real" "$prefix/bin/velt"
  # Encrypted files are of their own type, which VELT opens.
  if [ -f "$prefix/share/mime/mime.cache" ]; then
    head -c 300 /dev/urandom >"$base/report.pdf.VELT"
    type=$(XDG_DATA_DIRS="$prefix/share:/usr/share" gio info -a standard::content-type \
      "$base/report.pdf.VELT")
    [[ $type == *application/x-velt-encrypted* ]] ||
      fail "an encrypted file is not application/x-velt-encrypted: $type"
  fi
  if [ -f "$prefix/share/applications/mimeinfo.cache" ]; then
    offered=$(XDG_DATA_DIRS="$prefix/share:/usr/share" gio mime application/x-velt-encrypted)
    [[ $offered =~ Default\ application[^$'\n']*:\ velt\.desktop ]] ||
      fail "VELT does not open encrypted files: $offered"
  fi
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

# Staged for /usr, as a distribution builds it: the store goes to /etc, not /usr/etc, the entries
# name /usr/bin/velt-launch, and the service menu is a plain file there.
stage=$base/stage
DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
[ -f "$stage/etc/velt/registry.reg" ] || fail "a /usr installation has no /etc/velt/registry.reg"
[ ! -e "$stage/usr/etc" ] || fail "a /usr installation wrote /usr/etc"
grep -qxF "Exec=/usr/bin/velt-launch -e %F" "$stage/usr/share/applications/velt-encrypt.desktop" ||
  fail "a /usr installation does not start /usr/bin/velt-launch"
[ ! -x "$stage/usr/share/kio/servicemenus/velt.desktop" ] ||
  fail "the service menu under /usr is executable"
for f in share/man/man1/velt-cli.1.gz share/bash-completion/completions/velt-cli; do
  [ -f "$stage/usr/$f" ] || fail "$f was not installed"
done
echo "1 passed, 0 failed"
