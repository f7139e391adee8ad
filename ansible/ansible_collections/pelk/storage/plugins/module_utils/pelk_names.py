"""Object names: as a task gives them, as ADD takes them, as SHOW lists them.

The manager lists every object under its full path: a virtual disk as
\\Virtual Disks\\<folders>\\<name>\\ACTIVE, its snapshots beside ACTIVE, a
host as \\Hosts\\<folders>\\<name>, a folder with a backslash at its end, a
disk group as \\Disk Groups\\<name>. ADD takes the path without ACTIVE (and
without the folder's last backslash), or the bare name for the root folder.
"""

from ansible_collections.pelk.storage.plugins.module_utils.pelk_lines import (
    LineError, check_leaf)

VDISK_ROOT = '\\Virtual Disks\\'
HOST_ROOT = '\\Hosts\\'
GROUP_ROOT = '\\Disk Groups\\'
ACTIVE = '\\ACTIVE'


def _split(name, root, what):
    """(path for ADD, leaf) of a name in `root`: a bare name stands for one
    in the root folder; a path must start with the root."""
    if '\\' not in name:
        path = root + name
    elif name.startswith(root):
        path = name
    else:
        raise LineError("%s %r must be a bare name or a path starting with "
                        "%s" % (what, name, root))
    leaf = path[path.rindex('\\') + 1:]
    check_leaf(leaf, what)
    return path, leaf


def vdisk(name):
    """(ADD name, listed name) of a virtual disk; the listed form with
    \\ACTIVE is accepted too."""
    if name.endswith(ACTIVE):
        name = name[:-len(ACTIVE)]
    path, _ = _split(name, VDISK_ROOT, 'virtual disk name')
    return path, path + ACTIVE


def host(name):
    """(ADD name, listed name) of a host."""
    path, _ = _split(name, HOST_ROOT, 'host name')
    return path, path


def folder(name):
    """(ADD name, listed name) of a folder under \\Virtual Disks\\ or
    \\Hosts\\; the listed form ends in a backslash."""
    path = name[:-1] if name.endswith('\\') else name
    if not (path.startswith(VDISK_ROOT) or path.startswith(HOST_ROOT)):
        raise LineError("folder %r must be a path starting with %s or %s"
                        % (name, VDISK_ROOT, HOST_ROOT))
    leaf = path[path.rindex('\\') + 1:]
    check_leaf(leaf, 'folder name')
    return path, path + '\\'


def disk_group(name):
    """The listed name of a disk group (a bare name is in \\Disk Groups\\)."""
    path, _ = _split(name, GROUP_ROOT, 'disk group name')
    return path


def snapshot(source_listed, leaf):
    """The listed name of the snapshot `leaf` of a virtual disk: beside its
    source's ACTIVE."""
    check_leaf(leaf, 'snapshot name')
    return source_listed[:-len('ACTIVE')] + leaf


def as_listed(names):
    """Names as pelk lists them: the second object of a name is addressed
    as name{1}, the third as name{2}, and so on."""
    listed = []
    counter = 0
    for name in names:
        current = name
        for earlier in listed:
            if earlier == current:
                counter += 1
                current = '%s{%d}' % (current, counter)
        listed.append(current)
    return listed
