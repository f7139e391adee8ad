"""What every module of the collection does the same way: the connection
parameters, running pelk, failing with PELK's own words and the line that
failed, and the life of one named object (read it, plan, change it unless
in check mode, read it again)."""

from ansible.module_utils.basic import AnsibleModule, env_fallback

from ansible_collections.pelk.storage.plugins.module_utils import pelk_run
from ansible_collections.pelk.storage.plugins.module_utils.pelk_lines import (
    LineError, line, token)
from ansible_collections.pelk.storage.plugins.module_utils.pelk_properties \
    import Unchangeable, changes, view
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


def new_module(spec):
    return AnsibleModule(argument_spec=spec, supports_check_mode=True)


def connection(module):
    params = module.params
    program = params['pelk_path'] or module.get_bin_path('pelk')
    if not program:
        raise PelkFailure('pelk is not on PATH: give pelk_path')
    if params['timeout'] < 0:
        raise PelkFailure('timeout must be 0 (no limit) or more seconds')
    return pelk_run.Connection(params['manager'], params['username'],
                               params['password'], program,
                               params['timeout'], params['system'])


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
    elif predicted is None:
        shown = None
    module.exit_json(changed=bool(lines), commands=lines,
                     diff=dict(before=before, after=after),
                     **{key: shown or {}})
