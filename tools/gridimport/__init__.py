"""Imports published gridded monthly temperature data (netCDF) into the grid
files of Orvex Visualizer. `tools/import-grid --help` tells how."""
