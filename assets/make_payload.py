#!/usr/bin/env python3
"""Packs a plug-in bundle folder into the installer's zip payload.

usage: make_payload.py <bundle folder> <output zip>

The bundle folder holds one or more top-level bundle trees (for example
Velliphon.vst3/). Entries are written depth first, each folder before its
contents, siblings sorted case-insensitively, so the extractor always meets a
folder before anything inside it. Folders are stored with size 0;
desktop.ini is stored too, because Explorer reads it in place; every other
file is deflated. Permission bits are fixed rather than copied from the
checkout (which loses them on some systems): folders and plug-in modules
755, other files 644. A module is any file in a folder directly below
Contents/ other than Resources/ (Contents/x86_64-win/, x86_64-linux/, ...).
Timestamps are fixed too, so the same inputs give the same bytes.
"""
import os
import stat
import sys
import zipfile

TIMESTAMP = (2026, 1, 15, 12, 0, 0)
UNIX = 3
MSDOS_DIRECTORY = 0x10


def entry(name, mode, compress_type):
    info = zipfile.ZipInfo(name, TIMESTAMP)
    info.create_system = UNIX
    info.compress_type = compress_type
    info.external_attr = mode << 16
    if stat.S_ISDIR(mode):
        info.external_attr |= MSDOS_DIRECTORY
    return info


def is_module(parts):
    return len(parts) >= 4 and parts[-3] == "Contents" and parts[-2] != "Resources"


def walk(folder, prefix):
    """Yields (archive name, path or None for folders) in archive order."""
    for name in sorted(os.listdir(folder), key=lambda n: (n.lower(), n)):
        path = os.path.join(folder, name)
        if os.path.isdir(path):
            yield prefix + name + "/", None
            yield from walk(path, prefix + name + "/")
        else:
            yield prefix + name, path


def main(bundle, output):
    with zipfile.ZipFile(output + ".tmp", "w") as archive:
        for name, path in walk(bundle, ""):
            if path is None:
                archive.writestr(entry(name, stat.S_IFDIR | 0o755, zipfile.ZIP_STORED), b"")
                continue
            with open(path, "rb") as f:
                data = f.read()
            parts = name.split("/")
            mode = 0o755 if is_module(parts) else 0o644
            method = zipfile.ZIP_STORED if parts[-1].lower() == "desktop.ini" else zipfile.ZIP_DEFLATED
            archive.writestr(entry(name, stat.S_IFREG | mode, method), data, compresslevel=9)
    os.replace(output + ".tmp", output)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__.splitlines()[2])
    main(sys.argv[1], sys.argv[2])
