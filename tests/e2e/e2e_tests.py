#!/usr/bin/python3
"""End-to-end tests of orvex_visualizer.exe: the real program under Wine and
Xvfb, driven by keys, clicks and commands from outside, checked by its
windows, the pixels of its map page, the files it writes and its messages.

Usage: e2e_tests.py BUILD_DIR [unittest arguments]
Run by CTest inside the build tree's Xvfb and wineserver fixtures.
"""
import os
import re
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from orvex_driver import (PAGE, TITLE, VK_DOWN, VK_LEFT, VK_RIGHT, VK_UP, Program,  # noqa: E402
                          winpath)

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


class Environment:
    def __init__(self, build_dir):
        self.build_dir = os.path.realpath(build_dir)
        self.run_dir = os.path.join(self.build_dir, "run")
        self.wine_run = ["bash", os.path.join(SOURCE_DIR, "cmake", "wine-run.sh"),
                         "--build-dir", self.build_dir]
        self.program_exe = os.path.join(self.run_dir, "orvex_visualizer.exe")
        self.probe_exe = os.path.join(self.run_dir, "orvex_probe.exe")
        self.working_files = ["worldmap.txt", "weltkarte1.jpg", "weltkarte2.jpg",
                              "weltkarte3.jpg", "Information.rtf"]


ENV = None


def init_text(db="data/cru/hadcrut3v.dat", year=1990, month=6, average=False, scale=75,
              map_type=2, orthographic=False):
    """init.txt as the program writes it."""
    flag = lambda value: "true" if value else "false"  # noqa: E731
    return ("DB_FILE=%s\r\nYEAR=%d\r\nMONTH=%d\r\nYEAR_AVERAGE=%s\r\nSCALE_PERCENT=%d\r\n"
            "MAP_TYPE=%d\r\nORTH_VIEW=%s\r\n" % (db, year, month, flag(average), scale, map_type,
                                               flag(orthographic))).encode("cp1252")


def identify(path):
    """ImageMagick's format and size of a picture file."""
    out = subprocess.run(["identify", "-format", "%m %w %h\n", path], capture_output=True,
                         text=True, check=True).stdout
    return out.splitlines()[0]


def coloured(r, g, b):
    return max(r, g, b) - min(r, g, b) > 24


class StartAndStepping(unittest.TestCase):
    def test_start_without_settings_steps_and_saves_the_state_looked_at(self):
        with Program(ENV, "defaults") as program:
            program.main_window()
            june = program.painted()
            self.assertEqual((265, 324), program.rect()[:2], "window centred on 1280 x 1024")
            self.assertEqual((810, 485), program.client_size(program.page), "page at 75 %")
            program.key(VK_RIGHT)
            july = program.changed(june)
            program.key(VK_LEFT)
            self.assertEqual(june, program.changed(july), "back to June: the same pixels")
            program.key(VK_UP)
            june_1991 = program.changed(june)
            program.key(VK_DOWN)
            self.assertEqual(june, program.changed(june_1991))
            program.key(VK_UP)
            last_seen = program.changed(june)
            self.assertEqual(0, program.close_and_wait())
            self.assertEqual(init_text(year=1991), program.read("init.txt"))
            self.assertEqual(b"", program.read("positions.txt"))
            self.assertFalse(program.exists("init.txt.new"))
        with Program(ENV, "defaults", again=True) as program:
            program.main_window()
            self.assertEqual(last_seen, program.painted(), "the next start shows the same map")
            self.assertEqual((265, 324), program.rect()[:2])

    def test_january_1850_left_arrow_rebuilds_the_same_map(self):
        with Program(ENV, "january1850", {"init.txt": "YEAR=1850\nMONTH=1\n"}) as program:
            program.main_window()
            first = program.painted()
            program.key(VK_LEFT)
            # The same pixels cannot tell when the rebuild is done; keys that
            # arrive during a rebuild are dropped, so the next waits.
            time.sleep(1.0)
            self.assertEqual(first, program.settle())
            program.key(VK_RIGHT)
            february = program.changed(first)
            program.key(VK_LEFT)
            self.assertEqual(first, program.changed(february))
            self.assertEqual(0, program.close_and_wait())
            self.assertEqual(init_text(year=1850, month=1), program.read("init.txt"))

    def test_year_average_mode(self):
        with Program(ENV, "yearaverage",
                     {"init.txt": "YEAR=1990\nYEAR_AVERAGE=true\n"}) as program:
            program.main_window()
            first = program.painted()
            program.key(VK_RIGHT)
            time.sleep(1.0)
            self.assertEqual(first, program.settle(), "Right arrow does nothing")
            program.key(VK_UP)
            program.changed(first)
            self.assertEqual(0, program.close_and_wait())
            self.assertEqual(init_text(year=1991, average=True), program.read("init.txt"))


