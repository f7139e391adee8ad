DOCUMENTATION = r'''
module: info
short_description: The configuration of a management server's arrays, as data
description:
  - Gathers what the SHOW commands show; the manager's storage systems,
    and for one system its virtual disks, snapshots, hosts with their
    adapters, LUN presentations, disk groups, folders and DR groups, each
    with every property the manager reports.
  - One pelk run per task, whatever the number of objects
    (C(SHOW ... FULL) of each kind).
  - Objects are returned as pelk's C(--json) shows them, each element of
    the manager's answer under its own name, its value a text exactly as
    the manager sent it.
extends_documentation_fragment:
  - pelk.storage.connection
options:
  system:
    description:
      - The storage system whose objects are gathered. Without it only the
        systems are.
    type: str
  gather_subset:
    description:
      - The kinds to gather. C(all) is every kind; without C(system), all
        means the systems alone.
    type: list
    elements: str
    choices: [all, systems, vdisks, snapshots, hosts, luns, disk_groups,
              folders, dr_groups]
    default: [all]
attributes:
  check_mode:
    support: full
    description: Reads only; runs the same in check mode.
author:
  - PELK maintainers
'''

EXAMPLES = r'''
- name: Everything about the production array
  pelk.storage.info:
    manager: 10.0.0.5
    username: administrator
    system: Production
  register: production

- name: The capacity of each virtual disk
  ansible.builtin.debug:
    msg: "{{ production.vdisks | map(attribute='Capacity_Req') | list }}"

- name: Only the hosts and their LUNs
  pelk.storage.info:
    manager: 10.0.0.5
    username: administrator
    system: Production
    gather_subset: [hosts, luns]
'''

RETURN = r'''
systems:
  description: The manager's storage systems (C(SHOW SYSTEM FULL)).
  returned: when gathered
  type: list
  elements: dict
vdisks:
  description: The system's virtual disks but its snapshots
    (C(SHOW VDISK FULL)).
  returned: when gathered
  type: list
  elements: dict
snapshots:
  description: The system's snapshots (C(SHOW VDISK FULL), type snapshot).
  returned: when gathered
  type: list
  elements: dict
hosts:
  description: The system's hosts with their adapters (C(Port)) and LUNs
    (C(SHOW HOST FULL)).
  returned: when gathered
  type: list
  elements: dict
luns:
  description: The system's LUN presentations (C(SHOW LUN FULL)).
  returned: when gathered
  type: list
  elements: dict
disk_groups:
  description: The system's disk groups (C(SHOW DISK_GROUP FULL)).
  returned: when gathered
  type: list
  elements: dict
folders:
  description: The system's folders (C(SHOW FOLDER FULL)).
  returned: when gathered
  type: list
  elements: dict
dr_groups:
  description: The system's DR groups (C(SHOW DR_GROUP FULL)).
  returned: when gathered
  type: list
  elements: dict
'''

from ansible_collections.pelk.storage.plugins.module_utils import pelk_module
from ansible_collections.pelk.storage.plugins.module_utils.pelk_run import (
    PelkFailure)

# Each kind a system holds: the SHOW that lists it, and which of its
# objects belong to the kind (virtual disks and snapshots share one list).
KINDS = (
    ('vdisks', 'VDISK', lambda o: o.get('Vdisk_Type') != 'snapshot'),
    ('snapshots', 'VDISK', lambda o: o.get('Vdisk_Type') == 'snapshot'),
    ('hosts', 'HOST', None),
    ('luns', 'LUN', None),
    ('disk_groups', 'DISK_GROUP', None),
    ('folders', 'FOLDER', None),
    ('dr_groups', 'DR_GROUP', None),
)
SUBSETS = ['all', 'systems'] + [kind for kind, _, _ in KINDS]


def work(module):
    params = module.params
    subset = set(params['gather_subset'])
    every = 'all' in subset
    system = params['system']
    asked = [kind for kind in KINDS if every or kind[0] in subset]
    if system is None and asked and not every:
        raise PelkFailure('system is required to gather %s'
                          % ', '.join(kind for kind, _, _ in asked))
    lines = []
    if every or 'systems' in subset:
        lines.append('SHOW SYSTEM FULL')
    keywords = []
    if system is not None:
        for _, keyword, _ in asked:
            if keyword not in keywords:
                keywords.append(keyword)
        lines += ['SHOW %s FULL' % keyword for keyword in keywords]
    results = dict((result.get('command'), result) for result in
                   pelk_module.run(module, lines))
    found = {}
    if 'SHOW SYSTEM FULL' in results:
        found['systems'] = results['SHOW SYSTEM FULL'].get('objects', [])
    if system is not None:
        for kind, keyword, belongs in asked:
            objects = results['SHOW %s FULL' % keyword].get('objects', [])
            found[kind] = [o for o in objects if belongs is None or
                           belongs(o)]
    module.exit_json(changed=False, **found)


ARGUMENTS = pelk_module.argument_spec(
    gather_subset=dict(type='list', elements='str', default=['all'],
                       choices=SUBSETS),
)


def main():
    pelk_module.main(ARGUMENTS, work)


if __name__ == '__main__':
    main()
