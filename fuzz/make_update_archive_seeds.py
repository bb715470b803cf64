#!/usr/bin/env python3
"""Writes the seed archives of fuzz_update_archive into corpus/fuzz_update_archive.

Each seed is a small ZIP made here, shaped like what a patch server might
send, well or badly: plain and stored entries, Unix modes, names that try to
leave the unpack folder, duplicates, damage. Run it again after changing a
seed; the files are committed.
"""
import io
import os
import warnings
import zipfile

# The duplicate entry is meant.
warnings.filterwarnings("ignore", "Duplicate name")

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "fuzz_update_archive")


def archive(entries, **options):
    """entries: (name, data, unix mode or None, compression) tuples."""
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", **options) as zf:
        for name, data, mode, compression in entries:
            info = zipfile.ZipInfo(name, date_time=(2019, 2, 17, 0, 0, 0))
            info.compress_type = compression
            if mode is None:
                info.create_system = 0
                info.external_attr = 0
            else:
                info.create_system = 3
                info.external_attr = mode << 16
            zf.writestr(info, data)
    return buffer.getvalue()


D, S = zipfile.ZIP_DEFLATED, zipfile.ZIP_STORED
seeds = {
    "update": archive([("vel", b"\x7fELF new program" * 20, 0o100755, D),
                       ("data.txt", b"version 2\n", None, D)]),
    "stored": archive([("VEL.json", b"{}", None, S), ("readme", b"", None, S)]),
    "modes": archive([("tool.sh", b"#!/bin/sh\n", 0o104750, D),
                      ("link", b"/etc/passwd", 0o120777, S),
                      ("fifo", b"", 0o010644, S)]),
    "traversal": archive([("../up", b"x", None, S), ("/abs", b"x", None, S),
                          ("sub/inner", b"x", None, S), ("..\\back", b"x", None, S),
                          ("..", b"x", None, S), (".", b"x", None, S), ("dir/", b"", 0o040755, S),
                          ("ok", b"fine", None, S)]),
    "duplicates": archive([("same", b"first", None, D), ("same", b"second", None, S)]),
    "empty": archive([]),
}
damaged = bytearray(archive([("intact", b"fine", None, S), ("damaged", b"PAYLOAD-0123456789", None, S)]))
damaged[damaged.find(b"PAYLOAD") + 3] ^= 0x20
seeds["crc_damaged"] = bytes(damaged)
seeds["truncated"] = seeds["update"][: len(seeds["update"]) * 2 // 3]
encrypted = bytearray(archive([("secret", b"not really encrypted", None, S)]))
for signature, flag_offset in ((b"PK\x03\x04", 6), (b"PK\x01\x02", 8)):
    at = encrypted.find(signature)
    encrypted[at + flag_offset] |= 1
seeds["encrypted_flag"] = bytes(encrypted)
seeds["not_a_zip"] = b"PK\x03\x04 this is not an archive"

os.makedirs(OUT, exist_ok=True)
for name, data in seeds.items():
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)