class ViewCommands(unittest.TestCase):
    def test_scales_keep_the_corner_and_size_the_page(self):
        with Program(ENV, "scales") as program:
            program.main_window()
            program.painted()
            corner = program.rect()[:2]
            program.run(12002)
            program.settle()
            self.assertEqual((560, 360), program.client_size(program.page))
            self.assertEqual(corner, program.rect()[:2])
            program.run(12000)
            program.settle()
            self.assertEqual((1060, 610), program.client_size(program.page))
            self.assertEqual(corner, program.rect()[:2])
            self.assertEqual(0, program.close_and_wait())
            self.assertEqual(init_text(scale=100), program.read("init.txt"))

    def test_outlines_then_globe(self):
        with Program(ENV, "outlines_globe") as program:
            program.main_window()
            photo = program.painted()
            program.run(12100)
            outlines = program.changed(photo)
            picture = program.snap("outlines.bmp")
            dark = picture.count(lambda r, g, b: r + g + b < 150, (30, 25, 780, 400))
            white = picture.count(lambda r, g, b: r > 240 and g > 240 and b > 240,
                                  (30, 25, 780, 400))
            self.assertGreater(dark, 2000, "coastlines drawn")
            self.assertGreater(white, 2000, "white land and sea without data, no photo")
            program.run(12200)
            program.changed(outlines)
            globe = program.snap("globe.bmp")
            corners = [globe.pixel(x, y) for x, y in ((40, 40), (770, 40), (40, 380), (770, 380))]
            self.assertTrue(all(min(c) > 240 for c in corners), "white outside the globe %s" % corners)
            self.assertTrue(coloured(*globe.pixel(405, 212)) or sum(globe.pixel(405, 212)) < 200,
                            "the globe in the middle")
            self.assertEqual(0, program.close_and_wait())
            self.assertEqual(init_text(map_type=1, orthographic=True), program.read("init.txt"))

    def test_map_type_4_shows_the_night_picture(self):
        with Program(ENV, "maptype4", {"init.txt": "MAP_TYPE=4\n"}) as program:
            program.main_window()
            program.painted()
            night = program.snap("night.bmp")
            self.assertEqual(0, program.close_and_wait())
            self.assertEqual(init_text(map_type=4), program.read("init.txt"))
        with Program(ENV, "maptype2") as program:
            program.main_window()
            program.painted()
            day = program.snap("day.bmp")
            program.close_and_wait()
        # The polar rows hold no data: there the background shows alone.
        box = (40, 25, 770, 40)
        brightness = lambda picture: sum(sum(picture.pixel(x, y)) for y in range(box[1], box[3])  # noqa: E731
                                         for x in range(box[0], box[2]))
        self.assertLess(brightness(night), brightness(day) * 0.6)


