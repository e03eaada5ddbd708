#!/usr/bin/env python3
"""Generates the two extraction benchmark payloads and their mksetup manifests.

  A: about 200 MB in 150 files: 145 text-like slices of 0.5 to 1.5 MB (base64
     of random bytes, in lines of 76 characters: compresses to about 3/4) and
     five 10 MB files of random bytes (do not compress).
  B: 2000 small files of 1 to 20 KB, nine in ten text made of words (compresses
     about 3:1), the rest random bytes.

Seeded, so every run builds the same bytes and the numbers stay comparable.

Usage: make_payloads.py --stub STUB --engine ENGINE OUT
Writes OUT/A/*, OUT/B/* and the manifests OUT/A.json, OUT/B.json (files by
absolute path; one fixed stamp, as a real setup carries).
"""
import argparse
import base64
import json
import os
import random

MB = 1000 * 1000
STAMP = "2024-05-01 12:00:00"


def text_slice(rng, size):
    # base64 of random bytes, broken into lines like a PEM or mail body.
    raw = rng.randbytes(size * 3 // 4 + 3)
    return base64.encodebytes(raw)[:size]


def words_text(rng, vocabulary, weights, size):
    out = []
    length = 0
    while length < size:
        words = rng.choices(vocabulary, cum_weights=weights, k=rng.randint(4, 14))
        line = " ".join(words) + "\r\n"
        out.append(line)
        length += len(line)
    return "".join(out).encode("ascii")[:size]


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def payload_a(folder, rng):
    os.makedirs(folder, exist_ok=True)
    names = []
    for i in range(145):
        name = "slice%03d.txt" % i
        write(os.path.join(folder, name), text_slice(rng, rng.randint(MB // 2, 3 * MB // 2)))
        names.append(name)
    for i in range(5):
        name = "random%d.bin" % i
        write(os.path.join(folder, name), rng.randbytes(10 * MB))
        names.append(name)
    return names


def payload_b(folder, rng):
    os.makedirs(folder, exist_ok=True)
    letters = "abcdefghijklmnopqrstuvwxyz"
    vocabulary = ["".join(rng.choice(letters) for _ in range(rng.randint(2, 10)))
                  for _ in range(3000)]
    # Word frequencies fall off with rank, as in natural text.
    weights = []
    total = 0.0
    for rank in range(1, len(vocabulary) + 1):
        total += 1.0 / rank
        weights.append(total)
    names = []
    for i in range(2000):
        size = rng.randint(1000, 20 * 1000)
        if i % 10 == 9:
            name = "data%04d.bin" % i
            data = rng.randbytes(size)
        else:
            name = "text%04d.txt" % i
            data = words_text(rng, vocabulary, weights, size)
        write(os.path.join(folder, name), data)
        names.append(name)
    return names


def manifest(path, stub, engine, folder, names):
    doc = {
        "stub": stub,
        "engine": {"path": engine, "stamp": STAMP},
        "files": [{"path": os.path.join(folder, n), "stamp": STAMP} for n in names],
        "options": {"project_token": "BENCH"},
    }
    with open(path, "w") as f:
        json.dump(doc, f, indent=1)
        f.write("\n")


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--stub", required=True, help="stub.exe for the manifests")
    ap.add_argument("--engine", required=True, help="the engine to package")
    ap.add_argument("--only", choices=["A", "B"], help="make one payload only")
    ap.add_argument("out", help="output folder")
    args = ap.parse_args()
    out = os.path.abspath(args.out)
    stub = os.path.abspath(args.stub)
    engine = os.path.abspath(args.engine)
    for label, make, seed in (("A", payload_a, 20240501), ("B", payload_b, 20240502)):
        if args.only and args.only != label:
            continue
        folder = os.path.join(out, label)
        names = make(folder, random.Random(seed))
        manifest(os.path.join(out, label + ".json"), stub, engine, folder, names)
        total = sum(os.path.getsize(os.path.join(folder, n)) for n in names)
        print("payload %s: %d files, %.1f MB" % (label, len(names), total / MB))


if __name__ == "__main__":
    main()
