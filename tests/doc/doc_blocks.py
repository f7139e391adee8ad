"""The command blocks of the user documents: fenced blocks of Markdown and
the example blocks (.nf ... .fi) of the manual pages, each with its kind.

A block's kind comes from the block itself where it can be told, and
otherwise from a marker the documents carry just above it, invisible to
readers: `<!-- doc-test: WORDS -->` in Markdown, `.\\" doc-test: WORDS` in
a manual page. The words:

  skip REASON    not run; the reason is required
  file NAME      the text is a file the reader is told to save as NAME
  script         the lines of a PELK script
  terminal       keys typed at a terminal (blocks holding <TAB> are so
                 without a marker)
  output         what the shell block above it prints
  sim=ARGS       run against a simulator of its own, started with ARGS
  system=NAME    JSON Lines: the system selected before them
                 (default Production; "none" selects none)

A block whose kind cannot be told is an error, never skipped.
"""

import re
import shlex
from dataclasses import dataclass, field

# A prompt names no system, or one: capitals, digits, blanks, '-' and '_'
# (a shell line with a redirection is none).
PROMPT_LINE = re.compile(
    r"^(?P<name>NoSystemSelected|[A-Z0-9][A-Za-z0-9 _-]*)> (?P<typed>.*)$")
MARKDOWN_MARKER = re.compile(r"^\s*<!-- doc-test: (?P<words>.*?) -->\s*$")
MAN_MARKER = re.compile(r'^\.\\" doc-test: (?P<words>.*)$')
FENCE = re.compile(r"^(?P<indent>\s*)```(?P<info>[\w-]*)\s*$")

# Roff escapes the example blocks may hold, and what they print.
MAN_ESCAPES = {"\\-": "-", "\\\\": "\\", "\\e": "\\", "\\&": ""}


class BlockError(Exception):
    """A block the check does not know how to treat."""


@dataclass
class Block:
    document: str
    line: int          # where the block's text starts, from 1
    kind: str          # shell, transcript, terminal, json, file, script,
                       # output, skip
    text: str
    options: dict = field(default_factory=dict)

    def where(self):
        return "%s:%d" % (self.document, self.line)


MARKER_WORDS = ("skip", "file", "script", "terminal", "output", "sim",
                "system")


def _marker_options(words):
    """`skip some reason` gives {"skip": "some reason"}; `file x.json`
    {"file": "x.json"}; `sim="--demo --fault x" system=none` two keys."""
    parts = shlex.split(words)
    if not parts:
        raise BlockError("an empty doc-test marker")
    head = parts[0]
    if head in ("skip", "file"):
        return {head: " ".join(parts[1:])}
    options = {}
    for part in parts:
        key, equals, value = part.partition("=")
        if key not in MARKER_WORDS:
            raise BlockError("an unknown doc-test marker word: %r" % key)
        options[key] = value if equals else True
    return options


def _is_transcript(lines):
    return bool(lines) and (lines[0].startswith("$ ") or
                            PROMPT_LINE.match(lines[0]) is not None)


def _classify(document, line, info, text, options):
    lines = text.splitlines()
    for word in ("skip", "file", "script", "terminal", "output"):
        if word in options:
            if word in ("skip", "file") and not options[word]:
                raise BlockError("%s:%d: '%s' needs its %s" % (
                    document, line, word,
                    "reason" if word == "skip" else "file name"))
            return Block(document, line, word, text, options)
    if "<TAB>" in text:
        return Block(document, line, "terminal", text, options)
    if info == "sh":
        return Block(document, line, "shell", text, options)
    if info == "json" and lines and all(
            l.startswith('{"command":') for l in lines):
        return Block(document, line, "json", text, options)
    if info in ("text", "man") and _is_transcript(lines):
        prompts = [l for l in lines[1:] if l.startswith("$ ")]
        if prompts:
            raise BlockError("%s:%d: one shell command per transcript" % (
                document, line))
        return Block(document, line, "transcript", text, options)
    if info == "man" and not any(PROMPT_LINE.match(l) for l in lines):
        return Block(document, line, "shell", text, options)
    raise BlockError("%s:%d: a block the check does not know how to treat "
                     "(info %r); give it a doc-test marker" % (
                         document, line, info))


def markdown_blocks(name, text):
    blocks = []
    lines = text.splitlines()
    index = 0
    while index < len(lines):
        fence = FENCE.match(lines[index])
        if not fence:
            index += 1
            continue
        indent = len(fence.group("indent"))
        options = {}
        before = index - 1
        while before >= 0 and not lines[before].strip():
            before -= 1
        if before >= 0:
            marker = MARKDOWN_MARKER.match(lines[before])
            if marker:
                options = _marker_options(marker.group("words"))
        start = index + 1
        end = start
        while end < len(lines) and lines[end].strip() != "```":
            end += 1
        if end == len(lines):
            raise BlockError("%s:%d: a fence that never closes" % (
                name, index + 1))
        body = "\n".join(l[indent:] for l in lines[start:end]) + "\n"
        blocks.append(_classify(name, start + 1, fence.group("info"), body,
                                options))
        index = end + 1
    return blocks


def _unescape_man(name, number, line):
    if line.startswith("."):
        raise BlockError("%s:%d: a request inside an example block" % (
            name, number))
    out = []
    index = 0
    while index < len(line):
        if line[index] != "\\":
            out.append(line[index])
            index += 1
            continue
        escape = line[index:index + 2]
        if escape not in MAN_ESCAPES:
            raise BlockError("%s:%d: an escape the check cannot read: %r" % (
                name, number, escape))
        out.append(MAN_ESCAPES[escape])
        index += 2
    return "".join(out)


def man_blocks(name, text):
    blocks = []
    lines = text.splitlines()
    options = {}
    index = 0
    while index < len(lines):
        marker = MAN_MARKER.match(lines[index])
        if marker:
            options = _marker_options(marker.group("words"))
        if lines[index] != ".nf":
            if not marker and lines[index] not in (".PP", ".RS"):
                options = {}
            index += 1
            continue
        start = index + 1
        end = start
        while end < len(lines) and lines[end] != ".fi":
            end += 1
        if end == len(lines):
            raise BlockError("%s:%d: .nf without .fi" % (name, index + 1))
        body = "\n".join(_unescape_man(name, number + 1, lines[number])
                         for number in range(start, end)) + "\n"
        blocks.append(_classify(name, start + 1, "man", body, options))
        options = {}
        index = end + 1
    return blocks
