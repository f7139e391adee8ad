DOCUMENTATION = r'''
module: vdisk
short_description: Virtual disks of a storage system
description:
  - Creates a virtual disk, sets its properties, or deletes it, through
    pelk (C(ADD VDISK), C(SET VDISK), C(DELETE VDISK)).
  - Properties are compared with the values C(SHOW VDISK) shows, so a task
    run again changes nothing. Only the properties the task names are
    compared.
  - Size can grow but not shrink, and redundancy and disk group are chosen
    when the disk is created; asking to change them on an existing disk
    fails the task and changes nothing.
extends_documentation_fragment:
  - pelk.storage.connection
options:
  system:
    description: The storage system that holds the virtual disk.
    required: true
    type: str
  name:
    description:
      - The virtual disk with its folder, as C(ADD VDISK) takes it
        (C(\Virtual Disks\Finance\db1)), or as C(SHOW VDISK) lists it
        with C(\ACTIVE) at its end. A bare name is in the root folder
        C(\Virtual Disks\).
    type: str
    required: true
  state:
    description: Whether the virtual disk exists.
    type: str
    choices: [present, absent]
    default: present
  size:
    description:
      - Size in GB (1 to 65535). Required to create a virtual disk.
      - An existing disk can grow; it cannot shrink.
    type: int
  redundancy:
    description: Redundancy level; chosen when the disk is created.
    type: str
    choices: [vraid0, vraid1, vraid5]
  disk_group:
    description:
      - The disk group the disk is carved from (C(\Disk Groups\Archive), or
        the bare name); chosen when the disk is created. Without it the
        manager chooses.
    type: str
  comment:
    description:
      - 'Comment, at most 128 characters, none of
        C(? " / \ < > * | : & + , %).'
      - pelk cannot set an empty comment, so a comment once set can be
        changed but not removed.
    type: str
  write_cache:
    description: Write cache policy (mirrored or unmirrored write-back).
    type: str
    choices: [mirrored, unmirrored]
  read_cache:
    description: Whether the read cache is on.
    type: bool
  write_protect:
    description: Whether the disk is write protected.
    type: bool
  preferred_path:
    description:
      - The controller path hosts prefer; C(none) for no preference.
      - C(a_failover) is Path A failover only, C(a_both) Path A
        failover/failback, and so on for B.
    type: str
    choices: [none, a_failover, a_both, b_failover, b_both]
  os_unit_id:
    description: OS unit ID (0 to 32767).
    type: int
  force:
    description:
      - Delete the disk also while it is presented to hosts; its LUNs go
        with it. Without it such a disk is not deleted and the task fails.
    type: bool
    default: false
attributes:
  check_mode:
    support: full
    description: Reads the disk and reports what would change; sends
      nothing that changes the array.
  diff_mode:
    support: full
    description: Shows the disk's properties before and after.
author:
  - PELK maintainers
'''

EXAMPLES = r'''
- name: A database disk, presented nowhere yet
  pelk.storage.vdisk:
    manager: 10.0.0.5
    username: administrator
    system: Production
    name: \Virtual Disks\Finance\db1
    size: 20
    redundancy: vraid5
    disk_group: \Disk Groups\Default Disk Group
    comment: Ledger database
    read_cache: true

- name: Grow it
  pelk.storage.vdisk:
    manager: 10.0.0.5
    username: administrator
    system: Production
    name: \Virtual Disks\Finance\db1
    size: 40

- name: Delete it, with its LUNs
  pelk.storage.vdisk:
    manager: 10.0.0.5
    username: administrator
    system: Production
    name: \Virtual Disks\Finance\db1
    state: absent
    force: true
'''

RETURN = r'''
commands:
  description: The pelk command lines the task sent (in check mode, would
    send).
  returned: always
  type: list
  elements: str
vdisk:
  description: The virtual disk as C(SHOW VDISK) shows it after the task
    (in check mode, before it); empty when there is none.
  returned: always
  type: dict
'''

