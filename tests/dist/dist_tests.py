#!/usr/bin/python3
"""Tests of the distribution under Wine: the setup program installed silently,
the installed program started, installed over (upgrade) and uninstalled; the
portable zip unpacked and started; the DLLs the shipped programs import; the
version resources; the shipped importer on a netCDF-4 file.

Usage: dist_tests.py --build-dir DIR --version X.Y.Z --setup EXE --zip ZIP --folder DIR
                     --files LIST --generator EXE --objdump TOOL
                     [unittest arguments]
Run by CTest inside the build tree's Xvfb and wineserver fixtures.
"""
import argparse
import os
import re
import shutil
import struct
import subprocess
import sys
import time
import unittest
import zipfile

import netCDF4

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE_DIR = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(SOURCE_DIR, "tests", "e2e"))
from orvex_driver import Program, winpath  # noqa: E402

UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvexVisualizer"
PROGRAM = "orvex_visualizer.exe"
SHORTCUT = "Orvex Visualizer.lnk"
PUBLISHER = "Orvex-Visualizer-Projekt"
# What the setup adds to the package's files.
SETUP_ONLY = {"Uninstall.exe", "Installation.ini"}
RECORD = "Installation.ini"
# The exit code of a setup or uninstaller that found the program running.
PROGRAM_RUNNING = 3
# The DLLs of Windows itself that the shipped programs may import.
SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "gdiplus.dll", "kernel32.dll",
    "msvcrt.dll", "ole32.dll", "oleaut32.dll", "shell32.dll", "user32.dll", "winhttp.dll", "winmm.dll",
    "ws2_32.dll",
}

OPTIONS = None


class Environment:
    """What orvex_driver.Program needs to run a program in a folder of its own."""

    def __init__(self, program_exe):
        self.build_dir = OPTIONS.build_dir
        self.wine_run = wine_run()
        self.program_exe = program_exe
        self.probe_exe = os.path.join(OPTIONS.build_dir, "run", "orvex_probe.exe")
        self.working_files = []


def wine_run():
    return ["bash", os.path.join(SOURCE_DIR, "cmake", "wine-run.sh"), "--build-dir",
            OPTIONS.build_dir]


def wine(*arguments, timeout=120, env=None):
    """Runs a Windows program (a path, or one of Wine's own by name)."""
    return subprocess.run(wine_run() + list(arguments), capture_output=True, timeout=timeout,
                          env=dict(os.environ, **(env or {})))


def package_sources():
    """{relative path: the build's file} of every file of the package."""
    with open(OPTIONS.files) as f:
        return dict(line.rstrip("\n").split("|", 1) for line in f if line.strip())


def files_below(folder):
    """Relative paths (with /) of every file below the folder."""
    found = set()
    for parent, _, names in os.walk(folder):
        for name in names:
            found.add(os.path.relpath(os.path.join(parent, name), folder).replace(os.sep, "/"))
    return found


def recorded_keys(path):
    """The file names (with /) an Installation.ini record holds."""
    with open(path, encoding="cp1252") as f:
        return {line.split("=")[0].replace("\\", "/") for line in f if "=" in line}


def fingerprint(path):
    """"size high low" as the setup records a file: its length and the two
    halves of the FILETIME of its last write."""
    filetime = os.stat(path).st_mtime_ns // 100 + 116444736000000000
    return "%d %d %d" % (os.path.getsize(path), filetime >> 32, filetime & 0xFFFFFFFF)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def prefix_user_folder(*parts):
    """A folder of the prefix's user profile (C:\\users\\<name>\\...)."""
    users = os.path.join(OPTIONS.build_dir, "wineprefix", "drive_c", "users")
    names = [name for name in os.listdir(users) if name != "Public"]
    return os.path.join(users, names[0], *parts)


def start_menu_shortcut():
    return prefix_user_folder("AppData", "Roaming", "Microsoft", "Windows", "Start Menu",
                              "Programs", SHORTCUT)


def desktop_shortcut():
    return prefix_user_folder("Desktop", SHORTCUT)


def registry_values(key):
    """{name: value} of a registry key as reg.exe shows them; None when absent."""
    result = wine("reg", "query", key)
    if result.returncode != 0:
        return None
    values = {}
    for line in result.stdout.decode("cp1252").splitlines():
        match = re.match(r"^\s+(\S.*?)\s+(REG_\w+)\s+(.*?)\s*$", line)
        if match:
            name, kind, value = match.groups()
            values[name] = int(value, 16) if kind == "REG_DWORD" else value
    return values


