DOCUMENTATION = r'''
module: command
short_description: Run pelk command lines as given
description:
  - Runs PELK command lines in one pelk session, after logging in (and
    selecting C(system) when given), and returns the JSON result of each,
    as C(pelk --json) prints them.
  - The first line that fails stops the run and fails the task with PELK's
    error text and that line (the session runs with
    C(ON_ERROR=EXIT_ON_ERROR), which a line may change).
  - C(changed) is false when every line is a SHOW or another command that
    changes nothing on the array (C(SELECT), C(SET OPTIONS), C(EMVERSION),
    C(CAPTURE), C(HELP), C(EXERCISE_DISK SUMMARY), comments). Every other
    line counts as a change, C(FILE) included.
  - The lines go to pelk's standard input, not its arguments; still, give
    no C(PASSWORD=) in them, use the module's C(password).
  - pelk runs in a private directory that is removed when it ends, so
    C(CAPTURE CONFIGURATION) keeps its files only when given an absolute
    path on the control node, which it writes in check mode too; the
    M(pelk.storage.capture) module is made for captures.
extends_documentation_fragment:
  - pelk.storage.connection
options:
  lines:
    description: The command lines, each as it would be typed at the prompt.
    type: list
    elements: str
    required: true
  answer_yes:
    description:
      - Answer yes to every question pelk would ask (pelk's C(--yes)), such
        as a deletion with C(SET OPTIONS NOSAFE_DELETE).
    type: bool
    default: false
attributes:
  check_mode:
    support: full
    description: Only the lines that change nothing are sent; the others are
      reported as skipped and predict C(changed).
  diff_mode:
    support: none
author:
  - PELK maintainers
'''

EXAMPLES = r'''
- name: Look at the manager's version and the options in force
  pelk.storage.command:
    manager: 10.0.0.5
    username: administrator
    lines:
      - EMVERSION
      - SHOW OPTIONS

- name: A comment on a virtual disk
  pelk.storage.command:
    manager: 10.0.0.5
    username: administrator
    system: Production
    lines:
      - SET VDISK "\Virtual Disks\scratch\ACTIVE" COMMENT="temporary"
'''

RETURN = r'''
results:
  description:
    - One object per command line, as C(pelk --json) prints it (doc/json.md),
      with C(command), C(ok), C(error) for a failure, and what the command
      reports. A C(FILE) line gives the results of its script's lines first.
    - In check mode a line that was not sent is C({command, skipped}),
      C(skipped) being true.
  returned: always
  type: list
  elements: dict
skipped_lines:
  description: In check mode, the lines that were not sent.
  returned: always
  type: list
  elements: str
'''

from ansible_collections.pelk.storage.plugins.module_utils import (
    pelk_module, pelk_run)
from ansible_collections.pelk.storage.plugins.module_utils.pelk_language \
    import changes_array, is_comment
from ansible_collections.pelk.storage.plugins.module_utils.pelk_run import (
    PelkFailure)


def work(module):
    lines = module.params['lines']
    for text in lines:
        if '\n' in text or '\r' in text:
            # One item must stay one line: a hidden second line would run
            # unclassified, in check mode too.
            raise PelkFailure('a line must not hold a line break: %r' % text)
    changing = [text for text in lines if changes_array(text)]
    skipped = changing if module.check_mode else []
    sent = [text for text in lines if text not in skipped]
    failure = None
    try:
        results = pelk_run.run_script(pelk_module.connection(module), sent,
                                      yes=module.params['answer_yes'])
    except PelkFailure as raised:
        failure = raised
    if failure is not None:
        pelk_module.fail(module, failure, results=failure.results)
    if skipped:
        ran = iter(results)
        results = [dict(command=text, skipped=True) if text in skipped
                   else next(ran, dict(command=text, ok=False))
                   for text in lines if not is_comment(text)]
    module.exit_json(changed=bool(changing), results=results,
                     skipped_lines=skipped)


ARGUMENTS = pelk_module.argument_spec(
    lines=dict(type='list', elements='str', required=True),
    answer_yes=dict(type='bool', default=False),
)


def main():
    pelk_module.main(ARGUMENTS, work)


if __name__ == '__main__':
    main()
