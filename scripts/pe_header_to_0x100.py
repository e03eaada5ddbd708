#!/usr/bin/env python3
"""Moves the PE header of an image to file offset 0x100.

The package reader recognises a stub image by "PE" at 0x100 (it does not follow
the DOS header), and it keeps the package end in the DOS stub area at 0xF8..0xFF.
GNU ld puts the PE header at 0x80, so after linking the PE signature, file header,
optional header and section table are moved, e_lfanew is updated and the bytes
they leave are zeroed. Fails when the moved headers would run into section data.
"""
import struct
import sys

TARGET = 0x100


def main(path):
    data = bytearray(open(path, "rb").read())
    if data[:2] != b"MZ":
        sys.exit(f"{path}: not an MZ image")
    old = struct.unpack_from("<I", data, 0x3C)[0]
    if data[old:old + 4] != b"PE\0\0":
        sys.exit(f"{path}: no PE signature at e_lfanew 0x{old:x}")
    if old == TARGET:
        return
    sections = struct.unpack_from("<H", data, old + 6)[0]
    opt_size = struct.unpack_from("<H", data, old + 20)[0]
    length = 24 + opt_size + 40 * sections
    opt = old + 24
    size_of_headers = struct.unpack_from("<I", data, opt + 60)[0]
    first_raw = min((struct.unpack_from("<I", data, old + 24 + opt_size + 40 * i + 20)[0]
                     for i in range(sections)), default=size_of_headers)
    first_raw = min([r for r in [first_raw] if r] + [size_of_headers])
    if TARGET + length > first_raw:
        sys.exit(f"{path}: headers ({length} bytes) do not fit below 0x{first_raw:x}")
    headers = bytes(data[old:old + length])
    data[old:old + length] = bytes(length)
    data[TARGET:TARGET + length] = headers
    # Whatever the DOS stub area held between the old header and 0x100 goes too:
    # 0xF8..0xFF must read as "package end: none".
    data[0x40 if old < 0x40 else old:TARGET] = bytes(TARGET - max(old, 0x40))
    struct.pack_into("<I", data, 0x3C, TARGET)
    open(path, "wb").write(data)


if __name__ == "__main__":
    main(sys.argv[1])