class Saving(unittest.TestCase):
    def save_through_dialog(self, program, title, name, expect_suggestion=None):
        dialog = program.probe("wait 10000 " + title)
        edit = program.probe("child %s Edit" % dialog)
        if expect_suggestion is not None:
            self.assertEqual(expect_suggestion, program.probe("text " + edit))
        program.probe("settext %s %s" % (edit, winpath(program.path(name))))
        program.probe("command %s 1" % dialog)
        program.probe("gone 10000 " + title)

    def test_gif_jpeg_emf_and_a_wrong_extension(self):
        with Program(ENV, "saving") as program:
            program.main_window()
            program.painted()
            program.key(ord("S"), ctrl=True)
            self.save_through_dialog(program, "Als GIF speichern", "karte.png",
                                     "hadcrut3v_1990_06.gif")
            self.assertEqual("Unbekannte Dateiendung.\r\n*.gif erlaubt.",
                             program.message("Information"))
            self.assertFalse(program.exists("karte.png"))

            program.key(ord("S"), ctrl=True)
            self.save_through_dialog(program, "Als GIF speichern", "hadcrut3v_1990_06.gif")
            self.assertEqual("GIF 810 485", identify(program.saved("hadcrut3v_1990_06.gif")))

            # A name ending in "." has no extension: the format's own is added.
            program.key(ord("S"), ctrl=True)
            self.save_through_dialog(program, "Als GIF speichern", "karte.")
            self.assertEqual("GIF 810 485", identify(program.saved("karte.gif")))

            program.command(11101)
            self.save_through_dialog(program, "Als JPG speichern", "karte.jpg",
                                     "hadcrut3v_1990_06.jpg")
            self.assertEqual("JPEG 810 485", identify(program.saved("karte.jpg")))

            program.command(11102)
            self.save_through_dialog(program, "Als EMF speichern", "karte.emf",
                                     "hadcrut3v_1990_06.emf")
            emf = open(program.saved("karte.emf"), "rb").read()
            self.assertEqual(b" EMF", emf[40:44], "an enhanced metafile")
            self.assertEqual(0, program.close_and_wait())
            self.assertEqual([], program.messages[1:], "no other message")


class LoadingADataSet(unittest.TestCase):
    def test_ctrl_d_loads_another_data_set_and_month(self):
        with Program(ENV, "load_data_set") as program:
            program.main_window()
            before = program.painted()
            program.key(ord("D"), ctrl=True)
            dialog = program.probe("wait 10000 Datensatz laden")
            program.probe("choose %s HADCRUT4" % program.probe("item %s 1014" % dialog))
            program.probe("settext %s 1998" % program.probe("item %s 1010" % dialog))
            program.probe("settext %s 3" % program.probe("item %s 1011" % dialog))
            program.probe("command %s 1" % dialog)
            program.probe("gone 10000 Datensatz laden")
            program.changed(before)
            self.assertEqual(0, program.close_and_wait())
            self.assertEqual(init_text(db="data/cru/hadcrut4.dat", year=1998, month=3),
                             program.read("init.txt"))
            self.assertEqual([], program.messages)


class Positions(unittest.TestCase):
    def test_double_click_adds_a_position_after_those_read(self):
        lines = ("Neue Position\t52\t31\t0\t0\t13\t24\t0\t0\r\n"
                 "Kapstadt\t33\t55\t0\t1\t18\t25\t0\t0\r\n")
        with Program(ENV, "positions", {"positions.txt": lines}) as program:
            program.main_window()
            before = program.painted()
            left, top, _, _ = (int(v) for v in program.probe("client " + program.page).split())
            program.probe("focus " + program.window)
            # A double-click the system took for two single clicks (the
            # window was not yet active) is given once more.
            for attempt in range(3):
                program.probe("click %d %d double" % (left + 200, top + 200))
                answer = program.probe.ask("wait 3000 Position")
                if answer.startswith("ok"):
                    break
                time.sleep(0.6)
            dialog = program.probe("wait 1000 Position")
            program.probe("command %s 1" % dialog)
            program.probe("gone 10000 Position")
            program.changed(before)
            program.command(10000)
            self.assertEqual(0, program.wait_exit())
            written = program.read("positions.txt").decode("cp1252")
            self.assertTrue(written.startswith(lines), written)
            added = written[len(lines):]
            self.assertRegex(added, r"^Neue Position(\t-?\d+){8}\r\n$")


