#!/usr/bin/env python3
"""The layering check against small source trees: each row a file, what it includes and whether the check
must pass. Exits 1 naming the rows it got wrong."""
import os
import subprocess
import sys
import tempfile

CHECK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "check-layers")

# (file under src/, its include line, passes)
CASES = [
    ("gui/A.h", '#include "core/B.h"', True),
    ("gui/A.h", '#include "B.h"', True),
    ("gui/A.cpp", '#include "../core/B.h"', True),
    ("core/A.h", '#include "gui/B.h"', False),
    ("core/A.h", '#include "../gui/B.h"', False),
    ("core/A.cpp", '#include "./../widgets/B.h"', False),
    ("data/A.cpp", '#include "../../tests/B.h"', False),
    ("core/A.h", "#include <QString>", False),
    ("gui/A.h", "#include <QString>", True),
    ("gui/A.h", '#include "emfplay/Player.h"', False),
    ("emfplay/A.h", '#include "Player.h"', True),
]


def passes(path, line):
    with tempfile.TemporaryDirectory() as top:
        src = os.path.join(top, "src")
        os.makedirs(os.path.join(src, os.path.dirname(path)))
        with open(os.path.join(src, path), "w") as f:
            f.write("#pragma once\n" + line + "\n")
        return subprocess.run([sys.executable, CHECK, src], stdout=subprocess.DEVNULL).returncode == 0


def main():
    wrong = [(p, l, want) for p, l, want in CASES if passes(p, l) != want]
    for p, l, want in wrong:
        print("%s with %s: the check %s" % (p, l, "failed" if want else "passed"))
    print("%d passed, %d failed" % (len(CASES) - len(wrong), len(wrong)))
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
