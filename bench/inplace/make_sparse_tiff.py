#!/usr/bin/env python3
"""Writes a grey 8-bit TIFF of the given size in bytes whose pixel data is a hole: the header,
then the strips (never written, so the file system keeps them sparse), then the directory, as
libtiff lays files out. BigTIFF when the file passes 4 GiB.
    make_sparse_tiff.py PATH BYTES"""
import struct
import sys

ROWS_PER_STRIP = 256


def entry(big, tag, kind, count, value):
    if big:
        return struct.pack("<HHQQ", tag, kind, count, value)
    return struct.pack("<HHII", tag, kind, count, value)


def main():
    path, size = sys.argv[1], int(sys.argv[2])
    width = 32768
    height = size // width
    big = width * height > 0xFFFF0000
    header = 16 if big else 8
    data = width * height
    strips = (height + ROWS_PER_STRIP - 1) // ROWS_PER_STRIP
    offset_type, offset_size = (16, 8) if big else (4, 4)
    offsets_at = header + data
    counts_at = offsets_at + strips * offset_size
    directory_at = counts_at + strips * offset_size
    directory_at += directory_at % 2
    entries = [
        (256, 4, 1, width), (257, 4, 1, height), (258, 3, 1, 8), (259, 3, 1, 1),
        (262, 3, 1, 1), (273, offset_type, strips, offsets_at), (277, 3, 1, 1),
        (278, 4, 1, ROWS_PER_STRIP), (279, offset_type, strips, counts_at)]
    pack = "<Q" if big else "<I"
    with open(path, "wb") as out:
        out.write(b"II+\x00\x08\x00\x00\x00" + struct.pack("<Q", directory_at) if big
                  else b"II*\x00" + struct.pack("<I", directory_at))
        out.seek(offsets_at)
        for strip in range(strips):
            out.write(struct.pack(pack, header + strip * ROWS_PER_STRIP * width))
        for strip in range(strips):
            rows = min(ROWS_PER_STRIP, height - strip * ROWS_PER_STRIP)
            out.write(struct.pack(pack, rows * width))
        out.seek(directory_at)
        out.write(struct.pack("<Q" if big else "<H", len(entries)))
        for tag, kind, count, value in entries:
            out.write(entry(big, tag, kind, count, value))
        out.write(struct.pack(pack, 0))


main()