class BadInput(unittest.TestCase):
    """Hostile files in the working folder: a defined result, never a crash."""

    def start_and_close(self, name, files, expect_message=None, scale_page=(810, 485)):
        with Program(ENV, name, files) as program:
            program.main_window(30000)
            program.dismiss_messages()
            if expect_message is not None:
                self.assertRegex(str(program.messages), expect_message)
            program.painted(30000)
            self.assertEqual(scale_page, program.client_size(program.page))
            self.assertEqual(0, program.close_and_wait(30))
            init = program.read("init.txt")
            self.assertRegex(init, rb"^DB_FILE=.*\r\nYEAR=-?\d+\r\nMONTH=\d+\r\nYEAR_AVERAGE=(true|false)"
                                   rb"\r\nSCALE_PERCENT=\d+\r\nMAP_TYPE=-?\d+\r\nORTH_VIEW=(true|false)\r\n$")
            return program

    def test_init_txt_of_binary_garbage_gives_the_defaults(self):
        garbage = bytes((i * 7919) % 251 for i in range(200000))
        program = self.start_and_close("garbage_init", {"init.txt": garbage})
        self.assertEqual(init_text(), program.read("init.txt"))

    def test_absurd_values(self):
        program = self.start_and_close(
            "absurd_init", {"init.txt": "YEAR=4000000000\nSCALE_PERCENT=7\nMAP_TYPE=-3\n"})
        self.assertEqual(init_text(year=2147483647, map_type=-3), program.read("init.txt"))

    def test_positions_txt_of_many_lines_a_huge_line_and_odd_degrees(self):
        many = "".join("P%d\t%d\t0\t0\t0\t%d\t0\t0\t0\r\n" % (i, i % 80, i % 170)
                       for i in range(100000))
        started = time.monotonic()
        program = self.start_and_close("many_positions", {"positions.txt": many})
        self.assertLess(time.monotonic() - started, 60)
        self.assertEqual(many.encode(), program.read("positions.txt"),
                         "every position is kept and written back as it was")
        huge = "x" * (10 << 20) + "\nOk\t1\t2\t3\t0\t4\t5\t6\t0\n" + "Weit\t999\t99\t0\t0\t999\t0\t0\t1\n"
        program = self.start_and_close("huge_position_line", {"positions.txt": huge})
        self.assertEqual(b"Ok\t1\t2\t3\t0\t4\t5\t6\t0\r\nWeit\t999\t99\t0\t0\t999\t0\t0\t1\r\n",
                         program.read("positions.txt"))

    def test_broken_data_sets(self):
        block = open(os.path.join(ENV.run_dir, "data", "cru", "hadcrut3v.dat"), "rb").read(3 * 28613)
        cases = {
            "empty": b"",
            "truncated": block[:28613 + 9000],
            "netcdf": b"CDF\x01" + bytes((i * 31) % 256 for i in range(100000)),
            "cr_only": block.replace(b"\r\n", b"\r").replace(b"\n", b"\r"),
        }
        for name, content in cases.items():
            with self.subTest(name):
                files = {"init.txt": "DB_FILE=data/cru/broken.dat\n",
                         "data/cru/broken.dat": content}
                with Program(ENV, "data_" + name, files) as program:
                    program.main_window(30000)
                    program.dismiss_messages()
                    program.painted(30000)
                    program.key(VK_RIGHT)
                    program.dismiss_messages()
                    program.settle(30000)
                    self.assertEqual(0, program.close_and_wait(30))
                    self.assertTrue(program.read("init.txt").startswith(
                        b"DB_FILE=data/cru/broken.dat\r\n"))

    def test_missing_data_set_is_reported_and_the_program_stays_usable(self):
        with Program(ENV, "missing_data", {"init.txt": "DB_FILE=data/cru/fehlt.dat\n"}) as program:
            program.main_window(30000)
            self.assertEqual(1, len(program.messages), program.messages)
            self.assertEqual("Error", program.messages[0][0])
            self.assertIn("fehlt.dat", program.messages[0][1])
            empty = program.painted()
            program.run(12002)
            program.settle()
            self.assertEqual((560, 360), program.client_size(program.page))
            self.assertEqual(0, program.close_and_wait())
            self.assertEqual(init_text(db="data/cru/fehlt.dat", scale=50), program.read("init.txt"),
                             "the data set named at start is kept for the next try")
        with Program(ENV, "missing_data", again=True) as program:
            program.main_window(30000)
            self.assertEqual("Error", program.messages[0][0])
            empty = program.painted()
            program.key(ord("D"), ctrl=True)
            dialog = program.probe("wait 10000 Datensatz laden")
            program.probe("choose %s HADCRUT4" % program.probe("item %s 1014" % dialog))
            program.probe("command %s 1" % dialog)
            program.probe("gone 10000 Datensatz laden")
            program.changed(empty)
            self.assertEqual(0, program.close_and_wait())
            self.assertEqual(init_text(db="data/cru/hadcrut4.dat", scale=50),
                             program.read("init.txt"), "another data set loaded")

    def test_a_rendering_error_is_shown_once_and_the_wait_ends(self):
        with Program(ENV, "missing_worldmap", {"init.txt": "MAP_TYPE=1\n"}) as program:
            os.unlink(program.path("worldmap.txt"))
            program.main_window(30000)
            program.probe("gone 10000 Bitte waren ...")
            program.dismiss_messages()
            self.assertEqual(1, len(program.messages), program.messages)
            self.assertIn("worldmap.txt", program.messages[0][1])
            program.run(12101)
            program.painted()
            self.assertEqual(0, program.close_and_wait())
            self.assertEqual(init_text(map_type=2), program.read("init.txt"))

    def test_garbage_coastlines_and_a_missing_help_text(self):
        garbage = bytes((i * 131) % 256 for i in range(300000))
        with Program(ENV, "garbage_worldmap",
                     {"init.txt": "MAP_TYPE=1\n", "worldmap.txt": garbage}) as program:
            os.unlink(program.path("Information.rtf"))
            program.main_window(30000)
            program.dismiss_messages()
            program.painted(30000)
            program.command(13000)
            self.assertIn("Information.rtf", program.message("Error"))
            # The help dialog then opens empty, and Escape closes it.
            program.probe("command %s 2" % program.probe("wait 10000 Hilfe"))
            program.probe("gone 5000 Hilfe")
            self.assertEqual(0, program.close_and_wait(30))

    def test_settings_files_that_cannot_be_read_or_written(self):
        """A file the run could not read is not written by it; one it cannot
        write is left as it was. Both are explained above the failure's line.
        Root reads and replaces read-only files anyway, so such a file is
        made another way: a folder of that name."""
        positions = "Alt\t1\t2\t3\t0\t4\t5\t6\t0\r\n"
        cases = [
            # name, folder at start, folder made while running, message at start, at the end
            ("init_folder", "init.txt", None,
             "»init.txt« ist vorhanden, konnte aber nicht gelesen werden.", None),
            ("positions_folder", "positions.txt", None,
             "»positions.txt« ist vorhanden, konnte aber nicht vollständig gelesen werden.",
             None),
            ("init_unwritable", None, "init.txt", None,
             "Konfiguration konnte nicht gespeichert werden: »init.txt« ließ sich nicht "
             "schreiben."),
        ]
        for name, folder, later_folder, at_start, at_end in cases:
            with self.subTest(name), Program(ENV, name, {"positions.txt": positions}) as program:
                if folder:
                    if program.exists(folder):
                        os.unlink(program.path(folder))
                    os.makedirs(program.path(folder))
                program.main_window(30000)
                program.painted()
                program.dismiss_messages()
                started = list(program.messages)
                if later_folder:
                    os.makedirs(program.path(later_folder))
                program.probe("close " + program.window)
                deadline = time.monotonic() + 5
                while not program.boxes() and time.monotonic() < deadline:
                    if program.process.poll() is not None:
                        break
                    time.sleep(0.1)
                program.dismiss_messages()
                self.assertEqual(0, program.wait_exit(30))
                ended = program.messages[len(started):]
                for shown, sentence in ((started, at_start), (ended, at_end)):
                    if sentence is None:
                        self.assertEqual([], shown)
                        continue
                    self.assertEqual(1, len(shown), shown)
                    caption, text = shown[0]
                    self.assertEqual("Error", caption)
                    self.assertTrue(text.startswith(sentence), text)
                    self.assertRegex(text, r"\r\n\r\nWFileException: Cannot [^\r\n]*\(id=-?\d+, "
                                           r"syserr=[0-9A-F]{8}h\)$")
                for kept in (folder, later_folder):
                    if kept:
                        self.assertTrue(os.path.isdir(program.path(kept)), kept)
                        self.assertFalse(program.exists(kept + ".new"), "no temporary file")
                if folder != "init.txt" and later_folder != "init.txt":
                    self.assertEqual(init_text(), program.read("init.txt"))
                if folder != "positions.txt":
                    self.assertEqual(positions.encode(), program.read("positions.txt"))


