"""Filling land polygons into an equirectangular raster."""

import unittest

import tooldir  # noqa: F401  (puts the tools on the path)
import landwater

# A 36 x 18 raster: every pixel is 10 x 10 degrees; pixel (column, row) has
# its centre at longitude -175 + 10 column, latitude 85 - 10 row.
WIDTH, HEIGHT = 36, 18


def land_pixels(polygons):
    mask = landwater.coverage_mask(polygons, WIDTH, HEIGHT)
    data = mask.tobytes()
    values = set(data)
    assert values <= {0, 255}, values
    return {(i % WIDTH, i // WIDTH) for i, v in enumerate(data) if v}


def pixel(lon, lat):
    return (int((lon + 180) // 10), int((90 - lat) // 10))


def box(lon0, lat0, lon1, lat1):
    return [(lon0, lat0), (lon1, lat0), (lon1, lat1), (lon0, lat1), (lon0, lat0)]


def pixels_in(lon0, lat0, lon1, lat1):
    """The pixels whose centres lie in [lon0, lon1) x (lat0, lat1]."""
    return {pixel(lon, lat) for lon in range(lon0 + 5, lon1, 10) for lat in range(lat0 + 5, lat1, 10)}


class CoverageTest(unittest.TestCase):
    def test_pixels_whose_centre_is_inside_are_land(self):
        self.assertEqual(land_pixels([[box(-160, 10, -120, 40)]]), pixels_in(-160, 10, -120, 40))
        # Either direction of the ring fills the same pixels.
        self.assertEqual(land_pixels([[box(-160, 10, -120, 40)[::-1]]]), pixels_in(-160, 10, -120, 40))

    def test_holes_are_water_and_islands_in_them_land(self):
        outer = box(0, -40, 100, 40)
        lake = box(20, -20, 80, 20)
        island = box(40, -10, 60, 10)
        expected = (pixels_in(0, -40, 100, 40) - pixels_in(20, -20, 80, 20)) | pixels_in(40, -10, 60, 10)
        self.assertEqual(land_pixels([[outer, lake], [island]]), expected)

    def test_overlapping_polygons_stay_land(self):
        self.assertEqual(land_pixels([[box(0, 0, 40, 40)], [box(20, 0, 60, 40)]]), pixels_in(0, 0, 60, 40))

    def test_ring_across_the_date_line_fills_both_map_edges(self):
        # The short way round from 160 E to 160 W, as the merged outlines store it.
        island = [(160, 50), (-160, 50), (-160, 70), (160, 70), (160, 50)]
        self.assertEqual(land_pixels([[island]]), pixels_in(160, 50, 180, 70) | pixels_in(-180, 50, -160, 70))
        # A hole stored a full turn away from its outer ring still cuts it.
        hole = box(-178, 52, -172, 58)
        self.assertEqual(land_pixels([[island, hole]]),
                         (pixels_in(160, 50, 180, 70) | pixels_in(-180, 50, -160, 70)) - {pixel(-175, 55)})

    def test_ring_round_the_south_pole_is_filled_to_the_pole(self):
        # Antarctica: a coast once round the pole, crossing the date line, and
        # the pole itself as a tiny hole a thousandth of a degree wide.
        coast = [(170, -60), (90, -70), (0, -60), (-90, -70), (-170, -60), (170, -60)]
        pole = [(-180, -89.999), (0, -89.999), (180, -89.999), (-180, -89.999)]
        land = land_pixels([[coast, pole]])
        self.assertTrue(pixels_in(-180, -90, 180, -70) <= land)
        self.assertIn(pixel(0, -65), land)
        self.assertNotIn(pixel(-95, -65), land)
        self.assertTrue(all(row >= 15 for _, row in land))
        self.assertEqual(land, land_pixels([[coast]]))

    def test_unrolled_ring_has_no_jump(self):
        ring = landwater.unrolled_ring([(170, 0), (-170, 0), (-170, 10), (170, 10), (170, 0)])
        self.assertEqual(ring, [(170, 0), (190, 0), (190, 10), (170, 10), (170, 0)])


class PictureTest(unittest.TestCase):
    def test_colours_and_smooth_coast(self):
        # Land from 180 W to 0, its eastern edge half way through pixel column 49 of 100.
        picture = landwater.land_water_picture([[box(-180, -90, -3.6 * 1.5, 90)]], 100, 50)
        self.assertEqual(picture.size, (100, 50))
        self.assertEqual(picture.getpixel((10, 25)), landwater.LAND_COLOUR)
        self.assertEqual(picture.getpixel((90, 25)), landwater.SEA_COLOUR)
        mixed = picture.getpixel((48, 25))
        for channel, (land, sea) in enumerate(zip(landwater.LAND_COLOUR, landwater.SEA_COLOUR)):
            self.assertAlmostEqual(mixed[channel], (land + sea) / 2, delta=2)


if __name__ == "__main__":
    unittest.main()
