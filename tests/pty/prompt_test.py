#!/usr/bin/env python3
"""PELK at a terminal: the real binary on a pseudo-terminal, driven key by
key. Every wait is for expected output, bounded by a timeout.

Usage: prompt_test.py PATH_TO_PELK [unittest arguments]
"""

import os
import select
import socket
import stat
import subprocess
import sys
import tempfile
import termios
import threading
import time
import unittest

from loopback import loopback_address
from terminal import (BANNER, CTRL_C, CTRL_D, CTRL_S, CTRL_U, END_OF_INPUT,
                      ENTER, PROMPT, TAB, TIMEOUT, UP, Terminal, environment,
                      set_window_size)

PELK = None  # set from the command line

OPTIONS = "\nOptions:\n    COMMAND_DELAY = 10 (seconds)"


class PromptTest(unittest.TestCase):

    def setUp(self):
        self.home = tempfile.TemporaryDirectory()
        self.history = os.path.join(self.home.name, ".pelk_history")
        self.terminals = []

    def tearDown(self):
        for terminal in self.terminals:
            terminal.stop()
        self.home.cleanup()

    def start(self):
        terminal = Terminal(PELK, self.home.name)
        self.terminals.append(terminal)
        terminal.expect(BANNER)
        terminal.expect_prompt()
        return terminal

    def end(self, terminal):
        """Ends a session that stands at its prompt."""
        terminal.send(CTRL_D)
        terminal.expect(END_OF_INPUT)
        self.assertEqual(0, terminal.finish())

    def test_ctrl_d_at_an_empty_prompt_ends_like_the_end_of_input(self):
        terminal = self.start()
        self.end(terminal)
        self.assertEqual(BANNER + PROMPT + END_OF_INPUT, terminal.output)

    def test_ctrl_c_right_after_the_keys_gives_a_fresh_prompt(self):
        terminal = self.start()
        keys = b"SHOW OP"
        for attempt in range(20):
            if attempt % 2 == 0:
                # The output held back (Ctrl-S), the editor stays busy
                # echoing the first key while the others wait to be read:
                # Ctrl-C comes between two reads, as a fast typist's may.
                terminal.send(CTRL_S + keys)
                deadline = time.monotonic() + TIMEOUT
                while not 0 < terminal.unread_keys() < len(keys):
                    if time.monotonic() >= deadline:
                        raise AssertionError("the editor read no key")
                    select.select([], [], [], 0.001)
            else:
                terminal.send(keys)
            terminal.send(CTRL_C)
            terminal.expect_prompt()
        terminal.send(b"SHOW OPTIONS" + ENTER)
        terminal.expect(OPTIONS)
        terminal.expect_prompt()
        self.end(terminal)
        self.assertEqual(1, terminal.output.count(OPTIONS))
        self.assertNotIn("Error", terminal.output.replace(END_OF_INPUT, ""))

    def history_lines(self):
        with open(self.history) as history:
            return history.read().splitlines()

    # Completed lines are checked in the history file, which holds them as
    # edited, whatever the terminal's redrawing looked like.
    def test_tab_completes_a_unique_keyword(self):
        terminal = self.start()
        terminal.send(b"SHO" + TAB + b"OP" + TAB + ENTER)
        terminal.expect(OPTIONS)
        terminal.expect_prompt()
        self.end(terminal)
        self.assertEqual(["SHOW OPTIONS"], self.history_lines())

    def test_tab_lists_the_candidates_and_redraws_the_line(self):
        terminal = self.start()
        terminal.send(b"SHOW D" + TAB)
        terminal.expect("\nDISK        DISK_GROUP  DR_GROUP\n")
        terminal.expect("NoSystemSelected> SHOW D")
        terminal.send(CTRL_U)
        self.end(terminal)

    def test_tab_completes_options_after_a_value(self):
        terminal = self.start()
        terminal.send(b"ADD VDISK x " + TAB)
        terminal.expect("WRITE_PROTECT")
        terminal.expect("NOWRITE_PROTECT\n")
        # SIZE and REDUNDANCY get their '=', and the values of REDUNDANCY
        # are listed; '?' shows the line parsed to its end, and Enter runs
        # the line as it was before the '?'.
        terminal.send(b"SI" + TAB + b"10 RED" + TAB + TAB)
        terminal.expect("\nVRAID0  VRAID1  VRAID5\n")
        terminal.send(b"1 ?")
        terminal.expect("\n  The options are:\n    COMMENT\n")
        terminal.send(ENTER)
        terminal.expect("\nError: Command not valid until a manager is selected")
        terminal.expect_prompt()
        self.end(terminal)
        self.assertEqual(["ADD VDISK x SIZE=10 REDUNDANCY=VRAID1"],
                         self.history_lines())

    def test_question_mark_lists_at_once_and_gives_the_line_back(self):
        terminal = self.start()
        terminal.send(b"SHOW ?")
        terminal.expect("SHOW ?\n\n  The options are:\n    DISK\n")
        terminal.expect("\n    WORLD_WIDE_NAME\n")
        terminal.expect("NoSystemSelected> SHOW ")
        terminal.send(b"OPTIONS" + ENTER)
        terminal.expect(OPTIONS)
        terminal.expect_prompt()
        # Where a token starts, in place of '=' and in place of a value.
        for line, answer in (
                (b"", "\n  The options are:\n    ADD\n    CAPTURE\n"),
                (b"SET OPTIONS ON_ERROR ",
                 "\n  The only option is: = [get help at a lower level]\n"),
                (b"SET OPTIONS ON_ERROR=",
                 "\n    CONTINUE\n    EXIT_ON_ERROR\n    HALT_ON_ERROR\n"),
                (b"ADD VDISK x COMMENT=",
                 "\n  The only option is: (string enclosed in quotes)\n"),
                (b"EXIT ",
                 "\n  This command has no additional keywords or parameters\n")):
            with self.subTest(line=line):
                terminal.send(line + b"?")
                terminal.expect(answer)
                terminal.expect("NoSystemSelected> " + line.decode())
                terminal.send(CTRL_U)
        # Inside a word it is an ordinary character, as the parser reads it.
        terminal.send(b"SHOW OP?" + ENTER)
        terminal.expect("\nError: Syntax error at or near here")
        terminal.expect_prompt()
        self.end(terminal)
        self.assertEqual(["SHOW OPTIONS", "SHOW OP?"], self.history_lines())

    def test_up_arrow_recalls_a_line_of_an_earlier_session(self):
        first = self.start()
        first.send(b"SHOW OPTIONS" + ENTER)
        first.expect(OPTIONS)
        first.expect_prompt()
        first.send(b"HELP" + ENTER)
        first.expect("Arguments that require keywords")
        first.expect_prompt()
        self.end(first)

        second = self.start()
        second.send(UP + UP + ENTER)
        second.expect(OPTIONS)
        second.expect_prompt()
        self.end(second)

    def test_lines_with_a_password_never_reach_the_history_file(self):
        terminal = self.start()
        for line in (b"SHOW OPTIONS",
                     b"SELECT MANAGER 127.0.0.1 USERNAME=u PASSWORD=s3cret ?",
                     b"select manager 127.0.0.1 p = an0ther ?"):
            terminal.send(line + ENTER)
            terminal.expect_prompt()
        self.end(terminal)

        self.assertEqual(["SHOW OPTIONS"], self.history_lines())
        self.assertEqual(0o600, stat.S_IMODE(os.stat(self.history).st_mode))

    def test_a_missing_password_is_asked_for_without_echo(self):
        terminal = self.start()
        terminal.send(b"SELECT MANAGER 127.0.0.1 USERNAME=u" + ENTER)
        terminal.expect("\nPassword: ")
        deadline = time.monotonic() + TIMEOUT
        while termios.tcgetattr(terminal.master)[3] & termios.ECHO:
            if time.monotonic() >= deadline:
                raise AssertionError("the password would be shown")
            select.select([], [], [], 0.001)
        terminal.send(b"s3cret" + ENTER)
        terminal.expect_prompt()
        terminal.send(b"SHOW MANAGER" + ENTER)
        terminal.expect("\nManager IP address 127.0.0.1:12301"
                        "\nUsername: u, password specified")
        terminal.expect_prompt()
        self.end(terminal)
        self.assertNotIn("s3cret", terminal.output)
        self.assertNotIn("s3cret", "\n".join(self.history_lines()))

    def test_line_limit_is_that_of_the_plain_prompt(self):
        terminal = self.start()
        # 2047 characters and the line feed reach the limit of 2048.
        terminal.send(b"A" * 2047 + ENTER)
        terminal.expect("\nError: Input line too long, limit 2048 characters")
        terminal.expect_prompt()
        terminal.send(b"SHOW OPTIONS".ljust(2046) + ENTER)
        terminal.expect(OPTIONS)
        terminal.expect_prompt()
        self.end(terminal)


