"""Where a document's commands run: a scratch directory as the reader's
working directory, a home of their own, the files the documents take for
granted (the reader's own scripts and password file), `pelk` and
`pelk-sim` on the PATH and under build/, one shell that runs the
document's shell blocks in order (so background simulators and files stay
from one block to the next), and the demo simulator the documents'
sessions talk to.

The documents show 127.0.0.x and 10.0.0.5 (a manager of the reader's own);
here they stand for this check's loopback addresses, so it never clashes
with other tests: every text taken from a document goes through local().
"""

import os
import signal
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "pty"))
from loopback import loopback_address  # noqa: E402

# The block of this process: its addresses are as long as 127.0.0.n, so
# the widths of what the documents show stay the same.
BLOCK = loopback_address(1).rsplit(".", 1)[0] + "."
ADDRESSES = (("127.0.0.", BLOCK), ("10.0.0.5", BLOCK + "1"))
DEMO = BLOCK + "1"
LOGIN = "USERNAME=administrator PASSWORD=admin"
PASSWORD = "admin"
TIMEOUT = 120.0

# The environment variables of PELK and its client library: none of the
# reader's own settings leak into the check.
CLEARED = ("PELK_PASSWORD", "PELK_TIMEOUT", "FILE_NAME", "FILE_SIZE",
           "LOG_LEVEL", "EMCLIENTAPI_ACL_FILE")

# A simulator started in the background is waited for, as a reader waits
# for its "listening" line: PID.start is written when it starts, PID.ready
# when that line has come (or it has ended).
SIM_WRAPPER = r"""#!/bin/bash
args=("$@")
case " $* " in
  *" --address "*|*" --help "*) ;;
  *) args+=(--address %(demo)s) ;;
esac
: > "%(starting)s/$$.start"
exec "%(real)s" "${args[@]}" > >(
  while IFS= read -r line; do
    printf '%%s\n' "$line"
    [[ $line == *listening* ]] && : > "%(starting)s/$$.ready"
  done
  : > "%(starting)s/$$.ready")
"""

WAIT_FOR_SIMULATORS = r"""for _ in $(seq 400); do
  waiting=
  for start in "%(starting)s"/*.start; do
    [ -e "$start" ] && [ ! -e "${start%%.start}.ready" ] && waiting=1
  done
  [ -z "$waiting" ] && break
  sleep 0.025
done
"""

PELK_WRAPPER = "#!/bin/bash\n" + WAIT_FOR_SIMULATORS + \
    'exec "%(real)s" "$@"\n'

# After a block, each job it left in the background has either said that
# it started (a simulator) or ended, before anything else runs.
AFTER_BLOCK = r"""for job in $(jobs -p); do
  for _ in $(seq 400); do
    [ -e "%(starting)s/$job.start" ] || ! kill -0 "$job" 2>/dev/null && break
    sleep 0.025
  done
done
"""

# A job's own alert command: reaching it means the job failed.
ALERT = "#!/bin/sh\necho 'alert: the job failed' >&2\nexit 1\n"

SHELL_SETUP = """set -E -o pipefail
trap 'echo "line $LINENO: $BASH_COMMAND" >> "$DOC_FAILURES"' ERR
"""


def local(text):
    for shown, used in ADDRESSES:
        text = text.replace(shown, used)
    return text


def listening(address, port=12301):
    with socket.socket() as probe:
        probe.settimeout(1.0)
        return probe.connect_ex((address, port)) == 0


def _write(path, text, mode=0o700):
    with open(path, "w") as file:
        file.write(text)
    os.chmod(path, mode)


