"""The program's windows at 96, 144 and 192 DPI: pictures to look at and a
few checks that nothing is cut off.

The DPI is LogPixels of the Wine prefix, so the test keeps a prefix of its
own in <build>/dpi-prefix and a screen of its own, 2560 x 1600 as a laptop
at 200 % has, so that the main window fits at 192 DPI. For each DPI:
dialogs_screenshot.exe shows every dialog and reports the rectangles it
measured; the program itself runs with the probe. The pictures go to
<build>/dpi-screenshots/<dpi>/.

Checks: every control inside its dialog's client area; every label's and
button's text inside its control; the main window's status bar, tab control
and map page inside its client area, and the map page at least as large as
the map picture at 75 %, (1000 * 0.75 + 60) x (500 * 0.75 + 110) pixels at
96 DPI, grown with the DPI.
"""
import os
import shutil
import subprocess
import sys
import unittest

SOURCE_DIR = os.path.realpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
sys.path.insert(0, os.path.join(SOURCE_DIR, "tests", "e2e"))
from orvex_driver import Program, winpath  # noqa: E402

DPIS = (96, 144, 192)
SCREEN = "2560x1600"
SCALE = 0.75
DIALOGS = ("dialog_position", "dialog_load", "dialog_export", "dialog_import", "dialog_help",
           "dialog_help_links", "dialog_animation", "dialog_reference", "dialog_trend",
           "dialog_update", "dialog_wait", "dialog_message")
BUILD_DIR = None


class Environment:
    """What orvex_driver.Program needs, with Wine running in the test's prefix."""

    def __init__(self, build_dir):
        self.build_dir = os.path.realpath(build_dir)
        self.run_dir = os.path.join(self.build_dir, "run")
        self.prefix_dir = os.path.join(self.build_dir, "dpi-prefix")
        self.wine_run = ["bash", os.path.join(SOURCE_DIR, "cmake", "wine-run.sh"),
                         "--build-dir", self.prefix_dir]
        self.program_exe = os.path.join(self.run_dir, "orvex_visualizer.exe")
        self.probe_exe = os.path.join(self.run_dir, "orvex_probe.exe")
        self.working_files = ["worldmap.txt", "weltkarte1.jpg", "weltkarte2.jpg",
                              "weltkarte3.jpg", "Information.rtf"]

    def wine(self, *arguments, **options):
        return subprocess.run(self.wine_run + list(arguments), check=True,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, **options)

    def registry(self, key, name, kind, value):
        self.wine("reg", "add", key, "/v", name, "/t", kind, "/d", value, "/f")


def start_screen(env):
    """An Xvfb of the test's own; its process and display (":N")."""
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", SCREEN + "x24",
                             "-nolisten", "tcp"], pass_fds=(write,), stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as numbers:
        number = numbers.readline().strip()
    if not number:
        xvfb.kill()
        raise RuntimeError("Xvfb did not start")
    return xvfb, ":" + number


def dialog_problems(lines):
    """What the dialogs' measurements show cut off, one text per fault."""
    clients, problems, pictures = {}, [], set()
    for line in lines:
        fields = line.split()
        if not fields:
            continue
        if fields[0] == "picture":
            pictures.add(fields[1][:-4])
        elif fields[0] == "client":
            clients[fields[1]] = (int(fields[3]), int(fields[4]))
        elif fields[0] == "control":
            name, number, kind = fields[1:4]
            left, top, right, bottom = (int(v) for v in fields[4:8])
            width, height = clients[name]
            if left < 0 or top < 0 or right > width or bottom > height:
                problems.append("%s: control %s (%s) at %d,%d-%d,%d outside %dx%d" % (
                    name, number, kind, left, top, right, bottom, width, height))
        elif fields[0] == "text":
            name, number = fields[1:3]
            need_w, need_h, have_w, have_h = (int(v) for v in fields[3:7])
            if need_w > have_w or need_h > have_h:
                problems.append("%s: the text of %s needs %dx%d, has %dx%d" % (
                    name, number, need_w, need_h, have_w, have_h))
    problems += ["no picture of " + name for name in DIALOGS if name not in pictures]
    return problems


