#!/usr/bin/python3
"""End-to-end tests of "Programm / Datensatz importieren ...": the real
program under Wine and Xvfb imports a netCDF-4 file in HadCRUT5 layout into
hadcrut4 and shows its last month; a cancelled import, a damaged file and a
target that cannot be written leave the old data set byte for byte as it
was, and the map as it was. From a profile folder with umlauts, the menu's
import, a saved picture, the export, import_grid.exe and orvex_render.exe
take every name Windows allows.

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
            for vk in (VK_F10, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN,
                       VK_RETURN):
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


class NamesWindowsAllows(unittest.TestCase):
    """A German profile: the program, its importer and renderer in a folder
    with umlauts and spaces, inputs named in and outside Windows-1252 and
    past 260 characters; each result equals the one from plain names."""

    def console(self, program, *arguments):
        done = subprocess.run(e2e_tests.ENV.wine_run + [os.path.join(e2e_tests.ENV.run_dir, program), *arguments],
                              capture_output=True, timeout=300)
        return done.returncode, done.stderr.decode("cp1252")

    def test_a_profile_folder_with_umlauts_and_inputs_named_outside_windows_1252(self):
        with Program(e2e_tests.ENV, "Jürgen Müller/Orvex Visualizer", START) as program:
            Import.own_data_set(self, program)
            source = program.path("Downloads/Daten 2024 (ä)/HadCRUT.5.0.2.0.analysis.anomalies.ensemble_mean.nc")
            os.makedirs(os.path.dirname(source))
            hadcrut5_file(source, (2019, 1), (2020, 12))
            program.main_window()
            before = program.painted()
            Import.choose_file(self, program, source)
            dialog = program.probe("wait 20000 " + DIALOG)
            self.assertEqual(winpath(source), program.probe("text " + program.probe("item %s 1050" % dialog)))
            time.sleep(0.5)
            screenshot("paths_import_dialog.png")
            program.probe("command %s %d" % (dialog, IMPORT))
            box = program.probe("wait 60000 Information")
            screenshot("paths_report.png")
            report = program.answer(box, "Information")
            self.assertIn(winpath(program.path("data")) + "\\cru\\hadcrut4.dat: 'tas_mean'", report)
            program.changed(before)
            time.sleep(0.5)
            screenshot("paths_map.png")

            program.key(ord("S"), ctrl=True)
            os.makedirs(program.path("Bilder (ä)"))
            e2e_tests.Saving.save_through_dialog(self, program, "Als GIF speichern", "Bilder (ä)/Karte Müller.gif")
            self.assertEqual("GIF 810 485", e2e_tests.identify(program.saved("Bilder (ä)/Karte Müller.gif")))
            program.command(11003)
            export = program.probe("wait 10000 Datenreihe exportieren")
            for control, value in ((1020, "2020"), (1021, "1"), (1022, "2020"), (1023, "12")):
                program.probe("settext %s %s" % (program.probe("item %s %d" % (export, control)), value))
            program.probe("command %s 1025" % export)
            self.assertEqual("Export wurde erfolgreich durchgeführt.", program.message("Information", 60000))
            program.probe("command %s 1024" % export)
            program.probe("gone 10000 Datenreihe exportieren")
            written = program.read("Auswertung.csv").splitlines()
            self.assertEqual((True, 12), (b"hadcrut4.dat" in written[0], sum(r.startswith(b"2020;") for r in written)))
            self.assertEqual(0, program.close_and_wait())

            # The console programs, with names that the ANSI code page cannot
            # spell, against the Python importer's file and a plain-named render.
            plain = tempfile.mkdtemp(dir=os.path.join(e2e_tests.ENV.build_dir, "testwork"))
            polish = program.path("Łódź/Привет Ωμέγα.nc")
            deep = program.path("/".join(["Ordner mit Überlänge %02d" % i for i in range(12)]) + "/ä.nc")  # > 300
            for copy in (polish, deep):
                os.makedirs(os.path.dirname(copy))
                shutil.copy(source, copy)
            with products.netCDF4.Dataset(polish, "a") as nc:
                nc.renameVariable("tas_mean", "Temperatur_Änderung")
            for input_path, target, variable in ((source, "hadcrut3", None), (deep, "hadcrut3v", None),
                                                 (polish, "hadsst2", "Temperatur_Änderung")):
                with self.subTest(input=input_path):
                    code, errors = self.console("import_grid.exe", winpath(input_path), "--as", target, "--out",
                                                winpath(program.workdir), *(["--variable", variable] if variable else []))
                    self.assertEqual(0, code, errors)
                    python_import(input_path, target, variable, None, plain, echo=lambda line: None)
                    with open(os.path.join(plain, "data/cru/%s.dat" % target), "rb") as f:
                        self.assertTrue(f.read() == program.read("data/cru/%s.dat" % target), target + " differs")
            code, errors = self.console("import_grid.exe", winpath(polish + "x"), "--as", "hadcrut4")
            shown = winpath(polish + "x").replace("Łódź", "?ód?").replace("Привет Ωμέγα", "?????? ?????")
            self.assertEqual((1, True), (code, "import-grid: error: %s: no such file" % shown in errors), errors)

            ours, reference = program.path("Bilder (ä)/Łódź.gif"), os.path.join(plain, "reference.gif")
            for data, out in ((program.path("data/cru/hadcrut3v.dat"), ours),
                              (os.path.join(plain, "data/cru/hadcrut3v.dat"), reference)):
                code, errors = self.console("orvex_render.exe", "--data", winpath(data), "--month", "2020-12",
                                            "--out", winpath(out))
                self.assertEqual(0, code, errors)
            with open(reference, "rb") as f:
                self.assertTrue(f.read() == program.read(ours), "the picture differs")
            shutil.rmtree(plain)


def main():
    e2e_tests.ENV = Environment(sys.argv[1])
    unittest.main(argv=[sys.argv[0]] + sys.argv[2:], verbosity=2)


if __name__ == "__main__":
    main()
