"""The collection's shared utilities: command lines as pelk reads them,
names, properties, and running pelk (a stand-in program that records what
it was given).

Run with Debian's pytest: python3 -m pytest tests/ansible/module_utils_test.py
"""

import json
import os
import stat
import subprocess
import sys

import pytest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                '..', '..', 'ansible'))

from ansible_collections.pelk.storage.plugins.module_utils import (  # noqa
    pelk_names, pelk_run)
from ansible_collections.pelk.storage.plugins.module_utils.pelk_language \
    import _tokens, changes_array  # noqa: E402
from ansible_collections.pelk.storage.plugins.module_utils.pelk_lines \
    import LineError, comment, line, token  # noqa: E402
from ansible_collections.pelk.storage.plugins.module_utils.pelk_properties \
    import (Property, Unchangeable, changes, choice, number,  # noqa: E402
            numbered_option, switch, view)


# A value and the token pelk must be given for it.
TOKENS = [
    ('Production', 'Production'),
    ('DR Site', '"DR Site"'),
    ('\\Hosts\\web02', '\\Hosts\\web02'),
    ('\\Virtual Disks\\Finance\\db1\\ACTIVE',
     '"\\Virtual Disks\\Finance\\db1\\ACTIVE"'),
    ('\\Virtual Disks\\A\\', '"\\Virtual Disks\\A\\"'),   # ends in \
    ('a\\\\b', 'a\\\\b'),                                  # no escapes
    ('ab=cd', '"ab=cd"'),
    ('(x)', '"(x)"'),
    ('a (b) c', '"a (b) c"'),
    ('a(b', 'a(b'),                 # brackets count only at a token's start
    ('trailing ', '"trailing "'),
    ('10.0.0.5:2301', '10.0.0.5:2301'),
    ('[::1]:12301', '[::1]:12301'),
    ('https://array.example', 'https://array.example'),
    ('x?', 'x?'),
]


@pytest.mark.parametrize('value,expected', TOKENS)
def test_a_token_reads_back_as_its_value(value, expected):
    written = token(value)
    assert written == expected
    # The tokenizer follows pelk's reading: the value comes back whole,
    # and what follows it is still a token of its own.
    assert list(_tokens('SHOW VDISK %s FULL' % written)) == [
        'SHOW', 'VDISK', value, 'FULL']


@pytest.mark.parametrize('value', [
    '', 'say "hi"', '?x', ' lead', 'a b(', 'a b)c(', 'caf\u00e9', 'a\tb',
    'two\nlines', None])
def test_values_pelk_would_read_otherwise_are_refused(value):
    with pytest.raises(LineError):
        token(value)


def test_comments_are_quoted_and_checked_as_the_manager_does():
    assert comment('made by a job (nightly)') == \
        'COMMENT="made by a job (nightly)"'
    assert comment('x' * 128) == 'COMMENT="%s"' % ('x' * 128)
    assert comment('') is None  # pelk reads no empty comment
    for refused in ('x' * 129, 'a/b', '50%', 'say "hi"', 'tab\there'):
        with pytest.raises(LineError):
            comment(refused)


def test_line_leaves_out_missing_options():
    assert line('ADD FOLDER', '"\\Hosts\\Lab"', None) == \
        'ADD FOLDER "\\Hosts\\Lab"'


@pytest.mark.parametrize('text,changes', [
    ('SHOW VDISK FULL', False),
    ('show vdisk', False),
    ('SHO OP', False),
    ('SET OPTIONS NOSAFE_DELETE', False),
    ('SET O ON_ERROR=CONTINUE', False),
    ('SELECT SYSTEM "DR Site"', False),
    ('CAPTURE CONFIGURATION x.txt', False),
    ('EXERCISE_DISK SUMMARY', False),
    ('EMVERSION', False),
    ('HELP', False),
    ('SHOW ?', False),
    ('! DELETE VDISK x', False),
    ('   ', False),
    ('D', True),                 # DEBUG is a full word: D is DELETE
    ('DEBUG TALLOW_FLAGS=1', False),
    ('SET VDISK x COMMENT="y"', True),
    ('SET DISK_GROUP g OCCUPANCY_ALARM=90', True),
    ('set opt', False),
    ('SE x', True),              # SELECT or SET: ambiguous, so unknown
    ('SH VDISK', True),          # SHOW or SHUTDOWN
    ('EXERCISE_DISK S', True),   # START, STOP or SUMMARY
    ('ADD VDISK x SIZE=1', True),
    ('DELETE LUN 1{1}', True),
    ('FILE night.pelk', True),
    ('REDISCOVER', True),
    ('NOSUCH', True),
    # pelk drops control and non-ASCII characters at a line's end and reads
    # a TAB between words as a blank.
    ('DELETE\tVDISK x', True),
    ('DELETE VDISK x\t', True),
    ('DELETE VDISK x\u00a0', True),
    ('SHOW\tVDISK\t', False),
    ('\t! DELETE VDISK x', False),
    ('SHOW VDISK \u00e9x', True),  # not told for sure
])
def test_lines_that_leave_the_array_as_it_is(text, changes):
    assert changes_array(text) is changes


