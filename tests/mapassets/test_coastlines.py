"""Coast lines from land rings: the file's unit, pen-up lines, and the edges
along the date line and the pole that are no coast."""

import unittest

import tooldir  # noqa: F401  (puts the tools on the path)
import coastlines


def drawn_segments(text):
    """The segments a reader of the file draws: consecutive points between
    pen-up lines (first number above 1), as ((x0, y0), (x1, y1))."""
    segments = []
    previous = None
    for line in text.splitlines():
        x, y = (float(v) for v in line.split())
        if x > 1.0:
            previous = None
            continue
        if previous is not None:
            segments.append((previous, (x, y)))
        previous = (x, y)
    return segments


class FileUnitTest(unittest.TestCase):
    def test_degrees_become_fractions_of_the_circle(self):
        self.assertEqual(coastlines.to_file_unit(0.0, 0.0), "0.5 0.25")
        self.assertEqual(coastlines.to_file_unit(-180.0, -90.0), "0 0")
        self.assertEqual(coastlines.to_file_unit(180.0, 90.0), "1 0.5")
        self.assertEqual(coastlines.to_file_unit(10.5, -45.0), "0.529167 0.125")
        # Six decimals, rounded, never "-0".
        self.assertEqual(coastlines.to_file_unit(-179.99999, -89.99999), "0 0")
        self.assertEqual(coastlines.to_file_unit(-0.0001, 0.0), "0.5 0.25")


class SplitRingTest(unittest.TestCase):
    def test_ring_without_cut_edges_stays_closed(self):
        ring = [(0, 0), (10, 0), (10, 10), (0, 0)]
        self.assertEqual(coastlines.split_ring(ring), [ring])

    def test_edge_along_the_date_line_lifts_the_pen(self):
        # The walk starts after the cut edge, so the rest is one line.
        for side in (180.0, -180.0):
            inner = 170.0 if side > 0 else -170.0
            ring = [(inner, 10), (side, 10), (side, 20), (inner, 20), (inner, 10)]
            with self.subTest(side=side):
                self.assertEqual(coastlines.split_ring(ring),
                                 [[(side, 20), (inner, 20), (inner, 10), (side, 10)]])

    def test_antarctica_is_open_along_the_pole_and_the_date_line(self):
        ring = [(-180, -70), (0, -65), (180, -70), (180, -89.999), (0, -89.999),
                (-180, -89.999), (-180, -70)]
        self.assertEqual(coastlines.split_ring(ring), [[(-180, -70), (0, -65), (180, -70)]])
        pole_ring = [(-180, -89.999), (0, -89.999), (180, -89.999), (-180, -89.999)]
        self.assertEqual(coastlines.split_ring(pole_ring), [])

    def test_coast_across_the_date_line_runs_to_both_edges(self):
        # An island on the date line, its ring going the short way across.
        ring = [(170, 70), (-170, 70), (-170, 72), (170, 72), (170, 70)]
        self.assertEqual(coastlines.split_ring(ring), [
            [(-180, 70), (-170, 70), (-170, 72), (-180, 72)],
            [(180, 72), (170, 72), (170, 70), (180, 70)],
        ])
        leave, enter = coastlines.date_line_crossing((175, 60), (-175, 62))
        self.assertEqual((leave, enter), ((180, 61), (-180, 61)))
        leave, enter = coastlines.date_line_crossing((-176, 10), (178, 13))
        self.assertEqual((leave, enter), ((-180, 12), (180, 12)))
        # Ending exactly on the date line, on the far side.
        leave, enter = coastlines.date_line_crossing((179.5, 10), (-180, 11))
        self.assertEqual((leave, enter), ((180, 11), (-180, 11)))

    def test_edge_from_the_date_line_to_just_beyond_it_is_coast(self):
        # The merged outlines of Chukotka step from -180 to 179.83: real coast.
        ring = [(-180, 65), (179.8, 65.2), (179.8, 66), (-179, 66), (-180, 65)]
        self.assertEqual(coastlines.edge_kind(ring[0], ring[1]), coastlines.WRAP)
        self.assertEqual(coastlines.edge_kind((-180, 65), (-180, 66)), coastlines.CUT)
        self.assertEqual(coastlines.edge_kind((180, 65), (-180, 66)), coastlines.CUT)
        text = coastlines.worldmap_text([[ring]])
        xs = [x for (x, _), _ in drawn_segments(text)]
        self.assertIn(1.0, xs)  # the piece east of the date line reaches the edge


class WorldmapTextTest(unittest.TestCase):
    def test_lines_are_separated_by_pen_ups_and_never_cross_the_map(self):
        square = [(0, 0), (0.5, 0), (0.5, 0.5), (0, 0)]
        island = [(170, 70), (-170, 70), (-170, 72), (170, 72), (170, 70)]
        antarctica = [(-180, -70), (-90, -66), (0, -65), (90, -66), (180, -70), (180, -89.999),
                      (-180, -89.999), (-180, -70)]
        text = coastlines.worldmap_text([[square, [(0.2, 0.2), (0.3, 0.2), (0.2, 0.3), (0.2, 0.2)]],
                                         [island], [antarctica]])
        lines = text.split("\n")
        self.assertEqual(lines[-1], "")
        self.assertEqual(lines[:5], ["0.5 0.25", "0.501389 0.25", "0.501389 0.251389", "0.5 0.25", "2 0"])
        self.assertEqual(lines.count("2 0"), 4)  # 5 lines: square, hole, island twice, Antarctica
        self.assertNotEqual(lines[0], "2 0")
        self.assertNotEqual(lines[-2], "2 0")
        for a, b in drawn_segments(text):
            self.assertLess(abs(a[0] - b[0]), 0.5, f"{a} -> {b} crosses the map")
            self.assertFalse(a[0] == b[0] and a[0] in (0.0, 1.0), f"{a} -> {b} runs along the edge")
            self.assertFalse(a[1] == b[1] == 0.0, f"{a} -> {b} runs along the pole")

    def test_points_equal_at_six_decimals_are_written_once(self):
        ring = [(10, 10), (10.0000001, 10), (20, 10), (20, 20), (10, 10)]
        self.assertEqual(coastlines.worldmap_text([[ring]]).split("\n")[:2],
                         ["0.527778 0.277778", "0.555556 0.277778"])
        self.assertEqual(coastlines.worldmap_text([[[(1, 1), (1.0000001, 1), (1, 1)]]]), "")


if __name__ == "__main__":
    unittest.main()
