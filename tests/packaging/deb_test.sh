#!/usr/bin/env bash
# Builds the Debian package as a release would (cpack), holds it against Debian's checkers
# (lintian, appstreamcli, desktop-file-validate), installs it with dpkg into a throw-away root,
# runs velt-cli from there against the settings store the package created, renders the manual
# pages and compares their options with velt-cli --help, drives the bash completion, then
# reinstalls, removes and purges.
#   deb_test.sh BUILD-DIR
# Exits 77 (skipped) where Debian's tools are missing.
set -euo pipefail
build=$(cd "$1" && pwd)
for tool in cpack dpkg dpkg-deb dpkg-shlibdeps lintian appstreamcli desktop-file-validate man \
            zsh fish; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done
[ -f /usr/share/bash-completion/bash_completion ] || { echo "SKIP: no bash-completion"; exit 77; }
base=$(mktemp -d)
trap 'rm -rf "$base"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The package, staged and written outside the build folder.
(cd "$build" && cpack -G DEB -B "$base/pkg" >"$base/cpack.log" 2>&1) ||
  { cat "$base/cpack.log" >&2; fail "cpack failed"; }
deb=$(echo "$base"/pkg/velt_*_amd64.deb)
[ -f "$deb" ] || fail "no velt_*_amd64.deb"
version=$(dpkg-deb -f "$deb" Version)
[[ $(basename "$deb") == "velt_${version}_amd64.deb" ]] || fail "$deb is not of version $version"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libqt6widgets6 zlib1g; do
  [[ $depends == *"$lib "* ]] || fail "Depends lacks $lib: $depends"
done

# Errors fail, warnings are shown.
lintian --fail-on error "$deb" >"$base/lintian.log" 2>&1 || lintian_failed=1
grep -v 'running with root privileges' "$base/lintian.log" || true
[ -z "${lintian_failed:-}" ] || fail "lintian reports errors"

# A throw-away root with its own dpkg database; the maintainer scripts run outside a chroot
# with DPKG_ROOT naming it. Dependencies are the host's concern.
root=$base/root
mkdir -p "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/info"
touch "$root/var/lib/dpkg/status"
dpkg_root() {
  dpkg --root="$root" --force-not-root --force-script-chrootless --force-depends \
    --log=/dev/null "$@" >"$base/dpkg.log" 2>&1 || { cat "$base/dpkg.log" >&2; fail "dpkg $*"; }
}
dpkg_root -i "$deb"
usr=$root/usr
for f in bin/velt bin/velt-cli bin/velt-launch share/velt/Velt.html share/doc/velt/copyright \
         share/doc/velt/changelog.gz share/mime/packages/velt.xml \
         share/kio/servicemenus/velt.desktop share/icons/hicolor/scalable/apps/velt.svg \
         share/bash-completion/completions/velt-cli share/zsh/vendor-completions/_velt-cli \
         share/fish/vendor_completions.d/velt-cli.fish; do
  [ -f "$usr/$f" ] || fail "the package lacks /usr/$f"
done
appstreamcli validate --no-net "$usr/share/metainfo/"*.metainfo.xml >"$base/as.log" 2>&1 ||
  { cat "$base/as.log" >&2; fail "the AppStream metadata does not validate"; }
grep -qF "<release version=\"$version\"" "$usr/share/metainfo/"*.metainfo.xml ||
  fail "the AppStream metadata names no release $version"
for entry in velt velt-encrypt velt-decrypt; do
  desktop-file-validate --no-hints "$usr/share/applications/$entry.desktop" ||
    fail "$entry.desktop is not a valid desktop entry"
  grep -qxF "Exec=/usr/bin/velt-launch -${entry: -7:1} %F" "$usr/share/applications/$entry.desktop" ||
    [ "$entry" = velt ] || fail "$entry.desktop does not start /usr/bin/velt-launch"
done

# The store postinst made, which the installed program finds by itself in <root>/etc.
store=$root/etc/velt/registry.reg
expect() { grep -qxF "$1" "$store" || { cat "$store" >&2; fail "the store lacks $1"; }; }
expect '"Path"="/usr/share/velt"'
expect '"def"="VELT"'
for v in enc hash comp compspeed; do expect "\"$v\"=dword:00000000"; done
for v in ext sec del com add; do expect "\"$v\"=dword:ffffffff"; done
unset VELT_REGISTRY
[ "$("$usr/bin/velt-cli" --version)" = "velt-cli $version" ] ||
  fail "velt-cli --version is not velt-cli $version: $("$usr/bin/velt-cli" --version)"
sed -i 's/^"def"=.*/"def"="PKGTEST"/' "$store"
echo secret >"$base/note.txt"
PW="pkg test pass phrase 7" "$usr/bin/velt-cli" encrypt -q --keep-original --password-env PW "$base/note.txt"
[ -f "$base/note.txt.PKGTEST" ] || fail "velt-cli did not use the settings in $store"