def shortcut_target_and_folder(path):
    """(target, working folder) of a shell link file (MS-SHLLINK)."""
    data = read(path)
    flags, = struct.unpack_from("<I", data, 20)
    offset = 0x4C
    if flags & 0x1:  # HasLinkTargetIDList
        offset += 2 + struct.unpack_from("<H", data, offset)[0]
    target = None
    if flags & 0x2:  # HasLinkInfo: the local base path and the common path suffix
        size, header, info_flags, _, base, _, suffix = struct.unpack_from("<7I", data, offset)
        if info_flags & 0x1:
            end = data.index(b"\0", offset + base)
            suffix_end = data.index(b"\0", offset + suffix)
            target = (data[offset + base:end] + data[offset + suffix:suffix_end]).decode("cp1252")
        offset += size
    strings = []
    for flag in (0x4, 0x8, 0x10):  # name, relative path, working folder
        if flags & flag:
            count, = struct.unpack_from("<H", data, offset)
            offset += 2
            width = 2 if flags & 0x80 else 1
            text = data[offset:offset + count * width]
            # Wine counts the terminating zero too.
            strings.append(text.decode("utf-16-le" if width == 2 else "cp1252").rstrip("\0"))
            offset += count * width
        else:
            strings.append(None)
    return target, strings[2]


def fixed_file_version(path):
    """The file version of a PE file's VS_FIXEDFILEINFO as "a.b.c.d"."""
    data = read(path)
    at = data.index(struct.pack("<I", 0xFEEF04BD))
    ms, ls = struct.unpack_from("<II", data, at + 8)
    return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)


def version_string(path, name):
    """A value of the version resource's string table (UTF-16)."""
    data = read(path)
    key = (name + "\0").encode("utf-16-le")
    at = data.index(key) + len(key)
    at += at % 4  # the value starts on a 32-bit boundary
    end = data.index(b"\0\0", at)
    end += (end - at) % 2
    return data[at:end].decode("utf-16-le")


def string_table_language(path):
    """The language of the version resource's string table ("0407" German)."""
    data = read(path)
    at = data.index("StringFileInfo\0".encode("utf-16-le"))
    # Past the name's padding and the table's length, value length and type.
    key = re.search(rb"((?:[0-9A-Fa-f]\0){8})\0\0", data[at + 30:at + 60]).group(1)
    return key.decode("utf-16-le")[:4]


