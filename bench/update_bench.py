#!/usr/bin/python3
"""Times `import_grid.exe --update` on a product of about 30 MB (2 115
months, 1850 to March 2026, in HadCRUT5's layout) served by the loopback
HTTPS server of the update tests: downloaded and imported into an empty
folder (target 3 s), then the same again, unchanged (target 0.5 s, no body
sent), both timed inside one process as the dialog runs them, where the
targets hold. For comparison it prints the same as console runs of
import_grid.exe (best of three, Wine's start included), the import of the
same file from the disk and a run that does nothing but start.

    bench/update_bench.py BUILD_DIR

The product is written once into BUILD_DIR/bench/update_bench and reused.
The build tree's Xvfb and wineserver are started and stopped here, as for
bench/import_bench; do not run it while the build tree's tests run."""

import os
import re
import shutil
import subprocess
import sys
import time

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)
sys.path[:0] = [os.path.join(SOURCE, "tests", "importer"), os.path.join(SOURCE, "tests", "update")]
sys.dont_write_bytecode = True

import products as p  # noqa: E402
from importers import WINE_RUN, native_command  # noqa: E402
from loopback_server import LoopbackServer, make_certificate  # noqa: E402

MONTHS = 2115
NAME = "HadCRUT.5.0.2.0.analysis.anomalies.ensemble_mean.nc"
RUNS = 3
TARGETS = {"updated": 3.0, "unchanged": 0.5}


def product(path):
    if not os.path.exists(path):
        print(f"writing {path} ...", flush=True)
        rng = np.random.default_rng(1)
        values = rng.standard_normal((MONTHS, 36, 72)).round(3)
        values[rng.random(values.shape) < 0.45] = np.nan
        p.hadcrut5(path + ".part", [p.month_number(1850, 1) + i for i in range(MONTHS)], values)
        os.replace(path + ".part", path)
    return path


def timed(command):
    started = time.perf_counter()
    done = subprocess.run(command, capture_output=True)
    seconds = time.perf_counter() - started
    if done.returncode != 0:
        sys.exit(f"{' '.join(command)} failed ({done.returncode}): {done.stderr.decode('cp1252').strip()}")
    return seconds, done.stdout.decode("cp1252").strip()


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    build = os.path.abspath(sys.argv[1])
    run = os.path.join(build, "run")
    exe, trust = (os.path.join(run, n) for n in ("import_grid.exe", "trust_certificate.exe"))
    folder = os.path.join(build, "bench", "update_bench")
    served = os.path.join(folder, "served")
    os.makedirs(served, exist_ok=True)
    source = product(os.path.join(served, NAME))
    certificate = make_certificate(os.path.join(folder, "certificate"))
    wine = ["bash", WINE_RUN, "--build-dir", build]
    subprocess.run(wine + ["--start-xvfb"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(wine + ["--start"], check=True, stdout=subprocess.DEVNULL)
    failed = False
    try:
        timed(native_command([certificate[2]], trust))
        out = os.path.join(folder, "out")
        with LoopbackServer(served, certificate) as server:
            times = {"updated": [], "unchanged": [], "import from the disk": [], "Wine's start": []}
            for _ in range(RUNS):
                shutil.rmtree(out, ignore_errors=True)
                os.makedirs(out)
                with open(os.path.join(out, "produkte.txt"), "w") as f:
                    f.write(f"HadCRUT5 {server.url(NAME)} hadcrut4 - -\n")
                command = native_command(["--update", "HadCRUT5", "--out", out], exe)
                for case in "updated", "unchanged":
                    sent = len(server.requests)
                    seconds, report = timed(command)
                    times[case].append(seconds)
                    body = sum(b for *_, b in server.requests[sent:])
                    print(f"  {case}: {seconds:.2f} s, {body} bytes of body sent: {report}", flush=True)
                    failed |= case == "unchanged" and body != 0
                shutil.rmtree(out)
                os.makedirs(out)
                times["import from the disk"].append(timed(native_command([source, "--as", "hadcrut4", "--out", out],
                                                                          exe))[0])
                times["Wine's start"].append(timed(native_command(["--help"], exe))[0])
            # The dialog's route: the same update inside one process.
            shutil.rmtree(out)
            os.makedirs(out)
            with open(os.path.join(out, "produkte.txt"), "w") as f:
                f.write(f"HadCRUT5 {server.url(NAME)} hadcrut4 - -\n")
            inside = timed(native_command([out, "HadCRUT5"], os.path.join(run, "update_bench_in_process.exe")))[1]
        print(f"{NAME}: {os.path.getsize(source) / 1e6:.1f} MB, {MONTHS} months")
        for case, seconds in times.items():
            line = f"  {case}: best {min(seconds):.2f} s of {RUNS} ({', '.join(f'{s:.2f}' for s in seconds)})"
            print(line)
        # The targets hold for the dialog's route; a console run adds Wine's start.
        for line in inside.splitlines():
            case, ms = re.match(r"\s*in the process, (\w+): (\d+) ms", line).groups()
            met = int(ms) <= TARGETS[case] * 1000
            print(f"{line}, target {TARGETS[case]:g} s {'met' if met else 'MISSED'}")
            failed |= not met
    finally:
        subprocess.run(wine + ["--stop"])
        subprocess.run(wine + ["--stop-xvfb"])
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
