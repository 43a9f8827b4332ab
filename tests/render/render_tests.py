#!/usr/bin/python3
"""Tests of orvex_render.exe, the batch renderer, run under Wine with the
build tree as tools/orvex-render runs it: what it answers to bad input, a
range written as an animation, a write that fails, and --help.

Usage: render_tests.py BUILD_DIR [unittest arguments]
"""
import os
import re
import shutil
import signal
import subprocess
import sys
import time
import unittest

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD_DIR = None


def work_folder(name):
    folder = os.path.join(BUILD_DIR, "testwork", "render", name)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    return folder


def render(folder, *arguments, file_limit_kb=None):
    """Exit code, stdout and stderr of one run in the folder."""
    command = ["bash", os.path.join(SOURCE_DIR, "cmake", "wine-run.sh"), "--build-dir",
               BUILD_DIR, os.path.join(BUILD_DIR, "run", "orvex_render.exe"), *arguments]
    if file_limit_kb is not None:
        command = ["bash", os.path.join(SOURCE_DIR, "tests", "imageout", "run_with_file_limit.sh"),
                   str(file_limit_kb)] + command
    done = subprocess.run(command, cwd=folder, capture_output=True, timeout=300)
    return done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8")


def gif_facts(path):
    """ImageMagick's picture size and delay of every frame of a GIF."""
    lines = subprocess.run(["identify", "-format", "%W %H %T\n", path], capture_output=True,
                           text=True, check=True).stdout.split()
    return [tuple(int(v) for v in lines[i:i + 3]) for i in range(0, len(lines), 3)]


class BadInput(unittest.TestCase):
    # (arguments, a piece of the one line on stderr)
    CASES = [
        (["--month", "1990-06", "--out", "a.gif", "--colour", "red"], "unbekannte Option \"--colour\""),
        (["-m", "1990-06", "--out", "a.gif"], "unbekannte Option \"-m\""),
        (["--month", "1849-12", "--out", "a.gif"], "1849-12 liegt nicht im Datensatz (1850-01 bis 2014-12)"),
        (["--month", "2015-01", "--out", "a.gif"], "2015-01 liegt nicht im Datensatz"),
        (["--data", "hadcrut4", "--year", "2025", "--out", "a.gif"], "2025 liegt nicht im Datensatz (1850-01 bis 2024-12)"),
        (["--from", "2000-01", "--to", "2014-12", "--data", "hadsst2", "--out", "a.gif",
          "--to", "2015-01"], "2015-01 liegt nicht im Datensatz"),
        (["--from", "2000-02", "--to", "2000-01", "--out", "a.gif"], "--from liegt nach --to"),
        (["--from", "2001-01", "--to", "2000-12", "--step", "year", "--out", "a.gif"], "--from liegt nach --to"),
        (["--month", "1990-13", "--out", "a.gif"], "Monatsbereich 1-12"),
        (["--month", "1990/06", "--out", "a.gif"], "--month erwartet JJJJ-MM"),
        (["--month", "1990-06", "--scale", "9", "--out", "a.gif"], "--scale erwartet eine ganze Zahl von 10 bis 200"),
        (["--month", "1990-06", "--scale", "201", "--out", "a.gif"], "von 10 bis 200"),
        (["--month", "1990-06", "--scale", "75.5", "--out", "a.gif"], "von 10 bis 200"),
        (["--month", "1990-06", "--view", "sideways", "--out", "a.gif"], "--view erwartet flat oder globe"),
        (["--month", "1990-06", "--map", "sat", "--out", "a.gif"], "--map erwartet"),
        (["--month", "1990-06", "--centre", "95,10", "--view", "globe", "--out", "a.gif"], "--centre erwartet"),
        (["--month", "1990-06", "--delay", "0", "--out", "a.gif"], "--delay erwartet"),
        (["--month", "1990-06", "--out", "fehlt/a.gif"], "\"fehlt/a.gif\" kann nicht geschrieben werden"),
        (["--month", "1990-06", "--out", "a.bmp"], "unbekannte Dateiendung \"a.bmp\""),
        (["--from", "1990-01", "--to", "1990-03", "--out", "a.jpg"], "eine Animation wird als .gif geschrieben"),
        (["--month", "1990-06"], "--out DATEI fehlt"),
        (["--month", "1990-06", "--year", "1990", "--out", "a.gif"], "genau eines von --month, --year oder --from/--to"),
        (["--from", "1990-01", "--out", "a.gif"], "--from und --to gehören zusammen"),
        (["--month", "1990-06", "--step", "year", "--out", "a.gif"], "--step gilt nur mit --from und --to"),
        (["--month", "1990-06", "--out"], "--out braucht einen Wert"),
        (["--data", "fehlt.dat", "--month", "1990-06", "--out", "a.gif"], "Datensatz \"fehlt.dat\" nicht gefunden"),
        (["--month", "1990-06", "--positions", "fehlt.txt", "--out", "a.gif"], "Positionen \"fehlt.txt\" nicht gefunden"),
        (["--chart", "pie", "--out", "a.png"], "--chart erwartet global, hemispheres, positions oder stripes"),
        (["--chart", "global", "--month", "1990-06", "--out", "a.png"], "--month, --year und --season gelten nicht"),
        (["--month", "1990-06", "--running", "5", "--out", "a.gif"], "--running gilt nur mit --chart"),
        (["--chart", "global", "--from", "1800-01", "--to", "1990-01", "--out", "a.png"], "1800-01 liegt nicht im Datensatz"),
    ]

    def test_every_bad_input_gives_one_line_exit_code_2_and_no_file(self):
        folder = work_folder("bad_input")
        os.makedirs(os.path.join(folder, "leer"))
        for arguments, message in self.CASES:
            with self.subTest(" ".join(arguments)):
                code, out, err = render(folder, *arguments)
                self.assertEqual(2, code, err)
                self.assertEqual("", out)
                self.assertEqual(1, err.count("\n"), err)
                self.assertTrue(err.startswith("orvex-render: ") and err.endswith("\n"), err)
                self.assertIn(message, err)
                self.assertEqual(["leer"], os.listdir(folder), "nothing written")


