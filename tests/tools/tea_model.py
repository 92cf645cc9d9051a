#!/usr/bin/env python3
"""Independent model of VELT's Tea variant, written from its definition, for known answers.

A block is two big-endian words x, y; the key four big-endian words k0..k3 (zero-filled to 16
bytes). 32 cycles of: sum += 0x9E3779B9; x += (y<<4) + (k0^y) + (sum^(y>>5)) + k1;
y += (x<<4) + (k2^x) + (sum^(x>>5)) + k3. Prints records for tests/data/ciphers/tea.vec.
"""

M = 0xFFFFFFFF


def encrypt(key: bytes, block: bytes) -> bytes:
    key = key.ljust(16, b"\0")
    k = [int.from_bytes(key[i:i + 4], "big") for i in range(0, 16, 4)]
    x, y = int.from_bytes(block[:4], "big"), int.from_bytes(block[4:], "big")
    s = 0
    for _ in range(32):
        s = (s + 0x9E3779B9) & M
        x = (x + (((y << 4) & M) + (k[0] ^ y) + (s ^ (y >> 5)) + k[1])) & M
        y = (y + (((x << 4) & M) + (k[2] ^ x) + (s ^ (x >> 5)) + k[3])) & M
    return x.to_bytes(4, "big") + y.to_bytes(4, "big")


CASES = [
    ("00000000000000000000000000000000", "0000000000000000"),
    ("000102030405060708090a0b0c0d0e0f", "0001020304050607"),
    ("0123456789abcdeffedcba9876543210", "0123456789abcdef"),
    ("ffffffffffffffffffffffffffffffff", "ffffffffffffffff"),
    ("80000000000000000000000000000001", "8000000000000001"),
    ("0123456789abcdef", "fedcba9876543210"),  # 64-bit key: zero-filled
]

if __name__ == "__main__":
    for key, plain in CASES:
        print(f"Key = {key}\nIn = {plain}\nOut = {encrypt(bytes.fromhex(key), bytes.fromhex(plain)).hex()}\n")
