#!/usr/bin/env python3
"""Checks the built tessarim-setup.exe: its icon images are its own icon's,
not the uninstaller's, and its version block says 0.0.0.1.

  check_setup.py --windres WINDRES SETUP.exe SETUP.ico UNINSTALL.ico"""
import argparse
import struct
import subprocess
import sys
import tempfile

RT_ICON = 3
RT_VERSION = 16


def resources(windres, image):
    """[(type, data)] of the image's resources, read from windres' .res."""
    with tempfile.NamedTemporaryFile(suffix=".res") as res:
        subprocess.run([windres, "-i", image, "-O", "res", "-o", res.name], check=True)
        blob = open(res.name, "rb").read()
    found = []
    at = 0
    while at + 8 <= len(blob):
        data_size, header_size = struct.unpack_from("<II", blob, at)
        kind = None
        if struct.unpack_from("<H", blob, at + 8)[0] == 0xFFFF:
            kind = struct.unpack_from("<H", blob, at + 10)[0]
        found.append((kind, blob[at + header_size:at + header_size + data_size]))
        at += header_size + data_size
        at += (4 - at % 4) % 4
    return found


def icon_images(path):
    blob = open(path, "rb").read()
    count = struct.unpack_from("<H", blob, 4)[0]
    images = []
    for i in range(count):
        size, offset = struct.unpack_from("<II", blob, 6 + 16 * i + 8)
        images.append(blob[offset:offset + size])
    return images


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--windres", required=True)
    parser.add_argument("setup")
    parser.add_argument("icon")
    parser.add_argument("uninstall_icon")
    args = parser.parse_args()
    found = resources(args.windres, args.setup)
    failures = []

    icons = sorted(data for kind, data in found if kind == RT_ICON)
    if icons != sorted(icon_images(args.icon)):
        failures.append("the installer's icon images are not its own icon's")
    if set(icons) & set(icon_images(args.uninstall_icon)):
        failures.append("the installer shows an image of the uninstaller's icon")

    versions = [data for kind, data in found if kind == RT_VERSION]
    fixed = versions[0].find(struct.pack("<I", 0xFEEF04BD)) if versions else -1
    if fixed < 0:
        failures.append("no version block")
    else:
        file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIII", versions[0], fixed + 8)
        if (file_ms, file_ls, product_ms, product_ls) != (0, 1, 0, 1):
            failures.append("version %x.%x / %x.%x, not 0.0.0.1" % (file_ms, file_ls, product_ms, product_ls))
        if "0.0.0.1".encode("utf-16-le") not in versions[0]:
            failures.append("no FileVersion text 0.0.0.1")

    for failure in failures:
        print(failure)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
