#!/usr/bin/env python3
"""The Debian package, made by CPack from this build tree's install rules
and programs (scripts/package makes the released one the same way from a
Release tree of its own): what it holds, what lintian says of it, and the
programs it installs, run from a root it is unpacked into.

Usage: package_test.py BUILD_DIR SOURCE_DIR CPACK [unittest arguments]
"""

import glob
import os
import re
import subprocess
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True  # no cache files beside the sources
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                "..", "pty"))
from loopback import loopback_address  # noqa: E402

BUILD = SOURCE = CPACK = None  # set from the command line
TIMEOUT = 60
PROGRAM = "-rwxr-xr-x"
DATA = "-rw-r--r--"
DIRECTORY = "drwxr-xr-x"


def run(arguments, **options):
    return subprocess.run(arguments, capture_output=True, text=True,
                          timeout=TIMEOUT, **options)


def checked(arguments, **options):
    result = run(arguments, **options)
    if result.returncode != 0:
        raise AssertionError("%s failed (%d):\n%s%s" % (
            " ".join(arguments), result.returncode, result.stdout,
            result.stderr))
    return result.stdout


def cached(name):
    """The value of a variable in the build tree's CMake cache."""
    with open(os.path.join(BUILD, "CMakeCache.txt")) as cache:
        for line in cache:
            key, _, value = line.rstrip("\n").partition("=")
            if key.split(":")[0] == name:
                return value
    raise AssertionError("%s is not in the CMake cache" % name)


def expected_files():
    """Path in the package -> mode, for every file that is not a folder."""
    doc = "./usr/share/doc/pelk/"
    files = {
        "./usr/bin/pelk": PROGRAM,
        "./usr/bin/pelk-sim": PROGRAM,
        "./usr/share/man/man1/pelk.1.gz": DATA,
        "./usr/share/man/man1/pelk-sim.1.gz": DATA,
        doc + "copyright": DATA,
        doc + "changelog.gz": DATA,
        doc + "README.md": DATA,
        doc + "sim/PROTOCOL.md": DATA,
        "./usr/share/lintian/overrides/pelk": DATA,
        # The TLS library, which pelk loads from beside its libraries.
        "./usr/%s/pelk/libpelk_tls.so" % cached("CMAKE_INSTALL_LIBDIR"): DATA,
    }
    # Every user document and example goes along, in the folders README.md
    # links them from.
    for pattern, folder in (("doc/*.md", "doc/"),
                            ("examples/*.pelk", "examples/")):
        for path in glob.glob(os.path.join(SOURCE, pattern)):
            files[doc + folder + os.path.basename(path)] = DATA
    return files


