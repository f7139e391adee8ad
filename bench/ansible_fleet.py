#!/usr/bin/python3
"""The Ansible collection at fleet scale, measured side by side:

- the nightly capture playbook (ansible/examples/nightly.yml) over 16
  simulated managers whose answers each take 20 ms, run with forks 16 and
  with forks 1, alternated, on a night without drift (the captures of a
  first run are there): the fleet should run in parallel, bound by the
  managers' answers, not by the control node;
- one info task over a system of 1,000 virtual disks against the same SHOW
  commands run by pelk alone, alternated, once with a manager that answers
  at once and once with one that takes 5 ms an answer; the task's own time
  is taken from its start to its result by a callback, so Ansible's
  start-up is not counted.

Writes the medians as JSON in the layout of Google Benchmark's output, for
bench/report.

Usage: ansible_fleet.py PELK PELK_SIM OUTPUT.json
"""

import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import urllib.request

sys.dont_write_bytecode = True
SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..')
sys.path.insert(0, os.path.join(SOURCE, 'tests', 'pty'))
from loopback import loopback_address  # noqa: E402

MANAGERS = 16
ANSWER_MS = 20
FLEET_ROUNDS = 2
INFO_ROUNDS = 5
SLOW_INFO_ROUNDS = 3
SLOW_ANSWER_MS = 5
VDISKS = 1000
INFO_LINES = ['SHOW SYSTEM FULL', 'SHOW VDISK FULL', 'SHOW HOST FULL',
              'SHOW LUN FULL', 'SHOW DISK_GROUP FULL', 'SHOW FOLDER FULL',
              'SHOW DR_GROUP FULL']

CONFIGURATION = """[defaults]
collections_path = %(collections)s
interpreter_python = /usr/bin/python3
retry_files_enabled = False
callback_plugins = %(callbacks)s
internal_poll_interval = 0.05
[connection]
pipelining = True
"""

# The seconds of each task from its start to its result, written at the
# end of the run to $TASK_SECONDS.
TASK_SECONDS = '''import json, os, time
from ansible.plugins.callback import CallbackBase


class CallbackModule(CallbackBase):
    CALLBACK_VERSION = 2.0
    CALLBACK_TYPE = 'aggregate'
    CALLBACK_NAME = 'task_seconds'
    CALLBACK_NEEDS_ENABLED = True

    def __init__(self):
        super(CallbackModule, self).__init__()
        self.started = {}
        self.seconds = []

    def v2_playbook_on_task_start(self, task, is_conditional):
        self.started[task._uuid] = time.perf_counter()

    def v2_runner_on_ok(self, result):
        task = result._task
        self.seconds.append([task.get_name(),
                             time.perf_counter() - self.started[task._uuid]])

    def v2_playbook_on_stats(self, stats):
        with open(os.environ['TASK_SECONDS'], 'w') as file:
            json.dump(self.seconds, file)
'''

INFO_PLAYBOOK = """- name: One info task
  hosts: localhost
  connection: local
  gather_facts: false
  tasks:
    - name: Gather
      pelk.storage.info:
        manager: %(manager)s
        username: administrator
        system: Production
        pelk_path: %(pelk)s
      register: info
    - name: Every virtual disk came
      ansible.builtin.assert:
        that: info.vdisks | length == %(count)d
"""


