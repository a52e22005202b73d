#!/usr/bin/env python3
"""Makes a deterministic tree of N files for the benchmarks.

About 10 files a folder, folders nested up to depth 6, names that mix ASCII,
spaces, "&", digits, accented and CJK letters, sparse files of 0 bytes to a
few MB, fixed times. The same N always gives the same tree.

    make_tree.py ROOT N        make the tree (ROOT must not exist)
"""
import os
import random
import sys

WORDS = ["report", "Photos", "data 2024", "R&D", "notes", "9", "10", "Ärger", "café",
         "naïve", "照片", "文档", "音乐", "項目", "backup", "Übersicht", "smörgås", "x&y",
         "a b c", "final", "draft", "年度报告", "ñandú", "Zoë"]
EXTS = [".txt", ".jpg", ".mp3", ".pdf", ".md", ".csv", "", ".tar.gz"]
FIXED_TIME = 1544261400  # 2018-12-08 09:30:00 UTC


def name(rng, serial):
    return f"{rng.choice(WORDS)} {serial}"


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    root, total = sys.argv[1], int(sys.argv[2])
    rng = random.Random(total)
    os.makedirs(root)
    folders = [(root, 0)]
    made = 0
    serial = 0
    queue = 0
    while made < total:
        if queue >= len(folders):
            # Everything is full: start another top-level folder.
            serial += 1
            path = os.path.join(root, name(rng, serial))
            os.mkdir(path)
            folders.append((path, 1))
        folder, depth = folders[queue]
        queue += 1
        for _ in range(min(rng.randint(5, 15), total - made)):
            serial += 1
            path = os.path.join(folder, name(rng, serial) + rng.choice(EXTS))
            fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o644)
            size = 0 if rng.random() < 0.1 else int(rng.paretovariate(1.2) * 1000) % 5_000_000
            if size:
                os.ftruncate(fd, size)
            os.close(fd)
            t = FIXED_TIME - rng.randint(0, 10 ** 8)
            os.utime(path, (t, t))
            made += 1
        if depth < 6:
            for _ in range(rng.randint(1, 2) if depth < 5 else 0):
                serial += 1
                path = os.path.join(folder, name(rng, serial))
                os.mkdir(path)
                folders.append((path, depth + 1))
    # Folder times last: making entries inside changed them.
    for folder, _ in reversed(folders):
        os.utime(folder, (FIXED_TIME, FIXED_TIME))
    print(f"{made} files in {len(folders)} folders under {root}")


if __name__ == "__main__":
    main()
