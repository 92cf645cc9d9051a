#!/usr/bin/env bash
# Our CBC throughput against a peer library, cipher by cipher, measured back to back on the same
# machine. Prints one table: our encrypt and decrypt MB/s, the peer's, the ratios (ours / the
# peer's; above 1 means we are faster), and our figures through the stream operation.
# MB = 10^6 bytes.
#
#   bench/compare-ciphers.sh [label...]     only these catalogue labels (default: all)
#
# Environment: RUNS (default 3; the best of the runs is kept), PEER_SECONDS (default 2; length
# of each OpenSSL measurement), BUILD_DIR (default build/, the Release build).
#
# Like for like: ours is one 8192-byte buffer encrypted in place again and again (the calls
# EncryptStream makes per chunk), CPU time; the peers do the same: `openssl speed -evp ...
# -bytes 8192` (CPU time) or velt_peer_bench (Crypto++, CPU time). The last two columns are
# EncryptStream/DecryptStream over 64 MiB memory streams, which adds copying each chunk in and
# out of memory.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/packages.sh"
velt_install_packages "${VELT_BUILD_PACKAGES[@]}" "${VELT_TEST_PACKAGES[@]}" >&2
build=${BUILD_DIR:-$root/build}
runs=${RUNS:-3}
peer_seconds=${PEER_SECONDS:-2}

# label | key bits of our benchmark (empty: the usual 128-bit key from the MD5 password
# digest) | peer (openssl or cryptopp; empty: none) | the peer's name for the cipher.
# Key sizes match the peer's: Crypto++ runs are keyed with 128 bits, OpenSSL's with the
# cipher's default (128 bits, 192 for 3DES, whose cost does not depend on it).
peers='
BlowFish||openssl|bf-cbc
TwoFish||cryptopp|TwoFish
Cast 128||openssl|cast5-cbc
Cast 256||cryptopp|Cast 256
DES||openssl|des-cbc
3DES||openssl|des-ede3-cbc
ICE|||
ThinICE|||
ICE2|||
IDEA||cryptopp|IDEA
MARS||cryptopp|MARS
MISTY 1|||
RC2||openssl|rc2-cbc
RC4||openssl|rc4
RC5||cryptopp|RC5
RC6||cryptopp|RC6
RIJNDAEL|256|openssl|aes-256-cbc
Serpent||cryptopp|Serpent
Tea|||
'

# --- build -----------------------------------------------------------------------------------
velt_configure_release "$root" "$build"  # benchmarks included: their packages are in
cmake --build "$build" -j"$(nproc)" --target velt_bench velt_peer_bench >/dev/null
bench=$build/bench/velt_bench
peer_bench=$build/bench/velt_peer_bench

# --- measuring -------------------------------------------------------------------------------
regex_escape() { sed 's/[][\.^$|()*+?{}]/\\&/g' <<<"$1"; }

# ours LABEL BITS -> "encrypt decrypt stream-encrypt stream-decrypt" in MB/s
ours() {
  local label bits json
  label=$(regex_escape "$1")
  bits=$2
  json=$("$bench" --benchmark_filter="^(inplace-)?(en|de)crypt${bits}/${label}(/|\$)" \
    --benchmark_format=json 2>/dev/null)
  python3 -c '
import json, sys
rates = {}
for b in json.load(sys.stdin)["benchmarks"]:
    kind = b["name"].split("/")[0].rstrip("0123456789")
    rates[kind] = b["bytes_per_second"] / 1e6
print("%.1f %.1f %.1f %.1f" % (rates["inplace-encrypt"], rates["inplace-decrypt"],
                               rates["encrypt"], rates["decrypt"]))' <<<"$json"
}

# openssl_rate NAME [-decrypt] -> MB/s (openssl prints thousands of bytes per second), or 0
# when this OpenSSL lacks the cipher
openssl_rate() {
  { openssl speed -provider legacy -provider default -evp "$1" -bytes 8192 \
    -seconds "$peer_seconds" ${2:-} 2>/dev/null || true; } |
    awk 'END { v = $NF; if (v !~ /^[0-9.]+k$/) v = "0k"; sub(/k$/, "", v); printf "%.1f", v / 1000 }'
}

# peer KIND NAME -> "encrypt decrypt" in MB/s
peer() {
  case $1 in
    openssl) echo "$(openssl_rate "$2") $(openssl_rate "$2" -decrypt)" ;;
    cryptopp) "$peer_bench" "$2" | awk '{ print $(NF - 1), $NF }' ;;
  esac
}

best() { awk -v a="$1" -v b="$2" 'BEGIN { print (b + 0 > a + 0) ? b : a }'; }

# The ciphers registered in this build, in catalogue order.
mapfile -t registered < <("$bench" --benchmark_list_tests |
  sed -n 's|^encrypt/\(.*\)/min_time:.*$|\1|p; s|^encrypt/\([^/]*\)$|\1|p')

rows=()
for label in "${registered[@]}"; do
  if (($# > 0)); then
    wanted=0
    for w in "$@"; do [[ $w == "$label" ]] && wanted=1; done
    ((wanted)) || continue
  fi
  bits='' kind='' name=''
  while IFS='|' read -r l b k n; do
    [[ $l == "$label" ]] && { bits=$b kind=$k name=$n; }
  done <<<"$peers"

  oe=0 od=0 se=0 sd=0 pe=0 pd=0
  for ((r = 0; r < runs; ++r)); do
    read -r e d e2 d2 < <(ours "$label" "$bits")
    oe=$(best "$oe" "$e") od=$(best "$od" "$d") se=$(best "$se" "$e2") sd=$(best "$sd" "$d2")
    if [[ -n $kind ]]; then
      read -r e d < <(peer "$kind" "$name")
      pe=$(best "$pe" "$e") pd=$(best "$pd" "$d")
    fi
  done
  echo "measured $label" >&2
  case $kind in
    openssl) shown="OpenSSL $name" ;;
    cryptopp) shown="Crypto++ $name" ;;
    *) shown='' ;;
  esac
  rows+=("$label${bits:+ ($bits-bit key)}|$oe|$od|$shown|$pe|$pd|$se|$sd")
done

# --- the table -------------------------------------------------------------------------------
printf '%-24s %9s %9s  %-22s %9s %9s %6s %6s %10s %10s\n' cipher 'ours enc' 'ours dec' peer \
  'peer enc' 'peer dec' 'enc x' 'dec x' 'stream enc' 'stream dec'
for row in "${rows[@]}"; do
  IFS='|' read -r label oe od pname pe pd se sd <<<"$row"
  awk -v l="$label" -v oe="$oe" -v od="$od" -v p="${pname:--}" -v pe="$pe" -v pd="$pd" \
    -v se="$se" -v sd="$sd" 'BEGIN {
      if (pe > 0 && pd > 0)
        printf "%-24s %9.1f %9.1f  %-22s %9.1f %9.1f %6.2f %6.2f %10.1f %10.1f\n", l, oe, od, p,
          pe, pd, oe / pe, od / pd, se, sd
      else
        printf "%-24s %9.1f %9.1f  %-22s %9s %9s %6s %6s %10.1f %10.1f\n", l, oe, od, p, "", "",
          "", "", se, sd }'
done
