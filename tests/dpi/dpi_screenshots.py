"""The program's windows at 96, 144 and 192 DPI, pictured into
<build>/dpi-screenshots/<dpi>/ and checked that nothing is cut off. The DPI
is LogPixels of the Wine prefix: the test has a prefix of its own
(<build>/dpi-prefix) and a screen of its own, as large as a laptop's at 200 %.
"""
import os
import shutil
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from e2e_tests import Environment as E2eEnvironment  # noqa: E402
from orvex_driver import Program, winpath  # noqa: E402

SCREEN = "2560x1600"
DIALOGS = ("position", "load", "export", "import", "help", "help_links", "animation",
           "reference", "trend", "update", "wait", "message")
INIT = ("DB_FILE=data/cru/hadcrut3v.dat\r\nYEAR=1990\r\nMONTH=6\r\nYEAR_AVERAGE=false\r\n"
        "SCALE_PERCENT=75\r\nMAP_TYPE=2\r\nORTH_VIEW=false\r\n")
BUILD_DIR = None


class Environment(E2eEnvironment):
    """The end-to-end tests' environment with Wine in the test's prefix."""

    def __init__(self, build_dir):
        super().__init__(build_dir)
        self.wine_run[-1] = os.path.join(self.build_dir, "dpi-prefix")

    def wine(self, *arguments, **options):
        return subprocess.run(self.wine_run + list(arguments), check=True,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, **options)

    def registry(self, key, name, kind, value):
        self.wine("reg", "add", key, "/v", name, "/t", kind, "/d", value, "/f")


def inside(inner, outer):
    return (inner[0] >= outer[0] and inner[1] >= outer[1] and inner[2] <= outer[2]
            and inner[3] <= outer[3])


def dialog_problems(lines):
    """What dialogs_screenshot's measurements show cut off."""
    clients, problems, pictures = {}, [], set()
    for fields in (line.split() for line in lines if line.strip()):
        kind, values = fields[0], [int(v) for v in fields[2:] if v.lstrip("-").isdigit()]
        if kind == "picture":
            pictures.add(fields[1])
        elif kind == "client":
            clients[fields[1]] = (0, 0) + tuple(values[1:])
        elif kind == "control" and not inside(values[1:], clients[fields[1]]):
            problems.append("%s: control %s outside the client area" % (fields[1], fields[2:]))
        elif kind == "text" and (values[1] > values[3] or values[2] > values[4]):
            problems.append("%s: text of %s needs %sx%s, has %sx%s" % tuple(fields[1:]))
    problems += ["no picture of " + name for name in DIALOGS
                 if "dialog_%s.bmp" % name not in pictures]
    return problems, clients


class DpiScreenshots(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.env = Environment(BUILD_DIR)
        read, write = os.pipe()
        cls.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0",
                                     SCREEN + "x24", "-nolisten", "tcp"], pass_fds=(write,),
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as number:
            os.environ["DISPLAY"] = ":" + number.readline().strip()
        os.environ.pop("ORVEX_DISPLAY", None)
        # wine-run.sh would prefer a display of the prefix's own to ours.
        cls.env.wine("--stop-xvfb")
        cls.env.registry(r"HKCU\Software\Wine\Explorer\Desktops", "Default", "REG_SZ", SCREEN)

    @classmethod
    def tearDownClass(cls):
        subprocess.run(cls.env.wine_run + ["--stop"], stderr=subprocess.DEVNULL)
        cls.xvfb.kill()
        cls.xvfb.wait()

    def dialogs(self, dpi, pictures):
        work = os.path.join(self.env.build_dir, "testwork", "dpi", str(dpi))
        shutil.rmtree(work, ignore_errors=True)
        os.makedirs(work)
        for name in ("Information.rtf", "produkte.txt"):
            shutil.copy(os.path.join(self.env.run_dir, name), work)
        grid = os.path.join(self.env.run_dir, "data", "cru", "hadcrut3v.dat")
        shown = self.env.wine(os.path.join(self.env.run_dir, "dialogs_screenshot.exe"),
                              winpath(grid), winpath(work), cwd=work, timeout=300)
        for name in DIALOGS:
            bmp = os.path.join(work, "dialog_%s.bmp" % name)
            if os.path.exists(bmp):
                subprocess.run(["convert", bmp, os.path.join(pictures, name + ".png")],
                               check=True)
        return dialog_problems(shown.stdout.decode("cp1252").splitlines())

    def main_window(self, dpi, pictures):
        problems = []
        with Program(self.env, "dpi-%d" % dpi, files={"init.txt": INIT}) as program:
            program.main_window()
            program.painted()
            probe = program.probe
            if int(probe("dpi " + program.window)) != dpi:
                problems.append("main window not at the DPI")
            left, top, right, bottom = program.rect()
            subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (
                right - left, bottom - top, left, top), "+repage",
                os.path.join(pictures, "main_window.png")], check=True)
            client = [int(v) for v in probe("client " + program.window).split()]
            for part in ("msctls_statusbar32", "SysTabControl32", "TabOrvexMap"):
                if not inside(program.rect(probe("child %s %s" % (program.window, part))), client):
                    problems.append("main window: %s outside the client area" % part)
            size = program.client_size(program.page)
            want = (round(1000 * 0.75 + 60) * dpi / 96, round(500 * 0.75 + 110) * dpi / 96)
            if size[0] < want[0] - 2 or size[1] < want[1] - 2:
                problems.append("map page %dx%d, the map needs %dx%d" % (size + want))
        return problems

    def test_nothing_cut_off(self):
        at_96 = None
        for dpi in (96, 144, 192):
            with self.subTest(dpi=dpi):
                self.env.registry(r"HKCU\Control Panel\Desktop", "LogPixels", "REG_DWORD",
                                  str(dpi))
                self.env.wine("--stop")
                self.env.wine("--start")
                pictures = os.path.join(self.env.build_dir, "dpi-screenshots", str(dpi))
                shutil.rmtree(pictures, ignore_errors=True)
                os.makedirs(pictures)
                problems, clients = self.dialogs(dpi, pictures)
                # The dialogs grow with their font, which must grow with the DPI.
                at_96 = at_96 or clients
                problems += ["%s %s, at 96 DPI %s" % (name, clients[name][2:], size[2:])
                             for name, size in at_96.items()
                             if clients.get(name, size)[2] < size[2] * dpi / 96 * 0.95]
                problems += self.main_window(dpi, pictures)
                self.assertEqual([], problems, "at %d DPI" % dpi)


if __name__ == "__main__":
    BUILD_DIR = sys.argv.pop(1)
    unittest.main(verbosity=2)
