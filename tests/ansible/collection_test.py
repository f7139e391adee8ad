"""The collection as a whole: ansible-doc documents every parameter each
module takes, exactly as the module takes it; the action group names every
module; ansible-galaxy builds the collection into a tarball.

Run with Debian's pytest: python3 -m pytest tests/ansible/collection_test.py
"""

import glob
import importlib
import json
import os
import subprocess
import sys
import tarfile

import pytest
import yaml

sys.dont_write_bytecode = True
SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..')
COLLECTIONS = os.path.join(SOURCE, 'ansible')
COLLECTION = os.path.join(COLLECTIONS, 'ansible_collections', 'pelk',
                          'storage')
sys.path.insert(0, COLLECTIONS)

MODULES = sorted(os.path.basename(path)[:-3] for path in glob.glob(
    os.path.join(COLLECTION, 'plugins', 'modules', '*.py')))


def ansible(tmp_path, *command):
    """An ansible command with a home, a temp and no configuration of the
    user's."""
    configuration = tmp_path / 'ansible.cfg'
    configuration.write_text('[defaults]\n')
    environment = dict(os.environ, ANSIBLE_HOME=str(tmp_path / 'home'),
                       ANSIBLE_LOCAL_TEMP=str(tmp_path / 'tmp'),
                       ANSIBLE_CONFIG=str(configuration),
                       ANSIBLE_COLLECTIONS_PATH=COLLECTIONS)
    done = subprocess.run(command, env=environment, capture_output=True,
                          text=True, cwd=str(tmp_path))
    assert done.returncode == 0, done.stderr
    return done.stdout


@pytest.fixture(scope='module')
def documents(tmp_path_factory):
    tmp_path = tmp_path_factory.mktemp('doc')
    return json.loads(ansible(tmp_path, 'ansible-doc', '-j', *[
        'pelk.storage.' + name for name in MODULES]))


def test_there_are_the_modules_users_were_promised():
    assert MODULES == ['capture', 'command', 'disk_group', 'folder', 'host',
                       'info', 'lun', 'snapshot', 'vdisk']


# What ansible-doc says of a parameter, next to what the module's
# argument_spec means by it.
SPEC_DEFAULTS = dict(type='str', required=False, default=None, choices=None,
                     elements=None)


@pytest.mark.parametrize('name', MODULES)
def test_every_parameter_is_documented_as_the_module_takes_it(documents,
                                                              name):
    document = documents['pelk.storage.' + name]
    doc = document['doc']
    module = importlib.import_module(
        'ansible_collections.pelk.storage.plugins.modules.' + name)
    assert doc['short_description'] and doc['description']
    assert yaml.safe_load(document['examples'])
    assert document['return'] or name == 'info'
    options = doc['options']
    assert sorted(options) == sorted(module.ARGUMENTS)
    for option, spec in module.ARGUMENTS.items():
        documented = options[option]
        assert documented['description'], option
        for key, default in SPEC_DEFAULTS.items():
            assert documented.get(key, default) == spec.get(key, default), (
                option, key)


def test_the_action_group_and_the_routing_name_every_module():
    with open(os.path.join(COLLECTION, 'meta', 'runtime.yml')) as file:
        runtime = yaml.safe_load(file)
    assert sorted(runtime['action_groups']['all']) == MODULES
    routing = runtime['plugin_routing']['modules']
    assert sorted(routing) == MODULES
    assert all(entry == {'action_plugin': 'pelk.storage.pelk'}
               for entry in routing.values())


def test_the_action_finds_the_checkouts_pelk():
    action = importlib.import_module(
        'ansible_collections.pelk.storage.plugins.action.pelk')
    assert os.path.samefile(action._CHECKOUT, SOURCE)


def test_galaxy_builds_the_collection(tmp_path):
    ansible(tmp_path, 'ansible-galaxy', 'collection', 'build', COLLECTION,
            '--output-path', str(tmp_path))
    (tarball,) = glob.glob(str(tmp_path / 'pelk-storage-*.tar.gz'))
    with tarfile.open(tarball) as archive:
        names = archive.getnames()
    assert 'MANIFEST.json' in names
    for name in MODULES:
        assert 'plugins/modules/%s.py' % name in names
    assert 'plugins/action/pelk.py' in names
    assert 'plugins/doc_fragments/connection.py' in names
    assert not [n for n in names if '__pycache__' in n]
