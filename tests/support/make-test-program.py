#!/usr/bin/env python3
"""Writes the smallest Windows program the signature tests sign: a 64-bit
console PE whose code returns 0 at once. With --size it carries a data
section of random bytes that brings the file to about that many bytes, so
that a demonstration has something to show progress on.

    make-test-program.py [--size BYTES] OUT.exe
"""
import argparse
import os
import struct

FILE_ALIGNMENT = 0x200
SECTION_ALIGNMENT = 0x1000
CODE = bytes([0x31, 0xC0, 0xC3])  # xor eax, eax; ret


def align(value, to):
    return (value + to - 1) // to * to


def program(size):
    data = os.urandom(align(max(size - 2 * FILE_ALIGNMENT, 0), FILE_ALIGNMENT))
    sections = 2 if data else 1
    dos = bytearray(0x40)
    dos[0:2] = b"MZ"
    struct.pack_into("<I", dos, 0x3C, len(dos))
    coff = struct.pack("<HHIIIHH", 0x8664, sections, 0, 0, 0, 240, 0x0022)
    optional = struct.pack(
        "<HBBIIIIIQIIHHHHHHIIIIHHQQQQII",
        0x20B, 14, 0, FILE_ALIGNMENT, 0, 0, SECTION_ALIGNMENT, SECTION_ALIGNMENT,
        0x140000000, SECTION_ALIGNMENT, FILE_ALIGNMENT, 6, 0, 0, 0, 6, 0, 0,
        2 * SECTION_ALIGNMENT + align(len(data), SECTION_ALIGNMENT), FILE_ALIGNMENT, 0, 3, 0x8100,
        0x100000, 0x1000, 0x100000, 0x1000, 0, 16)
    optional += bytes(16 * 8)
    section = struct.pack("<8sIIIIIIHHI", b".text", len(CODE), SECTION_ALIGNMENT,
                          FILE_ALIGNMENT, FILE_ALIGNMENT, 0, 0, 0, 0, 0x60000020)
    if data:
        section += struct.pack("<8sIIIIIIHHI", b".datos", len(data), 2 * SECTION_ALIGNMENT,
                               len(data), 2 * FILE_ALIGNMENT, 0, 0, 0, 0, 0x40000040)
    headers = bytes(dos) + b"PE\0\0" + coff + optional + section
    headers += bytes(FILE_ALIGNMENT - len(headers))
    return headers + CODE + bytes(FILE_ALIGNMENT - len(CODE)) + data


parser = argparse.ArgumentParser()
parser.add_argument("--size", type=int, default=0)
parser.add_argument("out")
arguments = parser.parse_args()
with open(arguments.out, "wb") as out:
    out.write(program(arguments.size))
