#!/usr/bin/env python3
"""The include check on small made-up trees: each tree either passes or fails
with the include or circle named."""

import os
import subprocess
import sys
import tempfile
import unittest

CHECKER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "check_includes.py")

# A clean base that every case adds to: includes down the layers and within one.
BASE = {
    "platform/Clock.h": "",
    "core/model/Log.h": '#include "platform/Clock.h"\n',
    "core/model/Log.cpp": '#include "core/model/Log.h"\n',
    "core/io/Reader.cpp": '#include "core/model/Log.h"\n#include <vector>\n#include "ui_generated.h"\n',
    "core/analysis/Pass.cpp": '#include "core/io/Reader.h"\n',
    "core/io/Reader.h": "",
    "core/learning/Learn.cpp": '#include "core/analysis/Pass.h"\n',
    "core/analysis/Pass.h": "",
    "ui/Window.cpp": '#include "core/learning/Learn.h"\n',
    "core/learning/Learn.h": "",
    "actiongraph/model/Graph.h": '#include "core/model/Log.h"\n',
    "actiongraph/GraphWindow.cpp": '#include "actiongraph/model/Graph.h"\n#include "ui/Window.h"\n',
    "ui/Window.h": "",
    "app/main.cpp": '#include "actiongraph/GraphWindow.h"\n',
    "actiongraph/GraphWindow.h": "",
}

# (what the case shows, files added to the base, expected exit status, texts the output must name)
CASES = [
    ("the clean base", {}, 0, []),
    ("the model including the learning", {"core/model/Log.cpp": '#include "core/learning/Learn.h"\n'}, 1,
     ["core/model/Log.cpp:1", "core/learning/Learn.h"]),
    ("the core including a window", {"core/io/Reader.h": '#pragma once\n#include "ui/Window.h"\n'}, 1,
     ["core/io/Reader.h:2", "ui/Window.h"]),
    ("the readers including the learning", {"core/io/Reader.cpp": '#include "core/learning/Learn.h"\n'}, 1,
     ["core/io/Reader.cpp:1"]),
    ("a graph model including its window", {"actiongraph/model/Graph.cpp": '#include "actiongraph/GraphWindow.h"\n'}, 1,
     ["actiongraph/model/Graph.cpp:1", "actiongraph/GraphWindow.h"]),
    ("an include relative to the file's folder",
     {"core/model/Log.cpp": '#include "../learning/Learn.h"\n'}, 1, ["core/learning/Learn.h"]),
    ("a folder with no place in the core", {"core/misc/Thing.h": ""}, 1, ["core/misc"]),
    ("two sources of one layer needing each other's headers",
     {"core/io/Writer.h": "", "core/io/Writer.cpp": '#include "core/io/Reader.h"\n',
      "core/io/Reader.cpp": '#include "core/io/Writer.h"\n'}, 1,
     ["circle", "core/io/Reader", "core/io/Writer"]),
    ("a circle through three layers of the core",
     {"core/model/Log.cpp": '#include "core/model/Cycle.h"\n', "core/model/Cycle.h": '#include "core/io/Reader.h"\n',
      "core/io/Reader.h": '#include "core/model/Log.h"\n'}, 1, ["circle", "core/model/Cycle"]),
    ("a class's private header", {"ui/GridParts.h": '#include "ui/Grid.h"\n', "ui/Grid.h": "",
                                   "ui/Grid.cpp": '#include "ui/GridParts.h"\n'}, 0, []),
    ("a private header with a source of its own", {"ui/GridParts.h": '#include "ui/Grid.h"\n', "ui/Grid.h": "",
                                                    "ui/GridParts.cpp": "", "ui/Grid.cpp": '#include "ui/GridParts.h"\n'},
     1, ["circle"]),
]


def make_tree(root, files):
    for path, text in files.items():
        full = os.path.join(root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w", encoding="utf-8") as f:
            f.write(text)


class CheckIncludesTest(unittest.TestCase):
    def test_cases(self):
        for name, added, status, named in CASES:
            with self.subTest(name), tempfile.TemporaryDirectory() as root:
                make_tree(root, {**BASE, **added})
                run = subprocess.run([sys.executable, CHECKER, root], capture_output=True, text=True)
                self.assertEqual(run.returncode, status, run.stdout + run.stderr)
                for text in named:
                    self.assertIn(text, run.stdout)


if __name__ == "__main__":
    unittest.main()
