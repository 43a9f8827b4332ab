#!/usr/bin/python3
"""startup_bench: the program's start-up as a user meets it, from launching
orvex_visualizer.exe under Wine to the first painted map, five times.

Usage: startup_bench.py BUILD_DIR, with the build tree's Xvfb and wineserver
running (cmake/wine-run.sh --build-dir BUILD_DIR --start-xvfb, then --start).
"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import e2e_tests  # noqa: E402
from orvex_driver import Probe, Program  # noqa: E402


def main():
    env = e2e_tests.Environment(sys.argv[1])
    times = []
    for _ in range(5):
        program = Program(env, "startup_bench")
        program.probe = Probe(env.wine_run, env.build_dir, env.probe_exe, program.workdir)
        program.probe("windows")  # the probe is up before the clock starts
        start = time.monotonic()
        program.process = subprocess.Popen(env.wine_run + [env.program_exe], cwd=program.workdir)
        program.main_window()
        program.painted()
        times.append(time.monotonic() - start)
        program.__exit__(None, None, None)
    print("start-up, launch to the painted map: best %.2f s, worst %.2f s (%s)"
          % (min(times), max(times), ", ".join("%.2f" % t for t in times)))


if __name__ == "__main__":
    main()
