"""import_grid.exe --update against the loopback HTTPS server: every way a
download can fail ends in one German line, exit code 1 (2 for bad input),
the old data set byte for byte as it was and no temporary file left; the
good paths write what `import_grid.exe FILE --as TARGET` writes from the same
netCDF file, and an unchanged file is answered 304 without a body.

    IMPORT_GRID_EXE=build/run/import_grid.exe TRUST_CERTIFICATE_EXE=build/run/trust_certificate.exe \\
        /usr/bin/python3 -B tests/update/test_update.py
"""

import gzip
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import zlib

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [HERE, os.path.join(os.path.dirname(HERE), "importer")]
import products as p  # noqa: E402
from importers import native_command, tree  # noqa: E402
from loopback_server import LoopbackServer, closed_port, make_certificate  # noqa: E402

WORK = os.environ.get("UPDATE_TEST_DIR") or tempfile.mkdtemp(prefix="update-test-")
EXE = os.environ["IMPORT_GRID_EXE"]
def run(exe, *arguments):
    # A hang shows as the timeout. No tighter bound: a Wine process of this
    # prefix has been seen to take minutes to start while the window tests
    # run beside it, and the stalled server's row names its 30 s itself.
    done = subprocess.run(native_command(list(arguments), exe), capture_output=True, timeout=300)
    return done.returncode, done.stdout.decode("cp1252"), done.stderr.decode("cp1252")


def months(count):
    return [p.month_number(1850, 1) + i for i in range(count)]


def written(writer, path, count, seed):
    shape = {p.gistemp: (90, 180)}.get(writer, (36, 72))
    writer(path, months(count), np.random.default_rng(seed).standard_normal((count, *shape)).round(2))
    return path


def gzip_bomb(path, start):
    """A gzip file that unpacks to `start` and zeros up to 1 GiB + 1 MiB."""
    packer, zeros = zlib.compressobj(6, zlib.DEFLATED, 31), bytes(1 << 20)
    with open(path, "wb") as f:
        f.write(packer.compress(start))
        for _ in range(1025):
            f.write(packer.compress(zeros))
        f.write(packer.flush())


