#!/usr/bin/python3
"""End-to-end test of the "Zeitreihe" tab in the real program under Wine and
Xvfb: Ctrl+Tab shows the chart, a click on a year's point opens that year on
the map, and the chart saved as PNG holds exactly the pixels the tab shows.

Usage: chart_tests.py BUILD_DIR [unittest arguments]
"""
import os
import re
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_tests  # noqa: E402
from e2e_tests import Environment, init_text  # noqa: E402
from orvex_driver import Bitmap, winpath  # noqa: E402
from orvex_driver import Program  # noqa: E402

VK_TAB = 0x09
SAVE_PNG = 12450
CHART_PAGE = "TabOrvexChart"


class ChartTab(unittest.TestCase):
    def year_point(self, program, chart):
        """Screen coordinates where the status line says a click opens a
        year, and that year, searched down a line at three quarters of the
        page's width."""
        left, top, right, bottom = (int(v) for v in program.probe("client " + chart).split())
        x = left + (right - left) * 3 // 4
        # The status line may still read where the pointer was before: first
        # wait until it reads the page's corner, outside the plot.
        program.probe("move %d %d" % (left + 5, top + 5))
        for _ in range(100):
            if program.probe("status %s 1" % program.window) == "":
                break
            program.probe("sleep 50")
        for y in range(top + 20, bottom - 20, 2):
            program.probe("move %d %d" % (x, y))
            match = re.match(r"Karte: Jahr (\d{4})$", program.probe("status %s 1" % program.window))
            if match:
                return x, y, int(match.group(1))
        self.fail("no year's point under x = %d" % x)

    def wait_visible(self, program, window):
        for _ in range(100):
            if program.probe("visible " + window) == "1":
                return
            program.probe("sleep 100")
        self.fail("the page is not shown")

    def test_click_a_year_and_save_the_chart(self):
        files = {"init.txt": init_text(db="data/cru/hadcrut4.dat", year=2024, month=6)}
        with Program(e2e_tests.ENV, "chart", files) as program:
            program.main_window()
            june = program.painted()
            program.key(VK_TAB, ctrl=True)
            chart = program.probe("child %s %s" % (program.window, CHART_PAGE))
            self.wait_visible(program, chart)
            x, y, year = self.year_point(program, chart)

            program.probe("click %d %d" % (x, y))
            self.wait_visible(program, program.page)
            program.changed(june)

            program.key(VK_TAB, ctrl=True)
            self.wait_visible(program, chart)
            program.probe("sleep 500")
            program.probe("snap %s %s" % (chart, winpath(program.path("shown.bmp"))))
            shown = Bitmap(program.path("shown.bmp"))
            program.command(SAVE_PNG)
            dialog = program.probe("wait 10000 Als PNG speichern")
            edit = program.probe("child %s Edit" % dialog)
            self.assertEqual("hadcrut4_Zeitreihe_1850-2024.png", program.probe("text " + edit))
            program.probe("settext %s %s" % (edit, winpath(program.path("chart.png"))))
            program.probe("command %s 1" % dialog)
            program.probe("gone 10000 Als PNG speichern")

            self.assertEqual(b"\x89PNG\r\n\x1a\n", program.read("chart.png")[:8])
            subprocess.run(["convert", program.path("chart.png"), "-type", "TrueColor",
                            "BMP3:" + program.path("saved.bmp")], check=True)
            saved = Bitmap(program.path("saved.bmp"))
            self.assertEqual((shown.width, shown.height), (saved.width, saved.height))
            drawn = saved.count(lambda r, g, b: (r, g, b) != (255, 255, 255))
            self.assertGreater(drawn, saved.width * saved.height // 20, "not blank")
            rows = shown.row * shown.height
            self.assertEqual(shown.data[:rows], saved.data[:rows], "the file holds what the tab shows")

            self.assertEqual(0, program.close_and_wait())
            self.assertRegex(program.read("init.txt").decode("cp1252"),
                             r"YEAR=%d\r\nMONTH=\d+\r\nYEAR_AVERAGE=true\r\n" % year)
            self.assertEqual([], program.messages)


def main():
    e2e_tests.ENV = Environment(sys.argv[1])
    unittest.main(argv=[sys.argv[0]] + sys.argv[2:], verbosity=2)


if __name__ == "__main__":
    main()