class Output(unittest.TestCase):
    def test_help_is_german_on_stdout(self):
        code, out, err = render(work_folder("help"), "--help")
        self.assertEqual((0, ""), (code, err))
        self.assertTrue(out.startswith("Aufruf: orvex-render [OPTIONEN] --out DATEI\n"), out)
        for option in ("--data", "--month", "--year", "--from", "--to", "--step", "--view",
                       "--map", "--scale", "--centre", "--positions", "--out", "--delay",
                       "--hold", "--loop"):
            self.assertIn(option + " ", out)
        self.assertIn("Maßstab", out)

    def test_a_range_of_years_and_of_months_as_animations(self):
        folder = work_folder("ranges")
        code, out, err = render(folder, "--data", "hadcrut4", "--from", "2000-01", "--to",
                                "2003-12", "--step", "year", "--view", "globe", "--scale", "50",
                                "--delay", "30", "--hold", "200", "--loop", "2",
                                "--out", "Jahre.gif")
        self.assertEqual((0, ""), (code, out), err)
        self.assertTrue(err.endswith("orvex-render: 4 / 4 Bilder\n"), err)
        self.assertEqual([(560, 360, 30)] * 3 + [(560, 360, 200)],
                         gif_facts(os.path.join(folder, "Jahre.gif")))
        code, out, err = render(folder, "--from", "1990-11", "--to", "1991-02", "--map",
                                "outlines", "--out", os.path.join(folder, "Monate.GIF"))
        self.assertEqual((0, ""), (code, out), err)
        self.assertEqual([(810, 485, 10)] * 3 + [(810, 485, 100)],
                         gif_facts(os.path.join(folder, "Monate.GIF")))

    def test_one_picture_as_jpeg_and_metafile(self):
        folder = work_folder("pictures")
        self.assertEqual(0, render(folder, "--year", "1990", "--scale", "100", "--out", "a.jpg")[0])
        out = subprocess.run(["identify", "-format", "%m %w %h", os.path.join(folder, "a.jpg")],
                             capture_output=True, text=True, check=True).stdout
        self.assertEqual("JPEG 1060 610", out)
        self.assertEqual(0, render(folder, "--month", "1990-06", "--out", "a.emf")[0])
        with open(os.path.join(folder, "a.emf"), "rb") as f:
            self.assertEqual(b" EMF", f.read(44)[40:44])

    def test_a_failed_write_gives_exit_code_1_and_no_file(self):
        folder = work_folder("full_disk")
        code, out, err = render(folder, "--from", "1850-01", "--to", "1851-12", "--scale", "100",
                                "--out", "voll.gif", file_limit_kb=256)
        self.assertEqual((1, ""), (code, out), err)
        self.assertIn("orvex-render: GIF-Datei konnte nicht gespeichert werden. "
                      "(Write Error in GIF file)\n", err)
        self.assertEqual([], os.listdir(folder))


