#!/usr/bin/env bash
# Whole-file throughput of the engine beside gpg, openssl and cp, measured in one run on the
# same files: a 256 MiB text-like file and a 256 MiB random file.
#   bench/pipeline.sh [MiB] [FILES]    (defaults 256 and 10000; FILES 0 skips the tree)
# Prints markdown tables: MB/s and peak resident memory of each command on the two big files,
# with the inflate or deflate each VELT figure used (ISA-L, or zlib: a second build without
# ISA-L gives the zlib rows beside the ISA-L ones), then the goals against gpg, then files per
# second on a tree of FILES files of 4 KiB each.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/packages.sh
velt_install_packages "${VELT_BUILD_PACKAGES[@]}" gnupg openssl time python3 p7zip-full

mib=${1:-256}
files=${2:-10000}
velt_configure_release "$PWD" build
cmake --build build -j "$(nproc)" --target velt-cli >/dev/null
cli=$PWD/build/cli/velt-cli
# Which back end the build has: ISA-L where CMake found it, else zlib alone.
if grep -q '^VELT_USE_ISAL:BOOL=ON' build/CMakeCache.txt; then
  fast=ISA-L
  velt_configure_release "$PWD" build-zlib -DVELT_USE_ISAL=OFF
  cmake --build build-zlib -j "$(nproc)" --target velt-cli >/dev/null
  zcli=$PWD/build-zlib/cli/velt-cli
else
  fast=zlib
  zcli=
fi
echo "Load average before the run: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) processors"
echo

work=$(mktemp -d "${VELT_BENCH_DIR:-/var/tmp}/velt-pipeline-XXXXXX")
trap 'rm -rf "$work"' EXIT
export VELT_BENCH_PASSWORD=benchmark
export VELT_REGISTRY=$work/registry.reg  # built-in defaults, whatever the user saved
pw=(--password-env VELT_BENCH_PASSWORD -q)
bytes=$((mib * 1024 * 1024))

python3 - "$work/text" "$work/random" "$bytes" <<'PY'
import os, random, sys
text, rnd, n = sys.argv[1], sys.argv[2], int(sys.argv[3])
words = open("/usr/share/dict/words").read().split() if os.path.exists("/usr/share/dict/words") else \
    [("w%05d" % i) for i in range(20000)] + "the of and to in is was for on that with as by".split() * 200
rng = random.Random(1)
with open(text, "w") as f:
    size = 0
    while size < n:
        line = " ".join(rng.choice(words) for _ in range(12)) + "\n"
        f.write(line)
        size += len(line)
    f.truncate(n)
with open(rnd, "wb") as f:
    left = n
    while left:
        k = min(left, 1 << 20)
        f.write(os.urandom(k))
        left -= k
PY

