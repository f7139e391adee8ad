#!/usr/bin/env python3
"""Every command the user documents show runs, and prints what they show.

The blocks of README.md, doc/*.md and the manual pages' example blocks are
taken from the documents mechanically (doc_blocks.py) and run in document
order, each document in a scratch directory of its own (doc_session.py),
against pelk-sim on this process's loopback block standing in for the
documents' 127.0.0.x:

  shell       each command runs in one bash per document; a command that
              fails (the ERR trap, pipefail) fails the check
  transcript  `$ command` and its output, or a session at a prompt: the
              lines typed are fed to PELK's standard input, and what it
              prints, with the typed lines put back after their prompts as a
              terminal shows them, must read as the block does; `...` stands
              for any lines. A session that starts at a prompt is first
              given the demo manager and the system its prompt names
  terminal    keys typed at a pseudo-terminal (tests/pty/terminal.py): the
              listings must appear as shown, and a prompt line without keys
              is the line as the editor draws it again
  json        the command lines of JSON Lines output run through
              `pelk --json` after SELECT MANAGER and SELECT SYSTEM; each
              object must equal the one shown
  output      what the shell block before it printed must read as shown
  script      the lines run as a PELK script; each must succeed
  file        saved under its name for the blocks after it
  skip        not run, for the reason the marker gives

Dates and the seconds of SHOW TIME change from run to run and are
compared as "a date". The examples (examples/*.pelk) run as scripts/demo
runs its tour: only the lines a comment marks as failing on purpose fail.

Usage: doc_test.py SOURCE_DIR PELK PELK_SIM [--only DOCUMENT]
                   [unittest arguments]
"""

import glob
import json
import os
import re
import shlex
import sys
import unittest

sys.dont_write_bytecode = True  # no cache files beside the sources
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                "..", "pty"))
from doc_blocks import (PROMPT_LINE, BlockError, markdown_blocks,  # noqa: E402
                        man_blocks)
from doc_session import DEMO, LOGIN, DocumentSession, local  # noqa: E402
from terminal import (BANNER, CTRL_D, CTRL_U, END_OF_INPUT,  # noqa: E402
                      ENTER, TAB, Terminal)

SOURCE = PELK = PELK_SIM = None  # set from the command line
# Documents checked by a test of their own: doc/ansible.md runs Ansible,
# which the collection's tests (doc.ansible beside them) need anyway.
SEPARATE = ("doc/ansible.md",)
ONLY = None  # --only DOCUMENT: that document alone
FIXTURES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "files")

DATE = re.compile(r"[A-Z][a-z]{2} [A-Z][a-z]{2} [ \d]\d \d\d:\d\d:\d\d \d{4}")
ESCAPE = re.compile(r"\x1b\[[0-9;]*[A-Za-z]|\r")
STARTS_SIMULATOR = re.compile(r"^\s*(\S*/)?pelk-sim\b", re.MULTILINE)
CLEAR = "\x1b[2J"
CTRL_L = b"\x0c"
SELECT_MANAGER = "SELECT MANAGER %s %s" % (DEMO, LOGIN)


def documents():
    if ONLY is not None:
        return [ONLY]
    return ["README.md"] + sorted(
        name for name in (
            os.path.relpath(path, SOURCE)
            for pattern in ("doc/*.md", "doc/*.1")
            for path in glob.glob(os.path.join(SOURCE, pattern)))
        if name not in SEPARATE)


def blocks_of(name):
    with open(os.path.join(SOURCE, name)) as file:
        text = file.read()
    if name.endswith(".md"):
        return markdown_blocks(name, text)
    return man_blocks(name, text)


def comparable(line):
    return DATE.sub("<date>", line.rstrip())


def normalized(value):
    """A JSON value with its dates made comparable."""
    if isinstance(value, str):
        return DATE.sub("<date>", value)
    if isinstance(value, list):
        return [normalized(item) for item in value]
    if isinstance(value, dict):
        return {key: 0 if key == "epoch_seconds" else normalized(item)
                for key, item in value.items()}
    return value


def lines_of(text):
    """The lines of a text as compared: without trailing blanks, dates
    made comparable, and no empty lines at the end."""
    lines = [comparable(line) for line in text.split("\n")]
    while lines and not lines[-1]:
        lines.pop()
    return lines


def typed_lines(lines):
    return [(m.group("name"), m.group("typed")) for m in map(
        PROMPT_LINE.match, lines) if m]


def with_typed_lines(output, typed):
    """The output of PELK reading from a pipe, as a terminal shows it:
    each prompt that waited for a line followed by that line. A prompt that
    waits is one the output does not go on after (every answer starts on
    a new line), which tells it from the echo of script lines. Returns
    the text and, for each typed line, the offset of its prompt."""
    pieces, offsets, position, length = [], [], 0, 0

    def waits(found, prompt):
        after = found + len(prompt)
        return ((found == 0 or output[found - 1] == "\n") and
                output[after:after + 1] in ("", "\n"))

    for name, text in typed:
        prompt = name + "> "
        found = output.find(prompt, position)
        while found >= 0 and not waits(found, prompt):
            found = output.find(prompt, found + 1)
        if found < 0:
            raise AssertionError("the prompt %r for %r never came in:\n%s" % (
                prompt, text, output))
        end = found + len(prompt)
        pieces.append(output[position:end])
        length += end - position
        offsets.append(length - len(prompt))
        pieces.append(text + "\n")
        length += len(text) + 1
        position = end
    pieces.append(output[position:])
    return "".join(pieces), offsets