def pixels_below_title(path):
    """The RGB pixels of a picture below its title line (the top 30 rows)."""
    return subprocess.run(["convert", path, "-crop", "+0+30", "+repage", "rgb:-"],
                          capture_output=True, check=True).stdout


def read(path, size=-1):
    with open(path, "rb") as f:
        return f.read(size)


class DataByPath(unittest.TestCase):
    def test_any_path_reads_as_the_data_set_partly_filled_years_and_unknown_layouts(self):
        folder = work_folder("data_by_path")
        cru = os.path.join(BUILD_DIR, "run", "data", "cru")
        for name, month in (("hadcrut4", "2024-12"), ("hadcrut3", "2014-12"), ("hadcrut3v", "2014-12"),
                            ("hadsst2", "2014-12"), ("abstem3", "1850-12")):
            with self.subTest(name):
                # In another folder under its own name (the data set's block
                # size), and renamed (told from the file's first block).
                os.makedirs(os.path.join(folder, name))
                for data, out in ((name, "ref.gif"), (shutil.copy(os.path.join(cru, name + ".dat"), folder), "copy.gif"),
                                  (shutil.copy(os.path.join(cru, name + ".dat"), os.path.join(folder, name, "Kopie")),
                                   "renamed.gif")):
                    code, _, err = render(folder, "--data", data, "--month", month, "--out", out)
                    self.assertEqual(0, code, err)
                self.assertEqual(read(os.path.join(folder, "ref.gif")), read(os.path.join(folder, "copy.gif")))
                self.assertEqual(pixels_below_title(os.path.join(folder, "ref.gif")),
                                 pixels_below_title(os.path.join(folder, "renamed.gif")))
        # hadcrut4 up to May 2024: the year average of 2024 equals that of a
        # file whose June to December hold no value.
        block = 20856
        data = read(os.path.join(cru, "hadcrut4.dat"), ((2024 - 1850) * 12 + 5) * block)
        header, rows = data[-block:].split(b"\n", 1)
        empty = header + b"\n" + re.sub(rb"[^ \r\n]+", lambda m: b"-99.9".rjust(len(m.group())), rows)
        for name, content in (("Teiljahr", data), ("Aufgefuellt", data + empty * 7)):
            with open(os.path.join(folder, name), "wb") as f:
                f.write(content)
            self.assertEqual(0, render(folder, "--data", name, "--year", "2024", "--out", name + ".gif")[0])
        self.assertEqual(pixels_below_title(os.path.join(folder, "Aufgefuellt.gif")),
                         pixels_below_title(os.path.join(folder, "Teiljahr.gif")))
        for name, content, message in (
                ("Teiljahr", None, "2025 liegt nicht im Datensatz (1850-01 bis 2024-05)"),
                ("abgeschnitten", data[:2 * block - 10], "nicht lesbar: Aufbau der Rasterdatei nicht erkennbar"),
                ("Notiz.txt", b"keine Rasterdatei\r\n" * 100, "nicht lesbar: Aufbau der Rasterdatei nicht erkennbar")):
            with self.subTest(name):
                if content is not None:
                    with open(os.path.join(folder, name), "wb") as f:
                        f.write(content)
                code, out, err = render(folder, "--data", name, "--year", "2025", "--out", "x.gif")
                self.assertEqual((2, "", 1), (code, out, err.count("\n")), err)
                self.assertIn(message, err)


