#!/usr/bin/python3
"""End-to-end test of "Programm / Daten aktualisieren ...": the real program
under Wine and Xvfb updates two products from an HTTPS server on the
loopback address and shows the last one's data set at its newest month; a
cancel during a slow download and a missing file (404) leave their data sets
byte for byte as they were and no temporary file.

Usage: update_tests.py BUILD_DIR [unittest arguments]
"""
import os
import shutil
import subprocess
import sys
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "importer"))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "update"))
import e2e_tests  # noqa: E402
import products  # noqa: E402
from e2e_tests import Environment, init_text  # noqa: E402
from import_tests import hadcrut5_file, screenshot  # noqa: E402
from loopback_server import LoopbackServer, make_certificate  # noqa: E402
from orvex_driver import Program, winpath  # noqa: E402

import numpy as np  # noqa: E402

DIALOG = "Daten aktualisieren"
STATUS, UPDATE, CANCEL, COMMAND = 1072, 1, 2, 11005
VK_SPACE, VK_DOWN = 0x20, 0x28
DATA_SETS = ["data/cru/%s.dat" % name for name in ("hadcrut4", "hadsst2", "hadcrut3", "hadcrut3v")]


class Update(unittest.TestCase):
    def update(self, program, rows, shot=None, cancel=False):
        """Opens the dialog, checks the rows (counted from 0) by the keyboard
        and starts; the report's lines."""
        program.command(COMMAND)
        dialog = program.probe("wait 20000 " + DIALOG)
        program.probe("focus " + dialog)
        at = 0
        for row in rows:
            for _ in range(row - at):
                program.probe("key %d" % VK_DOWN)
            program.probe("key %d" % VK_SPACE)
            at = row
        time.sleep(0.5)
        if shot:
            screenshot(shot + "_dialog.png")
        program.probe("command %s %d" % (dialog, UPDATE))
        if cancel:
            status = program.probe("item %s %d" % (dialog, STATUS))
            deadline = time.monotonic() + 30
            while " von " not in program.probe("text " + status) and time.monotonic() < deadline:
                time.sleep(0.1)
            screenshot("update_progress.png")
            program.probe("command %s %d" % (dialog, CANCEL))
        box = program.probe("wait 60000 Information")
        if shot:
            screenshot(shot + "_report.png")
        return program.answer(box, "Information").split("\r\n")

    def test_two_products_a_cancel_and_a_404(self):
        served = os.path.join(e2e_tests.ENV.build_dir, "testwork", "update_served")
        shutil.rmtree(served, ignore_errors=True)
        os.makedirs(served)
        products.hadsst4(os.path.join(served, "hadsst4.nc"), [products.month_number(2021, m) for m in (1, 2, 3)],
                         np.full((3, 36, 72), 0.25))
        hadcrut5_file(os.path.join(served, "hadcrut5.nc"), (2019, 1), (2025, 3))
        # Uncompressed, some 20 MB: the slow download lasts long enough to cancel.
        months = range(products.month_number(1850, 1), products.month_number(2024, 12) + 1)
        products.hadcrut4(os.path.join(served, "big.nc"), months, np.zeros((len(months), 36, 72)))
        certificate = make_certificate(os.path.join(served, "certificate"))
        subprocess.run(e2e_tests.ENV.wine_run + [os.path.join(e2e_tests.ENV.run_dir, "trust_certificate.exe"),
                                                 winpath(certificate[2])], check=True, capture_output=True)

        with LoopbackServer(served, certificate) as server:
            catalogue = "\r\n".join([
                "HadSST4 %s hadsst2 - - Meerestemperatur" % server.url("hadsst4.nc"),
                "Andere %s hadcrut4 - - Die zweite Quelle für HADCRUT4" % server.url("status/500/x.nc"),
                "HadCRUT5 %s hadcrut4 - - Land und Meer" % server.url("hadcrut5.nc"),
                "Fehlt %s hadcrut3 - -" % server.url("status/404/fehlt.nc"),
                "Langsam %s hadcrut3v - -" % server.url("slow/big.nc"),
                "Kaputt",
            ])
            with Program(e2e_tests.ENV, "update", {"init.txt": init_text(db=DATA_SETS[0]),
                                                   "produkte.txt": catalogue}) as program:
                old = {}
                for name in DATA_SETS:
                    with open(os.path.join(e2e_tests.ENV.run_dir, name), "rb") as f:
                        old[name] = f.read()
                    program.write(name, old[name])
                program.main_window()
                before = program.painted()

                # Checking HadCRUT5 unchecks the other product of its data set.
                lines = self.update(program, [0, 1, 2], shot="update")
                self.assertEqual(2, len(lines), lines)
                # The data sets shipped end in December 2014 and 2024.
                self.assertRegex(lines[0], r"^HadSST4: 75 neue Monate, bis März 2021 \(\d+ KB\)$")
                self.assertRegex(lines[1], r"^HadCRUT5: 3 neue Monate, bis März 2025 \(\d+ KB\)$")
                program.changed(before)
                shown = program.settle()

                # What was updated comes checked again, and is unchanged.
                lines = self.update(program, [3])
                self.assertEqual(["HadSST4: unverändert, bis März 2021", "HadCRUT5: unverändert, bis März 2025"],
                                 lines[:2])
                self.assertRegex(lines[2], "^Fehlt: .*404")
                self.assertEqual(3, len(lines), lines)
                lines = self.update(program, [0, 2, 4], cancel=True)
                self.assertEqual(["Langsam: abgebrochen, der Datensatz bleibt unverändert."], lines)
                self.assertEqual(shown, program.settle(), "the same map again")
                for name in DATA_SETS[2:]:
                    self.assertTrue(old[name] == program.read(name), name + " changed")
                self.assertEqual([], [n for n in os.listdir(program.path("data/cru")) if ".part" in n])
                self.assertEqual(0, program.close_and_wait())
                self.assertEqual(init_text(db=DATA_SETS[0], year=2025, month=3), program.read("init.txt"))


def main():
    e2e_tests.ENV = Environment(sys.argv[1])
    unittest.main(argv=[sys.argv[0]] + sys.argv[2:], verbosity=2)


if __name__ == "__main__":
    main()
