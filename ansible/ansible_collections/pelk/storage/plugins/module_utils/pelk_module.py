"""What every module of the collection does the same way: the connection
parameters, running pelk, failing with PELK's own words and the line that
failed, and the life of one named object (read it, plan, change it unless
in check mode, read it again)."""

from ansible.module_utils.basic import AnsibleModule, env_fallback

from ansible_collections.pelk.storage.plugins.module_utils import pelk_run
from ansible_collections.pelk.storage.plugins.module_utils.pelk_lines import (
    LineError, line, token)
from ansible_collections.pelk.storage.plugins.module_utils.pelk_properties \
    import Unchangeable, changes, view, wanted
from ansible_collections.pelk.storage.plugins.module_utils.pelk_run import (
    PelkFailure, Probe)


def argument_spec(system=False, **own):
    """The connection parameters (the doc fragment pelk.storage.connection
    documents them) and the module's own."""
    spec = dict(
        manager=dict(type='str', required=True),
        username=dict(type='str', required=True),
        password=dict(type='str', no_log=True,
                      fallback=(env_fallback, ['PELK_PASSWORD'])),
        system=dict(type='str', required=system),
        timeout=dict(type='int', default=60),
        pelk_path=dict(type='path'),
    )
    spec.update(own)
    return spec


def object_spec(**own):
    """The parameters of a module that keeps one object present or absent:
    the connection's, the system's, state, and the module's own."""
    return argument_spec(system=True,
                         state=dict(type='str', choices=['present', 'absent'],
                                    default='present'),
                         **own)


def main(spec, work):
    """A module's whole run: its parameters checked, then work(module)."""
    execute(AnsibleModule(argument_spec=spec, supports_check_mode=True), work)


def connection(module):
    params = module.params
    program = params['pelk_path'] or module.get_bin_path('pelk')
    if not program:
        raise PelkFailure('pelk is not on PATH: give pelk_path')
    if params['timeout'] < 0:
        raise PelkFailure('timeout must be 0 (no limit) or more seconds')
    return pelk_run.Connection(params['manager'], params['username'],
                               params['password'], program, runner(module),
                               params['timeout'], params['system'])


def runner(module):
    """pelk run by Ansible's own means: an argument list, never a shell, the
    arguments taken as they are (no ~ or $ expansion), bytes in and out."""
    def run_pelk(arguments, data, directory, environment):
        return module.run_command(arguments, data=data, binary_data=True,
                                  cwd=directory, environ_update=environment,
                                  encoding=None, expand_user_and_vars=False,
                                  handle_exceptions=False)
    return run_pelk


def run(module, lines, yes=False, directory=None):
    """The result of each line, run after logging in (and selecting the
    system)."""
    return pelk_run.run(connection(module), lines, yes=yes,
                        directory=directory)


def require(module, keyword, listed):
    """Fails the task with PELK's own words when the object is not there
    (SHOW of it fails)."""
    run(module, [show(keyword, listed)])


def fail(module, failure, **returned):
    """Ends the task with PELK's words and the line that failed. Called
    outside any except block: there Ansible would add the traceback at
    -vvv, and a failure of pelk is no fault of the module's."""
    if failure.command is not None:
        returned.update(command=failure.command, error=failure.error)
    module.fail_json(msg=failure.message, **returned)


def execute(module, work):
    """Runs work(module), which ends in exit_json; a failure of pelk or a
    value that cannot be written ends the task with its message instead."""
    try:
        work(module)
        return
    except PelkFailure as raised:
        failure = raised
    except (LineError, Unchangeable) as problem:
        failure = PelkFailure(str(problem))
    fail(module, failure)


def show(keyword, listed):
    """SHOW of one object by the name PELK lists. Listed names of the kinds
    the modules manage start with a backslash, so none can be taken for
    FULL or NOFULL."""
    return 'SHOW %s %s' % (keyword, token(listed))


