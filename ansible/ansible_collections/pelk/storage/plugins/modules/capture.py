DOCUMENTATION = r'''
module: capture
short_description: Capture a system's configuration and report its drift
description:
  - Runs C(CAPTURE CONFIGURATION) into a private directory and compares the
    step scripts with those in C(dest) on the control node, leaving out the
    line that says when each was captured (and the checksum line, which
    covers it).
  - Only when the configuration differs are the files in C(dest) replaced,
    and the task reports C(changed) with the changed lines. A step file the
    new capture has no use for is removed. Run nightly, this is the drift
    report, what changed on which array since the last run; keep C(dest) in
    a version control system to have the history of every line.
  - A capture that fails leaves C(dest) as it was.
extends_documentation_fragment:
  - pelk.storage.connection
options:
  system:
    description: The storage system to capture.
    required: true
    type: str
  dest:
    description:
      - The directory of the capture files on the control node; created when
        missing.
    type: path
    required: true
  prefix:
    description:
      - The name the files are given, as C(CAPTURE CONFIGURATION) names them
        from C(PREFIX.txt) (C(PREFIX_Step1A.txt) to C(PREFIX_Step3.txt)).
      - By default the system's name.
    type: str
attributes:
  check_mode:
    support: full
    description: Captures and reports the drift; writes nothing to C(dest).
  diff_mode:
    support: full
    description: A unified diff of each step script that changed.
author:
  - PELK maintainers
'''

EXAMPLES = r'''
- name: Tonight's capture of the production array
  pelk.storage.capture:
    manager: 10.0.0.5
    username: administrator
    system: Production
    dest: /srv/captures/production
  register: capture

- name: What drifted
  ansible.builtin.debug:
    msg: "{{ capture.drift }}"
  when: capture.changed
'''

RETURN = r'''
files:
  description: The capture files in C(dest) after the task (in check mode,
    those it would hold).
  returned: always
  type: list
  elements: str
removed:
  description: Step files of an earlier capture that the new one has no use
    for (removed, or in check mode to be removed).
  returned: always
  type: list
  elements: str
drift:
  description: A unified diff of the scripts, the time-stamp and checksum
    lines left out; empty when nothing changed.
  returned: always
  type: str
'''

import difflib
import os
import re
import shutil
import tempfile

from ansible_collections.pelk.storage.plugins.module_utils import pelk_module
from ansible_collections.pelk.storage.plugins.module_utils.pelk_lines import (
    LineError, line, token)
from ansible_collections.pelk.storage.plugins.module_utils.pelk_run import (
    PelkFailure)

STEPS = ('Step1A', 'Step1B', 'Step1C', 'Step2', 'Step3')
# The lines that differ from one capture to the next of the same
# configuration: when it was captured, and the checksum that covers it.
VOLATILE = re.compile(r'^! (CAPTURE CONFIGURATION \S+ on |'
                      r'PELK CAPTURE script checksum end: )')


def step_names(file_name):
    """The step files CAPTURE CONFIGURATION makes of `file_name`: the step
    goes in front of its first dot."""
    dot = file_name.find('.')
    stem, rest = (file_name, '') if dot < 0 else (file_name[:dot],
                                                  file_name[dot:])
    return ['%s_%s%s' % (stem, step, rest) for step in STEPS]


def compared(path):
    """The lines of a capture file that say something about the array."""
    with open(path, 'rb') as file:
        text = file.read().decode('utf-8', 'replace')
    return [text_line for text_line in text.splitlines(True)
            if not VOLATILE.match(text_line)]


def drift_of(names, old_dir, new_dir):
    """Per changed file: (name, lines before, lines after)."""
    found = []
    for name in names:
        old = os.path.join(old_dir, name)
        new = os.path.join(new_dir, name)
        before = compared(old) if os.path.exists(old) else []
        after = compared(new) if os.path.exists(new) else []
        if before != after:
            found.append((name, before, after))
    return found


def replace(names, captured, dest, obsolete):
    """Puts the captured files `names` into `dest`: each is copied beside
    its name first, and only when every copy is complete do they take their
    names and the obsolete files go; so dest never holds half a capture."""
    if not os.path.isdir(dest):
        os.makedirs(dest)
    staged = []
    try:
        for name in names:
            handle, temporary = tempfile.mkstemp(prefix='.%s.' % name,
                                                 dir=dest)
            os.close(handle)
            staged.append((temporary, os.path.join(dest, name)))
            shutil.copy(os.path.join(captured, name), temporary)
    except OSError:
        for temporary, _ in staged:
            os.unlink(temporary)
        raise
    for temporary, final in staged:
        os.rename(temporary, final)
    for name in obsolete:
        os.unlink(os.path.join(dest, name))


def work(module):
    params = module.params
    dest = params['dest']
    prefix = params['prefix'] if params['prefix'] is not None else \
        params['system']
    if '/' in prefix:
        raise LineError('prefix %r must be a file name, not a path' % prefix)
    file_name = prefix + '.txt'
    names = step_names(file_name)
    captured = tempfile.mkdtemp(prefix='pelk-capture-')
    try:
        pelk_module.run(module, [line('CAPTURE CONFIGURATION',
                                      token(file_name, 'prefix'))],
                        directory=captured)
        new = [name for name in names
               if os.path.exists(os.path.join(captured, name))]
        old = [name for name in names
               if os.path.exists(os.path.join(dest, name))]
        obsolete = [name for name in old if name not in new]
        changed_files = drift_of(names, dest, captured)
        drift = ''.join(
            ''.join(difflib.unified_diff(before, after,
                                         os.path.join(dest, name),
                                         os.path.join(dest, name)))
            for name, before, after in changed_files)
        if changed_files and not module.check_mode:
            # Only the files that changed: the others keep the capture
            # they come from, so a history of dest shows real changes only.
            try:
                replace([name for name, _, after in changed_files if after],
                        captured, dest, obsolete)
            except OSError as error:
                raise PelkFailure('cannot write the capture to %s: %s'
                                  % (dest, error))
    finally:
        shutil.rmtree(captured, ignore_errors=True)
    module.exit_json(
        changed=bool(changed_files), drift=drift,
        files=[os.path.join(dest, name) for name in new],
        removed=[os.path.join(dest, name) for name in obsolete]
        if changed_files else [],
        diff=[dict(before_header=os.path.join(dest, name),
                   after_header=os.path.join(dest, name),
                   before=''.join(before), after=''.join(after))
              for name, before, after in changed_files])


ARGUMENTS = pelk_module.argument_spec(
    system=True,
    dest=dict(type='path', required=True),
    prefix=dict(type='str'),
)


def main():
    pelk_module.main(ARGUMENTS, work)


if __name__ == '__main__':
    main()
