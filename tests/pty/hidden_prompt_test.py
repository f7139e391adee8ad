#!/usr/bin/env python3
"""The hidden Password: prompt: every key that gives it up (Ctrl-C, Ctrl-\\,
Ctrl-Z) gives the terminal back as it was, and what was typed of the
password is dropped, never shown or kept.

Usage: hidden_prompt_test.py PATH_TO_PELK [unittest arguments]
"""

import os
import select
import sys
import tempfile
import termios
import time
import unittest

from terminal import (CTRL_BACKSLASH, CTRL_C, CTRL_Z, ENTER, PROMPT, TIMEOUT,
                      Terminal)

PELK = None  # set from the command line

SELECT = b"SELECT MANAGER 127.0.0.1 USERNAME=u"
GIVEN_UP = ("\nError: Password must be specified on SELECT MANAGER"
            "\nError: Command interrupted")
KEYS = [("Ctrl-C", CTRL_C), ("Ctrl-\\", CTRL_BACKSLASH), ("Ctrl-Z", CTRL_Z)]


def local_flags(terminal):
    return termios.tcgetattr(terminal.master)[3]


def wait_for_hidden_input(terminal):
    """Waits until the prompt has switched echo off. The terminal is told
    to keep its input on an interruption (NOFLSH), as a user's may be, so
    that only PELK can drop what was typed."""
    terminal.expect("\nPassword: ")
    deadline = time.monotonic() + TIMEOUT
    while local_flags(terminal) & termios.ECHO:
        if time.monotonic() >= deadline:
            raise AssertionError("the password would be shown")
        select.select([], [], [], 0.001)
    attributes = termios.tcgetattr(terminal.master)
    attributes[3] |= termios.NOFLSH
    termios.tcsetattr(terminal.master, termios.TCSANOW, attributes)


class HiddenPromptTest(unittest.TestCase):

    def setUp(self):
        self.home = tempfile.TemporaryDirectory()
        self.terminals = []

    def tearDown(self):
        for terminal in self.terminals:
            terminal.stop()
        self.home.cleanup()

    def start(self, arguments=()):
        terminal = Terminal(PELK, self.home.name, arguments=arguments)
        self.terminals.append(terminal)
        return terminal

    def test_a_key_that_gives_up_the_answer_is_ctrl_c_at_the_prompt(self):
        for name, key in KEYS:
            with self.subTest(key=name):
                terminal = self.start()
                terminal.expect_prompt()
                terminal.send(SELECT + ENTER)
                wait_for_hidden_input(terminal)
                terminal.send(b"s3cr" + key)
                terminal.expect(GIVEN_UP)
                terminal.expect_prompt()
                # The next line is only what is typed after it.
                terminal.send(b"SHOW OPTIONS" + ENTER)
                terminal.expect("SHOW OPTIONS\n\nOptions:")
                terminal.expect_prompt()
                terminal.send(b"EXIT" + ENTER)
                self.assertEqual(0, terminal.finish())
                self.assertNotIn("s3cr", terminal.output)
                with open(os.path.join(self.home.name,
                                       ".pelk_history")) as history:
                    self.assertNotIn("s3cr", history.read())

    def test_the_terminal_echoes_again_after_a_session_given_up(self):
        # Without the line editor, the terminal is left as the prompt
        # leaves it. Out of the prompt, the keys end the session as Ctrl-C
        # ends one run from arguments.
        for name, key in KEYS:
            with self.subTest(key=name):
                terminal = self.start([SELECT.decode(), "SHOW OPTIONS"])
                wait_for_hidden_input(terminal)
                terminal.send(key)
                terminal.expect("\nError: Session ended by signal 2")
                self.assertEqual(128 + 2, terminal.finish())
                self.assertTrue(local_flags(terminal) & termios.ECHO)
                self.assertNotIn("Options:", terminal.output)


if __name__ == "__main__":
    PELK = os.path.abspath(sys.argv[1])
    unittest.main(argv=[sys.argv[0]] + sys.argv[2:])
