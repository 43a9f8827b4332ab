#!/usr/bin/python3
"""Independent check of the series export: reads the CSV files the dialog
tests wrote with Python's csv module (separator ';', decimal comma) and
compares every value with the grid file read directly here.

usage: check_export_csv.py GRID_FILE CSV_FOLDER
"""
import csv
import math
import struct
import sys

BLOCK = 28613          # bytes per month block of hadcrut3v
ROWS, COLUMNS = 36, 72
MISSING = -99.9
# The weights use these truncated constants.
DELTA = 5 * 0.0174532925
HALF_PI = 1.570796325

# Berlin, Sydney, New York: (latitude, south, longitude, west) in degrees.
CITIES = [(52 + 31 / 60, False, 13 + 24 / 60, False), (33 + 52 / 60, True, 151 + 12 / 60, False),
          (40 + 43 / 60, False, 74.0, True)]


def read_months(path):
    with open(path, 'rb') as f:
        data = f.read()
    months = []
    for start in range(0, len(data) - BLOCK + 1, BLOCK):
        lines = data[start:start + BLOCK].decode('ascii').split('\n')[1:1 + ROWS]
        grid = []
        for line in lines:
            cells = []
            for token in line.split()[:COLUMNS]:
                # The grid is read in single precision.
                value = struct.unpack('f', struct.pack('f', float(token)))[0]
                cells.append(value if -99.0 < value < 99.0 and math.isfinite(value) else None)
            cells += [None] * (COLUMNS - len(cells))
            grid.append(cells)
        months.append(grid)
    return months


def weights():
    result = []
    upper, lower = HALF_PI, HALF_PI - DELTA
    for _ in range(ROWS):
        result.append(abs(math.sin(lower) - math.sin(upper)) / COLUMNS * 0.5)
        upper -= DELTA
        lower -= DELTA
    return result


def cell(latitude, south, longitude, west):
    """Row and column of the 5-degree cell holding the point (none of the cities lies on an edge)."""
    phi = -latitude if south else latitude
    lam = -longitude if west else longitude
    return int((90 - phi) // 5), int((lam + 180) // 5)


def month_values(grid, w):
    weighted = area = 0.0
    for row in range(ROWS):
        for value in grid[row]:
            if value is not None:
                weighted += value * w[row]
                area += w[row]
    mean = weighted / area if area > 0 else 0.0
    values = [grid[r][c] for r, c in (cell(*city) for city in CITIES)]
    values = [v for v in values if v is not None]
    position = sum(values) / len(values) if values else None
    return mean, position, area * 100.0


def number(text):
    return float(text.replace(',', '.'))


def close(csv_text, expected, what, problems):
    if abs(number(csv_text) - expected) > 5.1e-7:
        problems.append('%s: file %s, grid %.9f' % (what, csv_text, expected))


def check_coverage(csv_text, expected, what, problems):
    rounded = math.floor(expected + 0.5)
    near_half = abs(expected - math.floor(expected) - 0.5) < 1e-9
    if int(csv_text) != rounded and not near_half:
        problems.append('%s: coverage %s, grid %.6f' % (what, csv_text, expected))


def lookup(months, year, month):
    index = (year - 1850) * 12 + month - 1
    return months[index] if 0 <= index < len(months) else None


def check(path, months, w, positions, averaged):
    problems = []
    with open(path, newline='', encoding='cp1252') as f:
        rows = list(csv.reader(f, delimiter=';'))
    heading = ['Jahr', 'Monat', 'Anomalie Gesamt'] + \
        (['Anomalie Berlin, Sydney, New York'] if positions else []) + ['Abdeckung in Prozent']
    if rows[:2] != [['Datenbank: hadcrut3v.dat'], ['-99,9 Keine Daten']] or rows[2] != heading:
        problems.append('%s: heading %r' % (path, rows[:3]))
    count = 0
    for row in rows[3:]:
        count += 1
        if len(row) != len(heading):
            problems.append('%s: %r has %d fields' % (path, row, len(row)))
            continue
        years = [int(y) for y in row[0].split(' bis ')]
        span = [int(m) for m in row[1].split(' bis ')]
        first, last = span[0], span[-1]
        length = last - first + 1 if last >= first else last - first + 13
        if not averaged and length != 1:
            problems.append('%s: %r is not one month' % (path, row))
        sums = [0.0, 0.0, 0.0]
        with_position = 0
        for k in range(length):
            index = years[0] * 12 + first - 1 + k
            grid = lookup(months, index // 12, index % 12 + 1)
            mean, position, coverage = month_values(grid, w) if grid else (0.0, None, 0.0)
            sums[0] += mean
            sums[2] += coverage
            if position is not None:
                sums[1] += position
                with_position += 1
        what = '%s %s/%s' % (path, row[0], row[1])
        close(row[2], sums[0] / length, what + ' global', problems)
        if positions:
            if with_position == 0:
                if row[3] != '-99,9':
                    problems.append('%s: positions %s, grid has none' % (what, row[3]))
            else:
                close(row[3], sums[1] / with_position, what + ' positions', problems)
        check_coverage(row[-1], sums[2] / length, what, problems)
    return count, problems


def main():
    grid_file, folder = sys.argv[1], sys.argv[2]
    months = read_months(grid_file)
    w = weights()
    failures = []
    for name, positions, averaged, lines in [('independent_months.csv', True, False, 1980),
                                             ('independent_groups.csv', True, True, 164),
                                             ('independent_plain.csv', False, False, 1980)]:
        count, problems = check(folder + '/' + name, months, w, positions, averaged)
        if count != lines:
            problems.append('%s: %d data lines, expected %d' % (name, count, lines))
        print('%s: %d lines checked, %d problems' % (name, count, len(problems)))
        failures += problems
    for problem in failures[:20]:
        print(problem)
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
