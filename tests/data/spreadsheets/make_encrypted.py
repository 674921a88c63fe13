#!/usr/bin/python3
# Writes encrypted.xlsx: openpyxl.xlsx protected with the password "secret" the way Excel stores a
# password-protected .xlsx, an OLE2 compound file holding EncryptionInfo and EncryptedPackage
# (ECMA-376 standard encryption, AES-128). Checked by decrypting it again with msoffcrypto-tool.
# Run once with /usr/bin/python3 (Debian's python3-cryptography and python3-msoffcrypto-tool).
import hashlib
import io
import os
import struct

from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes

from compound import compound_file

here = os.path.dirname(os.path.abspath(__file__))
PASSWORD = "secret"


def aes_ecb(key, data):
    enc = Cipher(algorithms.AES(key), modes.ECB()).encryptor()
    return enc.update(data) + enc.finalize()


def standard_key(password, salt):
    h = hashlib.sha1(salt + password.encode("utf-16-le")).digest()
    for i in range(50000):
        h = hashlib.sha1(struct.pack("<I", i) + h).digest()
    h = hashlib.sha1(h + struct.pack("<I", 0)).digest()
    x1 = hashlib.sha1(bytes(b ^ 0x36 for b in h.ljust(64, b"\0")[:20]) + b"\x36" * 44).digest()
    x2 = hashlib.sha1(bytes(b ^ 0x5C for b in h.ljust(64, b"\0")[:20]) + b"\x5c" * 44).digest()
    return (x1 + x2)[:16]


def encrypt(package):
    salt = bytes(range(16))
    verifier = bytes(range(100, 116))
    key = standard_key(PASSWORD, salt)
    csp = "Microsoft Enhanced RSA and AES Cryptographic Provider\0".encode("utf-16-le")
    header = struct.pack("<IIIIIIII", 0x24, 0, 0x660E, 0x8004, 128, 0x18, 0, 0) + csp
    verifier_hash = hashlib.sha1(verifier).digest().ljust(32, b"\0")
    info = struct.pack("<HHI", 3, 2, 0x24) + struct.pack("<I", len(header)) + header
    info += struct.pack("<I", 16) + salt + aes_ecb(key, verifier) + struct.pack("<I", 20) + aes_ecb(key, verifier_hash)
    padded = package + b"\0" * (-len(package) % 16)
    return info, struct.pack("<Q", len(package)) + aes_ecb(key, padded)


with open(os.path.join(here, "openpyxl.xlsx"), "rb") as f:
    plain = f.read()
info, package = encrypt(plain)
data = compound_file([("EncryptionInfo", info), ("EncryptedPackage", package)])
with open(os.path.join(here, "encrypted.xlsx"), "wb") as f:
    f.write(data)

import msoffcrypto  # noqa: E402  (only to prove the file is what it claims to be)

office = msoffcrypto.OfficeFile(io.BytesIO(data))
office.load_key(password=PASSWORD)
out = io.BytesIO()
office.decrypt(out)
assert out.getvalue() == plain, "decrypted package differs"
print("encrypted.xlsx written and checked")
