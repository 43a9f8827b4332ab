#!/usr/bin/python3
"""End-to-end tests of "Programm / Datensatz importieren ...": the real
program under Wine and Xvfb imports a netCDF-4 file in HadCRUT5 layout into
hadcrut4 and shows its last month; a cancelled import, a damaged file and a
target that cannot be written leave the old data set byte for byte as it
was, and the map as it was.

Usage: import_tests.py BUILD_DIR [unittest arguments]
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "importer"))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(HERE)), "tools"))
import e2e_tests  # noqa: E402
import products  # noqa: E402
from e2e_tests import Environment, init_text  # noqa: E402
from gridimport.importer import run as python_import  # noqa: E402
from orvex_driver import Program, winpath  # noqa: E402

import numpy as np  # noqa: E402

VK_RETURN, VK_DOWN, VK_F10 = 0x0D, 0x28, 0x79
OPEN_TITLE = "netCDF-Datei öffnen"
DIALOG = "Datensatz importieren"
VARIABLE, LONG_NAME, UNITS, GRID, MONTHS, LEVEL, LEVEL_AXIS, TARGET, PROBLEM = range(1051, 1060)
IMPORT, CANCEL = 1, 2
HADCRUT4 = "data/cru/hadcrut4.dat"
START = {"init.txt": init_text(db=HADCRUT4)}


def hadcrut5_file(path, first, last):
    """Months first..last ((year, month) pairs) of a smooth field with a gap:
    no data north of 60 N in the months of odd number."""
    months = list(range(products.month_number(*first), products.month_number(*last) + 1))
    lat = products.centres(-87.5, 5, 36)[None, :, None]
    lon = products.centres(-177.5, 5, 72)[None, None, :]
    step = np.arange(len(months))[:, None, None]
    values = np.cos(np.radians(lat)) * 2.0 - 1.0 + np.sin(np.radians(lon)) * 0.5 + step * 0.01
    values = np.where((lat > 60) & (step % 2 == 1), np.nan, values)
    products.hadcrut5(path, months, values)


def screenshot(name):
    """The whole Xvfb screen, for a look at the dialog and the map."""
    with open(os.path.join(e2e_tests.ENV.build_dir, "xvfb", "display")) as f:
        display = f.read().strip()
    path = os.path.join(e2e_tests.ENV.build_dir, "testwork", "e2e", name)
    subprocess.run(["import", "-display", display, "-window", "root", path], check=False,
                   capture_output=True, timeout=60)
    return path


class Import(unittest.TestCase):
    def own_data_set(self, program):
        """hadcrut4.dat as a file of the work folder (not a link to the run
        folder's), which the import may replace; its bytes."""
        with open(os.path.join(e2e_tests.ENV.run_dir, HADCRUT4), "rb") as f:
            old = f.read()
        program.write(HADCRUT4, old)
        return old

    def choose_file(self, program, path):
        program.command(11004)
        chooser = program.probe("wait 10000 " + OPEN_TITLE)
        program.probe("settext %s %s" % (program.probe("child %s Edit" % chooser), winpath(path)))
        program.probe("command %s 1" % chooser)
        program.probe("gone 10000 " + OPEN_TITLE)

    def texts(self, program, dialog):
        return {control: program.probe("text " + program.probe("item %s %d" % (dialog, control)))
                for control in (VARIABLE, LONG_NAME, UNITS, MONTHS, LEVEL_AXIS, TARGET, PROBLEM)}

    def test_the_menu_imports_a_hadcrut5_file_and_shows_its_last_month(self):
        with Program(e2e_tests.ENV, "import", START) as program:
            self.own_data_set(program)
            source = program.path("HadCRUT.5.0.2.0.analysis.anomalies.ensemble_mean.nc")
            hadcrut5_file(source, (2019, 1), (2020, 12))
            listing = sorted(os.listdir(program.path("data/cru")))
            program.main_window()
            before = program.painted()

            # Programm > Datensatz importieren ..., by the keyboard.
            program.probe("focus " + program.window)
            for vk in (VK_F10, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN):
                program.probe("key %d" % vk)
                time.sleep(0.15)
            chooser = program.probe("wait 10000 " + OPEN_TITLE)
            program.probe("settext %s %s" % (program.probe("child %s Edit" % chooser),
                                             winpath(source)))
            program.probe("command %s 1" % chooser)
            dialog = program.probe("wait 20000 " + DIALOG)
            time.sleep(0.5)
            screenshot("import_dialog.png")
            self.assertEqual({
                VARIABLE: "tas_mean",
                LONG_NAME: "blended air_temperature_anomaly over land with "
                           "sea_water_temperature_anomaly",
                UNITS: "K",
                MONTHS: "Januar 2019 bis Dezember 2020",
                LEVEL_AXIS: "keine",
                TARGET: "HADCRUT4",
                PROBLEM: "",
            }, self.texts(program, dialog))

            program.probe("command %s %d" % (dialog, IMPORT))
            report = program.message("Information", 60000)
            self.assertIn("hadcrut4", report)
            after = program.changed(before)
            time.sleep(0.5)
            screenshot("import_map.png")

            # The file is what the Python importer writes from the same input.
            reference = tempfile.mkdtemp(dir=program.workdir)
            python_import(source, "hadcrut4", None, None, reference)
            with open(os.path.join(reference, HADCRUT4), "rb") as f:
                self.assertTrue(f.read() == program.read(HADCRUT4), "the written file differs")
            shutil.rmtree(reference)
            self.assertEqual(listing, sorted(os.listdir(program.path("data/cru"))),
                             "nothing left behind")
            self.assertEqual(0, program.close_and_wait())
            self.assertEqual(init_text(db=HADCRUT4, year=2020, month=12), program.read("init.txt"))

        # Started on the imported file at that month, the program shows the
        # same map.
        with Program(e2e_tests.ENV, "import", again=True) as program:
            program.main_window()
            self.assertEqual(after, program.painted())

    def test_cancelled_damaged_and_unwritable_leave_the_data_set_as_it_was(self):
        with Program(e2e_tests.ENV, "import_refused", START) as program:
            old = self.own_data_set(program)
            whole = program.path("HadCRUT5_whole.nc")
            hadcrut5_file(whole, (1850, 1), (2024, 12))
            small = program.path("HadCRUT5_small.nc")
            hadcrut5_file(small, (2019, 1), (2020, 12))
            with open(small, "rb") as f:
                content = f.read()
            damaged = program.path("HadCRUT5_damaged.nc")
            with open(damaged, "wb") as f:
                f.write(content[:len(content) // 2])
            listing = sorted(os.listdir(program.path("data/cru")))
            program.main_window()
            before = program.painted()

            # "Abbrechen" at once after "Importieren": the import stops.
            self.choose_file(program, whole)
            dialog = program.probe("wait 20000 " + DIALOG)
            program.probe("command %s %d" % (dialog, IMPORT))
            program.probe("command %s %d" % (dialog, CANCEL))
            self.assertEqual("Import wurde abgebrochen.\r\n\r\nDer Datensatz »HADCRUT4« bleibt "
                             "unverändert.", program.message("Information", 60000))
            program.probe("command %s %d" % (dialog, CANCEL))
            program.probe("gone 10000 " + DIALOG)
            self.assertEqual(before, program.settle(), "the same map again")
            self.assertTrue(old == program.read(HADCRUT4), "hadcrut4.dat changed")
            self.assertEqual(listing, sorted(os.listdir(program.path("data/cru"))))

            # The damaged file is refused when it is looked at or when it is
            # read; nothing is written either way.
            self.choose_file(program, damaged)
            deadline = time.monotonic() + 30
            refusal = None
            while refusal is None and time.monotonic() < deadline:
                boxes = dict((title, box) for box, title in program.boxes())
                if "Error" in boxes:
                    screenshot("import_refused.png")
                    refusal = program.answer(boxes["Error"], "Error")
                elif DIALOG in boxes:
                    program.probe("command %s %d" % (boxes[DIALOG], IMPORT))
                    box = program.probe("wait 60000 Error")
                    screenshot("import_refused.png")
                    refusal = program.answer(box, "Error")
                    program.probe("command %s %d" % (boxes[DIALOG], CANCEL))
                    program.probe("gone 10000 " + DIALOG)
                time.sleep(0.1)
            self.assertIsNotNone(refusal, "no refusal")
            self.assertIn("nicht importiert", refusal)
            self.assertEqual(before, program.settle())
            self.assertTrue(old == program.read(HADCRUT4), "hadcrut4.dat changed")
            self.assertEqual(listing, sorted(os.listdir(program.path("data/cru"))))

            # A target that cannot be replaced (a folder in its place) fails
            # when the import writes: the reason, and the dialog stays open.
            os.unlink(program.path("data/cru/hadcrut3.dat"))
            os.mkdir(program.path("data/cru/hadcrut3.dat"))
            listing = sorted(os.listdir(program.path("data/cru")))
            self.choose_file(program, small)
            dialog = program.probe("wait 20000 " + DIALOG)
            program.probe("choose %s HADCRUT3" % program.probe("item %s %d" % (dialog, TARGET)))
            program.probe("command %s %d" % (dialog, IMPORT))
            refusal = program.message("Error", 60000)
            self.assertEqual(0, refusal.find("Die Datei wurde nicht importiert. Der Datensatz "
                                             "»HADCRUT3« bleibt unverändert.\r\n\r\n"), refusal)
            program.probe("command %s %d" % (dialog, CANCEL))
            program.probe("gone 10000 " + DIALOG)
            self.assertEqual(before, program.settle())
            self.assertTrue(old == program.read(HADCRUT4), "hadcrut4.dat changed")
            self.assertEqual(listing, sorted(os.listdir(program.path("data/cru"))))
            self.assertEqual(0, program.close_and_wait())
            self.assertEqual(START["init.txt"], program.read("init.txt"))


def main():
    e2e_tests.ENV = Environment(sys.argv[1])
    unittest.main(argv=[sys.argv[0]] + sys.argv[2:], verbosity=2)


if __name__ == "__main__":
    main()
