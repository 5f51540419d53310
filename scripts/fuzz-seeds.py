#!/usr/bin/env python3
"""Writes the seed corpora for the fuzz targets from the reference vectors: the settings files of
profile-read.tsv, and the CP932 byte sequences of cp932-decode.tsv (each also as a document)."""
import base64
import csv
import os
import sys

testdata, out = sys.argv[1], sys.argv[2]


def rows(name):
    with open(os.path.join(testdata, name), encoding="utf-8", newline="") as f:
        yield from csv.DictReader(f, delimiter="\t", quoting=csv.QUOTE_NONE)


def write(target, index, data):
    folder = os.path.join(out, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, f"seed-{index:04d}"), "wb") as f:
        f.write(data)


for i, row in enumerate(rows("profile-read.tsv")):
    if row["file_bytes_base64"] != "ABSENT":
        write("profile", i, base64.b64decode(row["file_bytes_base64"]))
for i, row in enumerate(rows("cp932-decode.tsv")):
    data = bytes.fromhex(row["input_hex"])
    write("cp932", i, data)
    # The document target's first byte picks the legacy page: even is CP932.
    write("document", i, b"\x00" + data + b"\r\n" + data)
for i, signature in enumerate([b"\xef\xbb\xbf", b"\xff\xfe", b"\xfe\xff", b""]):
    write("document", 1000 + i, b"\x00" + signature + "行 one\r\ntwo\nthree\r".encode(
        {b"\xff\xfe": "utf-16-le", b"\xfe\xff": "utf-16-be"}.get(signature, "utf-8")))
