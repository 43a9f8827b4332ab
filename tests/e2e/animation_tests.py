#!/usr/bin/python3
"""End-to-end tests of the animations: "Speichern als ... / Animation (GIF)
..." in the real program under Wine and Xvfb (the menu item, the dialog's
range checks, an animation written, a cancelled one), and the batch
renderer's single picture, byte for byte the file of Ctrl+S.

Usage: animation_tests.py BUILD_DIR [unittest arguments]
"""
import glob
import os
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_tests  # noqa: E402
from e2e_tests import Environment, init_text  # noqa: E402
from orvex_driver import Program, winpath  # noqa: E402

VK_RETURN, VK_RIGHT, VK_DOWN, VK_F10 = 0x0D, 0x27, 0x28, 0x79
DIALOG = "Animation (GIF)"
START_YEAR, START_MONTH, STOP_YEAR, STOP_MONTH, YEAR_AVERAGE, DELAY = range(1040, 1046)
CANCEL, START = 1047, 1048
SAVE_TITLE = "Animation als GIF speichern"


def gif_facts(path):
    lines = subprocess.run(["identify", "-format", "%W %H %T\n", path], capture_output=True,
                           text=True, check=True).stdout.split()
    return [tuple(int(v) for v in lines[i:i + 3]) for i in range(0, len(lines), 3)]


def render(folder, *arguments):
    env = e2e_tests.ENV
    return subprocess.run(env.wine_run + [os.path.join(env.run_dir, "orvex_render.exe"),
                                          *arguments], cwd=folder, capture_output=True,
                          timeout=300)


class Animation(unittest.TestCase):
    def open_through_the_menu(self, program):
        """Programm > Speichern als ... > Animation (GIF) ... (after GIF, JPEG and
        PNG), by the keyboard."""
        program.probe("focus " + program.window)
        for vk in (VK_F10, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN,
                   VK_DOWN, VK_RETURN):
            program.probe("key %d" % vk)
            time.sleep(0.15)
        return program.probe("wait 10000 " + DIALOG)

    def fill(self, program, dialog, values):
        for control, value in values.items():
            program.probe("settext %s %s" % (program.probe("item %s %d" % (dialog, control)),
                                             value))

    def start_and_save(self, program, dialog, name, suggestion):
        program.probe("command %s %d" % (dialog, START))
        save = program.probe("wait 10000 " + SAVE_TITLE)
        edit = program.probe("child %s Edit" % save)
        self.assertEqual(suggestion, program.probe("text " + edit))
        program.probe("settext %s %s" % (edit, winpath(program.path(name))))
        program.probe("command %s 1" % save)
        program.probe("gone 10000 " + SAVE_TITLE)

    def test_menu_item_range_checks_an_animation_and_a_cancelled_one(self):
        with Program(e2e_tests.ENV, "animation") as program:
            program.main_window()
            program.painted()
            dialog = self.open_through_the_menu(program)

            checks = [
                ({START_YEAR: "1849"}, "Jahr ab 1850 möglich."),
                ({START_YEAR: "1990", START_MONTH: "0"}, "Monatsbereich 1-12."),
                ({START_MONTH: "1", STOP_MONTH: "13"}, "Monatsbereich 1-12."),
                ({STOP_MONTH: "6", STOP_YEAR: "1989"}, "Start-Jahr muss vor dem Stop-Jahr liegen."),
                ({STOP_YEAR: "1990", START_MONTH: "7"}, "Start-Monat muss vor dem Stop-Monat liegen."),
                ({START_MONTH: "1", DELAY: "0"}, "Verzögerung 1-65535 (1/100 s)."),
                ({DELAY: "25", STOP_YEAR: "2015", STOP_MONTH: "1"}, "Daten bis Dezember 2014 vorhanden."),
            ]
            for values, message in checks:
                self.fill(program, dialog, values)
                program.probe("command %s %d" % (dialog, START))
                self.assertEqual(message, program.message("Information"))

            self.fill(program, dialog, {STOP_YEAR: "1990", STOP_MONTH: "6"})
            self.start_and_save(program, dialog, "kurz.gif", "hadcrut3v_1990_01-1990_06.gif")
            self.assertEqual("Animation wurde erfolgreich gespeichert.",
                             program.message("Information", 60000))
            self.assertEqual([(810, 485, 25)] * 5 + [(810, 485, 100)],
                             gif_facts(program.path("kurz.gif")))

            # 1 980 months take long enough to be cancelled on the way; the
            # frames go to a temporary file beside the chosen one.
            self.fill(program, dialog, {START_YEAR: "1850", STOP_YEAR: "2014", STOP_MONTH: "12"})
            self.start_and_save(program, dialog, "lang.gif", "hadcrut3v_1850_01-2014_12.gif")
            deadline = time.monotonic() + 20
            while not glob.glob(program.path("lang.*.part.gif")) and time.monotonic() < deadline:
                time.sleep(0.1)
            time.sleep(1.0)
            program.probe("command %s %d" % (dialog, CANCEL))
            self.assertEqual("Animation wurde abgebrochen.\r\n\r\nEs wurde keine Datei gespeichert.",
                             program.message("Information", 60000))
            self.assertEqual([], glob.glob(program.path("lang*")), "the partial file is removed")

            program.probe("command %s %d" % (dialog, CANCEL))
            program.probe("gone 10000 " + DIALOG)
            self.assertEqual(0, program.close_and_wait())
            self.assertEqual(init_text(), program.read("init.txt"), "the view is unchanged")


class BatchRenderer(unittest.TestCase):
    def test_a_single_month_is_byte_for_byte_the_file_of_ctrl_s(self):
        for globe in (False, True):
            with self.subTest("globe" if globe else "flat"):
                files = {"init.txt": init_text(orthographic=globe, map_type=1 if globe else 2)}
                with Program(e2e_tests.ENV, "ctrl_s_globe" if globe else "ctrl_s", files) as program:
                    program.main_window()
                    program.painted()
                    program.key(ord("S"), ctrl=True)
                    save = program.probe("wait 10000 Als GIF speichern")
                    edit = program.probe("child %s Edit" % save)
                    program.probe("settext %s %s" % (edit, winpath(program.path("programm.gif"))))
                    program.probe("command %s 1" % save)
                    program.probe("gone 10000 Als GIF speichern")
                    program.settle()
                    self.assertEqual(0, program.close_and_wait())
                    arguments = ["--data", "hadcrut3v", "--month", "1990-06", "--out",
                                 "batch.gif"]
                    if globe:
                        arguments += ["--view", "globe", "--map", "outlines"]
                    done = render(program.workdir, *arguments)
                    self.assertEqual(0, done.returncode, done.stderr)
                    self.assertEqual(b"", done.stdout)
                    self.assertEqual(program.read("programm.gif"), program.read("batch.gif"))


def main():
    e2e_tests.ENV = Environment(sys.argv[1])
    unittest.main(argv=[sys.argv[0]] + sys.argv[2:], verbosity=2)


if __name__ == "__main__":
    main()
