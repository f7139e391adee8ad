#!/usr/bin/env python3
"""TAB completion of object names at a terminal: PELK on a pseudo-terminal
against pelk-sim's demo, and against a manager that takes the connection
and never answers. The addresses are the test's own, the ports the real ones.

Usage: names_test.py PATH_TO_PELK PATH_TO_PELK_SIM [unittest arguments]
"""

import os
import socket
import subprocess
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True  # no cache files beside the sources
from loopback import loopback_address  # noqa: E402
from prompt_test import OPTIONS  # noqa: E402
from terminal import (BANNER, CTRL_D, CTRL_U, END_OF_INPUT, ENTER, TAB,  # noqa: E402
                      Terminal)

PELK = None  # set from the command line
PELK_SIM = None  # set from the command line
DEMO = loopback_address(101)
SILENT = loopback_address(102)
PRODUCTION = "\nProduction> "


class NameCompletionTest(unittest.TestCase):
    """Names come from the manager's lists: the session has looked up no
    virtual disk or host when TAB is pressed."""

    @classmethod
    def setUpClass(cls):
        cls.sim = subprocess.Popen(
            [PELK_SIM, "--demo", "--address", DEMO],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        line = cls.sim.stdout.readline()
        if "listening" not in line:
            cls.sim.kill()
            raise RuntimeError("pelk-sim did not start: %r" % line)

    @classmethod
    def tearDownClass(cls):
        cls.sim.terminate()
        cls.sim.wait()

    def setUp(self):
        self.home = tempfile.TemporaryDirectory()
        self.terminal = Terminal(PELK, self.home.name, self.home.name)
        self.terminal.expect(BANNER)
        self.terminal.expect_prompt()
        for line in (b"SELECT MANAGER " + DEMO.encode() +
                     b" USERNAME=administrator PASSWORD=admin",
                     b"SELECT SYSTEM Production"):
            self.terminal.send(line + ENTER)
        self.terminal.expect_prompt(PRODUCTION)

    def tearDown(self):
        self.terminal.stop()
        self.home.cleanup()

    def end(self):
        """Ends the session and returns the lines of its history file after
        SELECT SYSTEM (the SELECT MANAGER line holds a password)."""
        self.terminal.send(CTRL_D)
        self.terminal.expect(END_OF_INPUT)
        self.assertEqual(0, self.terminal.finish())
        with open(os.path.join(self.home.name, ".pelk_history")) as history:
            return history.read().splitlines()[1:]

    def test_each_component_inside_quotes_and_the_quote_closed(self):
        t = self.terminal
        # A second TAB lists what may follow; the line is drawn again with
        # what the first one completed.
        t.send(b'SHOW VDISK "\\Virtual Disks\\Fi' + TAB + TAB)
        t.expect("\nledger\\   reports\\\n")
        t.expect('Production> SHOW VDISK "\\Virtual Disks\\Finance\\')
        t.send(b"l" + TAB + TAB)
        t.expect("\nACTIVE   nightly\n")
        t.expect('Production> SHOW VDISK "\\Virtual Disks\\Finance\\ledger\\')
        t.send(b"A" + TAB + ENTER)
        t.expect("\n\\Virtual Disks\\Finance\\ledger\\ACTIVE information:")
        t.expect_prompt(PRODUCTION)
        self.assertEqual(
            ['SHOW VDISK "\\Virtual Disks\\Finance\\ledger\\ACTIVE"'],
            self.end())

    def test_names_typed_without_quotes(self):
        t = self.terminal
        # A plain name stays plain; a name with a blank gets its quotes.
        t.send(b"SHOW HOST \\Ho" + TAB + TAB)
        t.expect("\nExchange  Unix\\     Backup\n")
        t.send(b"U" + TAB + b"w" + TAB + ENTER)
        t.expect("\n\\Hosts\\Unix\\web01 information:")
        t.expect_prompt(PRODUCTION)
        t.send(b"SHOW VDISK \\V" + TAB + b"sc" + TAB + TAB + ENTER)
        t.expect("\n\\Virtual Disks\\scratch\\ACTIVE information:")
        t.expect_prompt(PRODUCTION)
        t.send(b"SHOW DISK_GROUP \\D" + TAB + b"De" + TAB + ENTER)
        t.expect("\n\\Disk Groups\\Default Disk Group information:")
        t.expect_prompt(PRODUCTION)
        self.assertEqual(
            ["SHOW HOST \\Hosts\\Unix\\web01",
             'SHOW VDISK "\\Virtual Disks\\scratch\\ACTIVE"',
             'SHOW DISK_GROUP "\\Disk Groups\\Default Disk Group"'],
            self.end())

    def test_with_a_name_that_needs_quotes_the_common_part_is_quoted(self):
        t = self.terminal
        t.send(b'ADD HOST "\\Hosts\\Unix\\web 02"' + ENTER)
        t.expect_prompt(PRODUCTION)
        try:
            t.send(b"SHOW HOST \\Hosts\\Unix\\w" + TAB + TAB)
            t.expect("\nweb01   web 02\n")
            t.expect('Production> SHOW HOST "\\Hosts\\Unix\\web')
            t.send(b" " + TAB + ENTER)
            t.expect("\n\\Hosts\\Unix\\web 02 information:")
            t.expect_prompt(PRODUCTION)
        finally:
            t.send(CTRL_U + b'DELETE HOST "\\Hosts\\Unix\\web 02"' + ENTER)
            t.expect_prompt(PRODUCTION)
        self.assertIn('SHOW HOST "\\Hosts\\Unix\\web 02"', self.end())


class SilentManagerTest(unittest.TestCase):

    def test_completion_gives_up_quietly_once_per_line(self):
        with tempfile.TemporaryDirectory() as home, \
                socket.socket() as listener:
            # Connections wait in the backlog: taken, never answered.
            listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
            listener.bind((SILENT, 12301))
            listener.listen(8)
            t = Terminal(PELK, home, home)
            try:
                t.expect(BANNER)
                t.expect_prompt()
                t.send(b"SELECT MANAGER " + SILENT.encode() +
                       b" USERNAME=u PASSWORD=p" + ENTER)
                t.expect_prompt()
                t.send(b"SELECT SYSTEM P" + TAB)
                t.expect("\a")
                t.send(TAB)
                t.expect("\a")
                t.send(CTRL_U + b"SHOW OPTIONS" + ENTER)
                t.expect(OPTIONS)
                t.expect_prompt()
                self.assertNotIn("Error", t.output)
            finally:
                t.stop()
            listener.setblocking(False)
            asked = 0
            while True:
                try:
                    listener.accept()[0].close()
                except BlockingIOError:
                    break
                asked += 1
            self.assertEqual(1, asked)


if __name__ == "__main__":
    PELK = os.path.abspath(sys.argv[1])
    PELK_SIM = os.path.abspath(sys.argv[2])
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:])