class Installation(unittest.TestCase):
    """One installation's life: silent install, start, upgrade, silent uninstall."""

    def setUp(self):
        self.sources = package_sources()
        self.folder = os.path.join(OPTIONS.build_dir, "testwork", "dist_tests", "Orvex Visualizer")
        shutil.rmtree(self.folder, ignore_errors=True)
        # Left by an earlier run that failed halfway.
        wine("reg", "delete", UNINSTALL_KEY, "/f")
        for shortcut in (start_menu_shortcut(), desktop_shortcut()):
            if os.path.lexists(shortcut):
                os.remove(shortcut)

    def install(self, exit_code=0):
        started = time.monotonic()
        # NSIS takes the folder unquoted, as the last argument; Wine would
        # quote an argument with a blank, cmd passes the line as it is.
        result = wine("cmd", "/c", "%s /S /D=%s" % (winpath(OPTIONS.setup), winpath(self.folder)))
        print("silent install: %.1f s" % (time.monotonic() - started), file=sys.stderr)
        self.assertEqual(exit_code, result.returncode, result.stderr)

    def place(self, files, record=None):
        """Writes {relative: content} into the folder, and records each one as
        a package's file in the record file when given."""
        for relative, content in files.items():
            path = os.path.join(self.folder, relative)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(content)
            if record:
                with open(os.path.join(self.folder, record), "a", newline="") as f:
                    f.write("%s=%s\r\n" % (relative.replace("/", "\\"), fingerprint(path)))

    def assertPackageInstalled(self, except_files=()):
        for relative, source in sorted(self.sources.items()):
            if relative in except_files:
                continue
            path = os.path.join(self.folder, relative)
            self.assertTrue(os.path.isfile(path), relative + " is missing")
            self.assertTrue(read(path) == read(source), relative + " differs from the build's")

    def test_install_start_upgrade_uninstall(self):
        self.install()
        self.assertEqual(set(self.sources) | SETUP_ONLY, files_below(self.folder))
        self.assertEqual(set(self.sources), recorded_keys(os.path.join(self.folder, RECORD)))
        self.assertPackageInstalled()

        values = registry_values(UNINSTALL_KEY)
        self.assertIsNotNone(values, "no uninstall key")
        folder = winpath(self.folder)
        uninstaller = folder + "\\Uninstall.exe"
        estimated = values.pop("EstimatedSize")
        self.assertEqual({
            "DisplayName": "Orvex Visualizer",
            "DisplayVersion": OPTIONS.version,
            "Publisher": PUBLISHER,
            "DisplayIcon": folder + "\\" + PROGRAM,
            "InstallLocation": folder,
            "UninstallString": '"%s"' % uninstaller,
            "QuietUninstallString": '"%s" /S' % uninstaller,
            "NoModify": 1,
            "NoRepair": 1,
        }, values)
        size = sum(os.path.getsize(os.path.join(self.folder, f)) for f in files_below(self.folder))
        self.assertAlmostEqual(size / 1024, estimated, delta=64, msg="EstimatedSize in KB")

        for shortcut in (start_menu_shortcut(), desktop_shortcut()):
            self.assertEqual((folder + "\\" + PROGRAM, folder),
                             shortcut_target_and_folder(shortcut), shortcut)

        with Program(Environment(os.path.join(self.folder, PROGRAM)), "installed",
                     workdir=self.folder) as program:
            program.main_window()
            program.painted()
            # Neither replaces nor removes a file of the running program.
            before = {f: os.stat(os.path.join(self.folder, f)).st_mtime_ns
                      for f in files_below(self.folder)}
            self.install(exit_code=PROGRAM_RUNNING)
            # Run in place (_?=, unquoted as /D=), so that its exit code is the
            # run's; from a batch file, as Wine escapes the quotes cmd needs.
            batch = self.folder + ".cmd"
            with open(batch, "w", newline="") as f:
                f.write('@"%s\\Uninstall.exe" /S _?=%s\r\n' % ((winpath(self.folder),) * 2))
            result = wine("cmd", "/c", winpath(batch))
            self.assertEqual(PROGRAM_RUNNING, result.returncode, result.stderr)
            self.assertEqual(before, {f: os.stat(os.path.join(self.folder, f)).st_mtime_ns
                                      for f in files_below(self.folder)})
            self.assertEqual(0, program.close_and_wait())
        self.assertTrue(read(os.path.join(self.folder, "init.txt")).startswith(
            b"DB_FILE=data/cru/hadcrut3v.dat\r\n"), "init.txt written in the install folder")

        # The user's files, and stale program files that the upgrade must renew.
        hadcrut4 = os.path.join(self.folder, "data", "cru", "hadcrut4.dat")
        user_files = {
            "init.txt": b"DB_FILE=data/cru/hadcrut4.dat\r\nYEAR=2003\r\n",
            "positions.txt": b"Berlin\t52\t31\t0\t0\t13\t24\t0\t0\r\n",
            "Auswertung.csv": b"Jahr;Monat;Anomalie\r\n",
            "Karte.gif": b"GIF89a",
            "data/cru/hadcrut4.dat": read(hadcrut4)[:20856 * 12],
        }
        for relative, content in user_files.items():
            with open(os.path.join(self.folder, relative), "wb") as f:
                f.write(content)
        demo_times = {}
        for relative in self.sources:
            path = os.path.join(self.folder, relative)
            if relative.startswith("data/"):
                demo_times[relative] = os.stat(path).st_mtime_ns
            else:
                with open(path, "wb") as f:
                    f.write(b"stale")
        # Files an earlier package installed and this one does not ship: the
        # upgrade removes them unless the user changed them since.
        self.place({"Alt/weg.txt": b"old", "Alt/tief/weg.dat": b"old", "Eigen/geaendert.txt": b"old"},
                   record=RECORD)
        self.place({"Eigen/geaendert.txt": b"changed by the user"})
        user_files["Eigen/geaendert.txt"] = b"changed by the user"
        self.install()
        self.assertFalse(os.path.exists(os.path.join(self.folder, "Alt")), "dropped files removed")
        for relative, content in user_files.items():
            self.assertEqual(content, read(os.path.join(self.folder, relative)), relative + " kept")
        self.assertPackageInstalled(except_files=user_files)

        # Over a package that recorded only its data sets, in demodata.ini,
        # and shipped the Python importer: the importer's files of a size it
        # shipped go, with Python's caches; a changed one stays.
        os.remove(os.path.join(self.folder, RECORD))
        self.place({"import-grid/import-grid.cmd": b"x" * 1223, "import-grid/gridimport/regrid.py":
                    b"x" * 8700, "import-grid/gridimport/__pycache__/regrid.cpython-311.pyc": b"x"})
        with open(os.path.join(self.folder, "demodata.ini"), "w", newline="") as f:
            f.write("[written]\r\n" + "".join("%s=%s\r\n" % (name[9:], fingerprint(
                os.path.join(self.folder, name))) for name in demo_times if name not in user_files))
        self.place({"import-grid/gridimport/cli.py": b"changed by the user"})
        user_files["import-grid/gridimport/cli.py"] = b"changed by the user"
        self.install()
        self.assertEqual(set(self.sources) | SETUP_ONLY | set(user_files), files_below(self.folder))
        self.assertEqual(set(self.sources) - set(user_files),
                         recorded_keys(os.path.join(self.folder, RECORD)))
        for relative, written in demo_times.items():
            if relative not in user_files:
                self.assertNotEqual(written, os.stat(os.path.join(self.folder, relative)).st_mtime_ns,
                                    relative + " written anew")

        # A package's file the user edited is the user's now.
        self.place({"LIESMICH.txt": b"Meine Notizen"})
        user_files["LIESMICH.txt"] = b"Meine Notizen"
        temp = prefix_user_folder("Temp")
        temp_before = set(os.listdir(temp))
        result = wine(os.path.join(self.folder, "Uninstall.exe"), "/S")
        self.assertEqual(0, result.returncode, result.stderr)
        # The uninstaller runs on from a copy of itself in the temporary folder.
        deadline = time.monotonic() + 60
        while os.path.exists(os.path.join(self.folder, "Uninstall.exe")) and time.monotonic() < deadline:
            time.sleep(0.2)
        while registry_values(UNINSTALL_KEY) is not None and time.monotonic() < deadline:
            time.sleep(0.5)
        left = sorted(files_below(self.folder) - set(user_files))
        left += [path for path in (start_menu_shortcut(), desktop_shortcut()) if os.path.lexists(path)]
        if registry_values(UNINSTALL_KEY) is not None:
            left.append(UNINSTALL_KEY)
        # The uninstaller runs from a copy of itself, ~nsuN.tmp\Un.exe in the
        # temporary folder, which NSIS can only ask Windows to delete at the
        # next start. Only NSIS's own names count there: other tests running
        # meanwhile share the prefix and its temporary folder.
        for name in set(os.listdir(temp)) - temp_before:
            if not re.match(r"~?ns\w*\.tmp$", name):
                continue
            copy = re.match(r"~nsu\w*\.tmp$", name)
            if not copy or set(os.listdir(os.path.join(temp, name))) - {"Un.exe"}:
                left.append(os.path.join(temp, name))
        self.assertEqual([], left, "left behind by the uninstaller")
        for relative, content in user_files.items():
            self.assertEqual(content, read(os.path.join(self.folder, relative)), relative + " kept")


