DOCUMENTATION = r'''
module: host
short_description: Hosts of a storage system, with their adapters
description:
  - Creates a host (a computer that uses the array through its adapters),
    sets its properties and adapters, or deletes it, through pelk
    (C(ADD HOST), C(SET HOST), C(DELETE HOST)).
  - Properties are compared with the values C(SHOW HOST) shows, so a task
    run again changes nothing. Only the properties the task names are
    compared.
  - The manager refuses to delete a host that still has LUNs; remove them
    first with M(pelk.storage.lun).
extends_documentation_fragment:
  - pelk.storage.connection
options:
  system:
    description: The storage system the host is defined on.
    required: true
    type: str
  name:
    description:
      - The host with its folder (C(\Hosts\Unix\web02)), as C(ADD HOST)
        takes it and C(SHOW HOST) lists it. A bare name is in the root
        folder C(\Hosts\).
    type: str
    required: true
  state:
    description: Whether the host exists.
    type: str
    choices: [present, absent]
    default: present
  operating_system:
    description: The host's operating system mode.
    type: str
    choices: [ordan, arven, braskel, mirador, valmer, unknown, templar]
  adapters:
    description:
      - The world wide names of the host's adapters, exactly; missing ones
        are added, others removed. Dashes and letter case do not matter;
        sixteen hexadecimal digits are written C(1000-0000-C920-A5B6).
    type: list
    elements: str
  ip:
    description: The host's IP address.
    type: str
  comment:
    description:
      - 'Comment, at most 128 characters, none of
        C(? " / \ < > * | : & + , %).'
      - pelk cannot set an empty comment.
    type: str
attributes:
  check_mode:
    support: full
    description: Reads the host and reports what would change; sends
      nothing that changes the array.
  diff_mode:
    support: full
    description: Shows the host's properties and adapters before and after.
author:
  - PELK maintainers
'''

EXAMPLES = r'''
- name: A web server with two adapters
  pelk.storage.host:
    manager: 10.0.0.5
    username: administrator
    system: Production
    name: \Hosts\Unix\web02
    operating_system: valmer
    adapters:
      - 2100-00E0-8B05-0A01
      - 2100-00E0-8B05-0A02
    comment: Front end
'''

RETURN = r'''
commands:
  description: The pelk command lines the task sent (in check mode, would
    send).
  returned: always
  type: list
  elements: str
host:
  description: The host as C(SHOW HOST) shows it after the task (in check
    mode, before it); empty when there is none.
  returned: always
  type: dict
'''

from ansible_collections.pelk.storage.plugins.module_utils import (
    pelk_module, pelk_names)
from ansible_collections.pelk.storage.plugins.module_utils.pelk_lines import (
    line, token)
from ansible_collections.pelk.storage.plugins.module_utils.pelk_properties \
    import (Property, add_options, choice, comment_property, named_option,
            view)

SYSTEMS = ('ordan', 'arven', 'braskel', 'mirador', 'valmer', 'unknown',
           'templar')


def world_wide_name(text):
    """An adapter's name as the manager shows it: sixteen hexadecimal
    digits in groups of four; anything else in capitals as given."""
    digits = text.replace('-', '').upper()
    if len(digits) == 16 and all(c in '0123456789ABCDEF' for c in digits):
        return '-'.join(digits[i:i + 4] for i in range(0, 16, 4))
    return text.upper()


def adapters_shown(rows):
    return sorted(world_wide_name(row.get('Port', '')) for row in rows
                  if isinstance(row, dict) and row.get('Port'))


SCALARS = (
    choice('operating_system', 'Operating_system',
           tuple((name, name.upper(), name.upper()) for name in SYSTEMS),
           keyword='OPERATING_SYSTEM'),
    Property('ip', 'IPAddress', option=named_option('IP', 'ip')),
    comment_property(),
)
ADAPTERS = Property(
    'adapters', 'Port', read=adapters_shown,
    want=lambda names: sorted(set(world_wide_name(n) for n in names)))
PROPERTIES = SCALARS + (ADAPTERS,)


def work(module):
    add_name, listed = pelk_names.host(module.params['name'])

    def add(asked):
        adapters = ['WORLD_WIDE_NAME=' + token(name, 'adapter')
                    for name in asked.get('adapters', [])]
        return [line('ADD HOST', token(add_name),
                     *(add_options(SCALARS, asked) + adapters))]

    def change(shown, asked):
        lines = pelk_module.set_lines('HOST', listed, SCALARS, shown, asked,
                                      'host')
        if 'adapters' in asked:
            have = set(view(PROPERTIES, shown).get('adapters', []))
            want = set(asked['adapters'])
            for name in sorted(want - have):
                lines.append(line('SET HOST', token(listed),
                                  'ADD_WORLD_WIDE_NAME=' +
                                  token(name, 'adapter')))
            for name in sorted(have - want):
                lines.append(line('SET HOST', token(listed),
                                  'DELETE_WORLD_WIDE_NAME=' +
                                  token(name, 'adapter')))
        return lines

    pelk_module.manage(module, 'HOST', listed, PROPERTIES, 'host', 'host',
                       add=add, change=change)


ARGUMENTS = pelk_module.object_spec(
    name=dict(type='str', required=True),
    operating_system=dict(type='str', choices=list(SYSTEMS)),
    adapters=dict(type='list', elements='str'),
    ip=dict(type='str'),
    comment=dict(type='str'),
)


def main():
    pelk_module.main(ARGUMENTS, work)


if __name__ == '__main__':
    main()
