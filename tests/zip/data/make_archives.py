#!/usr/bin/env python3
"""Writes the archives that other tools produce, for the extraction tests.

usage: make_archives.py   (run in this folder; needs Info-ZIP zip)

tree/ holds the files the archives are made of; the tests compare every
extracted file with it byte for byte. Outputs:
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


def make_tree():
    tree = os.path.join(HERE, "tree")
    shutil.rmtree(tree, ignore_errors=True)
    os.makedirs(os.path.join(tree, "docs", "deeper"))
    os.makedirs(os.path.join(tree, "empty-folder"))
    rng = random.Random(2024)
    lines = "".join(f"line {i}: the quick brown fox\n" for i in range(2000))
    files = {
        "readme.txt": lines,
        "docs/notes.md": "# Notes\n\nShort.\n",
        "docs/deeper/data.bin": bytes(rng.getrandbits(8) for _ in range(20000)),
        "empty.txt": "",
        "name with spaces.txt": "spaces\n",
    }
    for name, data in files.items():
        mode = "wb" if isinstance(data, bytes) else "w"
        with open(os.path.join(tree, name), mode) as f:
            f.write(data)
    return tree


def run(command, output, stdin=None):
    with open(os.path.join(HERE, output), "wb") as out:
        zipper = subprocess.Popen(command, cwd=HERE, stdin=stdin, stdout=subprocess.PIPE)
        # A pipe cannot seek, so zip writes data descriptors after each entry.
        shutil.copyfileobj(zipper.stdout, out)
        if zipper.wait() != 0:
            raise SystemExit(f"{command} failed")


def main():
    tree = make_tree()
    for name in ("infozip.zip", "infozip-streamed.zip", "infozip-stdin.zip", "python-zip64.zip"):
        if os.path.exists(os.path.join(HERE, name)):
            os.remove(os.path.join(HERE, name))
    subprocess.run(["zip", "-q", "-r", "-n", ".bin", "infozip.zip", "tree"], cwd=HERE, check=True)
    run(["zip", "-q", "-r", "-", "tree"], "infozip-streamed.zip")
    with open(os.path.join(tree, "readme.txt"), "rb") as stdin:
        run(["zip", "-q", "-", "-"], "infozip-stdin.zip", stdin)
    with zipfile.ZipFile(os.path.join(HERE, "python-zip64.zip"), "w", zipfile.ZIP_DEFLATED) as archive:
        for folder, subfolders, names in sorted(os.walk(tree)):
            subfolders.sort()
            relative = os.path.relpath(folder, HERE)
            archive.write(folder, relative + "/")
            for name in sorted(names):
                with open(os.path.join(folder, name), "rb") as f, \
                        archive.open(f"{relative}/{name}", "w", force_zip64=True) as entry:
                    entry.write(f.read())


if __name__ == "__main__":
    main()