class Simulators(object):

    def __init__(self, program, scratch):
        self.program = program
        self.scratch = scratch
        self.processes = []

    def start(self, number, *arguments):
        address = loopback_address(number)
        process = subprocess.Popen(
            [self.program, '--demo', '--address', address] + list(arguments),
            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        self.processes.append(process)
        line = process.stdout.readline()
        if 'listening' not in line:
            raise SystemExit('pelk-sim did not start: %r' % line)
        return address

    def stop(self):
        for process in self.processes:
            process.terminate()
            process.wait()
            process.stdout.close()


def control(address, path, body=None):
    request = urllib.request.Request(
        'http://%s:2301%s' % (address, path),
        data=body.encode() if body is not None else None,
        method='POST' if body is not None else 'GET')
    with urllib.request.urlopen(request, timeout=60) as answer:
        return answer.read().decode()


def with_vdisks(address, count):
    """Production with `count` more virtual disks, in the Archive group."""
    state = json.loads(control(address, '/sim/state'))
    production = state['systems'][0]
    for number in range(count):
        production['vdisks'].append(dict(
            name='\\Virtual Disks\\bulk%04d\\ACTIVE' % number,
            group='\\Disk Groups\\Archive', size_gb=1, redundancy='Vraid0',
            write_cache='Mirrored write-back', read_cache='On',
            write_protect='No', preferred_path='No preference', os_unit_id=0,
            comment='bulk'))
    control(address, '/sim/state', json.dumps(state))
    return len(production['vdisks']) - 1  # the snapshot is no vdisk


def playbook(environment, scratch, *arguments):
    started = time.perf_counter()
    done = subprocess.run(['ansible-playbook'] + list(arguments),
                          env=environment, cwd=scratch, capture_output=True,
                          text=True)
    seconds = time.perf_counter() - started
    if done.returncode != 0:
        raise SystemExit('ansible-playbook %s failed:\n%s%s' % (
            ' '.join(arguments), done.stdout, done.stderr))
    return seconds


def capture_fleet(simulators, environment, scratch):
    """Wall seconds of the capture playbook with forks 16 and forks 1."""
    hosts = {}
    for number in range(1, MANAGERS + 1):
        address = simulators.start(number, '--fault',
                                   'delay:*:%d' % ANSWER_MS)
        hosts['array%02d' % number] = dict(manager=address)
    inventory = os.path.join(scratch, 'fleet.json')
    with open(inventory, 'w') as file:
        json.dump(dict(arrays=dict(hosts=hosts, vars=dict(
            ansible_connection='local', username='administrator',
            system='Production'))), file)
    nightly = os.path.join(SOURCE, 'ansible', 'examples', 'nightly.yml')
    captures = os.path.join(scratch, 'captures')
    run = ['-i', inventory, '-e', 'capture_dir=' + captures, nightly]
    playbook(environment, scratch, '-f', str(MANAGERS), *run)
    times = dict(parallel=[], serial=[])
    for _ in range(FLEET_ROUNDS):
        for name, forks in (('parallel', MANAGERS), ('serial', 1)):
            times[name].append(playbook(environment, scratch, '-f',
                                        str(forks), *run))
    return times


def info_task(simulators, environment, scratch, pelk, number, rounds,
              answer_ms=0):
    """Seconds of the info task, and of pelk alone running its lines."""
    faults = ['--fault', 'delay:*:%d' % answer_ms] if answer_ms else []
    address = simulators.start(number, *faults)
    count = with_vdisks(address, VDISKS)
    info = os.path.join(scratch, 'info.yml')
    with open(info, 'w') as file:
        file.write(INFO_PLAYBOOK % dict(manager=address, pelk=pelk,
                                        count=count))
    lines = ['SELECT MANAGER %s USERNAME=administrator' % address,
             'SELECT SYSTEM Production'] + INFO_LINES
    alone = tempfile.mkdtemp(dir=scratch)
    seconds_file = os.path.join(scratch, 'task-seconds.json')
    environment = dict(environment, TASK_SECONDS=seconds_file,
                       ANSIBLE_CALLBACKS_ENABLED='task_seconds')
    times = dict(task=[], alone=[])
    for _ in range(rounds):
        started = time.perf_counter()
        done = subprocess.run([pelk, '--json', '--timeout', '60'],
                              input='\n'.join(lines) + '\n', text=True,
                              cwd=alone, env=environment,
                              capture_output=True)
        times['alone'].append(time.perf_counter() - started)
        if done.returncode != 0 or done.stdout.count('\n') != len(lines):
            raise SystemExit('pelk alone failed:\n' + done.stderr)
        playbook(environment, scratch, '-i', 'localhost,', info)
        with open(seconds_file) as file:
            times['task'].append(dict(json.load(file))['Gather'])
    return times


def entry(name, seconds, **extra):
    found = dict(name=name, run_type='iteration', iterations=len(seconds),
                 real_time=statistics.median(seconds) * 1000.0,
                 time_unit='ms')
    found.update(extra)
    return found


def main(pelk, pelk_sim, output):
    pelk, pelk_sim = os.path.abspath(pelk), os.path.abspath(pelk_sim)
    scratch = tempfile.mkdtemp(prefix='pelk-bench-ansible-')
    simulators = Simulators(pelk_sim, scratch)
    configuration = os.path.join(scratch, 'ansible.cfg')
    callbacks = os.path.join(scratch, 'callbacks')
    os.makedirs(callbacks)
    with open(os.path.join(callbacks, 'task_seconds.py'), 'w') as file:
        file.write(TASK_SECONDS)
    with open(configuration, 'w') as file:
        file.write(CONFIGURATION % dict(
            collections=os.path.join(SOURCE, 'ansible'), callbacks=callbacks))
    home = os.path.join(scratch, 'home')
    environment = dict((key, value) for key, value in os.environ.items()
                       if not key.startswith('ANSIBLE_'))
    environment.update(
        ANSIBLE_CONFIG=configuration, ANSIBLE_HOME=home,
        ANSIBLE_LOCAL_TEMP=os.path.join(home, 'tmp'),
        ANSIBLE_REMOTE_TEMP=os.path.join(home, 'remote'),
        PATH=os.path.dirname(os.path.abspath(pelk)) + ':' +
        os.environ['PATH'], PELK_PASSWORD='admin')
    try:
        fleet = capture_fleet(simulators, environment, scratch)
        info = info_task(simulators, environment, scratch, pelk,
                         MANAGERS + 1, INFO_ROUNDS)
        slow = info_task(simulators, environment, scratch, pelk,
                         MANAGERS + 2, SLOW_INFO_ROUNDS, SLOW_ANSWER_MS)
    finally:
        simulators.stop()
        shutil.rmtree(scratch, ignore_errors=True)
    parallel = statistics.median(fleet['parallel'])
    serial = statistics.median(fleet['serial'])
    task = statistics.median(info['task'])
    alone = statistics.median(info['alone'])
    slow_task = statistics.median(slow['task'])
    slow_alone = statistics.median(slow['alone'])
    benchmarks = [
        entry('CaptureFleet/parallel', fleet['parallel'], forks=MANAGERS,
              managers=MANAGERS, answer_ms=ANSWER_MS,
              ratio=parallel / serial),
        entry('CaptureFleet/serial', fleet['serial'], forks=1,
              managers=MANAGERS, answer_ms=ANSWER_MS),
        entry('InfoTask/vdisks:%d' % VDISKS, info['task'],
              ratio=task / alone),
        entry('InfoPelkAlone/vdisks:%d' % VDISKS, info['alone']),
        entry('InfoTaskSlowManager/vdisks:%d' % VDISKS, slow['task'],
              answer_ms=SLOW_ANSWER_MS, ratio=slow_task / slow_alone),
        entry('InfoPelkAloneSlowManager/vdisks:%d' % VDISKS, slow['alone'],
              answer_ms=SLOW_ANSWER_MS),
    ]
    with open(output, 'w') as file:
        json.dump(dict(benchmarks=benchmarks), file, indent=1)
    for found in benchmarks:
        sys.stderr.write('%s: %.0f ms\n' % (found['name'],
                                             found['real_time']))


if __name__ == '__main__':
    if len(sys.argv) != 4:
        raise SystemExit(__doc__)
    main(*sys.argv[1:])
