#!/usr/bin/env python3
"""The include check itself: on a small tree of its own it lets the layers'
arrows through and names every include that goes against them, their
inner order or the rule on the system's headers."""
import pathlib
import sys
import tempfile
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import include_layers  # noqa: E402

# Every header the cases include exists in the tree.
HEADERS = ("platform/files.h", "session/session.h", "session/output.h",
           "session/fatal_stop.h", "session/tracked_memory.h",
           "session/result_recorder.h", "request/display.h",
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
    ("src/session/session.cc", "request/display.h",
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
    # The session core's own order.
    ("src/session/tracked_memory.cc", "session/fatal_stop.h", None),
    ("src/session/fatal_stop.cc", "session/result_recorder.h", None),
    ("src/session/result_recorder.h", "session/session.h", None),
    ("src/session/tracked_memory.cc", "session/result_recorder.h",
     "in src/session, tracked memory includes results, a tier above it"),
    ("src/session/output.cc", "session/tracked_memory.h",
     "output includes tracked memory, a tier above it"),
    ("src/session/novel.cc", "session/output.h",
     "a file of no tier of src/session"),
    # Operating-system and processor headers.
    ("src/platform/files.cc", "<unistd.h>", None),
    ("src/platform/byte_scan.h", "<emmintrin.h>", None),
    ("src/request/show.cc", "<strings.h>", None),
    ("sim/server.cc", "<sys/socket.h>", None),
    ("src/request/show.cc", "<unistd.h>",
     "an operating-system header outside src/platform"),
    ("src/session/output.cc", "<sys/stat.h>",
     "an operating-system header outside src/platform"),
    ("src/client/login.cc", "<netinet/in.h>",
     "an operating-system header outside src/platform"),
    ("src/shell/main.cc", "<csignal>",
     "an operating-system header outside src/platform"),
    ("src/request/show.cc", "<emmintrin.h>",
     "a processor-feature header outside src/platform/byte_scan.h"),
    ("src/platform/files.cc", "<arm_neon.h>",
     "a processor-feature header outside src/platform/byte_scan.h"),
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
                spelled = include if include.startswith("<") else f'"{include}"'
                (root / source).write_text(f"#include {spelled}\n")
                found = include_layers.problems(root)
                if report is None:
                    self.assertEqual(found, [])
                else:
                    self.assertEqual(len(found), 1, found)
                    self.assertIn(report, found[0])


if __name__ == "__main__":
    unittest.main()
