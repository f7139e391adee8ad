"""Running pelk: command lines in, one JSON result per line out.

Each run is one `pelk --json` process in a private directory of its own,
removed afterwards: pelk keeps its session file (and any debug log) in its
current directory, and tasks running at the same time must never read
each other's. The password reaches pelk only through PELK_PASSWORD in its
environment, which SELECT MANAGER without PASSWORD= reads; the lines go to
its standard input, never to its arguments, which every user can read.
"""

import json
import shutil
import tempfile

from ansible_collections.pelk.storage.plugins.module_utils.pelk_lines import (
    line, token)

STOP_ON_ERROR = 'SET OPTIONS ON_ERROR=EXIT_ON_ERROR'
GO_ON_AFTER_ERROR = 'SET OPTIONS ON_ERROR=CONTINUE'


class PelkFailure(Exception):
    """A run that did not do what was asked: a line failed, or pelk could
    not run. `command` is the line that failed, `error` pelk's message."""

    def __init__(self, message, command=None, error=None, results=None):
        Exception.__init__(self, message)
        self.message = message
        self.command = command
        self.error = error
        self.results = results or []


class Probe(str):
    """A line whose failure is an answer, not an error: SHOW of an object
    that may not exist."""


class Connection(object):
    """Where and as whom pelk logs in, and which pelk runs: runner(arguments,
    data, directory, environment) runs it with `data` (bytes) on its standard
    input and the variables of `environment` added, and gives (exit status,
    standard output, standard error); it raises OSError when the program
    cannot be run."""

    def __init__(self, manager, username, password, program, runner,
                 timeout=60, system=None):
        self.manager = manager
        self.username = username
        self.password = password
        self.program = program
        self.runner = runner
        self.timeout = timeout
        self.system = system


def preamble(connection):
    """The lines that log in and select the array (when there is one)."""
    lines = [STOP_ON_ERROR,
             line('SELECT MANAGER', token(connection.manager, 'manager'),
                  'USERNAME=' + token(connection.username, 'username'))]
    if connection.system is not None:
        lines.append(line('SELECT SYSTEM', token(connection.system,
                                                 'system')))
    return lines


def read_results(text):
    """The JSON objects of pelk's output, one a line. Only a line feed ends
    a line: pelk writes other text as it is, U+2028 in a comment too."""
    results = []
    for number, text_line in enumerate(text.split('\n'), 1):
        if not text_line.strip():
            continue
        try:
            result = json.loads(text_line)
        except ValueError:
            raise PelkFailure("pelk printed a line %d that is not JSON: %r"
                              % (number, text_line[:200]))
        if not isinstance(result, dict) or 'ok' not in result:
            raise PelkFailure("pelk printed a line %d that is no command "
                              "result: %r" % (number, text_line[:200]))
        results.append(result)
    return results


def message_of(result):
    """PELK's error text of a failed result, on one line."""
    error = result.get('error') or 'the command failed'
    return ' '.join(error.split())


def with_error_policy(lines):
    """The lines to send: each Probe between a CONTINUE and a return to
    EXIT_ON_ERROR, so a probe may fail while every other failure stops
    the run at once. Returns the lines to send, the index among them of
    each given line, and the indexes of the probes."""
    sent, places, probes = [], [], set()
    for text in lines:
        if isinstance(text, Probe):
            sent.append(GO_ON_AFTER_ERROR)
            probes.add(len(sent))
            places.append(len(sent))
            sent.append(str(text))
            sent.append(STOP_ON_ERROR)
        else:
            places.append(len(sent))
            sent.append(text)
    return sent, places, probes


def first_failure(results, probes=(), skip=0):
    """PelkFailure for the first failed result that is not a probe's, with
    the results after the first `skip` (the preamble's); None if none."""
    for index, result in enumerate(results):
        if result.get('ok') or index in probes:
            continue
        return PelkFailure('%s: %s' % (result.get('command', ''),
                                       message_of(result)),
                           command=result.get('command'),
                           error=result.get('error'), results=results[skip:])
    return None


def ended_early(results, expected, status, stderr, skip=0):
    detail = ' '.join(stderr.split())[-500:]
    return PelkFailure('pelk ended after %d of %d lines with exit status %s%s'
                       % (len(results), expected, status,
                          ': ' + detail if detail else ''),
                       results=results[skip:])


def execute(connection, sent, yes=False, directory=None):
    """One pelk with `sent` on its standard input: (results, exit status,
    standard error). It runs in `directory`, or in a private one removed
    afterwards."""
    if connection.password is None:
        raise PelkFailure('no password: give password, or set PELK_PASSWORD')
    arguments = [connection.program, '--json', '--timeout',
                 str(connection.timeout)]
    if yes:
        arguments.append('--yes')
    environment = dict(PELK_PASSWORD=connection.password,
                       PELK_TIMEOUT=str(connection.timeout))
    own = directory is None
    if own:
        directory = tempfile.mkdtemp(prefix='pelk-')
    try:
        status, out, err = connection.runner(
            arguments, ('\n'.join(sent) + '\n').encode('utf-8'), directory,
            environment)
    except OSError as error:
        raise PelkFailure('cannot run %s: %s' % (connection.program,
                                                 error.strerror))
    finally:
        if own:
            shutil.rmtree(directory, ignore_errors=True)
    return (read_results(out.decode('utf-8', 'replace')), status,
            err.decode('utf-8', 'replace'))


def run(connection, lines, yes=False, directory=None):
    """The preamble and `lines` in one pelk: the result of each of `lines`,
    in order. Any failure but a probe's raises PelkFailure."""
    start = preamble(connection)
    sent, places, probes = with_error_policy(start + list(lines))
    results, status, stderr = execute(connection, sent, yes, directory)
    failure = first_failure(results, probes, len(start))
    if failure is not None:
        raise failure
    if len(results) != len(sent) or status not in (0, 1):
        raise ended_early(results, len(sent), status, stderr, len(start))
    return [results[place] for place in places[len(start):]]


def run_script(connection, lines, yes=False):
    """Lines as a user wrote them (comments and FILE lines included) after
    the preamble: every result pelk printed for them. A failed line stops
    the run and raises PelkFailure with the results so far."""
    start = preamble(connection)
    results, status, stderr = execute(connection, start + list(lines), yes)
    failure = first_failure(results, (), len(start))
    if failure is not None:
        raise failure
    if len(results) < len(start) or status != 0:
        raise ended_early(results, len(start) + len(lines), status, stderr,
                          len(start))
    return results[len(start):]