class PortableZip(unittest.TestCase):
    def test_unpacked_anywhere_it_starts_and_paints_the_map(self):
        sources = package_sources()
        unpacked = os.path.join(OPTIONS.build_dir, "testwork", "dist_tests", "portable")
        shutil.rmtree(unpacked, ignore_errors=True)
        with zipfile.ZipFile(OPTIONS.zip) as archive:
            archive.extractall(unpacked)
        folder = os.path.join(unpacked, "OrvexVisualizer-" + OPTIONS.version)
        self.assertEqual(set(sources), files_below(folder))
        for relative, source in sources.items():
            self.assertTrue(read(os.path.join(folder, relative)) == read(source), relative)
        with Program(Environment(os.path.join(folder, PROGRAM)), "portable",
                     workdir=folder) as program:
            program.main_window()
            program.painted()
            self.assertEqual(0, program.close_and_wait())
        self.assertTrue(os.path.isfile(os.path.join(folder, "init.txt")))


class ShippedBinaries(unittest.TestCase):
    def binaries(self):
        sources = package_sources()
        found = {os.path.basename(r): s for r, s in sources.items() if r.endswith((".exe", ".dll"))}
        found["make_demo_data.exe"] = OPTIONS.generator  # runs during the installation
        return found

    def test_every_imported_dll_is_a_system_dll_or_shipped(self):
        binaries = self.binaries()
        shipped = {name.lower() for name in binaries}
        missing = []
        for name, path in sorted(binaries.items()):
            dump = subprocess.run([OPTIONS.objdump, "-p", path], capture_output=True, text=True,
                                  check=True).stdout
            imports = {dll.lower() for dll in re.findall(r"DLL Name: (\S+)", dump)}
            self.assertTrue(imports, name + " imports nothing?")
            missing += ["%s -> %s" % (name, dll) for dll in sorted(imports - SYSTEM_DLLS - shipped)]
        self.assertEqual([], missing)

    def test_version_resources_carry_the_project_version(self):
        four = OPTIONS.version + ".0"
        sources = package_sources()
        for path in (sources[PROGRAM], sources["quarn2.dll"], OPTIONS.setup):
            self.assertEqual(four, fixed_file_version(path), path)
            self.assertEqual(OPTIONS.version, version_string(path, "ProductVersion"), path)
            self.assertEqual("Orvex Visualizer", version_string(path, "ProductName"), path)
            self.assertEqual("0407", string_table_language(path), path + ": German block")
        manifest = read(sources[PROGRAM])
        for needed in (b'level="asInvoker"', b"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
                       b'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"'):
            self.assertTrue(needed in manifest, needed)


