DOCUMENTATION = r'''
module: lun
short_description: Presentations of virtual disks to hosts (LUNs)
description:
  - Presents a virtual disk to a host under a logical unit number, or
    removes that presentation, through pelk (C(ADD LUN), C(DELETE LUN)).
  - A presentation is the pair of virtual disk and host. Its number cannot
    change while it exists; asking for another number fails the task and
    changes nothing.
  - pelk names a LUN by its number, told apart by the order in which the
    manager lists the LUNs of that number; change the LUNs of one array
    one task at a time (C(throttle) of 1, or one play per array), so that a
    LUN removed by one task does not shift the names another task uses.
extends_documentation_fragment:
  - pelk.storage.connection
options:
  system:
    description: The storage system that holds the virtual disk and host.
    required: true
    type: str
  vdisk:
    description:
      - The virtual disk, as for M(pelk.storage.vdisk)
        (C(\Virtual Disks\Finance\db1)), or as C(SHOW VDISK) lists it (a
        snapshot by its listed name).
    type: str
    required: true
  host:
    description: The host, as for M(pelk.storage.host) (C(\Hosts\Unix\web02)).
    type: str
    required: true
  lun:
    description:
      - The logical unit number (1 to 255) under which the host sees the
        disk. When not given, a new presentation takes the lowest number
        the host does not use yet.
    type: int
  state:
    description:
      - Whether the virtual disk is presented to the host. C(absent)
        removes the presentation, whatever its number.
    type: str
    choices: [present, absent]
    default: present
attributes:
  check_mode:
    support: full
    description: Reads the presentations and reports what would change;
      sends nothing that changes the array.
  diff_mode:
    support: full
    description: Shows the presentation before and after.
author:
  - PELK maintainers
'''

EXAMPLES = r'''
- name: The database disk as LUN 3 of the web server
  pelk.storage.lun:
    manager: 10.0.0.5
    username: administrator
    system: Production
    vdisk: \Virtual Disks\Finance\db1
    host: \Hosts\Unix\web02
    lun: 3
'''

RETURN = r'''
commands:
  description: The pelk command lines the task sent (in check mode, would
    send).
  returned: always
  type: list
  elements: str
lun:
  description: The LUN as C(SHOW LUN) shows it after the task (in check
    mode, before it); empty when there is none.
  returned: always
  type: dict
'''

from ansible_collections.pelk.storage.plugins.module_utils import (
    pelk_module, pelk_names)
from ansible_collections.pelk.storage.plugins.module_utils.pelk_lines import (
    LineError, line, token)
from ansible_collections.pelk.storage.plugins.module_utils.pelk_properties \
    import Unchangeable

READ = ['SHOW VDISK', 'SHOW HOST', 'SHOW LUN FULL']
HIGHEST = 255


def listed_vdisk(name, listed):
    """A snapshot is presented by its listed name; any other disk by the
    name ADD VDISK takes, or its listed form."""
    return name if name in listed else pelk_names.vdisk(name)[1]


def presentation(luns, vdisk, host):
    """(LUN object, the name pelk addresses it by) of the presentation of
    `vdisk` to `host`, or (None, None). Every LUN is listed under its
    number, so a number used on two hosts is told apart by pelk's {n}
    suffix, in the manager's order."""
    names = pelk_names.as_listed([lun.get('Name', '') for lun in luns])
    for lun, name in zip(luns, names):
        if lun.get('StorageName') == vdisk and \
                lun.get('StorageClientName') == host:
            return lun, name
    return None, None


def state_of(vdisk, host, lun):
    found = dict(vdisk=vdisk, host=host, state='absent')
    if lun:
        found.update(state='present', lun=int(lun.get('Lun', 0)))
    return found


def work(module):
    params = module.params
    lists = pelk_module.run(module, READ)
    vdisk = listed_vdisk(params['vdisk'], lists[0].get('objects', []))
    host = pelk_names.host(params['host'])[1]
    luns = lists[2].get('objects', [])
    found, name = presentation(luns, vdisk, host)
    wanted_number = params['lun']
    if wanted_number is not None and not 1 <= wanted_number <= HIGHEST:
        raise LineError('lun must be 1 to %d, not %d' % (HIGHEST,
                                                         wanted_number))
    lines = []
    after = state_of(vdisk, host, found)
    if params['state'] == 'absent':
        if found:
            lines.append(line('DELETE LUN', token(name)))
            after = state_of(vdisk, host, None)
    elif found:
        number = int(found.get('Lun', 0))
        if wanted_number is not None and wanted_number != number:
            raise Unchangeable(
                'lun cannot change from %d to %d: %s is presented to %s; '
                'remove the presentation (state: absent) and present it '
                'again' % (number, wanted_number, vdisk, host))
    else:
        # Unknown names fail here with PELK's own words, in check mode too.
        for keyword, listed, at in (('VDISK', vdisk, 0), ('HOST', host, 1)):
            if listed not in lists[at].get('objects', []):
                pelk_module.require(module, keyword, listed)
        used = dict((int(lun.get('Lun', 0)), lun.get('StorageName'))
                    for lun in luns if lun.get('StorageClientName') == host)
        number = wanted_number
        if number is None:
            free = [n for n in range(1, HIGHEST + 1) if n not in used]
            if not free:
                raise pelk_module.PelkFailure('host %s has no free LUN' %
                                              host)
            number = free[0]
        elif number in used:
            raise pelk_module.PelkFailure(
                'LUN %d of host %s already presents %s'
                % (number, host, used[number]))
        lines.append(line('ADD LUN', str(number), 'HOST=' + token(host),
                          'VDISK=' + token(vdisk)))
        after = dict(state_of(vdisk, host, None), state='present',
                     lun=number)
    before = state_of(vdisk, host, found)
    shown = found
    if lines and not module.check_mode:
        again = pelk_module.run(module, lines + ['SHOW LUN FULL'])[-1]
        shown, _ = presentation(again.get('objects', []), vdisk, host)
        after = state_of(vdisk, host, shown)
    module.exit_json(changed=bool(lines), commands=lines,
                     diff=dict(before=before, after=after), lun=shown or {})


ARGUMENTS = pelk_module.object_spec(
    vdisk=dict(type='str', required=True),
    host=dict(type='str', required=True),
    lun=dict(type='int'),
)


def main():
    pelk_module.main(ARGUMENTS, work)


if __name__ == '__main__':
    main()