class PlainLoopTest(unittest.TestCase):
    """With only one of standard input and output a terminal, no editor
    starts: TAB reads as a blank rather than completing, and no history is
    kept."""

    def run_half_terminal(self, terminal_input):
        with tempfile.TemporaryDirectory() as home:
            master, slave = os.openpty()
            set_window_size(slave)
            if terminal_input:
                reader, writer = os.pipe()
                stdin, stdout = slave, writer
            else:
                reader, writer = os.pipe()
                stdin, stdout = reader, slave
            process = subprocess.Popen([PELK], stdin=stdin, stdout=stdout,
                                       stderr=subprocess.DEVNULL,
                                       env=environment(home),
                                       start_new_session=True)
            os.close(slave)
            try:
                if terminal_input:
                    os.close(writer)
                    # A terminal in line mode: ^D at a line's start ends it.
                    os.write(master, b"SHO\tD\n" + CTRL_D)
                    output = b""
                    while chunk := os.read(reader, 65536):
                        output += chunk
                    os.close(reader)
                else:
                    os.close(reader)
                    os.write(writer, b"SHO\tD\n")
                    os.close(writer)
                    output = b""
                    while True:
                        try:
                            chunk = os.read(master, 65536)
                        except OSError:
                            break
                        if not chunk:
                            break
                        output += chunk
                status = process.wait(timeout=TIMEOUT)
            finally:
                if process.poll() is None:
                    process.kill()
                    process.wait()
                os.close(master)
            self.assertEqual(0, status)
            self.assertFalse(os.path.exists(os.path.join(home, ".pelk_history")))
            return output.decode("latin-1").replace("\r\n", "\n")

    def test_no_editor_unless_both_are_terminals(self):
        # The caret line repeats the tab, so the caret stands under the D.
        expected = (BANNER + PROMPT + " " * 18 + "   \t^" +
                    "\nError: Ambiguous keyword at or before here" + PROMPT +
                    END_OF_INPUT)
        for terminal_input in (True, False):
            with self.subTest(terminal_input=terminal_input):
                self.assertEqual(expected,
                                 self.run_half_terminal(terminal_input))


