#!/usr/bin/env python3
"""Checks the shipped stub image: what the package reader and the loader expect."""
import struct
import sys

path = sys.argv[1]
data = open(path, "rb").read()
errors = []
if data[:2] != b"MZ":
    errors.append("no MZ")
if struct.unpack_from("<I", data, 0x3C)[0] != 0x100 or data[0x100:0x104] != b"PE\0\0":
    errors.append("PE header is not at 0x100")
if data[0xF8:0x100] != bytes(8):
    errors.append("bytes 0xF8..0xFF are not zero (package end must read as none)")
machine = struct.unpack_from("<H", data, 0x104)[0]
if machine != 0x14C:
    errors.append(f"machine 0x{machine:x} is not i386")
subsystem = struct.unpack_from("<H", data, 0x100 + 24 + 68)[0]
if subsystem != 2:
    errors.append(f"subsystem {subsystem} is not GUI")
for needle, what in ((b"requireAdministrator", "manifest asking for administrator rights"),
                     (b"Microsoft.Windows.Common-Controls", "common controls v6 manifest")):
    if needle not in data:
        errors.append(f"no {what}")
if errors:
    sys.exit(f"{path}: " + "; ".join(errors))
print(f"{path}: ok, {len(data)} bytes ({len(data) / 1024:.1f} KiB)")