def match_lines(shown, actual, accept):
    """Whether `shown` reads as `actual` from its first line, `...`
    standing for any lines, and accept(index after the match) holds."""
    def match(i, j):
        if i == len(shown):
            return accept(j)
        if shown[i] == "...":
            return any(match(i + 1, k) for k in range(j, len(actual) + 1))
        return (j < len(actual) and shown[i] == actual[j] and
                match(i + 1, j + 1))
    return match(0, 0)


class DocumentCheck:
    """Runs the blocks of one document in order."""

    def __init__(self, test, name):
        self.test = test
        self.name = name
        self.session = DocumentSession(PELK, PELK_SIM, SOURCE, FIXTURES)
        self.skipped = []
        self.printed = None  # by the last shell block

    def run(self):
        try:
            try:
                blocks = blocks_of(self.name)
            except BlockError as error:
                self.test.fail(str(error))
            for block in blocks:
                with self.test.subTest(block=block.where()):
                    getattr(self, "check_" + block.kind)(block)
        finally:
            self.session.close()
        return self.skipped

    def fail(self, block, message):
        self.test.fail("%s: %s\n--- the block:\n%s" % (
            block.where(), message, block.text))

    def check_skip(self, block):
        self.skipped.append("%s: %s" % (block.where(), block.options["skip"]))

    def check_file(self, block):
        path = os.path.join(self.session.current_directory(),
                            block.options["file"])
        with open(path, "w") as file:
            file.write(local(block.text))

    def check_shell(self, block):
        text = local(block.text)
        if STARTS_SIMULATOR.search(text):
            self.session.stop_demo()
        else:
            self.session.ensure_demo()
        output, failures = self.session.run_shell(text)
        self.printed = output
        if failures:
            self.fail(block, "commands failed:\n  %s\n--- what they printed:"
                      "\n%s" % ("\n  ".join(failures), output))

    def check_output(self, block):
        if self.printed is None:
            self.fail(block, "no shell block before it")
        actual = lines_of(self.printed)
        if not match_lines(lines_of(local(block.text)), actual,
                           lambda index: index >= len(actual)):
            self.fail(block, "the shell block printed:\n" + self.printed)

    def pelk_lines(self, block, lines, system=None):
        """Runs `lines` through pelk --json after SELECT MANAGER (and
        SELECT SYSTEM): the objects of `lines`."""
        preamble = [SELECT_MANAGER]
        if system:
            preamble.append("SELECT SYSTEM " + system)
        _, output, _ = self.session.run(
            "pelk --json", "\n".join(preamble + lines) + "\n")
        objects = []
        for line in output.splitlines():
            try:
                objects.append(json.loads(line))
            except ValueError:
                self.fail(block, "not JSON: %r\n%s" % (line, output))
        for entry in objects[:len(preamble)]:
            if not entry["ok"]:
                self.fail(block, "the session could not start: %r" % entry)
        return objects[len(preamble):]

    def check_script(self, block):
        self.session.ensure_demo()
        lines = [line for line in local(block.text).splitlines()
                 if line.strip() and not line.startswith("!")]
        for entry in self.pelk_lines(block, lines):
            if not entry["ok"]:
                self.fail(block, "the line failed: %r" % entry)

    def script_lines(self, name):
        path = os.path.join(self.session.current_directory(), name)
        with open(path) as file:
            return [line for line in file.read().splitlines()
                    if line.strip() and not line.startswith("!")]

    def check_json(self, block):
        shown = [json.loads(line) for line in local(block.text).splitlines()]
        # A FILE line comes after the lines of its script: those run
        # through it, not on their own.
        commands = []
        for entry in shown:
            command = entry["command"]
            if command.upper().startswith("FILE "):
                ran = len(self.script_lines(command[5:].strip()))
                del commands[len(commands) - ran:]
            commands.append(command)
        simulator = None
        if "sim" in block.options:
            simulator = self.session.own_simulator(
                shlex.split(block.options["sim"]))
        else:
            self.session.ensure_demo()
        system = block.options.get("system", "Production")
        try:
            actual = self.pelk_lines(block, commands,
                                     None if system == "none" else system)
        finally:
            if simulator is not None:
                simulator.stop()
        if normalized(actual) != normalized(shown):
            self.fail(block, "pelk --json printed:\n%s" % "\n".join(
                json.dumps(entry, ensure_ascii=False) for entry in actual))

    def check_transcript(self, block):
        lines = local(block.text).splitlines()
        typed = typed_lines(lines)
        if lines[0].startswith("$ "):
            command, preamble, shown_from = lines[0][2:], [], None
        else:
            command, shown_from = "pelk", typed[0][0]
            preamble = [("NoSystemSelected", SELECT_MANAGER)]
            if shown_from != "NoSystemSelected":
                preamble.append(("NoSystemSelected",
                                 "SELECT SYSTEM " + shown_from))
        self.session.ensure_demo()
        every = preamble + typed
        _, output, _ = self.session.run(
            command + " 2>&1", "".join(text + "\n" for _, text in every))
        text, offsets = with_typed_lines(output, every)
        if shown_from is None:
            text = lines[0] + "\n" + text
        else:
            text = text[offsets[len(preamble)]:]
        actual = lines_of(text)
        shown = lines_of("\n".join(lines))
        ends_typed = PROMPT_LINE.match(lines[-1]) is not None

        def accept(index):
            # The block shows each answer whole: what follows is the next
            # prompt or the end, unless its last line is a command.
            return (ends_typed or index >= len(actual) or
                    PROMPT_LINE.match(actual[index] + " ") is not None)

        if not match_lines(shown, actual, accept):
            self.fail(block, "the session printed:\n%s" % "\n".join(actual))

    def check_terminal(self, block):
        lines = local(block.text).splitlines()
        first = typed_lines(lines)[0][0]
        self.session.ensure_demo()
        t = Terminal(PELK, self.session.home,
                     self.session.current_directory())
        try:
            t.expect(BANNER)
            t.expect_prompt()
            t.send(SELECT_MANAGER.encode() + ENTER)
            t.expect_prompt()
            if first != "NoSystemSelected":
                t.send(b"SELECT SYSTEM " + first.encode() + ENTER)
                t.expect_prompt("\n" + first + "> ")
            line, listing = "", []

            def expect_listing():
                if listing:
                    # The listing ends where the editor draws the line again.
                    t.expect("\n" + "\n".join(listing) + "\n\r")
                    listing.clear()

            for shown in lines:
                prompt = PROMPT_LINE.match(shown)
                if prompt is None:
                    listing.append(shown)
                    continue
                expect_listing()
                keys = prompt.group("typed")
                if "<TAB>" in keys or keys.endswith("?"):
                    parts = keys.split("<TAB>")
                    if line is not None and parts[0].startswith(line):
                        t.send(parts[0][len(line):].encode())
                    else:
                        t.send(CTRL_U + parts[0].encode())
                    for part in parts[1:]:
                        t.send(TAB + part.encode())
                    line = None
                    continue
                # The line as it stands: drawn again between two clears.
                t.send(CTRL_L + CTRL_L)
                t.expect(CLEAR)
                start = t.seen
                t.expect(CLEAR)
                drawn = ESCAPE.sub("", t.output[start:t.seen - len(CLEAR)])
                if drawn.rstrip() != shown.rstrip():
                    self.fail(block, "the line reads %r" % drawn)
                line = keys
            expect_listing()
            t.send(CTRL_U + CTRL_D)
            t.expect(END_OF_INPUT)
            self.test.assertEqual(0, t.finish())
        finally:
            t.stop()


