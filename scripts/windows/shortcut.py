#!/usr/bin/env python3
"""Prints what a Windows shortcut (.lnk, [MS-SHLLINK]) starts, one item a line:
the target's path, its working directory and its arguments.

Usage: shortcut.py FILE.lnk
"""
import struct
import sys

HAS_ID_LIST, HAS_LINK_INFO, HAS_NAME, HAS_RELATIVE_PATH = 0x1, 0x2, 0x4, 0x8
HAS_WORKING_DIR, HAS_ARGUMENTS, HAS_ICON_LOCATION, IS_UNICODE = 0x10, 0x20, 0x40, 0x80


def c_string(data, offset):
    return data[offset:data.index(b"\0", offset)].decode("latin-1")


def main(path):
    data = open(path, "rb").read()
    header_size, = struct.unpack_from("<I", data, 0)
    if header_size != 0x4C:
        sys.exit(f"{path}: not a shortcut")
    flags, = struct.unpack_from("<I", data, 0x14)
    pos = header_size
    if flags & HAS_ID_LIST:
        size, = struct.unpack_from("<H", data, pos)
        pos += 2 + size
    target = ""
    if flags & HAS_LINK_INFO:
        size, _, info_flags, _, base_offset, _, suffix_offset = struct.unpack_from("<7I", data, pos)
        if info_flags & 1:  # VolumeIDAndLocalBasePath
            target = c_string(data, pos + base_offset) + c_string(data, pos + suffix_offset)
        pos += size
    strings = {}
    for flag, name in ((HAS_NAME, "name"), (HAS_RELATIVE_PATH, "relative"), (HAS_WORKING_DIR, "dir"),
                       (HAS_ARGUMENTS, "arguments"), (HAS_ICON_LOCATION, "icon")):
        if flags & flag:
            count, = struct.unpack_from("<H", data, pos)
            pos += 2
            width = 2 if flags & IS_UNICODE else 1
            raw = data[pos:pos + count * width]
            strings[name] = raw.decode("utf-16-le" if width == 2 else "latin-1").rstrip("\0")
            pos += count * width
    print(target or strings.get("relative", ""))
    print(strings.get("dir", ""))
    print(strings.get("arguments", ""))


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
