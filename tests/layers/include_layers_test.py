#!/usr/bin/env python3
"""The include check itself: on a small tree of its own it lets the layers'
arrows through and names every include that goes against them."""
import pathlib
import sys
import tempfile
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import include_layers  # noqa: E402

# Every header the cases include exists in the tree.
HEADERS = ("platform/files.h", "session/session.h", "request/display.h",
           "language/parser.h", "language/grammar.h", "objects/vdisk.h",
           "capture/step.h", "shell/regression.h", "shell/execute_line.h")

# (file, its include, the words of the report; None: allowed)
CASES = (
    ("src/request/show.cc", "session/session.h", None),
    ("src/shell/loop.cc", "language/grammar.h", None),
    ("src/language/grammar.cc", "objects/vdisk.h", None),
    ("src/language/grammar.cc", "shell/regression.h", None),
    ("src/request/show.cc", "shell/regression.h",
     "request includes main loop, a layer above it"),
    ("src/session/memory.cc", "request/display.h",
     "session core includes request, a layer above it"),
    ("src/language/parser.cc", "objects/vdisk.h",
     "language includes command families, a layer above it"),
    ("src/language/parser.cc", "shell/execute_line.h",
     "language includes main loop, a layer above it"),
    ("src/objects/copy.cc", "capture/step.h",
     "src/objects and src/capture share a layer"),
    ("src/request/show.cc", "request/missing.h", "not a file of a layer"),
    ("src/widgets/knob.cc", "session/session.h", "a folder of no layer"),
    ("sim/model.cc", "platform/files.h", "the simulator shares no code"),
)


class IncludeLayers(unittest.TestCase):
    def test_each_include_is_judged_by_the_table(self):
        for source, include, report in CASES:
            with self.subTest(source=source, include=include), \
                    tempfile.TemporaryDirectory() as folder:
                root = pathlib.Path(folder)
                for header in HEADERS:
                    (root / "src" / header).parent.mkdir(parents=True,
                                                         exist_ok=True)
                    (root / "src" / header).write_text("#pragma once\n")
                (root / source).parent.mkdir(parents=True, exist_ok=True)
                (root / source).write_text(f'#include "{include}"\n')
                found = include_layers.problems(root)
                if report is None:
                    self.assertEqual(found, [])
                else:
                    self.assertEqual(len(found), 1, found)
                    self.assertIn(report, found[0])


if __name__ == "__main__":
    unittest.main()