class Simulator:
    """A pelk-sim this check starts and stops itself."""

    def __init__(self, program, arguments, directory):
        self.process = subprocess.Popen(
            [program] + arguments + ["--address", DEMO], cwd=directory,
            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        line = self.process.stdout.readline()
        if "listening" not in line:
            self.stop()
            raise AssertionError("pelk-sim %s did not start: %r" % (
                " ".join(arguments), line))

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
        self.process.wait(timeout=TIMEOUT)
        self.process.stdout.close()


class DocumentSession:

    def __init__(self, pelk, pelk_sim, source, fixtures):
        self.pelk = pelk
        self.pelk_sim = pelk_sim
        self.scratch = tempfile.TemporaryDirectory(prefix="pelk-doc-")
        root = self.scratch.name
        self.work = os.path.join(root, "work")
        self.home = os.path.join(root, "home")
        self.bin = os.path.join(root, "bin")
        self.starting = os.path.join(root, "starting")
        self.blocks = os.path.join(root, "blocks")
        for folder in (self.work, self.home, self.bin, self.starting,
                       self.blocks, os.path.join(self.work, "build")):
            os.makedirs(folder)
        os.chmod(self.home, 0o700)
        _write(os.path.join(self.home, ".pelk-password"), PASSWORD + "\n",
               0o600)
        names = {"demo": DEMO, "starting": self.starting}
        _write(os.path.join(self.bin, "pelk"),
               PELK_WRAPPER % dict(names, real=pelk))
        _write(os.path.join(self.bin, "pelk-sim"),
               SIM_WRAPPER % dict(names, real=pelk_sim))
        _write(os.path.join(self.bin, "alert"), ALERT)
        for program in ("pelk", "pelk-sim"):
            os.symlink(os.path.join(self.bin, program),
                       os.path.join(self.work, "build", program))
        os.symlink(os.path.join(source, "examples"),
                   os.path.join(self.work, "examples"))
        self._ansible(source)
        for name in os.listdir(fixtures):
            with open(os.path.join(fixtures, name)) as file:
                _write(os.path.join(self.work, name), local(file.read()),
                       0o600)
        self.environment = {
            key: value for key, value in os.environ.items()
            if key not in CLEARED and not key.startswith("ANSIBLE_")}
        self.environment.update(
            HOME=self.home, PATH=self.bin + ":" + os.environ["PATH"],
            DOC_FAILURES=os.path.join(root, "failures"))
        self.demo = None
        self.shell = None
        self.count = 0

    def _ansible(self, source):
        """ansible/ as in the checkout: the collection itself, and a copy
        of the examples whose inventory names this check's addresses (and
        where the examples' own files are written)."""
        ansible = os.path.join(self.work, "ansible")
        os.makedirs(os.path.join(ansible, "examples"))
        os.symlink(os.path.join(source, "ansible", "ansible_collections"),
                   os.path.join(ansible, "ansible_collections"))
        examples = os.path.join(source, "ansible", "examples")
        for name in os.listdir(examples):
            path = os.path.join(examples, name)
            if os.path.isfile(path):
                with open(path) as file:
                    _write(os.path.join(ansible, "examples", name),
                           local(file.read()), os.stat(path).st_mode & 0o777)

    # The shell of the document's shell blocks.

    def _start_shell(self):
        self.shell = subprocess.Popen(
            ["bash", "--norc", "--noprofile"], stdin=subprocess.PIPE,
            cwd=self.work, env=self.environment, text=True,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        self.shell.stdin.write(SHELL_SETUP)
        self.shell.stdin.flush()

    def run_shell(self, text):
        """Runs `text` in the document's shell, standard input empty.
        Returns (output, failures): the commands that failed, with their
        lines, as the ERR trap saw them."""
        if self.shell is None:
            self._start_shell()
        self.count += 1
        base = os.path.join(self.blocks, str(self.count))
        with open(base + ".sh", "w") as file:
            file.write(text)
        failures = self.environment["DOC_FAILURES"]
        if os.path.exists(failures):
            os.remove(failures)
        self.shell.stdin.write(
            'source "%s.sh" < /dev/null > "%s.out" 2>&1\n' % (base, base) +
            AFTER_BLOCK % {"starting": self.starting} +
            'pwd > "%s.tmp"; mv "%s.tmp" "%s.pwd"\n' % (base, base, base))
        self.shell.stdin.flush()
        deadline = time.monotonic() + TIMEOUT
        while not os.path.exists(base + ".pwd"):
            if time.monotonic() > deadline or self.shell.poll() is not None:
                raise AssertionError("the block did not end:\n" +
                                     self._read(base + ".out"))
            time.sleep(0.02)
        self.directory = self._read(base + ".pwd").strip() or self.work
        found = self._read(failures) if os.path.exists(failures) else ""
        return self._read(base + ".out"), found.splitlines()

    def current_directory(self):
        return getattr(self, "directory", self.work)

    @staticmethod
    def _read(path):
        with open(path, errors="replace") as file:
            return file.read()

    def run(self, command, stdin_text):
        """One command line of bash in the current directory, with
        `stdin_text` as its input: (status, standard output, standard
        error)."""
        self.wait_for_simulators()
        done = subprocess.run(
            ["bash", "--norc", "--noprofile", "-c", command],
            input=stdin_text.encode(), cwd=self.current_directory(),
            env=self.environment, capture_output=True, timeout=TIMEOUT)
        return (done.returncode, done.stdout.decode("utf-8", "replace"),
                done.stderr.decode("utf-8", "replace"))

    # Simulators.

    def wait_for_simulators(self):
        deadline = time.monotonic() + TIMEOUT
        while any(name.endswith(".start") and not os.path.exists(
                os.path.join(self.starting, name[:-6] + ".ready"))
                for name in os.listdir(self.starting)):
            if time.monotonic() > deadline:
                raise AssertionError("a simulator of the document never "
                                     "said it was listening")
            time.sleep(0.02)

    def ensure_demo(self):
        """The demo at the documents' 127.0.0.1: the document's own when
        it started one, else this check's."""
        self.wait_for_simulators()
        if self.demo is None and not listening(DEMO):
            self.demo = Simulator(self.pelk_sim, ["--demo"], self.work)

    def stop_demo(self):
        if self.demo is not None:
            self.demo.stop()
            self.demo = None

    def own_simulator(self, arguments):
        """A simulator for one block, where the demo would be."""
        self.stop_demo()
        self.wait_for_simulators()
        if listening(DEMO):
            raise AssertionError("a block needs a simulator of its own, but "
                                 "the document's is still running")
        return Simulator(self.pelk_sim, arguments, self.current_directory())

    def close(self):
        self.stop_demo()
        if self.shell is not None:
            # The shell and what it left running in the background.
            try:
                os.killpg(self.shell.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
            self.shell.stdin.close()
            self.shell.wait(timeout=TIMEOUT)
        self.scratch.cleanup()