class UpdateTest(unittest.TestCase):
    def test_faults_and_good_paths(self):
        inputs, served, out = (os.path.join(WORK, n) for n in ("inputs", "served", "out"))
        for folder in inputs, served, os.path.join(out, "data", "cru"):
            os.makedirs(folder)
        hadcrut5 = written(p.hadcrut5, os.path.join(served, "hadcrut5.nc"), 24, 1)
        crutem5 = written(p.crutem5, os.path.join(served, "crutem5.nc"), 24, 2)
        hadsst4 = written(p.hadsst4, os.path.join(served, "HadSST.4.0.2.0.nc"), 24, 3)
        written(p.hadsst4, os.path.join(served, "HadSST.4.0.1.0.nc"), 12, 4)
        with open(os.path.join(served, "HadSST.4.0.3.0.nc.md5"), "w") as f:
            f.write("not the newest netCDF file\n")
        gistemp = written(p.gistemp, os.path.join(inputs, "gistemp.nc"), 24, 5)
        with open(gistemp, "rb") as f:
            packed = gzip.compress(f.read(), mtime=0)
        with open(os.path.join(served, "gistemp.nc.gz"), "wb") as f:
            f.write(packed)
        middle = len(packed) // 2
        with open(os.path.join(served, "damaged.nc.gz"), "wb") as f:
            f.write(packed[:middle] + bytes(b ^ 0x5A for b in packed[middle:middle + 64]) + packed[middle + 64:])
        with open(hadcrut5, "rb") as f:
            gzip_bomb(os.path.join(served, "bomb.nc.gz"), f.read())
        code, _, err = run(EXE, written(p.hadcrut5, os.path.join(inputs, "old.nc"), 12, 6), "--as", "hadcrut4",
                           "--out", out)
        self.assertEqual(0, code, err)
        trusted = make_certificate(os.path.join(WORK, "trusted"))
        code, _, err = run(os.environ["TRUST_CERTIFICATE_EXE"], trusted[2])
        self.assertEqual(0, code, err)

        with LoopbackServer(served, trusted) as server, \
                LoopbackServer(served, make_certificate(os.path.join(WORK, "untrusted"))) as stranger:
            url = server.url

            def line(name, address, target="hadcrut4", packing="-"):
                return f"{name}\t{address}  {target} - {packing} Testprodukt {name}"

            def fault(address, reason, packing="-"):
                return [line("HadCRUT5", address, packing=packing)], ["HadCRUT5"], 1, "", \
                    "import-grid: Fehler: HadCRUT5: .*" + reason, None

            def news(name, count):
                return rf"{name}: {count} neue Monate, bis Dezember 1851 \(\d+(,\d)? [KM]B\)"

            good = line("HadCRUT5", url("hadcrut5.nc"))
            rows = [
                # label, catalogue lines, products named, exit code, stdout and stderr (patterns of one line),
                # the netCDF file and target whose import the data set must equal (None: the data left as they were)
                ("none named, none updated before", [good], [], 2, "", "import-grid: Fehler: ", None),
                ("an unknown product", [good], ["Unbekannt"], 2, "", "import-grid: Fehler: ", None),
                ("two products, one target", [good, line("CRUTEM5", url("crutem5.nc"))], ["HadCRUT5", "crutem5"],
                 2, "", "import-grid: Fehler: ", None),
                ("a name that does not resolve", *fault("https://nonexistent.invalid/hadcrut5.nc", "nicht gefunden")),
                ("a refused connection", *fault(f"https://localhost:{closed_port()}/hadcrut5.nc", "keine Verbindung")),
                ("an untrusted certificate", *fault(stranger.url("hadcrut5.nc"), "keine sichere Verbindung")),
                ("404", *fault(url("status/404/hadcrut5.nc"), "404")),
                ("403", *fault(url("status/403/hadcrut5.nc"), "403")),
                ("500", *fault(url("status/500/hadcrut5.nc"), "500")),
                ("a redirect loop", *fault(url("loop/hadcrut5.nc"), "Weiterleitungen")),
                ("6 redirects", *fault(url("redirect/6/hadcrut5.nc"), "Weiterleitungen")),
                ("a redirect to http:", *fault(url("to-http/hadcrut5.nc"), "unverschlüsselte Adresse")),
                ("a shorter body than announced", *fault(url("short/hadcrut5.nc"), "brach nach")),
                ("a longer body than announced", *fault(url("long/hadcrut5.nc"), "")),
                ("30 s without data", *fault(url("stall/hadcrut5.nc"), "30 Sekunden")),
                ("2 GiB announced", *fault(url("huge/hadcrut5.nc"), "größer als die Grenze")),
                ("an HTML page", *fault(url("html/hadcrut5.nc"), "Webseite")),
                ("a damaged gzip stream", *fault(url("damaged.nc.gz"), "beschädigt", "gzip")),
                ("gzip beyond 1 GiB", *fault(url("bomb.nc.gz"), "entpackt größer als die Grenze", "gzip")),
                ("updated", [good], ["HadCRUT5"], 0, news("HadCRUT5", 12),
                 "", (hadcrut5, "hadcrut4")),
                ("unchanged, an unreadable line before it", ["Kaputt https://localhost/kaputt.nc", good],
                 ["hadcrut5"], 0, "HadCRUT5: unverändert, bis Dezember 1851",
                 "import-grid: Warnung: produkte.txt, Zeile 3: ", None),
                ("gzip", [line("GISTEMP", url("gistemp.nc.gz"), "hadcrut3", "gzip")], ["GISTEMP"], 0,
                 news("GISTEMP", 24), "", (gistemp, "hadcrut3")),
                ("5 redirects", [line("CRUTEM5", url("redirect/5/crutem5.nc"), "hadcrut3v")], ["CRUTEM5"], 0,
                 news("CRUTEM5", 24), "", (crutem5, "hadcrut3v")),
                ("the newest file listed", [line("HadSST4", url("list/HadSST.4.*.nc"), "hadsst2")], ["HadSST4"], 0,
                 news("HadSST4", 24), "", (hadsst4, "hadsst2")),
            ]
            for label, catalogue, named, exit_code, report, error, reference in rows:
                with self.subTest(label):
                    with open(os.path.join(out, "produkte.txt"), "w", encoding="cp1252") as f:
                        f.write("# Testkatalog\n\n" + "\n".join(catalogue) + "\n")
                    before, requests = tree(os.path.join(out, "data")), len(server.requests)
                    started = time.monotonic()
                    code, stdout, stderr = run(EXE, "--update", *named, "--out", out)
                    seconds = time.monotonic() - started
                    print(f"{label} ({seconds:.1f} s): {code} {stdout.strip()!r} {stderr.strip()!r}", flush=True)
                    self.assertEqual(exit_code, code, stderr)
                    for pattern, text in (report, stdout), (error, stderr):
                        self.assertRegex(text, f"^{pattern}[^\n]*\r?\n$" if pattern else "^$")
                    # The temporary file is nothing the user knows of.
                    self.assertNotIn(".part", stderr)
                    after = tree(os.path.join(out, "data"))
                    self.assertEqual([], [n for n in after if ".part" in n])
                    if reference is None:
                        self.assertEqual(before, after)
                    if exit_code == 0 and reference is None:
                        # The stalled row's server thread may record its
                        # request only now, after its 35 s.
                        sent = [r for r in server.requests[requests:] if not r[1].startswith("/stall/")]
                        self.assertIn(304, [status for _, _, status, _ in sent], sent)
                        self.assertEqual(0, sum(body for *_, body in sent), sent)
                    if reference is not None:
                        target = reference[1]
                        self.assertIn(f"cru{os.sep}{target}.update", after)
                        self.assertEqual(self.imported(*reference), after[f"cru{os.sep}{target}.dat"])

    def imported(self, source, target):
        folder = os.path.join(WORK, "reference", target)
        os.makedirs(folder)
        code, _, err = run(EXE, source, "--as", target, "--out", folder)
        self.assertEqual(0, code, err)
        with open(os.path.join(folder, "data", "cru", target + ".dat"), "rb") as f:
            return f.read()


if __name__ == "__main__":
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    unittest.main()
