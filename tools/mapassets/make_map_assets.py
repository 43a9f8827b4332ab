"""Makes the program's map files in its working folder:

  worldmap.txt    coast lines of the Natural Earth land polygons
  weltkarte1.jpg  "Satellitenfoto": NASA Blue Marble
  weltkarte2.jpg  NASA night lights
  weltkarte3.jpg  "Land/Wasser": the Natural Earth land polygons in two colours

Every picture is the whole earth, equirectangular, 1000 x 500 pixels,
180 W .. 180 E from left to right and 90 N .. 90 S from top to bottom.

  /usr/bin/python3 make_map_assets.py --land land-50m.json \
      --images /usr/share/xplanet/images --out RUN_DIR
"""

import argparse
import json
import os
import sys

from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import coastlines  # noqa: E402
import landwater  # noqa: E402
import topojson  # noqa: E402

PICTURE_SIZE = (1000, 500)
JPEG_QUALITY = 92


def _replace(path, write):
    """Writes path through a temporary file, so that a half-written file
    never stands under the final name."""
    temporary = path + ".part"
    write(temporary)
    os.replace(temporary, path)


def save_jpeg(picture, path):
    _replace(path, lambda name: picture.save(name, "JPEG", quality=JPEG_QUALITY))


def scaled_picture(source):
    with Image.open(source) as picture:
        return picture.convert("RGB").resize(PICTURE_SIZE, Image.LANCZOS)


def main(argv=None):
    parser = argparse.ArgumentParser(description="Makes the map files of the program.")
    parser.add_argument("--land", required=True, help="Natural Earth land TopoJSON (world-atlas)")
    parser.add_argument("--images", required=True, help="folder with earth.jpg and night.jpg")
    parser.add_argument("--out", required=True, help="the program's working folder")
    args = parser.parse_args(argv)

    with open(args.land, encoding="utf-8") as file:
        land = topojson.polygons(json.load(file), "land")
    os.makedirs(args.out, exist_ok=True)

    def write_text(name):
        with open(name, "w", encoding="ascii", newline="\n") as file:
            file.write(coastlines.worldmap_text(land))

    _replace(os.path.join(args.out, "worldmap.txt"), write_text)
    save_jpeg(scaled_picture(os.path.join(args.images, "earth.jpg")),
              os.path.join(args.out, "weltkarte1.jpg"))
    save_jpeg(scaled_picture(os.path.join(args.images, "night.jpg")),
              os.path.join(args.out, "weltkarte2.jpg"))
    save_jpeg(landwater.land_water_picture(land, *PICTURE_SIZE),
              os.path.join(args.out, "weltkarte3.jpg"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
