DOCUMENTATION = r'''
module: folder
short_description: Folders of virtual disks and hosts
description:
  - Creates a folder inside an existing one, sets its comment, or deletes
    it, through pelk (C(ADD FOLDER), C(SET FOLDER), C(DELETE FOLDER)).
  - The manager refuses to delete a folder that is not empty, and the root
    folders can be neither created nor deleted.
extends_documentation_fragment:
  - pelk.storage.connection
options:
  system:
    description: The storage system that holds the folder.
    required: true
    type: str
  name:
    description:
      - The folder's path under C(\Virtual Disks\) or C(\Hosts\), as
        C(ADD FOLDER) takes it (C(\Virtual Disks\Finance)) or as
        C(SHOW FOLDER) lists it, with a backslash at its end. Its parent
        must exist.
    type: str
    required: true
  state:
    description: Whether the folder exists.
    type: str
    choices: [present, absent]
    default: present
  comment:
    description:
      - 'Comment, at most 128 characters, none of
        C(? " / \ < > * | : & + , %).'
      - pelk cannot set an empty comment.
    type: str
attributes:
  check_mode:
    support: full
    description: Reads the folder and reports what would change; sends
      nothing that changes the array.
  diff_mode:
    support: full
    description: Shows the folder before and after.
author:
  - PELK maintainers
'''

EXAMPLES = r'''
- name: A folder for the finance volumes
  pelk.storage.folder:
    manager: 10.0.0.5
    username: administrator
    system: Production
    name: \Virtual Disks\Finance
    comment: Accounting volumes
'''

RETURN = r'''
commands:
  description: The pelk command lines the task sent (in check mode, would
    send).
  returned: always
  type: list
  elements: str
folder:
  description: The folder as C(SHOW FOLDER) shows it after the task (in
    check mode, before it); empty when there is none.
  returned: always
  type: dict
'''

from ansible_collections.pelk.storage.plugins.module_utils import (
    pelk_module, pelk_names)
from ansible_collections.pelk.storage.plugins.module_utils.pelk_lines import (
    line, token)
from ansible_collections.pelk.storage.plugins.module_utils.pelk_properties \
    import add_options, comment_property

PROPERTIES = (comment_property(),)


def work(module):
    add_name, listed = pelk_names.folder(module.params['name'])
    pelk_module.manage(
        module, 'FOLDER', listed, PROPERTIES, 'folder', 'folder',
        add=lambda asked: [line('ADD FOLDER', token(add_name),
                                *add_options(PROPERTIES, asked))])


ARGUMENTS = pelk_module.object_spec(
    name=dict(type='str', required=True),
    comment=dict(type='str'),
)


def main():
    pelk_module.main(ARGUMENTS, work)


if __name__ == '__main__':
    main()
