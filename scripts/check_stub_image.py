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
# Every DLL the loader maps before our code runs must be one it takes from the
# system folder (a known DLL, or the side-by-side common controls); any other
# would be searched for beside the setup file first.
KNOWN = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
         "ole32.dll", "shlwapi.dll", "msvcrt.dll", "comctl32.dll", "comdlg32.dll"}


def imports(data):
    pe = 0x100
    sections = struct.unpack_from("<H", data, pe + 6)[0]
    opt_size = struct.unpack_from("<H", data, pe + 20)[0]
    opt = pe + 24
    import_rva = struct.unpack_from("<I", data, opt + 96 + 8)[0]
    table = [struct.unpack_from("<IIII", data, opt + opt_size + 40 * i + 8)
             for i in range(sections)]

    def offset(rva):
        for vsize, vaddr, rawsize, rawptr in table:
            if vaddr <= rva < vaddr + max(vsize, rawsize):
                return rawptr + rva - vaddr
        raise ValueError(f"rva 0x{rva:x} outside every section")

    names, at = [], offset(import_rva) if import_rva else None
    while at is not None:
        name_rva = struct.unpack_from("<I", data, at + 12)[0]
        if name_rva == 0:
            break
        end = data.index(b"\0", offset(name_rva))
        names.append(data[offset(name_rva):end].decode().lower())
        at += 20
    return names


if not errors:
    unknown = [n for n in imports(data) if n not in KNOWN]
    if unknown:
        errors.append("imports DLLs the loader may take from the setup file's folder: " +
                      ", ".join(unknown))
if errors:
    sys.exit(f"{path}: " + "; ".join(errors))
print(f"{path}: ok, {len(data)} bytes ({len(data) / 1024:.1f} KiB)")