# The manual pages render, and list exactly the options and commands velt-cli --help gives.
cli=$usr/bin/velt-cli
man=$usr/share/man/man1
for page in velt velt-cli; do
  MANWIDTH=80 man -l "$man/$page.1.gz" >"$base/$page.txt" 2>"$base/man.log" ||
    { cat "$base/man.log" >&2; fail "man -l $page.1 failed"; }
  [ ! -s "$base/man.log" ] || { cat "$base/man.log" >&2; fail "man -l $page.1 warns"; }
  for section in NAME SYNOPSIS OPTIONS "EXIT STATUS" ENVIRONMENT FILES EXAMPLES; do
    grep -qx "$section" "$base/$page.txt" || fail "$page(1) has no $section section"
  done
  grep -q VELT_REGISTRY "$base/$page.txt" || fail "$page(1) does not name VELT_REGISTRY"
done
MANPATH=$usr/share/man man velt-launch 2>/dev/null | grep -q "velt-launch" ||
  fail "man velt-launch does not lead to velt(1)"
options() { grep -oE -- '(^|[ ,[])--?[A-Za-z][A-Za-z-]*' | sed 's/^[ ,[]//' | sort -u; }
subcommands=$("$cli" --help | awk '/^Subcommands:/ { s = 1; next } s && /^  [a-z]/ { print $1 }')
[ -n "$subcommands" ] || fail "velt-cli --help lists no commands"
{
  "$cli" --help | grep -E '^  -'
  for sub in $subcommands; do "$cli" "$sub" --help | grep -E '^  -' | sed 's/{[^}]*}//'; done
} | options >"$base/help-options"
sed -n '/^OPTIONS/,/^EXIT STATUS/p' "$base/velt-cli.txt" | options >"$base/man-options"
diff "$base/help-options" "$base/man-options" >&2 ||
  fail "velt-cli(1) and velt-cli --help list different options (< help, > manual)"
for sub in $subcommands; do
  sed -n '/^COMMANDS/,/^OPTIONS/p' "$base/velt-cli.txt" | grep -qE "^ +$sub( |\$)" ||
    fail "velt-cli(1) does not describe the command $sub"
done

# The bash completion, driven as bash drives it: COMP_WORDS and COMP_CWORD in, COMPREPLY out.
mkdir -p "$base/work/My Folder"
touch "$base/work/My File.txt"
completions=$(cd "$base/work" && PATH="$usr/bin:$PATH" bash -c '
  source /usr/share/bash-completion/bash_completion
  source "$1/share/bash-completion/completions/velt-cli"
  complete() {
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    COMPREPLY=(); _velt_cli
    printf "%s|" "$*"; printf "%s|" "${COMPREPLY[@]}"; echo
  }
  complete velt-cli ""
  complete velt-cli en
  complete velt-cli encrypt --no-e
  complete velt-cli decrypt --a
  complete velt-cli encrypt -c rij
  complete velt-cli decrypt -H Sh
  complete velt-cli decrypt --hash sha2
  complete velt-cli encrypt --level ""
  complete velt-cli encrypt -r My
  quote=$(printf "\047")  # a name begun with a quote, as one with blanks is typed
  complete velt-cli info "${quote}My F"
  complete velt-cli decrypt -p "${quote}My Fi"
' bash "$usr")
expected=$(cat <<'END'
|-h|--help|--version|encrypt|decrypt|info|list|selftest|
en|encrypt|
encrypt --no-e|--no-extension|
decrypt --a|--all|--any-extension|
encrypt -c rij|RIJNDAEL|
decrypt -H Sh|SHA1|SHA256|SHA386|SHA512|
decrypt --hash sha2|SHA256|
encrypt --level |default|fastest|best|
encrypt -r My|My File.txt|My Folder|
info 'My F|My File.txt|My Folder|
decrypt -p 'My Fi|My File.txt|
END
)
expected=$(sed 's/^/velt-cli /' <<<"$expected")
[ "$completions" = "$expected" ] ||
  { diff <(echo "$expected") <(echo "$completions") >&2; fail "bash completion (< expected)"; }

# zsh and fish read their files; fish completes a cipher as bash does.
zsh -n "$usr/share/zsh/vendor-completions/_velt-cli" || fail "_velt-cli is not zsh"
fish -n "$usr/share/fish/vendor_completions.d/velt-cli.fish" || fail "velt-cli.fish is not fish"
fished=$(PATH="$usr/bin:$PATH" fish --no-config -c \
  "source $usr/share/fish/vendor_completions.d/velt-cli.fish; complete -C'velt-cli encrypt -c rij'")
[ "$fished" = RIJNDAEL ] || fail "fish completes -c rij as: $fished"

# A reinstallation keeps the store as the administrator left it; removal keeps it, purging
# takes it.
dpkg_root -i "$deb"
expect '"def"="PKGTEST"'
dpkg_root -r velt
[ ! -e "$usr/bin/velt-cli" ] || fail "removal left velt-cli"
expect '"def"="PKGTEST"'
dpkg_root -P velt
[ ! -e "$root/etc/velt" ] || fail "purging left $(ls -A "$root/etc/velt")"
echo "1 passed, 0 failed"
