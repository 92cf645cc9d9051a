#!/usr/bin/env bash
# A short demonstration of velt-cli in a temporary folder: make a few files, encrypt the folder
# recursively, show the meta information, decrypt it again and check nothing changed.
#   scripts/demo.sh PATH-TO-velt-cli
set -euo pipefail
cli=${1:?usage: demo.sh PATH-TO-velt-cli}
demo=$(mktemp -d "${TMPDIR:-/tmp}/velt-demo-XXXXXX")
trap 'rm -rf "$demo"' EXIT
# A settings store of the demo's own, so the user's saved settings are neither read nor needed.
export VELT_REGISTRY=$demo/registry.reg
export VELT_DEMO_PASSWORD="correct horse battery staple"

step() { printf '\n== %s\n' "$*"; }

step "Making a few files in $demo/files"
mkdir -p "$demo/files/letters" "$demo/files/data"
printf 'Dear reader,\nthis letter is about to be encrypted.\n' >"$demo/files/letters/letter.txt"
seq 1 20000 >"$demo/files/data/numbers.txt"
head -c 300000 /dev/urandom >"$demo/files/data/random.bin"
cp -r "$demo/files" "$demo/originals"
(cd "$demo/files" && find . -type f | sort | xargs ls -l)

step "velt-cli encrypt -r --password-env VELT_DEMO_PASSWORD files"
"$cli" encrypt -r --password-env VELT_DEMO_PASSWORD "$demo/files"
(cd "$demo/files" && find . -type f | sort | xargs ls -l)

step "velt-cli info on the encrypted files"
"$cli" info "$demo/files/letters/letter.txt.VELT" "$demo/files/data/random.bin.VELT"

step "velt-cli decrypt -r with a wrong password: refused, files untouched"
VELT_WRONG=guess "$cli" decrypt -r --password-env VELT_WRONG -q "$demo/files" || echo "(exit status $?)"

step "velt-cli decrypt -r --password-env VELT_DEMO_PASSWORD files"
"$cli" decrypt -r --password-env VELT_DEMO_PASSWORD "$demo/files"

step "Comparing with the originals"
if diff -r "$demo/originals" "$demo/files"; then
  echo "All files are back, byte for byte."
else
  echo "The decrypted files differ from the originals!" >&2
  exit 1
fi