class ImporterProgram(unittest.TestCase):
    def test_imports_into_the_folder_it_lies_in(self):
        """The shipped import_grid.exe, on the folder's own DLLs, reads a
        netCDF-4 file as published (zlib, chunked) and writes data\\cru of
        its own folder; a missing input is one line and exit code 1."""
        work = os.path.join(OPTIONS.build_dir, "testwork", "dist_tests", "importer")
        shutil.rmtree(work, ignore_errors=True)
        folder = os.path.join(work, "Orvex Visualizer")
        shutil.copytree(OPTIONS.folder, folder)
        source = os.path.join(work, "in put.nc")
        with netCDF4.Dataset(source, "w") as nc:
            nc.createDimension("time", None)
            nc.createDimension("latitude", 36)
            nc.createDimension("longitude", 72)
            time = nc.createVariable("time", "f8", ("time",))
            time.units = "days since 1850-01-01"
            time[:] = [15.5, 45.0]
            for name, units, first in (("latitude", "degrees_north", -87.5), ("longitude", "degrees_east", -177.5)):
                axis = nc.createVariable(name, "f8", (name,))
                axis.units = units
                axis[:] = [first + 5 * k for k in range(nc.dimensions[name].size)]
            tas = nc.createVariable("tas_mean", "f8", ("time", "latitude", "longitude"), zlib=True,
                                    chunksizes=(1, 36, 72), fill_value=-1e30)
            tas.units = "degC"
            tas[:] = [[[0.25] * 72] * 36, [[-1.5] * 72] * 36]
        importer = os.path.join(folder, "import_grid.exe")
        result = wine(importer, winpath(source), "--as", "hadcrut4")
        self.assertEqual(0, result.returncode, result.stderr)
        written = os.path.join(folder, "data", "cru", "hadcrut4.dat")
        self.assertEqual(2 * 20856, os.path.getsize(written))
        self.assertIn(b"  0.250 ", read(written)[:20856])
        self.assertIn(b"months written:   2 (1850-01 to 1850-02)", result.stdout)

        result = wine(importer, winpath(os.path.join(work, "missing.nc")), "--as", "hadcrut4")
        self.assertEqual(1, result.returncode)
        self.assertEqual(1, len(result.stderr.splitlines()), result.stderr)
        self.assertIn(b"import-grid: error: ", result.stderr)
        self.assertIn(b"no such file", result.stderr)


def main():
    global OPTIONS
    parser = argparse.ArgumentParser()
    for option in ("build-dir", "version", "setup", "zip", "folder", "files", "generator",
                   "objdump"):
        parser.add_argument("--" + option, required=True)
    OPTIONS, rest = parser.parse_known_args()
    OPTIONS.build_dir = os.path.realpath(OPTIONS.build_dir)
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
