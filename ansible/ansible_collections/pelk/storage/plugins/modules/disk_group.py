DOCUMENTATION = r'''
module: disk_group
short_description: Disk groups of a storage system
description:
  - Creates a disk group from free disks, adds disks to it, sets its spare
    policy, occupancy alarm and comment, or deletes it, through pelk
    (C(ADD DISK_GROUP), C(SET DISK_GROUP), C(DELETE DISK_GROUP)).
  - Properties are compared with the values C(SHOW DISK_GROUP) shows, so a
    task run again changes nothing. Only the properties the task names are
    compared.
  - The disk type is chosen when the group is created, and disks leave a
    group one by one by name, not by count; asking for either on an
    existing group fails the task and changes nothing. The manager refuses
    to delete a group that holds virtual disks.
extends_documentation_fragment:
  - pelk.storage.connection
options:
  system:
    description: The storage system that holds the disk group.
    required: true
    type: str
  name:
    description:
      - The disk group, as C(SHOW DISK_GROUP) lists it
        (C(\Disk Groups\Archive)) or by its bare name.
    type: str
    required: true
  state:
    description: Whether the disk group exists.
    type: str
    choices: [present, absent]
    default: present
  disk_count:
    description:
      - The number of disks in the group. Required to create a group; an
        existing group grows by the difference.
    type: int
  disk_type:
    description: The type of the group's disks; chosen when it is created.
    type: str
    choices: [online, nearonline]
  spare_policy:
    description: How many disks' worth of capacity is kept spare.
    type: str
    choices: [none, single, double]
  occupancy_alarm:
    description: The occupancy, in percent (1 to 100), that raises an alarm.
    type: int
  comment:
    description:
      - 'Comment, at most 128 characters, none of
        C(? " / \ < > * | : & + , %).'
      - pelk cannot set an empty comment.
    type: str
attributes:
  check_mode:
    support: full
    description: Reads the group and reports what would change; sends
      nothing that changes the array.
  diff_mode:
    support: full
    description: Shows the group's properties before and after.
author:
  - PELK maintainers
'''

EXAMPLES = r'''
- name: A near-online pool for backups
  pelk.storage.disk_group:
    manager: 10.0.0.5
    username: administrator
    system: Production
    name: Backups
    disk_count: 8
    disk_type: nearonline
    spare_policy: single
    occupancy_alarm: 90
'''

RETURN = r'''
commands:
  description: The pelk command lines the task sent (in check mode, would
    send).
  returned: always
  type: list
  elements: str
disk_group:
  description: The disk group as C(SHOW DISK_GROUP) shows it after the task
    (in check mode, before it); empty when there is none.
  returned: always
  type: dict
'''

from ansible_collections.pelk.storage.plugins.module_utils import (
    pelk_module, pelk_names)
from ansible_collections.pelk.storage.plugins.module_utils.pelk_lines import (
    line, token)
from ansible_collections.pelk.storage.plugins.module_utils.pelk_properties \
    import (Property, add_options, bounded, choice, comment_property, number,
            numbered_option)

PROPERTIES = (
    Property('disk_count', 'Total_Disks', read=number,
             want=bounded(1, 4294967295, 'disk_count'),
             option=numbered_option('DEVICE_COUNT'),
             set_option=lambda old, new: 'ADD=%d' % (new - old),
             settable=lambda old, new:
             'the group shows no number of disks' if not isinstance(old, int)
             else 'disks leave a group one by one by name (SET DISK_GROUP '
             '... DELETE=disk)' if new < old else None),
    choice('disk_type', 'DiskGroup_DiskType',
           (('online', 'Online', 'ONLINE'),
            ('nearonline', 'Near-Online', 'NEARONLINE')),
           settable=False, keyword='DISKGROUP_DISKTYPE'),
    choice('spare_policy', 'Disk_Failure_Protection_Level',
           (('none', 'None', 'NONE'), ('single', 'Single', 'SINGLE'),
            ('double', 'Double', 'DOUBLE')),
           keyword='SPARE_POLICY'),
    Property('occupancy_alarm', 'Occupancy_Alarm_Level', read=number,
             want=bounded(1, 100, 'occupancy_alarm'),
             option=numbered_option('OCCUPANCY_ALARM')),
    comment_property(),
)


def work(module):
    listed = pelk_names.disk_group(module.params['name'])

    def add(asked):
        if 'disk_count' not in asked:
            raise pelk_module.PelkFailure(
                'disk_count is required to create disk group %s' % listed)
        return [line('ADD DISK_GROUP', token(listed),
                     *add_options(PROPERTIES, asked))]

    pelk_module.manage(module, 'DISK_GROUP', listed, PROPERTIES,
                       'disk_group', 'disk group', add=add)


ARGUMENTS = pelk_module.object_spec(
    name=dict(type='str', required=True),
    disk_count=dict(type='int'),
    disk_type=dict(type='str', choices=['online', 'nearonline']),
    spare_policy=dict(type='str', choices=['none', 'single', 'double']),
    occupancy_alarm=dict(type='int'),
    comment=dict(type='str'),
)


def main():
    pelk_module.main(ARGUMENTS, work)


if __name__ == '__main__':
    main()
