"""The importers the tests run: the Python importer (tools/gridimport), and
with IMPORT_GRID_EXE set the C++ one, import_grid.exe, run under Wine
through cmake/wine-run.sh (a path not ending in .exe is run as it is: a
stand-in). In that mode each run of the C++ importer is checked against a
run of the Python importer with the same arguments into a parallel copy of
the output folder: the same exit code, the same written tree byte for byte,
the same report and error lines up to what only the two programs can say
differently (see `comparable`)."""

import concurrent.futures
import os
import re
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
WINE_RUN = os.path.join(SOURCE, "cmake", "wine-run.sh")
NATIVE = os.environ.get("IMPORT_GRID_EXE")

# The Python importer's own command line, independent of the launcher
# tools/import-grid; optionally on a Python where netCDF4 cannot be imported.
PYTHON_MAIN = "import sys; {hide}sys.path.insert(0, sys.argv[1]); from gridimport.cli import main; " \
              "sys.exit(main(sys.argv[2:]))"


def python_command(arguments, without_netcdf4=False):
    hide = "sys.modules['netCDF4'] = None; " if without_netcdf4 else ""
    return [sys.executable, "-B", "-c", PYTHON_MAIN.format(hide=hide), os.path.join(SOURCE, "tools"), *arguments]


def native_command(arguments, exe=None):
    exe = exe or NATIVE
    if exe.lower().endswith(".exe"):
        return ["bash", WINE_RUN, "--build-dir", build_dir_of(exe), exe, *arguments]
    return [exe, *arguments]


def build_dir_of(exe):
    """The build tree the program belongs to: the nearest folder above it with a CMakeCache.txt."""
    folder = os.path.dirname(os.path.abspath(exe))
    while not os.path.isfile(os.path.join(folder, "CMakeCache.txt")):
        if os.path.dirname(folder) == folder:
            raise RuntimeError(f"{exe} lies in no build tree")
        folder = os.path.dirname(folder)
    return folder


def backend(without_netcdf4=False):
    """The library the importer under test names in its report."""
    if NATIVE:
        return "netCDF-C"
    return "xarray" if without_netcdf4 else "netCDF4"


def run(command):
    done = subprocess.run(command, capture_output=True, text=True, timeout=300)
    return done.returncode, done.stdout, done.stderr


def run_importer(*arguments, without_netcdf4=False):
    """(exit code, stdout, stderr) of the importer under test, run as a user
    runs it; the Python importer optionally without netCDF4 (then through
    xarray). With the C++ importer under test, fails unless the Python
    importer does the same (arguments must hold --out)."""
    if not NATIVE:
        return run(python_command(arguments, without_netcdf4))
    out = arguments[arguments.index("--out") + 1]
    twin = out + ".python"
    shutil.rmtree(twin, ignore_errors=True)
    if os.path.isdir(out):
        shutil.copytree(out, twin, symlinks=True)
    theirs = list(arguments)
    theirs[arguments.index("--out") + 1] = twin
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        ours = pool.submit(run, native_command(arguments))
        reference = run(python_command(theirs, without_netcdf4))
        ours = ours.result()
    if ours[0] != 0 and not ours[1] and not ours[2]:
        # The importer prints a report or a reason on every way out; nothing
        # at all means Wine did not run it (seen once under a full parallel
        # test run). Its output folder is as before, so it runs again.
        ours = run(native_command(arguments))
    differences = []
    if ours[0] != reference[0]:
        differences.append(f"exit code {ours[0]}, the Python importer's {reference[0]}; "
                           f"its error output: {ours[2]!r}")
    for name, mine, its in (("report", ours[1], reference[1]), ("error", ours[2], reference[2])):
        mine, its = comparable(mine, native=True), comparable(its.replace(twin, out), native=False)
        if mine != its:
            differences.append(f"{name}:\n{mine}--- the Python importer's:\n{its}")
    differences += tree_differences(tree(out), tree(twin))
    if differences:
        raise AssertionError(f"import_grid {' '.join(arguments)}: the C++ importer differs from the Python "
                             "importer in\n" + "\n".join(differences))
    return ours


# Paths as a Windows program may spell what it was given as /a/b: Z:\a\b,
# /a/b\c (a name joined with backslashes).
WINDOWS_PATH = re.compile(r"(?:[A-Za-z]:)?[\\/][^\s:'\"()]*")
# Parts that say the same in words each library or C runtime chooses itself:
# the netCDF library's reason for not opening a file, and the system's text
# of an error (strerror) after "cannot create/write ... PATH: ".
LIBRARY_REASON = re.compile(r"( cannot be read as netCDF) \(.*\)$", re.M)
SYSTEM_REASON = re.compile(r"^(import-grid: error: cannot (?:create the folder|write to the folder|write) [^:]+): "
                           r"[^()\n]*?( \(is the file open in the program\?\))?$", re.M)


def comparable(text, native):
    """Output lines with what may differ put in one form: the path spelling
    (the C++ importer, a Windows program, may print Z:\\... or backslashes
    for the Linux paths it was given; nothing else in the texts has a
    backslash or a drive), the library named in "read with ...", the
    library's reason for not reading a file and the system's error texts."""
    if native:
        text = WINDOWS_PATH.sub(lambda m: re.sub(r"^[Zz]:", "", m.group()).replace("\\", "/"), text)
    text = re.sub(r"read with (netCDF-C|netCDF4|xarray)\b", "read with <library>", text)
    text = LIBRARY_REASON.sub(r"\1 (<reason>)", text)
    return SYSTEM_REASON.sub(r"\1: <system's reason>\2", text)


def tree(folder):
    """{path relative to folder: file contents, or None for a folder}."""
    found = {}
    for root, dirs, files in os.walk(folder):
        for d in dirs:
            found[os.path.relpath(os.path.join(root, d), folder)] = None
        for f in files:
            with open(os.path.join(root, f), "rb") as data:
                found[os.path.relpath(os.path.join(root, f), folder)] = data.read()
    return found


def tree_differences(mine, its):
    """Lines naming what differs between two trees of `tree`."""
    lines = []
    for path in sorted(set(mine) | set(its)):
        if path not in its:
            lines.append(f"{path}: only the C++ importer's tree has it")
        elif path not in mine:
            lines.append(f"{path}: only the Python importer's tree has it")
        elif mine[path] != its[path]:
            a, b = mine[path] or b"", its[path] or b""
            at = next((i for i in range(min(len(a), len(b))) if a[i] != b[i]), min(len(a), len(b)))
            lines.append(f"{path}: differs at byte {at} ({len(a)} and {len(b)} bytes): "
                         f"{a[max(0, at - 20):at + 20]!r} / {b[max(0, at - 20):at + 20]!r}")
    return lines