from ansible_collections.pelk.storage.plugins.module_utils import (
    pelk_module, pelk_names)
from ansible_collections.pelk.storage.plugins.module_utils.pelk_lines import (
    line, token)
from ansible_collections.pelk.storage.plugins.module_utils.pelk_properties \
    import (Property, add_options, bounded, choice, comment_property,
            named_option, number, numbered_option, switch)

PROPERTIES = (
    Property('size', 'Capacity_Req', read=number,
             want=bounded(1, 65535, 'size'),
             option=numbered_option('SIZE'),
             settable=lambda old, new: 'a virtual disk cannot shrink'
             if isinstance(old, int) and new < old else None),
    choice('redundancy', 'Redundancy',
           (('vraid0', 'Vraid0', 'VRAID0'), ('vraid1', 'Vraid1', 'VRAID1'),
            ('vraid5', 'Vraid5', 'VRAID5')),
           settable=False, keyword='REDUNDANCY'),
    Property('disk_group', 'Disk_Group', want=pelk_names.disk_group,
             option=named_option('DISK_GROUP', 'disk group'),
             settable=False),
    comment_property(),
    choice('write_cache', 'Write_cache_Policy',
           (('mirrored', 'Mirrored write-back', 'MIRRORED_WRITEBACK'),
            ('unmirrored', 'Unmirrored write-back', 'NOMIRRORED_WRITEBACK'))),
    switch('read_cache', 'Read_cache_Policy', 'READ_CACHE', 'NOREAD_CACHE',
           'On', 'Off'),
    switch('write_protect', 'Write_Protect', 'WRITE_PROTECT',
           'NOWRITE_PROTECT', 'Yes', 'No'),
    choice('preferred_path', 'Preferred_path',
           (('none', 'No preference', 'NOPREFERRED_PATH'),
            ('a_failover', 'Path A-Failover only',
             'PREFERRED_PATH=PATH_A_FAILOVER'),
            ('a_both', 'Path A-Failover/failback',
             'PREFERRED_PATH=PATH_A_BOTH'),
            ('b_failover', 'Path B-Failover only',
             'PREFERRED_PATH=PATH_B_FAILOVER'),
            ('b_both', 'Path B-Failover/failback',
             'PREFERRED_PATH=PATH_B_BOTH'))),
    Property('os_unit_id', 'OS_Unit_ID', read=number,
             want=bounded(0, 32767, 'os_unit_id'),
             option=numbered_option('OS_UNIT_ID')),
)


def work(module):
    add_name, listed = pelk_names.vdisk(module.params['name'])

    def add(asked):
        if 'size' not in asked:
            raise pelk_module.PelkFailure(
                'size is required to create virtual disk %s' % listed)
        return [line('ADD VDISK', token(add_name),
                     *add_options(PROPERTIES, asked))]

    pelk_module.manage(
        module, 'VDISK', listed, PROPERTIES, 'vdisk', 'virtual disk', add=add,
        delete=lambda shown: pelk_module.delete_vdisk(
            listed, shown, module.params['force'], 'virtual disk'))


ARGUMENTS = pelk_module.object_spec(
    name=dict(type='str', required=True),
    size=dict(type='int'),
    redundancy=dict(type='str', choices=['vraid0', 'vraid1', 'vraid5']),
    disk_group=dict(type='str'),
    comment=dict(type='str'),
    write_cache=dict(type='str', choices=['mirrored', 'unmirrored']),
    read_cache=dict(type='bool'),
    write_protect=dict(type='bool'),
    preferred_path=dict(type='str', choices=[
        'none', 'a_failover', 'a_both', 'b_failover', 'b_both']),
    os_unit_id=dict(type='int'),
    force=dict(type='bool', default=False),
)


def main():
    pelk_module.main(ARGUMENTS, work)


if __name__ == '__main__':
    main()