def inside(inner, outer):
    return (inner[0] >= outer[0] and inner[1] >= outer[1] and inner[2] <= outer[2]
            and inner[3] <= outer[3])


class DpiScreenshots(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.env = Environment(BUILD_DIR)
        cls.xvfb, cls.display = start_screen(cls.env)
        os.environ.pop("ORVEX_DISPLAY", None)
        os.environ["DISPLAY"] = cls.display
        # wine-run.sh would prefer a display of the prefix's own to ours.
        cls.env.wine("--stop-xvfb")
        cls.env.wine("--stop")
        cls.env.registry(r"HKCU\Software\Wine\Explorer\Desktops", "Default", "REG_SZ", SCREEN)

    @classmethod
    def tearDownClass(cls):
        subprocess.run(cls.env.wine_run + ["--stop"], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        cls.xvfb.kill()
        cls.xvfb.wait()

    def at_dpi(self, dpi):
        """Wine restarted with the DPI; the folder for its pictures."""
        self.env.wine("--stop")
        self.env.registry(r"HKCU\Control Panel\Desktop", "LogPixels", "REG_DWORD", str(dpi))
        self.env.wine("--stop")
        self.env.wine("--start")
        pictures = os.path.join(self.env.build_dir, "dpi-screenshots", str(dpi))
        shutil.rmtree(pictures, ignore_errors=True)
        os.makedirs(pictures)
        return pictures

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
            bmp = os.path.join(work, name + ".bmp")
            if os.path.exists(bmp):
                subprocess.run(["convert", bmp, os.path.join(pictures, name + ".png")],
                               check=True)
        return dialog_problems(shown.stdout.decode("cp1252").splitlines())

    def main_window(self, dpi, pictures):
        problems = []
        init = ("DB_FILE=data/cru/hadcrut3v.dat\r\nYEAR=1990\r\nMONTH=6\r\nYEAR_AVERAGE=false\r\n"
                "SCALE_PERCENT=%d\r\nMAP_TYPE=2\r\nORTH_VIEW=false\r\n" % round(SCALE * 100))
        with Program(self.env, "dpi-%d" % dpi, files={"init.txt": init}) as program:
            program.main_window()
            program.painted()
            probe = program.probe
            seen = int(probe("dpi " + program.window))
            if seen != dpi:
                problems.append("main window drawn at %d DPI" % seen)
            window = program.rect()
            client = tuple(int(v) for v in probe("client " + program.window).split())
            subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (
                window[2] - window[0], window[3] - window[1], window[0], window[1]),
                "+repage", os.path.join(pictures, "main_window.png")], check=True,
                env=dict(os.environ, DISPLAY=self.display))
            for part in ("msctls_statusbar32", "SysTabControl32", "TabOrvexMap"):
                answer = probe.ask("child %s %s" % (program.window, part))
                if not answer.startswith("ok"):
                    problems.append("main window: no " + part)
                    continue
                area = program.rect(answer[3:])
                if not inside(area, client):
                    problems.append("main window: %s %s outside the client area %s" % (
                        part, area, client))
            width, height = program.client_size(program.page)
            want = (round(1000 * SCALE + 60) * dpi / 96, round(500 * SCALE + 110) * dpi / 96)
            if width < want[0] - 2 or height < want[1] - 2:
                problems.append("map page %dx%d, the map needs %dx%d" % (
                    width, height, want[0], want[1]))
        return problems

    def test_nothing_cut_off(self):
        for dpi in DPIS:
            with self.subTest(dpi=dpi):
                pictures = self.at_dpi(dpi)
                problems = self.dialogs(dpi, pictures) + self.main_window(dpi, pictures)
                self.assertEqual([], problems, "at %d DPI" % dpi)


if __name__ == "__main__":
    BUILD_DIR = sys.argv.pop(1)
    unittest.main(verbosity=2)
