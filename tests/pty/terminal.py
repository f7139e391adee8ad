"""PELK on a pseudo-terminal that is its controlling terminal, so Ctrl-C
typed there reaches it as SIGINT. Every wait is for expected output,
bounded by a timeout."""

import fcntl
import os
import select
import signal
import struct
import subprocess
import termios
import time

BANNER = "\n\nPELK Build 7 for tarnwick 3.2\n"
PROMPT = "\nNoSystemSelected> "
END_OF_INPUT = "\nError: Input stream error:\n       Success"
TIMEOUT = 10.0

UP = b"\x1b[A"
TAB = b"\t"
CTRL_C = b"\x03"
CTRL_BACKSLASH = b"\x1c"
CTRL_Z = b"\x1a"
CTRL_D = b"\x04"
CTRL_S = b"\x13"  # holds the terminal's output back until a signal key
CTRL_U = b"\x15"
ENTER = b"\r"


def set_window_size(descriptor, rows=24, columns=80):
    fcntl.ioctl(descriptor, termios.TIOCSWINSZ,
                struct.pack("HHHH", rows, columns, 0, 0))


def environment(home):
    return {"HOME": home, "TERM": "xterm", "PATH": os.environ.get("PATH", "")}


def take_terminal():
    """In the child, after setsid: standard input becomes the controlling
    terminal of the new session."""
    fcntl.ioctl(0, termios.TIOCSCTTY, 0)


class Terminal:
    """PELK with its standard input and output on one pseudo-terminal."""

    def __init__(self, pelk, home, directory=None, arguments=()):
        self.master, slave = os.openpty()
        set_window_size(slave)
        self.process = subprocess.Popen(
            [pelk, *arguments], stdin=slave, stdout=slave, stderr=slave,
            env=environment(home), cwd=directory, start_new_session=True,
            preexec_fn=take_terminal)
        os.close(slave)
        self.output = ""  # all output so far, with CR LF read as LF
        self.seen = 0      # how far expect() has consumed it

    def send(self, keys):
        while keys:
            keys = keys[os.write(self.master, keys):]

    def _read(self, deadline):
        ready, _, _ = select.select([self.master], [], [],
                                    max(0.0, deadline - time.monotonic()))
        if not ready:
            return False
        try:
            data = os.read(self.master, 65536)
        except OSError:  # the terminal closed: the program has ended
            data = b""
        if not data:
            return False
        self.output += data.decode("latin-1").replace("\r\n", "\n")
        return True

    def expect(self, text):
        """Waits until `text` appears after what was already expected."""
        deadline = time.monotonic() + TIMEOUT
        while True:
            found = self.output.find(text, self.seen)
            if found >= 0:
                self.seen = found + len(text)
                return
            if time.monotonic() >= deadline or not self._read(deadline):
                raise AssertionError(
                    "waited for %r\nafter: %r" % (text, self.output[self.seen:]))

    def expect_prompt(self, prompt=PROMPT):
        """Waits for the prompt and then for the editor to take the
        terminal out of line mode: it prints the prompt first, and a key
        sent in between would meet the terminal's own line editing."""
        self.expect(prompt)
        deadline = time.monotonic() + TIMEOUT
        while termios.tcgetattr(self.master)[3] & termios.ICANON:
            if time.monotonic() >= deadline:
                raise AssertionError("the terminal stayed in line mode")
            select.select([], [], [], 0.001)

    def unread_keys(self):
        """How many bytes sent are still waiting for the program to read
        them."""
        path = os.readlink("/proc/%d/fd/0" % self.process.pid)
        slave = os.open(path, os.O_RDONLY | os.O_NOCTTY | os.O_NONBLOCK)
        try:
            count = fcntl.ioctl(slave, termios.FIONREAD, b"\0" * 4)
        finally:
            os.close(slave)
        return struct.unpack("i", count)[0]

    def finish(self):
        """Reads to the end and returns the exit status."""
        deadline = time.monotonic() + TIMEOUT
        while time.monotonic() < deadline and self._read(deadline):
            pass
        return self.process.wait(timeout=TIMEOUT)

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGKILL)
            self.process.wait()
        os.close(self.master)
