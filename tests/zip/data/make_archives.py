#!/usr/bin/env python3
"""Writes the archives that other tools produce, for the extraction tests; tree/ holds the files they are made of,
which the tests compare every extracted file with. Run in this folder; needs Info-ZIP zip.
  infozip.zip           zip -r: deflated text, stored .bin files, folders
  infozip-streamed.zip  zip -r to a pipe: every entry with a data descriptor
  infozip-stdin.zip     zip reading standard input into the entry "-"
  python-zip64.zip      Python's zipfile with Zip64 forced on every file
"""
import os
import random
import shutil
import subprocess
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
rng = random.Random(2024)
FILES = {
    "readme.txt": "".join(f"line {i}: the quick brown fox\n" for i in range(2000)).encode(),
    "docs/notes.md": b"# Notes\n\nShort.\n",
    "docs/deeper/data.bin": bytes(rng.getrandbits(8) for _ in range(20000)),
    "empty.txt": b"",
    "name with spaces.txt": b"spaces\n",
}

if __name__ == "__main__":
    tree = os.path.join(HERE, "tree")
    shutil.rmtree(tree, ignore_errors=True)
    os.makedirs(os.path.join(tree, "empty-folder"))
    for name, data in FILES.items():
        os.makedirs(os.path.dirname(os.path.join(tree, name)), exist_ok=True)
        with open(os.path.join(tree, name), "wb") as f:
            f.write(data)
    for name in ("infozip.zip", "infozip-streamed.zip", "infozip-stdin.zip", "python-zip64.zip"):
        if os.path.exists(os.path.join(HERE, name)):
            os.remove(os.path.join(HERE, name))
    subprocess.run(["zip", "-q", "-r", "-n", ".bin", "infozip.zip", "tree"], cwd=HERE, check=True)
    for output, command, stdin in (("infozip-streamed.zip", ["zip", "-q", "-r", "-", "tree"], None),
                                   ("infozip-stdin.zip", ["zip", "-q", "-", "-"], os.path.join(tree, "readme.txt"))):
        with open(os.path.join(HERE, output), "wb") as out, open(stdin or os.devnull, "rb") as given:
            zipper = subprocess.Popen(command, cwd=HERE, stdin=given, stdout=subprocess.PIPE)
            shutil.copyfileobj(zipper.stdout, out)  # through a pipe, which zip cannot seek
            if zipper.wait():
                raise SystemExit(f"{command} failed")
    with zipfile.ZipFile(os.path.join(HERE, "python-zip64.zip"), "w", zipfile.ZIP_DEFLATED) as archive:
        for folder, subfolders, names in sorted(os.walk(tree)):
            subfolders.sort()
            relative = os.path.relpath(folder, HERE)
            archive.write(folder, relative + "/")
            for name in sorted(names):
                with open(os.path.join(folder, name), "rb") as f, \
                        archive.open(f"{relative}/{name}", "w", force_zip64=True) as entry:
                    entry.write(f.read())
