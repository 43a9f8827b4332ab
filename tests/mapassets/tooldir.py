"""Puts the map tools' folder on the import path (given by CTest)."""

import os
import sys

TOOL_DIR = os.environ.get(
    "ORVEX_MAP_TOOL_DIR",
    os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "mapassets"))
if TOOL_DIR not in sys.path:
    sys.path.insert(0, TOOL_DIR)
