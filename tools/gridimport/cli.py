"""The command line of tools/import-grid."""

import argparse
import os
import sys

from .errors import ImportFailure
from .gridfile import TARGETS
from .importer import run

PROGRAM = "import-grid"
# The build tree's working folder, where the program looks for data/cru.
DEFAULT_OUT = os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
                           "build", "run")


def parse(arguments):
    parser = argparse.ArgumentParser(
        prog=PROGRAM,
        description="Imports a monthly gridded temperature data set (netCDF: HadCRUT5, HadCRUT4, CRUTEM5, "
                    "HadSST, NOAAGlobalTemp, Berkeley Earth, GISTEMP, or the CRU absolute climatology) into "
                    "one of the program's grid files, DIR/data/cru/<target>.dat.")
    parser.add_argument("input", metavar="INPUT.nc", help="the netCDF file to import")
    parser.add_argument("--as", dest="target", required=True, choices=list(TARGETS),
                        help="the grid file to write (abstem3 takes a 12-month climatology of absolute temperatures)")
    parser.add_argument("--variable", metavar="NAME",
                        help="the variable to import (default: the data set's temperature variable)")
    parser.add_argument("--level", metavar="VALUE", type=float,
                        help="the level to import from a variable with depth, height or pressure levels: the "
                             "value of its level coordinate, in the coordinate's units")
    parser.add_argument("--out", metavar="DIR", default=DEFAULT_OUT,
                        help="the program's working folder (default: %(default)s)")
    return parser.parse_args(arguments)


def main(arguments=None):
    options = parse(sys.argv[1:] if arguments is None else arguments)
    try:
        run(options.input, options.target, options.variable, options.level, options.out)
    except ImportFailure as failure:
        print(f"{PROGRAM}: error: {failure}", file=sys.stderr)
        return 1
    except KeyboardInterrupt:
        print(f"{PROGRAM}: interrupted; nothing written", file=sys.stderr)
        return 130
    return 0
