"""TopoJSON decoding on small hand-made topologies."""

import unittest

import tooldir  # noqa: F401  (puts the tools on the path)
import topojson

# Quantised: position = q * scale + translate, each arc delta-encoded.
#   arc 0: q (0,0) (4,0) (4,4)  ->  (-10,20) (-8,20) (-8,21)
#   arc 1: q (4,4) (0,4) (0,0)  ->  (-8,21) (-10,21) (-10,20)
#   arc 2: q (1,1) (1,3) (3,3) (3,1) (1,1), a closed ring of its own
QUANTISED = {
    "type": "Topology",
    "transform": {"scale": [0.5, 0.25], "translate": [-10, 20]},
    "arcs": [
        [[0, 0], [4, 0], [0, 4]],
        [[4, 4], [-4, 0], [0, -4]],
        [[1, 1], [0, 2], [2, 0], [0, -2], [-2, 0]],
    ],
    "objects": {
        "land": {
            "type": "GeometryCollection",
            "geometries": [
                {"type": "MultiPolygon", "arcs": [[[0, 1], [~2]], [[~1, ~0]]]},
                {"type": "LineString", "arcs": [0]},
                {"type": "Polygon", "arcs": [[2]]},
            ],
        },
    },
}

SQUARE = [(-10.0, 20.0), (-8.0, 20.0), (-8.0, 21.0), (-10.0, 21.0), (-10.0, 20.0)]
INNER = [(-9.5, 20.25), (-9.5, 20.75), (-8.5, 20.75), (-8.5, 20.25), (-9.5, 20.25)]


class TopojsonTest(unittest.TestCase):
    def test_quantised_arcs_are_summed_and_transformed(self):
        arcs = topojson.decode_arcs(QUANTISED)
        self.assertEqual(arcs[0], SQUARE[:3])
        self.assertEqual(arcs[1], SQUARE[2:])
        self.assertEqual(arcs[2], INNER)

    def test_rings_join_arcs_and_walk_reversed_arcs_backwards(self):
        polygons = topojson.polygons(QUANTISED, "land")
        self.assertEqual(polygons, [
            [SQUARE, INNER[::-1]],   # outer ring from two arcs, hole from ~2
            [SQUARE[::-1]],          # ~1 then ~0: the same square the other way round
            [INNER],                 # the line string is left out
        ])
        for polygon in polygons:
            for ring in polygon:
                self.assertEqual(ring[0], ring[-1])

    def test_unquantised_topology_keeps_its_coordinates(self):
        topology = {
            "type": "Topology",
            "arcs": [[[170.5, -10.25], [179.0, -10.25], [179.0, -5.0]], [[179.0, -5.0], [170.5, -10.25]]],
            "objects": {"land": {"type": "Polygon", "arcs": [[0, 1]]}},
        }
        self.assertEqual(topojson.polygons(topology, "land"),
                         [[[(170.5, -10.25), (179.0, -10.25), (179.0, -5.0), (170.5, -10.25)]]])

    def test_missing_object_is_reported(self):
        with self.assertRaises(KeyError):
            topojson.polygons(QUANTISED, "countries")


if __name__ == "__main__":
    unittest.main()
