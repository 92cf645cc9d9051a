#!/usr/bin/env bash
# Files made by the Linux velt-cli decrypt with the Windows one (run by Wine) and the other way
# round, byte for byte, for several cipher, hash and compression choices; and both programs
# encrypt a file to the same bytes (the fastest level aside).
#   interop_test.sh LINUX_VELT_CLI WINDOWS_VELT_CLI_EXE WINE
set -euo pipefail
linux=$1 windows=$2 wine=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The Linux program's settings store: none, so its built-in defaults; the Windows one reads the
# registry of the Wine installation, and every choice that matters is given on the command line.
export VELT_REGISTRY=$work/none.reg

# Windows sees the host's root as drive Z:.
win() { echo "Z:${1//\//\\}"; }
run_linux() { "$linux" "$@"; }
run_windows() { "$wine" "$windows" "$@"; }

mkdir "$work/originals"
head -c 200000 /dev/urandom >"$work/originals/random.bin"
for i in $(seq 1 3000); do echo "line $i of a text that compresses well"; done >"$work/originals/text.txt"
: >"$work/originals/empty"
head -c 8191 /dev/urandom >"$work/originals/short block"
head -c 65536 /dev/urandom >"$work/originals/$(printf 'Gr\xc3\xbc\xc3\x9fe.dat')"
# A password that is not ASCII: both programs must key the cipher with the same bytes.
printf 'p\xc3\xa4sswort mit Umlaut\n' >"$work/password"

failed=0
check() {  # check DESCRIPTION DIR: DIR holds exactly the originals again
  local what=$1 dir=$2 f
  for f in "$work/originals"/*; do
    if ! cmp -s "$f" "$dir/$(basename "$f")"; then
      echo "FAILED: $what: $(basename "$f") differs or is missing"
      failed=1
    fi
  done
  if [ "$(ls "$dir" | wc -l)" != "$(ls "$work/originals" | wc -l)" ]; then
    echo "FAILED: $what: other files are left: $(ls "$dir" | tr '\n' ' ')"
    failed=1
  fi
}

# cipher hash compression [extra options]
cases=(
  "BlowFish MD5 --compress"
  "RIJNDAEL 6 --no-compress"
  "Serpent 7 --compress --level=best"
  "3DES 4 --compress --level=fastest"
  "RC4 Tiger --no-compress"
  "TwoFish Haval --compress"
  "MARS 8 --no-compress"
  "IDEA SHA1 --no-compress --no-meta"
)
n=0
for c in "${cases[@]}"; do
  read -r cipher hash options <<<"$c"
  n=$((n + 1))
  common=(-q -r --delete-original --no-secure-delete --extension VELT -c "$cipher" -H "$hash")
  decrypt_extra=()
  [[ $options == *--no-meta* ]] && decrypt_extra=(--all)
  for direction in linux-to-windows windows-to-linux; do
    dir=$work/$n-$direction
    cp -r "$work/originals" "$dir"
    if [ $direction = linux-to-windows ]; then
      run_linux encrypt "${common[@]}" $options -p "$work/password" "$dir"
      run_windows decrypt "${common[@]}" "${decrypt_extra[@]}" -p "$(win "$work/password")" "$(win "$dir")"
    else
      run_windows encrypt "${common[@]}" $options -p "$(win "$work/password")" "$(win "$dir")"
      run_linux decrypt "${common[@]}" "${decrypt_extra[@]}" -p "$work/password" "$dir"
    fi
    # Without meta information the decrypted file keeps the encrypted one as NAME(orig).
    [[ $options == *--no-meta* ]] && rm -f "$dir"/*"(orig)"
    check "$c, $direction" "$dir"
  done
  # The same file and settings give the same encrypted bytes on both systems, but at the
  # fastest level: the Linux build may compress it with ISA-L's deflate where Windows has
  # zlib's, one valid stream each (both directions above read them).
  [[ $options == *fastest* ]] && continue
  mkdir "$work/$n-l" "$work/$n-w"
  cp "$work/originals/text.txt" "$work/$n-l/"
  cp "$work/originals/text.txt" "$work/$n-w/"
  run_linux encrypt "${common[@]}" $options -p "$work/password" "$work/$n-l/text.txt"
  run_windows encrypt "${common[@]}" $options -p "$(win "$work/password")" "$(win "$work/$n-w/text.txt")"
  if ! cmp -s "$work/$n-l/text.txt.VELT" "$work/$n-w/text.txt.VELT"; then
    echo "FAILED: $c: Linux and Windows encrypt text.txt to different bytes"
    failed=1
  fi
done

if [ $failed = 0 ]; then
  echo "${#cases[@]} settings, both directions: every file came back byte for byte"
fi
exit $failed