def read_object(module, keyword, listed):
    """The object PELK shows under `listed`, or None when there is none."""
    results = run(module, ['SHOW ' + keyword, Probe(show(keyword, listed))])
    if listed not in results[0].get('objects', []):
        return None
    if not results[1].get('ok'):
        raise PelkFailure('%s: %s' % (results[1].get('command'),
                                      pelk_run.message_of(results[1])),
                          command=results[1].get('command'),
                          error=results[1].get('error'))
    return results[1].get('object', {})


def set_lines(keyword, listed, properties, shown, asked, what):
    """SET lines, one option each, that give an existing object the
    properties asked for. Raises Unchangeable."""
    return [line('SET', keyword, token(listed), prop.set_option(old, value))
            for prop, old, value in changes(properties,
                                            view(properties, shown), asked,
                                            what)]


def delete_vdisk(listed, shown, force, what):
    """The lines that delete a virtual disk or snapshot, and whether pelk
    must be run with --yes. One still presented to hosts is deleted only
    with force, as the shell's SAFE_DELETE guards it, and then with its
    LUNs: SAFE_DELETE off, which a pelk reading its input answers only
    with --yes."""
    presented = ['LUN %s of %s' % (row.get('Lun'),
                                   row.get('StorageClientName'))
                 for row in shown.get('Presentation', [])
                 if isinstance(row, dict) and row.get('Lun')]
    lines = []
    if presented:
        if not force:
            raise PelkFailure('%s %s is presented (%s); force: true deletes '
                              'it with its LUNs' % (what, listed,
                                                    ', '.join(presented)))
        lines.append('SET OPTIONS NOSAFE_DELETE')
    lines.append(line('DELETE VDISK', token(listed), 'WAIT_FOR_COMPLETION'))
    return lines, bool(presented)


def state_of(name, properties, shown):
    """An object as the diff shows it: absent, or present with its
    properties in parameter terms."""
    if shown is None:
        return dict(name=name, state='absent')
    found = dict(name=name, state='present')
    found.update(view(properties, shown))
    return found


def manage(module, keyword, listed, properties, key, what, add,
           change=None, delete=None):
    """The life of one object of `keyword` listed as `listed` (a `what` in
    messages, returned as `key`): read it, plan the lines that give it the
    state and properties asked for, and finish. add(asked) gives the lines
    that create it; change(shown, asked) those that change it (by default
    SET lines of `properties`); delete(shown) the lines that delete it and
    whether pelk must answer yes (by default DELETE of it)."""
    shown = read_object(module, keyword, listed)
    asked = wanted(properties, module.params)
    lines, predicted, yes = [], asked, False
    if module.params['state'] == 'absent':
        predicted = None
        if shown is not None and delete is not None:
            lines, yes = delete(shown)
        elif shown is not None:
            lines = [line('DELETE', keyword, token(listed))]
    elif shown is None:
        lines = add(asked)
    elif change is not None:
        lines = change(shown, asked)
    else:
        lines = set_lines(keyword, listed, properties, shown, asked, what)
    finish(module, keyword, listed, properties, shown, lines, predicted, key,
           yes=yes)


def finish(module, keyword, listed, properties, shown, lines, predicted,
           key, yes=False):
    """Ends the task: runs `lines` (unless in check mode), reads the object
    again, and returns changed, the commands, the diff and the object.
    `predicted` is the object's state after the lines, in diff terms (None
    when they delete it)."""
    before = state_of(listed, properties, shown)
    if predicted is None:
        after = dict(name=listed, state='absent')
    else:
        after = dict(before, **predicted)
        after['state'] = 'present'
    if lines and not module.check_mode:
        again = [show(keyword, listed)] if predicted is not None else []
        results = run(module, lines + again, yes=yes)
        shown = results[-1].get('object', {}) if again else None
        after = state_of(listed, properties, shown)
    module.exit_json(changed=bool(lines), commands=lines,
                     diff=dict(before=before, after=after),
                     **{key: shown or {}})