# measure NAME BACKEND FILE-FOR-MBPS COMMAND...: runs the command (after dropping nothing from
# the page cache: every command reads a file that was just written) and prints one table row.
measure() {
  local name=$1 backend=$2 input=$3
  shift 3
  sync
  if ! /usr/bin/time -f "%e %M" -o "$work/time.txt" "$@" >/dev/null 2>"$work/err.txt"; then
    echo "| $name | $backend | failed: $(tail -1 "$work/err.txt") | |"
    return 0
  fi
  local out s kib
  out=$(tail -1 "$work/time.txt")
  s=${out% *} kib=${out#* }
  python3 -c "import sys; n=$(stat -c %s "$input"); s=max($s, 0.001); print(f'| $name | $backend | {n/1e6/s:8.1f} | {$kib/1024:6.1f} |')"
}

key=$(printf '%064x' 42)
iv=$(printf '%032x' 7)
gpgopts=(--batch --yes --quiet --pinentry-mode loopback --passphrase benchmark --homedir "$work/gnupg")
mkdir -m 700 "$work/gnupg"

echo "| command | inflate / deflate | MB/s | peak MiB |"
echo "|---|---|---:|---:|"
for kind in text random; do
  f=$work/$kind
  echo "| **$kind file, $mib MiB** | | | |"
  cp "$f" "$work/a"
  measure "VELT encrypt, BlowFish + MD5, zlib default" zlib "$f" "$cli" encrypt "${pw[@]}" -c 0 -H 0 \
    --compress --level default --no-secure-delete --keep-original "$work/a"
  rm -f "$work/a"  # decryption never replaces a file
  measure "VELT decrypt, BlowFish + MD5, zlib default" "$fast" "$f" "$cli" decrypt "${pw[@]}" "$work/a.VELT"
  rm -f "$work/a.VELT"
  cp "$f" "$work/a"
  # The same on one processor: the serial pipeline the parallel deflate is measured against.
  measure "VELT encrypt, BlowFish + MD5, zlib default, one processor (taskset -c 0)" zlib "$f" \
    taskset -c 0 "$cli" encrypt "${pw[@]}" -c 0 -H 0 --compress --level default --no-secure-delete \
    --keep-original "$work/a"
  rm -f "$work/a"  # decryption never replaces a file
  measure "VELT decrypt, BlowFish + MD5, zlib default, one processor (taskset -c 0)" "$fast" "$f" \
    taskset -c 0 "$cli" decrypt "${pw[@]}" "$work/a.VELT"
  measure "VELT encrypt, default settings (original deleted securely)" zlib "$f" "$cli" encrypt "${pw[@]}" \
    -c 0 -H 0 --compress --level default --secure-delete --delete-original "$work/a"
  rm -f "$work/a"  # decryption never replaces a file
  "$cli" decrypt "${pw[@]}" "$work/a.VELT"
  rm -f "$work/a" "$work/a.VELT"
  cp "$f" "$work/a"
  # The fastest level: its deflate is ISA-L's where the build has it; zlib level 1's beside it.
  measure "VELT encrypt, BlowFish + MD5, fastest" "$fast" "$f" "$cli" encrypt "${pw[@]}" -c 0 -H 0 \
    --compress --level fastest --no-secure-delete --keep-original "$work/a"
  rm -f "$work/a"  # decryption never replaces a file
  measure "VELT decrypt, BlowFish + MD5, fastest" "$fast" "$f" "$cli" decrypt "${pw[@]}" "$work/a.VELT"
  rm -f "$work/a.VELT"
  if [ -n "$zcli" ]; then
    cp "$f" "$work/a"
    measure "VELT encrypt, BlowFish + MD5, fastest, build without ISA-L" zlib "$f" "$zcli" encrypt \
      "${pw[@]}" -c 0 -H 0 --compress --level fastest --no-secure-delete --keep-original "$work/a"
    rm -f "$work/a.VELT"
  fi
  cp "$f" "$work/a"
  measure "gpg --symmetric BLOWFISH -z 6" zlib "$f" gpg "${gpgopts[@]}" --symmetric --cipher-algo BLOWFISH \
    --compress-algo zlib -z 6 -o "$work/a.gpg" "$work/a"
  measure "gpg --decrypt (BLOWFISH, zlib 6)" zlib "$f" gpg "${gpgopts[@]}" -o "$work/a.out" -d "$work/a.gpg"
  rm -f "$work/a.gpg" "$work/a.out"
  measure "gpg --symmetric BLOWFISH -z 1" zlib "$f" gpg "${gpgopts[@]}" --symmetric \
    --cipher-algo BLOWFISH --compress-algo zlib -z 1 -o "$work/a.gpg" "$work/a"
  rm -f "$work/a.gpg"
  measure "VELT encrypt, RIJNDAEL + SHA 256, zlib default" zlib "$f" "$cli" encrypt "${pw[@]}" -c 16 -H 6 \
    --compress --level default --no-secure-delete --keep-original "$work/a"
  rm -f "$work/a"  # decryption never replaces a file
  measure "VELT decrypt, RIJNDAEL + SHA 256, zlib default" "$fast" "$f" "$cli" decrypt "${pw[@]}" \
    "$work/a.VELT"
  if [ -n "$zcli" ]; then
    "$cli" encrypt "${pw[@]}" -c 16 -H 6 --compress --level default --no-secure-delete --keep-original \
      "$work/a"
    rm -f "$work/a"  # decryption never replaces a file
    measure "VELT decrypt, RIJNDAEL + SHA 256, zlib default, build without ISA-L" zlib "$f" "$zcli" \
      decrypt "${pw[@]}" "$work/a.VELT"
  fi
  rm -f "$work/a.VELT"
  cp "$f" "$work/a"
  measure "gpg --symmetric AES256 -z 6" zlib "$f" gpg "${gpgopts[@]}" --symmetric --cipher-algo AES256 \
    --compress-algo zlib -z 6 -o "$work/a.gpg" "$work/a"
  measure "gpg --decrypt (AES256, zlib 6)" zlib "$f" gpg "${gpgopts[@]}" -o "$work/a.out" -d "$work/a.gpg"
  rm -f "$work/a.gpg" "$work/a.out"
  measure "VELT encrypt, RIJNDAEL + SHA 256, no compression" - "$f" "$cli" encrypt "${pw[@]}" -c 16 -H 6 \
    --no-compress --no-secure-delete --keep-original "$work/a"
  rm -f "$work/a"  # decryption never replaces a file
  measure "VELT decrypt, RIJNDAEL + SHA 256, no compression" - "$f" "$cli" decrypt "${pw[@]}" "$work/a.VELT"
  rm -f "$work/a.VELT"
  cp "$f" "$work/a"
  measure "gpg --symmetric AES256, no compression" - "$f" gpg "${gpgopts[@]}" --symmetric --cipher-algo AES256 \
    --compress-algo none -o "$work/a.gpg" "$work/a"
  measure "gpg --decrypt (AES256, no compression)" - "$f" gpg "${gpgopts[@]}" -o "$work/a.out" -d "$work/a.gpg"
  measure "openssl enc -aes-256-cbc -nopad" - "$f" openssl enc -aes-256-cbc -nopad -K "$key" -iv "$iv" \
    -in "$work/a" -out "$work/a.enc"
  measure "openssl enc -d -aes-256-cbc -nopad" - "$f" openssl enc -d -aes-256-cbc -nopad -K "$key" -iv "$iv" \
    -in "$work/a.enc" -out "$work/a.dec"
  measure "cp (a plain copy)" - "$f" cp "$work/a" "$work/a.copy"
  rm -f "$work"/a*
done

# The goals, as time ratios (VELT's seconds over gpg's: lower is better) and sizes. On a shared
# machine one run is at the mercy of the others' load: each time here is the best of three.
# best SETUP COMMAND...: the fewest wall-clock seconds of three runs, SETUP (shell) before each,
# to the microsecond (a run of a fifth of a second is too short for /usr/bin/time's hundredths).
best() {
  local setup=$1 b=1e9 i t0 t1
  shift
  for i in 1 2 3; do
    eval "$setup"
    sync
    t0=$EPOCHREALTIME
    "$@" >/dev/null 2>&1 || { echo failed; return 0; }
    t1=$EPOCHREALTIME
    b=$(python3 -c "print(min($t1 - $t0, $b))")
  done
  echo "$b"
}
echo
echo "| goal (best of three runs each) | measured | aim |"
echo "|---|---:|---:|"
for kind in text random; do
  f=$work/$kind
  cp "$f" "$work/a"
  "$cli" encrypt "${pw[@]}" -c 16 -H 6 --compress --level default --no-secure-delete --keep-original \
    "$work/a" 2>/dev/null
  mv "$work/a.VELT" "$work/keep.VELT"
  vdec=$(best 'cp "$work/keep.VELT" "$work/a.VELT"; rm -f "$work/a"' "$cli" decrypt "${pw[@]}" "$work/a.VELT")
  cp "$f" "$work/a"
  gpg "${gpgopts[@]}" --symmetric --cipher-algo AES256 --compress-algo zlib -z 6 -o "$work/a.gpg" "$work/a"
  gdec=$(best : gpg "${gpgopts[@]}" -o "$work/a.out" -d "$work/a.gpg")
  venc=$(best 'rm -f "$work/a.VELT"' "$cli" encrypt "${pw[@]}" -c 0 -H 0 --compress --level fastest \
    --no-secure-delete --keep-original "$work/a")
  size=$(($(stat -c %s "$work/a.VELT") - 36))
  genc=$(best : gpg "${gpgopts[@]}" --symmetric --cipher-algo BLOWFISH --compress-algo zlib -z 1 \
    -o "$work/a.gpg" "$work/a")
  zsize=$(python3 -c "import sys, zlib; print(len(zlib.compress(open(sys.argv[1], 'rb').read(), 1)))" "$f")
  rm -f "$work"/a* "$work/keep.VELT"
  python3 - "$kind" "$vdec" "$gdec" "$venc" "$genc" "$size" "$zsize" "$fast" <<'PY'
import sys
kind, dec, gdec, enc, genc, size, zsize, fast = sys.argv[1:]
r = lambda a, b: float(a) / max(float(b), 0.001)
print(f"| {kind}: VELT decrypt RIJNDAEL + SHA 256, zlib default ({fast} inflate, {float(dec):.3f} s) / "
      f"gpg --decrypt AES256 -z 6 ({float(gdec):.3f} s) | {r(dec, gdec):.3f}x | at most 0.25x |")
print(f"| {kind}: VELT encrypt BlowFish + MD5, fastest ({fast} deflate, {float(enc):.3f} s) / "
      f"gpg --symmetric BLOWFISH -z 1 ({float(genc):.3f} s) | {r(enc, genc):.3f}x | at most 0.4x |")
print(f"| {kind}: the fastest level's payload / zlib level 1 ({int(size)} / {int(zsize)} bytes) "
      f"| {r(size, zsize):.4f} | at most 1 |")
PY
done
echo
echo "Load average after the run: $(cut -d' ' -f1-3 /proc/loadavg)"

[ "$files" -gt 0 ] || exit 0
# The small-file tree: FILES files of 4 KiB in folders of 100.
tree=$work/tree
python3 - "$tree" "$files" <<'PY'
import os, sys
root, n = sys.argv[1], int(sys.argv[2])
for i in range(n):
    d = os.path.join(root, "d%03d" % (i // 100))
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, "f%05d.txt" % i), "wb") as f:
        f.write((("file %d " % i) * 600).encode()[:4096])
PY
# rate NAME COMMAND...: one table row in files per second.
rate() {
  local name=$1
  shift
  sync
  local t0 t1
  t0=$(date +%s.%N)
  "$@" >/dev/null 2>&1
  t1=$(date +%s.%N)
  python3 -c "s=max($t1-$t0, 0.001); print(f'| $name | {$files/s:8.0f} | {s:6.1f} |')"
}
gpgloop() {
  find "$tree" -type f -name '*.txt' | while read -r f; do
    gpg "${gpgopts[@]}" --symmetric --cipher-algo BLOWFISH --compress-algo zlib -z 6 -o "$f.gpg" "$f"
  done
}
echo
echo "| $files files of 4 KiB | files/s | secs |"
echo "|---|---:|---:|"
rate "velt-cli encrypt -r -j 1" "$cli" encrypt -r -j 1 "${pw[@]}" --no-secure-delete "$tree"
rate "velt-cli decrypt -r -j 1" "$cli" decrypt -r -j 1 "${pw[@]}" "$tree"
rate "velt-cli encrypt -r (one job per processor)" "$cli" encrypt -r "${pw[@]}" --no-secure-delete "$tree"
rate "velt-cli decrypt -r (one job per processor)" "$cli" decrypt -r "${pw[@]}" "$tree"
rate "velt-cli encrypt -r, secure delete on" "$cli" encrypt -r "${pw[@]}" --secure-delete "$tree"
rate "velt-cli decrypt -r" "$cli" decrypt -r "${pw[@]}" "$tree"
rate "gpg --symmetric in a loop (BLOWFISH, zlib 6)" gpgloop
find "$tree" -name '*.gpg' -delete
rate "7z a -tzip -mem=AES256 (one archive)" 7z a -tzip -mem=AES256 -pbenchmark "$work/tree.zip" "$tree"
