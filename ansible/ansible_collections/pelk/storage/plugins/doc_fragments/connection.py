class ModuleDocFragment(object):

    # The parameters every module of the collection shares: which
    # management server, who logs in, which array, and which pelk.
    DOCUMENTATION = r'''
options:
  manager:
    description:
      - The management server, as C(SELECT MANAGER) takes it, a host name or
        address, optionally followed by C(:port) (12301 unless given).
      - Passed to pelk unchanged.
    type: str
    required: true
  username:
    description:
      - The user that logs in to the management server.
    type: str
    required: true
  password:
    description:
      - The user's password.
      - It reaches pelk through the environment variable C(PELK_PASSWORD) of
        the pelk process, never through its arguments or its input, and it
        is never part of the module's result.
      - When not given, the environment variable C(PELK_PASSWORD) of the
        control node is used.
    type: str
  system:
    description:
      - The name of the storage system (array) the task acts on, as
        C(SHOW SYSTEM) lists it.
      - Required by every module that changes or reads the objects of one
        array.
    type: str
  timeout:
    description:
      - Seconds one request to the management server may take, connection
        and whole answer together, before pelk gives it up and the task
        fails (pelk's C(--timeout)).
      - C(0) means no limit.
    type: int
    default: 60
  pelk_path:
    description:
      - The pelk program to run.
      - By default C(pelk) on the C(PATH) of the control node, else the
        C(build/pelk) of the PELK checkout the collection is used from.
    type: path
notes:
  - The modules run on the control node (C(connection=local)); the array is
    a parameter, not an inventory host that Ansible logs in to.
  - Each task runs pelk in a private directory of its own (mode 0700) that
    holds pelk's session file and is removed afterwards, so tasks running at
    the same time never share a session.
  - Names and values must be writable on one pelk command line, as printable
    ASCII, without double quotes, with balanced parentheses, not starting
    with a blank or C(?). Other values fail the task before anything is
    sent.
'''