class DocumentTest(unittest.TestCase):

    def test_every_block_of_every_document(self):
        skipped = []
        for name in documents():
            with self.subTest(document=name):
                skipped += DocumentCheck(self, name).run()
        # Not run, and why: printed so that nobody mistakes them for
        # checked.
        sys.stderr.write("\nBlocks not run:\n  %s\n" % "\n  ".join(skipped))


class ExampleTest(unittest.TestCase):
    """Each example runs after SELECT MANAGER of a fresh demo, as
    scripts/demo runs the tour; a line fails exactly when a comment line
    right above it says it fails on purpose."""

    def test_examples_fail_only_where_they_say(self):
        examples = glob.glob(os.path.join(SOURCE, "examples", "*.pelk"))
        for path in sorted(examples):
            with self.subTest(example=os.path.basename(path)):
                expected, comments = [], []
                with open(path) as file:
                    for line in file.read().splitlines():
                        if line.startswith("!"):
                            comments.append(line)
                        elif line.strip():
                            marked = any("fails on purpose" in comment
                                         for comment in comments)
                            expected.append((line, not marked))
                            comments = []
                session = DocumentSession(PELK, PELK_SIM, SOURCE, FIXTURES)
                try:
                    session.ensure_demo()
                    _, output, _ = session.run(
                        "pelk --json 'SET OPTIONS NOCOMMAND_DELAY' %s %s" % (
                            shlex.quote(SELECT_MANAGER),
                            shlex.quote("FILE " + path)), "")
                finally:
                    session.close()
                ran = [json.loads(line) for line in output.splitlines()]
                self.assertEqual(
                    expected, [(entry["command"], entry["ok"])
                               for entry in ran[2:-1]])


if __name__ == "__main__":
    SOURCE, PELK, PELK_SIM = (os.path.abspath(path) for path in sys.argv[1:4])
    rest = sys.argv[4:]
    if rest[:1] == ["--only"]:
        ONLY, rest = rest[1], rest[2:]
    unittest.main(argv=[sys.argv[0]] + rest)