# A system name that would set the window title and sound the bell.
HOSTILE_NAME = b"Evil\x1b]2;owned\x07"
SYSTEMS = (b"<SOAP:Envelope xmlns:SOAP=\"urn:schemas-xmlsoap-org:soap.v1\">\n"
           b"<SOAP:Body=corvane-fenmoor:zorapi.v1>\n"
           b"<m:getResponse xmlns:m=\"TALLOW-URI\">\n"
           b"<ArrayOfString xsd:type=\"u:string[2,2]\">\n"
           b"<Name>" + HOSTILE_NAME + b"</Name>\n<ID>1</ID>\n"
           b"<Name>Plain</Name>\n<ID>2</ID>\n"
           b"</ArrayOfString>\n</m:getResponse>\n</SOAP:Body>\n"
           b"</SOAP:Envelope>\n")
MANAGER = loopback_address(201)


class HostileManager:
    """A manager on port 12301 that answers every request with SYSTEMS."""

    def __init__(self):
        self.listener = socket.socket()
        self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.listener.bind((MANAGER, 12301))
        self.listener.listen()
        threading.Thread(target=self.serve, daemon=True).start()

    def serve(self):
        payload = SYSTEMS.replace(b"<", b"&lt;").replace(b">", b"&gt;")
        body = (b"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<soap:Envelope>"
                b"<soap:Body><m:executeTextTransportResponse><xmlPayload>" +
                payload + b"</xmlPayload></m:executeTextTransportResponse>"
                b"</soap:Body></soap:Envelope>\n")
        answer = (b"HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\n"
                  b"Content-Length: %d\r\n\r\n" % len(body) + body)
        while True:
            try:
                connection, _ = self.listener.accept()
            except OSError:
                return
            with connection:
                request = b""
                while b"\n\n" not in request.replace(b"\r", b""):
                    chunk = connection.recv(65536)
                    if not chunk:
                        break
                    request += chunk
                head = request.replace(b"\r", b"").split(b"\n\n")[0]
                length = 0
                for line in head.split(b"\n"):
                    if line.lower().startswith(b"content-length:"):
                        length = int(line.split(b":")[1])
                while len(request.replace(b"\r", b"").split(b"\n\n", 1)[-1]) < length:
                    chunk = connection.recv(65536)
                    if not chunk:
                        break
                    request += chunk
                connection.sendall(answer)

    def close(self):
        self.listener.close()


class ServerTextTest(unittest.TestCase):
    """Names from the server cannot steer the terminal they are shown on;
    a pipe gets them byte for byte."""

    def setUp(self):
        self.manager = HostileManager()
        self.home = tempfile.TemporaryDirectory()

    def tearDown(self):
        self.manager.close()
        self.home.cleanup()

    def test_control_characters_of_a_system_name_are_shown(self):
        terminal = Terminal(PELK, self.home.name, self.home.name)
        try:
            terminal.expect_prompt()
            terminal.send(b"SELECT MANAGER " + MANAGER.encode() +
                          b" USERNAME=u PASSWORD=p" + ENTER)
            terminal.expect_prompt()
            terminal.send(b"SHOW SYSTEM" + ENTER)
            terminal.expect("\nSystems available on this Manager:"
                            "\n  Evil^[]2;owned^G\n  Plain")
            terminal.expect_prompt()
            self.assertNotIn("\x1b]", terminal.output)
        finally:
            terminal.stop()

        piped = subprocess.run(
            [PELK, "SELECT MANAGER %s USERNAME=u PASSWORD=p" % MANAGER,
             "SHOW SYSTEM"],
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL, env=environment(self.home.name),
            cwd=self.home.name, timeout=TIMEOUT)
        self.assertIn(b"\n  " + HOSTILE_NAME + b"\n  Plain", piped.stdout)


if __name__ == "__main__":
    PELK = os.path.abspath(sys.argv[1])
    unittest.main(argv=[sys.argv[0]] + sys.argv[2:])
