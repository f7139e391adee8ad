#!/usr/bin/env python3
"""Ctrl-C at a terminal: at the prompt it discards the line; while a
command runs it stops the command and every script running it, says so
once, and the session (manager, system, options) goes on at the prompt.

Usage: interrupt_test.py PATH_TO_PELK PATH_TO_PELK_SIM [unittest arguments]
"""

import os
import socket
import subprocess
import sys
import tempfile
import time
import unittest

from loopback import loopback_address
from terminal import CTRL_C, ENTER, PROMPT, TIMEOUT, Terminal

PELK = None
PELK_SIM = None

STOPPED = "\nError: Command interrupted"


class Simulator:
    """pelk-sim with the demo scenario on an address of its own."""

    def __init__(self, address, directory):
        self.address = address
        self.log = os.path.join(directory, "requests.log")
        self.process = subprocess.Popen(
            [PELK_SIM, "--demo", "--address", address, "--log", self.log],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        line = self.process.stdout.readline()
        if not line.startswith("pelk-sim listening"):
            raise AssertionError("pelk-sim did not start: %r" % line)

    def add_fault(self, spec):
        """A control request on the login port, which closes after it."""
        request = ("POST /sim/fault HTTP/1.1\r\nHost: %s:2301\r\n"
                   "Content-Length: %d\r\n\r\n%s"
                   % (self.address, len(spec), spec))
        with socket.create_connection((self.address, 2301), TIMEOUT) as s:
            s.sendall(request.encode())
            while s.recv(4096):
                pass

    def log_size(self):
        return os.path.getsize(self.log)

    def wait_for_log(self, text, since):
        """Waits until a request whose log line holds `text` was served
        after the log had `since` bytes."""
        deadline = time.monotonic() + TIMEOUT
        while time.monotonic() < deadline:
            with open(self.log) as log:
                if text in log.read()[since:]:
                    return
            time.sleep(0.01)
        raise AssertionError("the simulator never logged %r" % text)

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=TIMEOUT)
        self.process.stdout.close()


class InterruptTest(unittest.TestCase):
    addresses = (loopback_address(n) for n in range(1, 50))

    def setUp(self):
        self.directory = tempfile.TemporaryDirectory()
        self.sim = Simulator(next(self.addresses), self.directory.name)
        self.terminal = Terminal(PELK, self.directory.name,
                                 self.directory.name)
        self.terminal.expect_prompt()
        self.type("SELECT MANAGER %s USERNAME=administrator PASSWORD=admin"
                  % self.sim.address)
        self.type("SELECT SYSTEM Production", "\nProduction> ")

    def tearDown(self):
        self.terminal.stop()
        self.sim.stop()
        self.directory.cleanup()

    def type(self, line, prompt=PROMPT):
        self.terminal.send(line.encode() + ENTER)
        self.terminal.expect_prompt(prompt)

    def write(self, name, text):
        with open(os.path.join(self.directory.name, name), "w") as script:
            script.write(text)

    def files(self):
        return sorted(os.listdir(self.directory.name))

    def open_files(self):
        """The files in the directory that PELK holds open, named or not."""
        descriptors = "/proc/%d/fd" % self.terminal.process.pid
        held = []
        for descriptor in os.listdir(descriptors):
            try:
                target = os.readlink(os.path.join(descriptors, descriptor))
            except OSError:
                continue
            if target.startswith(self.directory.name + "/"):
                held.append(target)
        return held

    def interrupt_command(self):
        """Ctrl-C while a command runs: one line says so, then the
        prompt of the same system."""
        start = len(self.terminal.output)
        self.terminal.send(CTRL_C)
        self.terminal.expect(STOPPED)
        self.terminal.expect_prompt("\nProduction> ")
        self.assertEqual(1, self.terminal.output.count(STOPPED, start))

    def expect_session_intact(self):
        self.terminal.send(b"SHOW MANAGER" + ENTER)
        self.terminal.expect(
            "\nManager IP address %s:12301\nUsername: administrator, "
            "password specified\nProduction> " % self.sim.address)

    def test_ctrl_c_at_the_prompt_discards_the_line(self):
        self.terminal.send(b'SELECT SYSTEM "DR Site"')
        self.terminal.expect('SELECT SYSTEM "DR Site"')
        self.terminal.send(CTRL_C)
        self.terminal.expect_prompt("\nProduction> ")
        self.expect_session_intact()
        self.assertNotIn(STOPPED, self.terminal.output)

    def test_ctrl_c_stops_a_request_the_server_stalls(self):
        self.sim.add_fault("stall:1")
        since = self.sim.log_size()
        self.terminal.send(b"SHOW VDISK" + ENTER)
        self.sim.wait_for_log("Get Storage", since)
        self.interrupt_command()
        self.expect_session_intact()
        # The stalled connection is dropped; the next request is answered.
        self.type("SHOW SYSTEM", "\nProduction> ")
        self.assertIn("\n  DR Site\n", self.terminal.output)

    def test_ctrl_c_stops_a_pause_and_every_script_running(self):
        self.write("outer.pelk", "FILE inner.pelk\nSHOW VERSION\n")
        self.write("inner.pelk", 'SHOW OPTIONS\nSELECT SYSTEM "DR Site"\n')
        self.terminal.send(b"FILE outer.pelk" + ENTER)
        # Options are printed just before the COMMAND_DELAY pause.
        self.terminal.expect("\n    COMMAND_DELAY = 10 (seconds)")
        self.interrupt_command()
        self.assertNotIn("DR Site", self.terminal.output)
        self.assertNotIn("SHOW VERSION\n", self.terminal.output)
        self.expect_session_intact()
        self.type("SHOW OPTIONS", "\nProduction> ")
        self.assertEqual(
            2, self.terminal.output.count("COMMAND_DELAY = 10 (seconds)"))

    def test_ctrl_c_stops_a_capture_and_leaves_no_step_file(self):
        before = self.files()
        self.sim.add_fault("stall:1")
        since = self.sim.log_size()
        self.terminal.send(b"CAPTURE CONFIGURATION cap.txt" + ENTER)
        self.sim.wait_for_log("-> ok", since)
        # The first step's file is being written while the server stalls,
        # without a name until it is complete.
        self.assertTrue(self.open_files())
        self.assertEqual(before, self.files())
        self.interrupt_command()
        self.assertIn("\n    CAPTURE CONFIGURATION Step1A failed",
                      self.terminal.output)
        self.assertEqual([], self.open_files())
        self.assertEqual(before, self.files())
        self.expect_session_intact()


if __name__ == "__main__":
    PELK = os.path.abspath(sys.argv[1])
    PELK_SIM = os.path.abspath(sys.argv[2])
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:])