@pytest.mark.parametrize('function,given,expected', [
    (pelk_names.vdisk, 'db1',
     ('\\Virtual Disks\\db1', '\\Virtual Disks\\db1\\ACTIVE')),
    (pelk_names.vdisk, '\\Virtual Disks\\Finance\\db1',
     ('\\Virtual Disks\\Finance\\db1',
      '\\Virtual Disks\\Finance\\db1\\ACTIVE')),
    (pelk_names.vdisk, '\\Virtual Disks\\Finance\\db1\\ACTIVE',
     ('\\Virtual Disks\\Finance\\db1',
      '\\Virtual Disks\\Finance\\db1\\ACTIVE')),
    (pelk_names.host, 'web02', ('\\Hosts\\web02', '\\Hosts\\web02')),
    (pelk_names.folder, '\\Virtual Disks\\Sales\\',
     ('\\Virtual Disks\\Sales', '\\Virtual Disks\\Sales\\')),
    (pelk_names.folder, '\\Hosts\\Lab',
     ('\\Hosts\\Lab', '\\Hosts\\Lab\\')),
    (pelk_names.disk_group, 'Archive', '\\Disk Groups\\Archive'),
])
def test_names_as_add_takes_them_and_show_lists_them(function, given,
                                                     expected):
    assert function(given) == expected


@pytest.mark.parametrize('function,given', [
    (pelk_names.vdisk, 'Finance\\db1'),           # relative path
    (pelk_names.vdisk, '\\Hosts\\db1'),           # another root
    (pelk_names.vdisk, '\\Virtual Disks\\' + 'x' * 33),
    (pelk_names.host, '\\Hosts\\a,b'),
    (pelk_names.folder, 'Sales'),                 # root folders are fixed
])
def test_names_the_manager_would_refuse(function, given):
    with pytest.raises(LineError):
        function(given)


def test_repeated_names_are_addressed_as_pelk_lists_them():
    # One counter for the whole kind, as pelk counts.
    assert pelk_names.as_listed(['1', '2', '1', '2', '1']) == [
        '1', '2', '1{1}', '2{2}', '1{3}']


PROPERTIES = (
    Property('size', 'Capacity_Req', read=number,
             option=numbered_option('SIZE'),
             settable=lambda old, new: 'it cannot shrink' if new < old
             else None),
    choice('redundancy', 'Redundancy', (('vraid1', 'Vraid1', 'VRAID1'),
                                        ('vraid5', 'Vraid5', 'VRAID5')),
           settable=False, keyword='REDUNDANCY'),
    switch('read_cache', 'Read_cache_Policy', 'READ_CACHE', 'NOREAD_CACHE',
           'On', 'Off'),
    Property('comment', 'Comments', option=comment),
)
SHOWN = {'Capacity_Req': '20 GB', 'Redundancy': 'VRAID5',
         'Read_cache_Policy': 'On', 'Comments': 'old', 'Other': 'x'}


def test_properties_compare_on_what_pelk_shows():
    current = view(PROPERTIES, SHOWN)
    assert current == dict(size=20, redundancy='vraid5', read_cache=True,
                           comment='old')
    assert changes(PROPERTIES, current, dict(size=20, redundancy='vraid5',
                                             read_cache=True), 'disk') == []
    found = changes(PROPERTIES, current, dict(size=30, read_cache=False,
                                              comment='new'), 'disk')
    assert [(p.param, old, new, p.set_option(old, new))
            for p, old, new in found] == [
        ('size', 20, 30, 'SIZE=30'),
        ('read_cache', True, False, 'NOREAD_CACHE'),
        ('comment', 'old', 'new', 'COMMENT="new"')]


def test_what_cannot_change_on_a_live_object_is_named_and_nothing_set():
    current = view(PROPERTIES, SHOWN)
    with pytest.raises(Unchangeable) as raised:
        changes(PROPERTIES, current, dict(size=10, redundancy='vraid1',
                                          comment='', read_cache=False),
                'disk')
    message = str(raised.value)
    for named in ('size', 'cannot shrink', 'redundancy', 'comment'):
        assert named in message
    assert 'read_cache' not in message


# A stand-in for pelk: records how it was run, then prints the results it
# is told to (one JSON object per input line, failing the lines that hold
# FAIL) and stops at the first failure while ON_ERROR=EXIT_ON_ERROR.
FAKE_PELK = r'''import json, os, sys
lines = sys.stdin.read().splitlines()
with open(os.environ['FAKE_RECORD'], 'w') as record:
    json.dump(dict(argv=sys.argv[1:], lines=lines, cwd=os.getcwd(),
                   mode=os.stat('.').st_mode & 0o777,
                   password=os.environ.get('PELK_PASSWORD')), record)
open('EMClientAPIPersist.txt', 'w').write('session')
stop, status = True, 0
for text in lines:
    result = dict(command=text, ok='FAIL' not in text)
    if not result['ok']:
        result['error'] = 'Error: ' + text + ' not found\n'
        status = 1
    print(json.dumps(result))
    if text.endswith('ON_ERROR=CONTINUE'):
        stop = False
    elif text.endswith('ON_ERROR=EXIT_ON_ERROR'):
        stop = True
    if not result['ok'] and stop:
        break
sys.exit(status)
'''


