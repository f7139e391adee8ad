#!/usr/bin/python3
"""The collection at work: real ansible-playbook runs of the playbooks in
playbooks/ (and of the examples) against pelk-sim on this process's
loopback addresses. The playbooks check what they do themselves, with
assert tasks; this driver starts the simulators, runs each playbook with
an Ansible home, temp and configuration of its own, and checks what only
the outside can see: the exit status, which hosts failed, that no output
or file holds the password, that a capture failing half-way leaves its
files alone.

Usage: playbook_test.py SOURCE_DIR PELK PELK_SIM [unittest arguments]
"""

import glob
import json
import os
import re
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import urllib.request

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                '..', 'pty'))
from loopback import loopback_address  # noqa: E402

SOURCE = PELK = PELK_SIM = None  # set from the command line
PLAYBOOKS = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                         'playbooks')
TIMEOUT = 300
# A host's line of the PLAY RECAP: its name and its counts.
RECAP = re.compile(r'^(\S+)\s+:\s+(ok=.*)$', re.MULTILINE)
# A password of its own for the secrets check: "admin", the demo's, also
# hides inside "administrator".
SECRET = 'Quartz-7-Lantern'

CONFIGURATION = """[defaults]
collections_path = %(collections)s
interpreter_python = /usr/bin/python3
retry_files_enabled = False
forks = 8
internal_poll_interval = 0.05
[connection]
pipelining = True
"""


class Simulator(object):
    """A pelk-sim with the demo's arrays on a loopback address of this
    process, logging its requests; optionally with a password of its own
    and faults."""

    def __init__(self, scratch, number, faults=(), password=None):
        self.address = loopback_address(number)
        self.log = os.path.join(scratch, 'sim-%d.log' % number)
        arguments = [PELK_SIM, '--demo', '--address', self.address,
                     '--log', self.log]
        for fault in faults:
            arguments += ['--fault', fault]
        self.process = subprocess.Popen(arguments, stdout=subprocess.PIPE,
                                        stderr=subprocess.STDOUT, text=True)
        line = self.process.stdout.readline()
        if 'listening' not in line:
            self.stop()
            raise AssertionError('pelk-sim did not start: %r' % line)
        if password is not None:
            state = json.loads(self.control('GET', '/sim/state'))
            for user in state['manager']['users']:
                user['password'] = password
            self.control('POST', '/sim/state', json.dumps(state))

    def control(self, method, path, body=None):
        request = urllib.request.Request(
            'http://%s:2301%s' % (self.address, path), method=method,
            data=body.encode() if body is not None else None)
        with urllib.request.urlopen(request, timeout=30) as answer:
            return answer.read().decode()

    def requests(self):
        with open(self.log) as file:
            return file.read()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
        self.process.wait(timeout=TIMEOUT)
        self.process.stdout.close()


class Ansible(object):
    """ansible-playbook with a home, temp directories and configuration of
    its own, none of the user's."""

    def __init__(self, scratch):
        self.scratch = scratch
        self.temp = os.path.join(scratch, 'tmp')
        home = os.path.join(scratch, 'ansible-home')
        for folder in (self.temp, home):
            os.makedirs(folder)
        configuration = os.path.join(scratch, 'ansible.cfg')
        with open(configuration, 'w') as file:
            file.write(CONFIGURATION % dict(
                collections=os.path.join(SOURCE, 'ansible')))
        self.environment = dict(
            (key, value) for key, value in os.environ.items()
            if not key.startswith('ANSIBLE_') and key != 'PELK_PASSWORD')
        # The pelk under test is the one on PATH, for the playbooks that
        # give no pelk_path (the examples).
        self.environment.update(
            PATH=os.path.dirname(PELK) + os.pathsep + os.environ['PATH'],
            ANSIBLE_CONFIG=configuration, ANSIBLE_HOME=home,
            ANSIBLE_LOCAL_TEMP=os.path.join(home, 'tmp'),
            ANSIBLE_REMOTE_TEMP=os.path.join(home, 'remote'),
            ANSIBLE_NOCOLOR='1', TMPDIR=self.temp)

    def run(self, playbook, extra_vars, inventory='localhost,', options=(),
            environment=None, directory=None):
        """(exit status, output) of one ansible-playbook run."""
        env = dict(self.environment, **(environment or {}))
        done = subprocess.run(
            ['ansible-playbook', '-i', inventory, '-e', json.dumps(
                dict(extra_vars, pelk_path=PELK, scratch=self.scratch)),
             playbook] + list(options), env=env, capture_output=True,
            text=True, timeout=TIMEOUT, cwd=directory or self.scratch)
        return done.returncode, done.stdout + done.stderr