class KeepsTheOldOut(unittest.TestCase):
    """An existing --out stays as it was unless a whole new picture replaces it."""
    OLD = b"the picture made before"

    def test_early_errors_failed_writes_and_success(self):
        folder = work_folder("old_out")
        out = os.path.join(folder, "alt.gif")
        cases = [
            # (arguments, file size limit in KB, exit code, the old file kept)
            (["--month", "2015-01"], None, 2, True),
            (["--from", "2014-11", "--to", "2015-02"], None, 2, True),
            (["--from", "1850-01", "--to", "1851-12", "--scale", "100"], 256, 1, True),
            (["--month", "1990-06"], 16, 1, True),
            (["--month", "1990-06"], None, 0, False),
        ]
        for arguments, limit, expected, kept in cases:
            with self.subTest(" ".join(arguments), limit=limit):
                with open(out, "wb") as f:
                    f.write(self.OLD)
                code, _, err = render(folder, *arguments, "--out", "alt.gif", file_limit_kb=limit)
                self.assertEqual(expected, code, err)
                with open(out, "rb") as f:
                    content = f.read()
                if kept:
                    self.assertEqual(self.OLD, content)
                else:
                    self.assertEqual(b"GIF", content[:3])
                self.assertEqual(["alt.gif"], os.listdir(folder))

    def test_ctrl_c_ends_with_130_and_keeps_the_old_out(self):
        folder = work_folder("ctrl_c")
        out = os.path.join(folder, "alt.gif")
        with open(out, "wb") as f:
            f.write(self.OLD)
        command = ["bash", os.path.join(SOURCE_DIR, "cmake", "wine-run.sh"), "--build-dir",
                   BUILD_DIR, os.path.join(BUILD_DIR, "run", "orvex_render.exe"), "--from",
                   "1850-01", "--to", "2014-12", "--out", "alt.gif"]
        run = subprocess.Popen(command, cwd=folder, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, start_new_session=True)
        try:
            # Ctrl+C once frames are being written; Wine turns SIGINT into
            # the console's CTRL_C_EVENT.
            deadline = time.monotonic() + 120
            while (not [n for n in os.listdir(folder) if n.endswith(".part.gif")]
                   and time.monotonic() < deadline and run.poll() is None):
                time.sleep(0.1)
            process = subprocess.run(["pgrep", "-s", str(run.pid), "orvex_render"],
                                     capture_output=True, text=True).stdout.split()
            self.assertEqual(1, len(process), "the renderer runs")
            os.kill(int(process[0]), signal.SIGINT)
            _, err = run.communicate(timeout=120)
        finally:
            if run.poll() is None:
                os.killpg(run.pid, signal.SIGKILL)
        err = err.decode("utf-8")
        self.assertEqual(130, run.returncode, err)
        self.assertTrue(err.endswith("orvex-render: abgebrochen; nichts geschrieben\n"), err)
        with open(out, "rb") as f:
            self.assertEqual(self.OLD, f.read())
        self.assertEqual(["alt.gif"], os.listdir(folder))


def main():
    global BUILD_DIR
    BUILD_DIR = os.path.realpath(sys.argv[1])
    unittest.main(argv=[sys.argv[0]] + sys.argv[2:], verbosity=2)


if __name__ == "__main__":
    main()