def run_directly(arguments, data, directory, environment):
    """What the modules' runner does, without a module to run it."""
    done = subprocess.run(arguments, input=data, cwd=directory,
                          env=dict(os.environ, **environment),
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    return done.returncode, done.stdout, done.stderr


@pytest.fixture
def fake_pelk(tmp_path, monkeypatch):
    program = tmp_path / 'pelk'
    program.write_text('#!%s\n' % sys.executable + FAKE_PELK)
    program.chmod(0o755)
    record = tmp_path / 'record.json'
    monkeypatch.setenv('FAKE_RECORD', str(record))
    connection = pelk_run.Connection('127.0.0.9:2301', 'administrator',
                                     's3cret word', str(program),
                                     run_directly, 7, 'DR Site')
    return connection, lambda: json.loads(record.read_text())


def test_the_password_goes_only_to_the_environment(fake_pelk):
    connection, record = fake_pelk
    assert pelk_run.run(connection, ['SHOW VDISK']) == [
        dict(command='SHOW VDISK', ok=True)]
    ran = record()
    assert ran['password'] == 's3cret word'
    assert ran['argv'] == ['--json', '--timeout', '7']
    assert ran['lines'] == [
        'SET OPTIONS ON_ERROR=EXIT_ON_ERROR',
        'SELECT MANAGER 127.0.0.9:2301 USERNAME=administrator',
        'SELECT SYSTEM "DR Site"', 'SHOW VDISK']
    assert 's3cret' not in json.dumps(ran['argv'] + ran['lines'])


def test_each_run_has_a_private_directory_removed_afterwards(fake_pelk):
    connection, record = fake_pelk
    pelk_run.run(connection, ['SHOW VDISK'])
    first = record()
    pelk_run.run(connection, ['SHOW VDISK'])
    assert first['mode'] == stat.S_IRWXU
    assert record()['cwd'] != first['cwd']
    assert not os.path.exists(first['cwd'])


def test_a_probe_may_fail_and_anything_else_stops_with_pelks_words(
        fake_pelk):
    connection, record = fake_pelk
    results = pelk_run.run(connection, [
        'SHOW HOST', pelk_run.Probe('SHOW HOST FAIL'), 'SHOW LUN'])
    assert [r['ok'] for r in results] == [True, False, True]
    assert record()['lines'][-5:] == [
        'SHOW HOST', 'SET OPTIONS ON_ERROR=CONTINUE', 'SHOW HOST FAIL',
        'SET OPTIONS ON_ERROR=EXIT_ON_ERROR', 'SHOW LUN']
    with pytest.raises(pelk_run.PelkFailure) as raised:
        pelk_run.run(connection, ['ADD HOST FAIL', 'SHOW HOST'])
    assert raised.value.command == 'ADD HOST FAIL'
    assert raised.value.error == 'Error: ADD HOST FAIL not found\n'
    assert raised.value.message == \
        'ADD HOST FAIL: Error: ADD HOST FAIL not found'


def test_a_pelk_that_cannot_run_or_ends_early_is_reported(fake_pelk,
                                                          tmp_path):
    connection, _ = fake_pelk
    connection.program = str(tmp_path / 'missing')
    with pytest.raises(pelk_run.PelkFailure, match='cannot run'):
        pelk_run.run(connection, ['SHOW HOST'])
    killed = tmp_path / 'killed'
    killed.write_text('#!/bin/sh\necho \'{"command":"x","ok":true}\'\n'
                      'echo gone >&2\nkill -9 $$\n')
    killed.chmod(0o755)
    connection.program = str(killed)
    with pytest.raises(pelk_run.PelkFailure, match='exit status -9: gone'):
        pelk_run.run(connection, ['SHOW HOST'])
    connection.password = None
    with pytest.raises(pelk_run.PelkFailure, match='PELK_PASSWORD'):
        pelk_run.run(connection, ['SHOW HOST'])


@pytest.mark.parametrize('text', [
    'not json', '[1, 2]', '{"command": "x"}'])
def test_output_that_is_no_result_is_an_error(text):
    with pytest.raises(pelk_run.PelkFailure):
        pelk_run.read_results(text + '\n')


def test_only_a_line_feed_ends_a_result():
    shown = '{"command": "SHOW HOST", "ok": true, "comment": "a\u2028b\x85"}'
    assert pelk_run.read_results(shown + '\n') == [
        dict(command='SHOW HOST', ok=True, comment='a\u2028b\x85')]


def test_script_results_are_every_line_pelk_printed(fake_pelk):
    connection, _ = fake_pelk
    assert [r['command'] for r in pelk_run.run_script(
        connection, ['SHOW OPTIONS', 'EMVERSION'])] == [
        'SHOW OPTIONS', 'EMVERSION']
    with pytest.raises(pelk_run.PelkFailure) as raised:
        pelk_run.run_script(connection, ['EMVERSION', 'SET FAIL', 'HELP'])
    assert [r['command'] for r in raised.value.results] == [
        'EMVERSION', 'SET FAIL']
