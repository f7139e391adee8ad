#!/usr/bin/env python3
"""The developer scripts, run in a copy of their folders where cmake, ctest,
pelk, pelk-sim and the fuzz targets are stand-ins that record how they were
called: what the scripts build, what they say, and what they leave behind.

Usage: scripts_test.py SOURCE_DIR [unittest arguments]
"""

import os
import shutil
import stat
import subprocess
import sys
import tempfile
import unittest

SOURCE = None  # set from the command line

FUZZ_TARGETS = ("parse_fuzz", "complete_fuzz")

# Stand-ins: each records its arguments, one call per line.
CMAKE = """#!/bin/sh
echo "$*" >> "$CALLS/cmake"
while [ $# -gt 1 ]; do
  if [ "$1" = -B ]; then mkdir -p "$2"; fi
  shift
done
"""
CTEST = """#!/bin/sh
if [ "$1" = -N ]; then echo "Total Tests: 3"; exit 0; fi
echo "$(basename "$PWD") $*" >> "$CALLS/ctest"
[ "$(basename "$PWD")" != "${FAIL_IN:-}" ]
"""
PELK_SIM = """#!/bin/sh
echo "pelk-sim listening on $2"
exec sleep 60
"""
PELK = """#!/bin/sh
printf '\\nProduction> %s\\n' "$@"
"""
# A fuzz target that finds a crash when its name is in $CRASHING.
FUZZ_TARGET = """#!/bin/sh
for argument; do
  case $argument in -artifact_prefix=*) prefix=${argument#*=} ;; esac
done
case " ${CRASHING:-} " in
  *" $(basename "$0") "*) echo crash > "${prefix}crash-1"; exit 1 ;;
esac
"""


def write_program(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as program:
        program.write(text)
    os.chmod(path, stat.S_IRWXU)


class ScriptsTest(unittest.TestCase):

    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        root = self.scratch.name
        self.tree = os.path.join(root, "tree")
        self.calls = os.path.join(root, "calls")
        self.temporary = os.path.join(root, "tmp")
        stubs = os.path.join(root, "bin")
        for folder in (self.calls, self.temporary):
            os.makedirs(folder)
        for script in ("scripts/demo", "scripts/test", "scripts/build",
                       "fuzz/run"):
            os.makedirs(os.path.dirname(os.path.join(self.tree, script)),
                        exist_ok=True)
            shutil.copy(os.path.join(SOURCE, script),
                        os.path.join(self.tree, script))
        for script in ("scripts/install-deps", "scripts/format"):
            write_program(os.path.join(self.tree, script), "#!/bin/sh\n")
        write_program(os.path.join(stubs, "cmake"), CMAKE)
        write_program(os.path.join(stubs, "ctest"), CTEST)
        write_program(os.path.join(self.tree, "build/pelk"), PELK)
        write_program(os.path.join(self.tree, "build/pelk-sim"), PELK_SIM)
        for target in FUZZ_TARGETS:
            write_program(os.path.join(self.tree, "build-fuzz/fuzz", target),
                          FUZZ_TARGET)
        os.makedirs(os.path.join(self.tree, "fuzz/corpus/parse"))
        with open(os.path.join(self.tree, "fuzz/corpus/parse/seed"), "w") as f:
            f.write("SHOW OPTIONS\n")
        self.environment = {
            "PATH": stubs + os.pathsep + os.environ.get("PATH", ""),
            "CALLS": self.calls, "TMPDIR": self.temporary}

    def tearDown(self):
        self.scratch.cleanup()

    def run_script(self, *arguments, **environment):
        return subprocess.run(
            [os.path.join(self.tree, arguments[0])] + list(arguments[1:]),
            env=dict(self.environment, **environment),
            stdin=subprocess.DEVNULL, capture_output=True, text=True,
            timeout=60)

    def calls_of(self, program):
        path = os.path.join(self.calls, program)
        if not os.path.exists(path):
            return []
        with open(path) as calls:
            return calls.read().splitlines()

    def test_demo_builds_the_two_programs_and_says_what_to_try_next(self):
        run = self.run_script("scripts/demo", PELK_DEMO_ADDRESS="127.0.0.9")
        self.assertEqual(0, run.returncode, run.stderr)
        builds = [c for c in self.calls_of("cmake") if c.startswith("--build")]
        self.assertEqual(1, len(builds))
        self.assertTrue(builds[0].endswith("--target pelk pelk-sim"),
                        builds[0])
        self.assertIn("scripts/demo: building pelk and pelk-sim", run.stdout)
        self.assertIn("minutes", run.stdout)
        # The tour ran against the address asked for; then one line says
        # what to try next, and the output ends with a line feed.
        self.assertIn("\nProduction> FILE examples/tour.pelk\n", run.stdout)
        self.assertTrue(run.stdout.endswith("\n"))
        last = run.stdout.splitlines()[-1]
        self.assertTrue(last.startswith("scripts/demo: done. Next:"), last)
        self.assertIn("SELECT MANAGER 127.0.0.9", last)

    def test_test_ends_with_one_line_on_what_ran_and_passed(self):
        # scripts/test runs `fuzz/run 60`; the copy's fuzz/run is handed
        # only the targets that have stand-ins.
        run = os.path.join(self.tree, "fuzz/run")
        os.rename(run, run + ".all")
        write_program(run, '#!/bin/sh\nexec "$0.all" "$1" %s\n'
                      % " ".join(FUZZ_TARGETS))
        # FAIL_IN names the build folder whose tests fail.
        for fail_in, status, last in (
                ("", 0, "scripts/test: all passed: the 3 tests of the default "
                 "build, the 3 tests of the sanitizer build, the 3 tests of "
                 "the clang Release build, the fuzz targets, 60 s each, the "
                 "formatting check"),
                ("build-asan", 1, "scripts/test: FAILED in the 3 tests of the "
                 "sanitizer build (passed before it: the 3 tests of the "
                 "default build)")):
            with self.subTest(fail_in=fail_in):
                run = self.run_script("scripts/test", FAIL_IN=fail_in)
                self.assertEqual(status, run.returncode, run.stderr)
                output = run.stdout if status == 0 else run.stderr
                self.assertEqual(last, output.splitlines()[-1])
                self.assertEqual([], os.listdir(self.temporary))

    def test_fuzz_run_keeps_only_what_a_failing_target_left(self):
        run = self.run_script("fuzz/run", "1", *FUZZ_TARGETS)
        self.assertEqual(0, run.returncode, run.stderr)
        self.assertEqual([], os.listdir(self.temporary))

        run = self.run_script("fuzz/run", "1", *FUZZ_TARGETS,
                              CRASHING="complete_fuzz")
        self.assertEqual(1, run.returncode)
        [work] = os.listdir(self.temporary)
        work = os.path.join(self.temporary, work)
        self.assertEqual(["complete_fuzz"], os.listdir(work))
        self.assertEqual(["crash-1"],
                         os.listdir(os.path.join(work, "complete_fuzz/artifacts")))
        self.assertIn(work, run.stderr.splitlines()[-1])

        # A directory asked for is kept whole.
        kept = os.path.join(self.scratch.name, "kept")
        run = self.run_script("fuzz/run", "1", *FUZZ_TARGETS, FUZZ_WORK=kept)
        self.assertEqual(0, run.returncode, run.stderr)
        self.assertEqual(sorted(FUZZ_TARGETS), sorted(os.listdir(kept)))


if __name__ == "__main__":
    SOURCE = os.path.abspath(sys.argv[1])
    unittest.main(argv=[sys.argv[0]] + sys.argv[2:])
