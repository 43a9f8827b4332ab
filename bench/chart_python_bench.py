#!/usr/bin/python3
"""A Python user's route to the global chart, timed on the same file as
chart_bench: pandas reads hadcrut4.dat (every 37th line a month's header),
numpy takes the area-weighted global value of each month, pandas the year
means, matplotlib draws both lines into a 1000 x 560 PNG.

Usage: bench/chart_python_bench.py BUILD_DIR   (Debian's python3-pandas,
python3-numpy and python3-matplotlib)
"""
import os
import sys
import time

start = time.perf_counter()
import matplotlib  # noqa: E402
matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402
import pandas as pd  # noqa: E402
imported = time.perf_counter()

path = os.path.join(sys.argv[1], "run", "data", "cru", "hadcrut4.dat")
frame = pd.read_csv(path, sep=r"\s+", header=None, skiprows=lambda i: i % 37 == 0)
values = frame.to_numpy(dtype=float).reshape(-1, 36, 72)
values[values <= -99] = np.nan
read = time.perf_counter()

rows = np.arange(36)
weights = np.abs(np.sin(np.radians(90 - 5 * (rows + 1))) - np.sin(np.radians(90 - 5 * rows)))
weights = np.broadcast_to(weights[:, None], (36, 72))
have = ~np.isnan(values)
monthly = np.nansum(values * weights, axis=(1, 2)) / (have * weights).sum(axis=(1, 2))
series = pd.Series(monthly, index=pd.period_range("1850-01", periods=len(monthly), freq="M"))
years = series.groupby(series.index.year).mean()
computed = time.perf_counter()

figure, axes = plt.subplots(figsize=(10, 5.6), dpi=100)
axes.plot(series.index.to_timestamp(), series.values, linewidth=0.5, color="0.6")
axes.plot(pd.to_datetime(years.index.astype(str) + "-07-01"), years.values, "o-", linewidth=1.5,
          markersize=2, color="k")
axes.axhline(0, color="0.3", linewidth=0.8)
axes.grid(True, color="0.9")
axes.set_ylabel("°C")
axes.set_title("hadcrut4.dat – globaler Wert")
figure.savefig(os.path.join(sys.argv[1], "chart_python_bench.png"))
drawn = time.perf_counter()

print("Python route on %s, %d months" % (path, len(monthly)))
for what, ms in (("imports (pandas, numpy, matplotlib)", imported - start),
                 ("read with pandas.read_csv", read - imported),
                 ("global value and year means", computed - read),
                 ("plot to PNG", drawn - computed),
                 ("total", drawn - start)):
    print("%-52s %10.1f ms" % (what, ms * 1000))
