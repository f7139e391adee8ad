DOCUMENTATION = r'''
module: snapshot
short_description: Snapshots of virtual disks
description:
  - Takes a snapshot of a virtual disk, sets its comment and OS unit ID, or
    deletes it, through pelk (C(ADD SNAPSHOT), C(SET VDISK),
    C(DELETE VDISK)).
  - A snapshot lives beside its source's C(ACTIVE); the snapshot C(nightly)
    of C(\Virtual Disks\Mail\store) is listed as
    C(\Virtual Disks\Mail\store\nightly).
  - Allocation policy and redundancy are chosen when the snapshot is taken;
    asking to change them later fails the task and changes nothing.
extends_documentation_fragment:
  - pelk.storage.connection
options:
  system:
    description: The storage system that holds the virtual disk.
    required: true
    type: str
  vdisk:
    description:
      - The source virtual disk, as for M(pelk.storage.vdisk)
        (C(\Virtual Disks\Mail\store), or listed with C(\ACTIVE)).
    type: str
    required: true
  name:
    description: The snapshot's own name (at most 32 characters).
    type: str
    required: true
  state:
    description: Whether the snapshot exists.
    type: str
    choices: [present, absent]
    default: present
  allocation_policy:
    description: Space allocated fully at once, or on demand.
    type: str
    choices: [fully, demand]
  redundancy:
    description: Redundancy level of the snapshot.
    type: str
    choices: [vraid0, vraid1, vraid5]
  os_unit_id:
    description: OS unit ID (0 to 32767).
    type: int
  comment:
    description:
      - 'Comment, set right after the snapshot is taken; at most 128
        characters, none of C(? " / \ < > * | : & + , %).'
    type: str
  force:
    description: Delete the snapshot also while it is presented to hosts;
      its LUNs go with it.
    type: bool
    default: false
attributes:
  check_mode:
    support: full
    description: Reads the snapshot and reports what would change; sends
      nothing that changes the array.
  diff_mode:
    support: full
    description: Shows the snapshot's properties before and after.
author:
  - PELK maintainers
'''

EXAMPLES = r'''
- name: Tonight's snapshot of the mail store
  pelk.storage.snapshot:
    manager: 10.0.0.5
    username: administrator
    system: Production
    vdisk: \Virtual Disks\Mail\store
    name: nightly
    allocation_policy: demand
'''

RETURN = r'''
commands:
  description: The pelk command lines the task sent (in check mode, would
    send).
  returned: always
  type: list
  elements: str
snapshot:
  description: The snapshot as C(SHOW VDISK) shows it after the task (in
    check mode, before it); empty when there is none.
  returned: always
  type: dict
'''

from ansible_collections.pelk.storage.plugins.module_utils import (
    pelk_module, pelk_names)
from ansible_collections.pelk.storage.plugins.module_utils.pelk_lines import (
    comment, line, token)
from ansible_collections.pelk.storage.plugins.module_utils.pelk_properties \
    import (Property, add_options, bounded, choice, number, numbered_option,
            set_after_add)

PROPERTIES = (
    choice('allocation_policy', 'Allocation_Policy',
           (('fully', 'fully', 'FULLY'), ('demand', 'demand', 'DEMAND')),
           settable=False, keyword='ALLOCATION_POLICY'),
    choice('redundancy', 'Redundancy',
           (('vraid0', 'Vraid0', 'VRAID0'), ('vraid1', 'Vraid1', 'VRAID1'),
            ('vraid5', 'Vraid5', 'VRAID5')),
           settable=False, keyword='REDUNDANCY'),
    Property('os_unit_id', 'OS_Unit_ID', read=number,
             want=bounded(0, 32767, 'os_unit_id'),
             option=numbered_option('OS_UNIT_ID')),
    Property('comment', 'Comments', option=comment, on_add=False),
)


def work(module):
    params = module.params
    _, source = pelk_names.vdisk(params['vdisk'])
    listed = pelk_names.snapshot(source, params['name'])

    def add(asked):
        # An unknown source fails here with PELK's own words, in check
        # mode too.
        pelk_module.require(module, 'VDISK', source)
        return [line('ADD SNAPSHOT', token(params['name']),
                     'VDISK=' + token(source),
                     *add_options(PROPERTIES, asked))] + [
            line('SET VDISK', token(listed), prop.option(value))
            for prop, _, value in set_after_add(PROPERTIES, asked)]

    pelk_module.manage(
        module, 'VDISK', listed, PROPERTIES, 'snapshot', 'snapshot', add=add,
        delete=lambda shown: pelk_module.delete_vdisk(
            listed, shown, params['force'], 'snapshot'))


ARGUMENTS = pelk_module.object_spec(
    vdisk=dict(type='str', required=True),
    name=dict(type='str', required=True),
    allocation_policy=dict(type='str', choices=['fully', 'demand']),
    redundancy=dict(type='str', choices=['vraid0', 'vraid1', 'vraid5']),
    os_unit_id=dict(type='int'),
    comment=dict(type='str'),
    force=dict(type='bool', default=False),
)


def main():
    pelk_module.main(ARGUMENTS, work)


if __name__ == '__main__':
    main()
