#!/usr/bin/python3
"""End-to-end test of reference periods, seasons and trend maps in the real
program under Wine and Xvfb: "Bezugszeitraum" with its refusals, a season
stepped with the arrow keys, a trend map, both exported as tables, and the
reference kept across a restart and told when another data set lacks it.

Usage: reference_tests.py BUILD_DIR [unittest arguments]
"""
import os
import re
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_tests  # noqa: E402
from e2e_tests import Environment, init_text  # noqa: E402
from orvex_driver import VK_RIGHT, Program, winpath  # noqa: E402

REFERENCE, TREND, TABLE = 12300, 12301, 12302
PERIOD, FIRST, LAST = 1210, 1211, 1212
TREND_FIRST, TREND_LAST, TREND_PERIOD = 1220, 1221, 1223
LOAD_DATA_SET, LOAD_SEASON = 1014, 1200
TABLE_TITLE = "Karte als Tabelle exportieren"


class ReferenceSeasonTrend(unittest.TestCase):
    def dialog(self, program, command_id, caption):
        program.command(command_id)
        return program.probe("wait 10000 " + caption)

    def set(self, program, dialog, values):
        for control, value in values.items():
            item = program.probe("item %s %d" % (dialog, control))
            verb = "settext" if isinstance(value, int) else "choose"
            program.probe("%s %s %s" % (verb, item, value))

    def confirm(self, program, dialog, caption, before):
        program.probe("command %s 1" % dialog)
        program.probe("gone 10000 " + caption)
        return program.changed(before)

    def table(self, program, suggested, name=None):
        """The shown field's table; the dialog suggests a name, the file gets
        that or the one given."""
        name = name or suggested
        save = self.dialog(program, TABLE, TABLE_TITLE)
        edit = program.probe("child %s Edit" % save)
        self.assertEqual(suggested, program.probe("text " + edit))
        program.probe("settext %s %s" % (edit, winpath(program.path(name))))
        program.probe("command %s 1" % save)
        program.probe("gone 10000 " + TABLE_TITLE)
        lines = program.read(name).decode("cp1252").split("\r\n")
        self.assertEqual("", lines.pop(), "every line ends with CR LF")
        return lines

    def test_reference_season_trend_tables_and_restart(self):
        files = {"init.txt": init_text(db="data/cru/hadcrut4.dat", year=2024, month=6)}
        with Program(e2e_tests.ENV, "reference", files) as program:
            program.main_window()
            june = program.painted()

            dialog = self.dialog(program, REFERENCE, "Bezugszeitraum")
            for values, message in [
                    ({PERIOD: "eigener", FIRST: 1840, LAST: 1900},
                     "Der Bezugszeitraum 1840–1900 liegt nicht im Datensatz; "
                     "Jahre von 1850 bis 2024 möglich."),
                    ({FIRST: 1995, LAST: 2000},
                     "Der Bezugszeitraum 1995–2000 ist kürzer als 10 Jahre; "
                     "Jahre von 1850 bis 2024 möglich."),
            ]:
                self.set(program, dialog, values)
                program.probe("command %s 1" % dialog)
                self.assertEqual(message, program.message("Information"))
            program.probe("command %s 2" % dialog)
            program.probe("gone 10000 Bezugszeitraum")
            self.assertEqual(june, program.painted(), "refused choices change nothing")
            dialog = self.dialog(program, REFERENCE, "Bezugszeitraum")
            self.set(program, dialog, {PERIOD: "1850"})
            referred = self.confirm(program, dialog, "Bezugszeitraum", june)

            program.key(ord("D"), ctrl=True)
            dialog = program.probe("wait 10000 Datensatz laden")
            self.set(program, dialog, {LOAD_SEASON: "Sommer"})
            summer = self.confirm(program, dialog, "Datensatz laden", referred)
            program.key(VK_RIGHT)
            program.changed(summer)
            autumn = self.table(program, "hadcrut4_2024_SON.csv")
            self.assertIn("1850–1900", "\n".join(autumn[:3]))
            self.assertEqual(2592, sum(1 for line in autumn if re.match(r"-?\d+,5;-?\d+,5;", line)))

            dialog = self.dialog(program, TREND, "Trendkarte")
            self.set(program, dialog, {TREND_FIRST: 1975, TREND_LAST: 2024, TREND_PERIOD: "Jahr"})
            self.confirm(program, dialog, "Trendkarte", program.painted())
            trend = self.table(program, "hadcrut4_Trend_1975-2024.csv")
            self.assertIn("1975–2024", "\n".join(trend[:3]))
            self.assertEqual(2, len(program.messages), "no message but the two refusals")
            self.assertEqual(0, program.close_and_wait())
            self.assertIn(b"REFERENCE_FIRST=1850\r\nREFERENCE_LAST=1900\r\nREFERENCE_METHOD=cell\r\n",
                          program.read("init.txt"))

        with Program(e2e_tests.ENV, "reference", again=True) as program:
            program.main_window()
            program.painted()
            self.assertEqual(autumn, self.table(program, "hadcrut4_2024_SON.csv", "neu.csv"),
                             "the restart shows the same field")
            program.key(ord("D"), ctrl=True)
            dialog = program.probe("wait 10000 Datensatz laden")
            self.set(program, dialog, {LOAD_DATA_SET: "ABS1960_91", LOAD_SEASON: "keine"})
            program.probe("command %s 1" % dialog)
            self.assertEqual("Der Datensatz abstem3.dat reicht nicht über den Bezugszeitraum "
                             "1850–1900; die Karte zeigt seine Abweichungen wie gespeichert.",
                             program.message("Information"))
            self.assertEqual(0, program.close_and_wait())
            self.assertNotIn(b"REFERENCE", program.read("init.txt"))


def main():
    e2e_tests.ENV = Environment(sys.argv[1])
    unittest.main(argv=[sys.argv[0]] + sys.argv[2:], verbosity=2)


if __name__ == "__main__":
    main()