class FileProblems(unittest.TestCase):
    """A missing or damaged file of the program's own is explained in German
    above the failure's line, says what to do, and is told once per session
    when it comes back at every rebuild."""

    DATA_SET_HINT = "\r\nWählen Sie mit »Datensatz laden« einen anderen Datensatz.\r\n\r\n"
    PICTURE_HINT = ("Die Karte wird ohne Bild gezeichnet.\r\nWählen Sie im Menü »Ansicht« unter "
                    "»Karte« eine andere Karte, oder ")
    COASTLINE_HINT = ("\r\nWählen Sie im Menü »Ansicht« unter »Karte« das »Satellitenfoto« oder "
                      "»Land/Wasser«, oder legen Sie eine lesbare Datei »worldmap.txt« in den "
                      "Ordner des Programms.\r\n\r\n")

    def quiet_rebuilds(self, program, keys):
        """Keys that rebuild the map; no message may come of them."""
        for vk in keys:
            program.key(vk)
            time.sleep(1.0)
            self.assertEqual([], program.boxes(), "a message at a rebuild")
            program.probe("gone 20000 Bitte waren ...")

    def load_data_set(self, program, name):
        program.key(ord("D"), ctrl=True)
        dialog = program.probe("wait 10000 Datensatz laden")
        program.probe("choose %s %s" % (program.probe("item %s 1014" % dialog), name))
        program.probe("command %s 1" % dialog)
        program.probe("gone 10000 Datensatz laden")

    def test_each_problem_is_explained_and_told_once(self):
        huge = "data/cru/" + "x" * (10 << 20) + ".dat"
        garbage = bytes((i * 131) % 256 for i in range(50000))

        def start_only(program):
            pass

        def load_missing_hadcrut4(program):
            self.load_data_set(program, "HADCRUT4")
            program.message("Error")

        def rebuild_outlines_and_save(program):
            self.quiet_rebuilds(program, [VK_RIGHT, VK_UP])
            program.key(ord("S"), ctrl=True)
            program.message("Error")
            self.assertEqual([], program.boxes(), "no save dialog for a map that cannot be drawn")
            program.key(ord("S"), ctrl=True)
            program.message("Error")

        def rebuild_without_pictures(program):
            self.quiet_rebuilds(program, [VK_RIGHT])
            program.command(12102)
            program.message("Error")
            program.run(12101)
            program.run(12102)
            self.quiet_rebuilds(program, [VK_LEFT])

        cases = [
            ("missing data set", {"init.txt": "DB_FILE=data/cru/fehlt.dat\n"}, [], start_only,
             [r"Der Datensatz »data/cru/fehlt\.dat« wurde nicht gefunden\. Die Karte bleibt leer\."
              + re.escape(self.DATA_SET_HINT) + r"WFileNotFoundException: [^\r\n]*fehlt\.dat"
              r" \(id=-?\d+, syserr=[0-9A-F]{8}h\)$"]),
            ("unreadable data set", {"init.txt": "DB_FILE=data/cru/ordner.dat\n",
                                     "data/cru/ordner.dat/darin.txt": "x"}, [], start_only,
             [r"Der Datensatz »data/cru/ordner\.dat« kann nicht gelesen werden\. Die Karte bleibt "
              r"leer\." + re.escape(self.DATA_SET_HINT) + r"WFileException: .*ordner\.dat"]),
            ("missing data set chosen", {}, ["data/cru/hadcrut4.dat"], load_missing_hadcrut4,
             [r"Der Datensatz »data/cru/hadcrut4\.dat« wurde nicht gefunden\. Die Karte bleibt "
              r"leer\." + re.escape(self.DATA_SET_HINT) + r"WFileNotFoundException: "]),
            ("name of ten megabytes", {"init.txt": "DB_FILE=%s\n" % huge}, [], start_only,
             [r"^Der Datensatz »data/cru/x{100}.{0,420}x{100}\.dat« wurde nicht gefunden\. Die "
              r"Karte bleibt leer\." + re.escape(self.DATA_SET_HINT)
              + r"WFileNotFoundException: File not found: data/cru/x{100}[^\r\n]{0,400}$"]),
            ("missing coastlines", {"init.txt": "MAP_TYPE=1\n"}, ["worldmap.txt"],
             rebuild_outlines_and_save,
             [r"^Die Karte mit Umrissen kann nicht gezeichnet werden, weil die Datei "
              r"»worldmap\.txt« fehlt\." + re.escape(self.COASTLINE_HINT)
              + r"WFileNotFoundException: File not found: worldmap\.txt"]
             + 2 * [r"^Die Karte mit Umrissen kann nicht gespeichert werden, weil die Datei "
                    r"»worldmap\.txt« fehlt\." + re.escape(self.COASTLINE_HINT)]),
            ("missing and damaged pictures", {"weltkarte3.jpg": garbage}, ["weltkarte1.jpg"],
             rebuild_without_pictures,
             [r"^Das Hintergrundbild »weltkarte1\.jpg« fehlt\. " + re.escape(self.PICTURE_HINT)
              + r"legen Sie das Bild in den Ordner des Programms\.\r\n\r\nWBitmapException: "
              r"Cannot load bitmap: weltkarte1\.jpg",
              r"^Das Hintergrundbild »weltkarte3\.jpg« ist beschädigt oder kein Bild\. "
              + re.escape(self.PICTURE_HINT) + r"ersetzen Sie das Bild im Ordner des Programms\."]),
        ]
        for name, files, removed, act, expected in cases:
            with self.subTest(name):
                program = Program(ENV, "problem_" + name.replace(" ", "_"), files)
                for relative in removed:
                    os.unlink(program.path(relative))
                with program:
                    program.main_window(60000)
                    program.probe("gone 20000 Bitte waren ...")
                    program.dismiss_messages()
                    act(program)
                    texts = [text for _, text in program.messages]
                    self.assertEqual(["Error"] * len(expected),
                                     [caption for caption, _ in program.messages], texts)
                    for pattern, text in zip(expected, texts):
                        self.assertLess(len(text), 4000, "a message of %d characters" % len(text))
                        self.assertRegex(text, re.compile(pattern, re.S))
                    self.assertEqual(0, program.close_and_wait(60))


def main():
    global ENV
    ENV = Environment(sys.argv[1])
    unittest.main(argv=[sys.argv[0]] + sys.argv[2:], verbosity=2)


if __name__ == "__main__":
    main()