class PlaybookTest(unittest.TestCase):

    def setUp(self):
        self.directory = tempfile.TemporaryDirectory(prefix='pelk-ansible-')
        self.scratch = self.directory.name
        self.ansible = Ansible(self.scratch)
        self.simulators = []

    def tearDown(self):
        for simulator in self.simulators:
            simulator.stop()
        self.directory.cleanup()

    def simulator(self, number, **options):
        simulator = Simulator(self.scratch, number, **options)
        self.simulators.append(simulator)
        return simulator

    def playbook(self, name, extra_vars, **options):
        status, output = self.ansible.run(os.path.join(PLAYBOOKS, name),
                                          extra_vars, **options)
        self.assertEqual(0, status, output)
        return output

    def test_objects_through_their_life(self):
        sim = self.simulator(1)
        self.playbook('objects.yml', dict(manager=sim.address,
                                          sim_log=sim.log))

    def test_hosts_and_their_luns(self):
        sim = self.simulator(1)
        self.playbook('hosts.yml', dict(manager=sim.address,
                                        sim_log=sim.log))

    def test_info_and_command(self):
        sim = self.simulator(1)
        self.playbook('info_command.yml', dict(manager=sim.address,
                                               sim_log=sim.log))

    def test_capture_reports_drift_and_keeps_dest_when_it_fails(self):
        sim = self.simulator(1)
        # A second manager that answers slowly; once the capture has begun
        # reading its hosts, it stops answering altogether.
        failing = self.simulator(2, faults=['delay:*:100'])

        def stall_mid_capture():
            deadline = time.monotonic() + TIMEOUT
            while time.monotonic() < deadline:
                if os.path.exists(failing.log) and \
                        'StorageClient' in failing.requests():
                    failing.control('POST', '/sim/fault', 'stall:*')
                    return
                time.sleep(0.005)
        watcher = threading.Thread(target=stall_mid_capture, daemon=True)
        watcher.start()
        self.playbook('capture.yml', dict(manager=sim.address,
                                          sim_log=sim.log,
                                          failing_manager=failing.address))
        watcher.join(timeout=1)
        self.assertIn('stall:*', failing.control('GET', '/sim/faults'))

    def test_errors_carry_pelks_words_and_never_the_password(self):
        sim = self.simulator(1, password=SECRET)
        stalled = self.simulator(2, faults=['stall:*'], password=SECRET)
        status, output = self.ansible.run(
            os.path.join(PLAYBOOKS, 'errors.yml'),
            dict(manager=sim.address, password=SECRET,
                 silent_manager=loopback_address(3),
                 stalled_manager=stalled.address),
            options=['-vvv'], environment=dict(PELK_PASSWORD=SECRET))
        self.assertEqual(0, status, output)
        self.assertIn('SELECT SYSTEM Production', output)  # -vvv shows much
        self.assertNotIn(SECRET, output)
        # Nothing left behind: no private directory of a pelk run, and no
        # file anywhere holding the password.
        self.assertEqual([], os.listdir(self.ansible.temp))
        for path in glob.glob(os.path.join(self.scratch, '**'),
                              recursive=True):
            if os.path.isfile(path):
                with open(path, 'rb') as file:
                    self.assertNotIn(SECRET.encode(), file.read(), path)

    def test_a_fleet_fails_only_the_arrays_that_fail(self):
        # The example playbook over eight arrays at this process's
        # addresses: one manager is not running, one knows another
        # password.
        arrays = ['amsterdam', 'berlin', 'dublin', 'lisbon', 'madrid',
                  'oslo', 'prague', 'vienna']
        hosts = {}
        for number, name in enumerate(arrays, 1):
            hosts[name] = dict(manager=loopback_address(number))
            if name != 'dublin':
                self.simulator(number, password=(
                    'another' if name == 'oslo' else None))
        inventory = os.path.join(self.scratch, 'inventory.json')
        with open(inventory, 'w') as file:
            json.dump(dict(arrays=dict(hosts=hosts, vars=dict(
                ansible_connection='local', username='administrator',
                system='Production'))), file)
        status, output = self.ansible.run(
            os.path.join(SOURCE, 'ansible', 'examples', 'provision.yml'),
            {}, inventory=inventory, environment=dict(PELK_PASSWORD='admin'))
        self.assertEqual(2, status, output)
        recap = dict(RECAP.findall(output[output.index('PLAY RECAP'):]))
        self.assertEqual(sorted(arrays), sorted(recap), output)
        failed = sorted(name for name, counts in recap.items()
                        if 'failed=0' not in counts)
        self.assertEqual(['dublin', 'oslo'], failed, output)
        for name in set(arrays) - set(failed):
            self.assertIn(' changed=3 ', recap[name], output)


if __name__ == '__main__':
    SOURCE, PELK, PELK_SIM = (os.path.abspath(path) for path in sys.argv[1:4])
    unittest.main(argv=[sys.argv[0]] + sys.argv[4:])