class DebianPackage(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.TemporaryDirectory(prefix="pelk-package-")
        work = cls.scratch.name
        checked([CPACK, "-G", "DEB", "-B", work,
                 "--config", os.path.join(BUILD, "CPackConfig.cmake")])
        packages = glob.glob(os.path.join(work, "*.deb"))
        if len(packages) != 1:
            raise AssertionError("CPack made %r" % packages)
        cls.package = packages[0]
        cls.root = os.path.join(work, "root")
        checked(["dpkg-deb", "-x", cls.package, cls.root])

    @classmethod
    def tearDownClass(cls):
        cls.scratch.cleanup()

    def field(self, name):
        return checked(["dpkg-deb", "-f", self.package, name]).strip()

    def installed(self, path):
        return os.path.join(self.root, path.lstrip("/"))

    def test_holds_the_programs_pages_and_documents_owned_by_root(self):
        files = {}
        for line in checked(["dpkg-deb", "-c", self.package]).splitlines():
            mode, owner, _size, _date, _time, path = line.split(None, 5)
            self.assertEqual(owner, "root/root", line)
            if mode.startswith("d"):
                self.assertEqual(mode, DIRECTORY, line)
            else:
                files[path] = mode
        self.assertEqual(files, expected_files())

    def test_name_version_and_architecture(self):
        architecture = checked(["dpkg", "--print-architecture"]).strip()
        version = self.field("Version")
        self.assertEqual(os.path.basename(self.package),
                         "pelk_%s_%s.deb" % (version, architecture))
        self.assertEqual(self.field("Architecture"), architecture)
        # The version the package carries is the one pelk prints.
        printed = checked([self.installed("/usr/bin/pelk"), "--version"])
        match = re.fullmatch(r"PELK Build (\d+) for \S+ ([\d.]+)\n", printed)
        self.assertIsNotNone(match, printed)
        self.assertEqual(version, "%s.%s" % (match[2], match[1]))

    def test_depends_on_the_package_of_every_library_a_program_loads(self):
        depends = {}
        for alternative in self.field("Depends").split(","):
            name, _, relation = alternative.strip().partition(" ")
            depends[name] = relation
        for path in self.elf_files():
            for library, location in self.loaded(path).items():
                package = self.package_of(location)
                self.assertIn(package, depends,
                              "%s loads %s" % (path, library))
                self.assertRegex(depends[package], r"^\(>= [^)]+\)$")

    def test_lintian_finds_no_error_or_warning(self):
        result = run(["lintian", "--fail-on", "error,warning",
                      "--no-tag-display-limit", self.package])
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)

    def test_installed_simulator_serves_its_demo_from_anywhere(self):
        self.assertTrue(checked([self.installed("/usr/bin/pelk-sim"),
                                 "--help"]).startswith("Usage: pelk-sim"))
        address = loopback_address(1)
        with tempfile.TemporaryDirectory(prefix="pelk-elsewhere-") as there:
            simulator = subprocess.Popen(
                [self.installed("/usr/bin/pelk-sim"), "--demo",
                 "--address", address], cwd=there,
                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
            try:
                line = simulator.stdout.readline()
                self.assertIn("listening", line)
                shown = checked(
                    [self.installed("/usr/bin/pelk"), "--quiet",
                     "SET OPTIONS NOCOMMAND_DELAY",
                     "SELECT MANAGER %s USERNAME=administrator "
                     "PASSWORD=admin" % address, "SHOW SYSTEM"], cwd=there)
            finally:
                simulator.terminate()
                simulator.wait(timeout=TIMEOUT)
                simulator.stdout.close()
        self.assertIn("Production", shown)

    def test_installed_pelk_reaches_a_manager_over_tls(self):
        # Its TLS library is found where the package put it, relative to
        # the program, wherever the package's root is.
        address = loopback_address(2)
        with tempfile.TemporaryDirectory(prefix="pelk-elsewhere-") as there:
            checked(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                     "ec_paramgen_curve:P-256", "-nodes", "-keyout", "sim.key",
                     "-out", "sim.pem", "-days", "1", "-subj", "/CN=pelk-sim",
                     "-addext", "subjectAltName=IP:" + address], cwd=there)
            simulator = subprocess.Popen(
                [self.installed("/usr/bin/pelk-sim"), "--demo",
                 "--address", address, "--tls-cert", "sim.pem", "--tls-key",
                 "sim.key"], cwd=there,
                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
            try:
                line = simulator.stdout.readline()
                self.assertIn("listening", line)
                shown = checked(
                    [self.installed("/usr/bin/pelk"), "--quiet", "--cacert",
                     "sim.pem", "SET OPTIONS NOCOMMAND_DELAY",
                     "SELECT MANAGER https://%s USERNAME=administrator "
                     "PASSWORD=admin" % address, "SHOW SYSTEM"], cwd=there)
            finally:
                simulator.terminate()
                simulator.wait(timeout=TIMEOUT)
                simulator.stdout.close()
        self.assertIn("Production", shown)

    def elf_files(self):
        for folder, _, names in os.walk(self.root):
            for name in names:
                path = os.path.join(folder, name)
                with open(path, "rb") as file:
                    if file.read(4) == b"\x7fELF":
                        yield path

    @staticmethod
    def loaded(path):
        """The libraries the file names itself -> where the loader finds
        them (the libraries they load in turn are their packages' care)."""
        dynamic = checked(["objdump", "-p", path])
        needed = re.findall(r"^\s*NEEDED\s+(\S+)$", dynamic, re.MULTILINE)
        listing = checked(["ldd", path])
        found = dict(re.findall(r"^\s*(\S+) => (/\S+) ", listing,
                                re.MULTILINE))
        # The loader itself is listed by its path alone.
        for loader in re.findall(r"^\s*(/\S+) \(", listing, re.MULTILINE):
            found[os.path.basename(loader)] = loader
        missing = [library for library in needed if library not in found]
        if missing:
            raise AssertionError("%s: the loader finds no %s" % (path,
                                                                 missing))
        return {library: found[library] for library in needed}

    @staticmethod
    def package_of(path):
        # The package lists the file under /lib or /usr/lib, which are one.
        for candidate in (path, re.sub(r"^/usr/", "/", path),
                          "/usr" + path):
            owner = run(["dpkg", "-S", candidate])
            if owner.returncode == 0:
                return owner.stdout.split(":")[0]
        raise AssertionError("no package holds %s" % path)


if __name__ == "__main__":
    BUILD, SOURCE, CPACK = sys.argv[1:4]
    unittest.main(argv=sys.argv[:1] + sys.argv[4:])
