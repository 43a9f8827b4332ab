"""Drives orvex_visualizer.exe under Wine from outside, as a user would.

A Program is one run of the real program in a work folder of its own, with
the probe (orvex_probe.exe, a Windows helper in the same Wine prefix) to find
its windows, press keys, click and wait. Leaving the `with` block ends the
program in every case: through the close box when it still answers, killed
otherwise.
"""
import os
import re
import shutil
import struct
import subprocess
import time

TITLE = "Orvex Visualizer V0.91 - Visualisierung von HadCRUT3-Daten"
PAGE = "TabOrvexMap"
VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN = 0x25, 0x26, 0x27, 0x28
ENCODING = "cp1252"


class ProbeError(AssertionError):
    pass


class Probe:
    """One orvex_probe process: a command per line, an answer per line."""

    def __init__(self, wine_run, build_dir, probe_exe, workdir):
        self.process = subprocess.Popen(
            wine_run + [probe_exe], cwd=workdir, stdin=subprocess.PIPE,
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)

    def ask(self, line):
        self.process.stdin.write((line + "\n").encode(ENCODING))
        self.process.stdin.flush()
        answer = self.process.stdout.readline().decode(ENCODING).rstrip("\r\n")
        if not answer:
            raise ProbeError("the probe ended during: " + line)
        return re.sub(r"\\(.)", lambda m: {"r": "\r", "n": "\n"}.get(m.group(1), m.group(1)),
                      answer)

    def __call__(self, line):
        """The result of a command that must succeed."""
        answer = self.ask(line)
        if not answer.startswith("ok"):
            raise ProbeError("%s -> %s" % (line, answer))
        return answer[3:]

    def close(self):
        try:
            self.process.stdin.write(b"quit\n")
            self.process.stdin.flush()
            self.process.wait(10)
        except (OSError, subprocess.TimeoutExpired):
            self.process.kill()
            self.process.wait()


class Program:
    """A run of the program in a fresh work folder under the build tree."""

    def __init__(self, env, name, files=None, again=False, workdir=None):
        """again: run once more in the folder of an earlier run, as it was left.
        workdir: run in that folder as it is (an installed program's folder)."""
        self.env = env
        self.workdir = workdir or os.path.join(env.build_dir, "testwork", "e2e", name)
        if not again and not workdir:
            shutil.rmtree(self.workdir, ignore_errors=True)
            os.makedirs(self.workdir)
            for entry in env.working_files:
                source = os.path.join(env.run_dir, entry)
                if os.path.exists(source):
                    os.symlink(source, os.path.join(self.workdir, entry))
            # The data sets one by one, so that a test can add its own.
            cru = os.path.join(env.run_dir, "data", "cru")
            os.makedirs(self.path("data/cru"))
            for entry in os.listdir(cru):
                os.symlink(os.path.join(cru, entry), self.path("data/cru/" + entry))
        for relative, content in (files or {}).items():
            self.write(relative, content)
        self.process = None
        self.probe = None
        self.window = None
        self.page = None
        self.messages = []

    # --- files of the work folder -------------------------------------------
    def path(self, relative):
        return os.path.join(self.workdir, relative)

    def write(self, relative, content):
        path = self.path(relative)
        if os.path.islink(path):
            os.unlink(path)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(content if isinstance(content, bytes) else content.encode(ENCODING))

    def read(self, relative):
        with open(self.path(relative), "rb") as f:
            return f.read()

    def exists(self, relative):
        return os.path.exists(self.path(relative))

    # --- the run --------------------------------------------------------------
    def __enter__(self):
        self.probe = Probe(self.env.wine_run, self.env.build_dir, self.env.probe_exe, self.workdir)
        self.started = time.monotonic()
        self.process = subprocess.Popen(
            self.env.wine_run + [self.env.program_exe], cwd=self.workdir,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return self

    def __exit__(self, *exc):
        try:
            if self.process.poll() is None and self.window is not None:
                self.dismiss_messages()
                self.probe.ask("close " + self.window)
                self.dismiss_messages()
                try:
                    self.process.wait(10)
                except subprocess.TimeoutExpired:
                    pass
        finally:
            if self.process.poll() is None:
                self.process.kill()
            self.process.wait()
            self.probe.close()
        return False

    def main_window(self, timeout_ms=20000):
        """Waits for the main window and its map page; message boxes shown
        meanwhile are recorded and closed."""
        deadline = time.monotonic() + timeout_ms / 1000.0
        while True:
            self.dismiss_messages()
            answer = self.probe.ask("wait 200 " + TITLE)
            if answer.startswith("ok"):
                self.window = answer[3:]
                break
            if time.monotonic() > deadline or self.process.poll() is not None:
                raise ProbeError("no main window; messages %s" % self.messages)
        self.page = self.probe("child %s %s" % (self.window, PAGE))
        return self.window

    def painted(self, timeout_ms=20000):
        """Waits until the page shows a finished map; the pixels' hash."""
        return self.probe("painted %s %d" % (self.page, timeout_ms))

    def changed(self, old_hash, timeout_ms=20000):
        return self.probe("changed %s %d %s" % (self.page, timeout_ms, old_hash))

    def key(self, vk, ctrl=False):
        self.probe("focus " + self.window)
        self.probe("key %d%s" % (vk, " ctrl" if ctrl else ""))

    def command(self, command_id):
        """Posts a command, as a menu item does."""
        self.probe("command %s %d" % (self.window, command_id))

    def run(self, command_id, timeout_ms=30000):
        """A command that opens no dialog, waited for until it is done."""
        self.probe("run %s %d %d" % (self.window, command_id, timeout_ms))

    def settle(self, timeout_ms=20000):
        """Waits until the wait dialog is gone and the page painted again."""
        self.probe("gone %d Bitte waren ..." % timeout_ms)
        return self.painted(timeout_ms)

    def saved(self, relative, timeout=20):
        """Waits until a picture being saved exists (it appears whole: it is
        written beside and moved into place), then for the program to
        settle; its path. The wait dialog may not show yet when the save has
        only begun, so settle() alone can return before the file is there."""
        deadline = time.monotonic() + timeout
        while not self.exists(relative) and time.monotonic() < deadline:
            time.sleep(0.05)
        self.settle()
        return self.path(relative)

    def rect(self, window=None):
        return tuple(int(v) for v in self.probe("rect " + (window or self.window)).split())

    def client_size(self, window):
        left, top, right, bottom = (int(v) for v in self.probe("client " + window).split())
        return right - left, bottom - top

    def boxes(self):
        """(handle, title) of every open dialog box: message boxes and the like."""
        found = []
        for entry in self.probe("windows").split(";"):
            fields = entry.split("|", 3)
            # The wait dialog closes itself. A box without a title is still
            # being made (its caption is set while it initialises): it is
            # taken on the next look.
            if len(fields) == 4 and fields[2] == "#32770" and fields[3] not in ("", "Bitte waren ..."):
                found.append((fields[0], fields[3]))
        return found

    def message(self, caption, timeout_ms=10000):
        """The text of the message box with the caption; it is closed."""
        box = self.probe("wait %d %s" % (timeout_ms, caption))
        return self.answer(box, caption)

    def answer(self, box, caption):
        # The message is the longest text of the box; the others are buttons.
        text = max(self.probe("texts " + box).split("|"), key=len)
        self.probe.ask("command %s 1" % box)
        if not self.probe.ask("gone 2000 " + caption).startswith("ok"):
            self.probe.ask("command %s 2" % box)
            self.probe("gone 5000 " + caption)
        self.messages.append((caption, text))
        return text

    def dismiss_messages(self):
        """Closes the dialog boxes that are open now, recording their texts."""
        for box, caption in self.boxes():
            self.answer(box, caption)

    def snap(self, name):
        """The page's pixels, saved as a BMP in the work folder."""
        path = self.path(name)
        self.probe("snap %s %s" % (self.page, winpath(path)))
        return Bitmap(path)

    def close_and_wait(self, timeout=20):
        self.probe("close " + self.window)
        return self.wait_exit(timeout)

    def wait_exit(self, timeout=20):
        return self.process.wait(timeout)


def winpath(path):
    return "Z:" + path.replace("/", "\\")


class Bitmap:
    """A 24-bit bottom-up BMP as the probe writes it."""

    def __init__(self, path):
        with open(path, "rb") as f:
            data = f.read()
        offset, = struct.unpack_from("<I", data, 10)
        self.width, self.height = struct.unpack_from("<ii", data, 18)
        self.row = (self.width * 3 + 3) & ~3
        self.data = data[offset:]

    def pixel(self, x, y):
        """(r, g, b) with y counted from the top."""
        i = (self.height - 1 - y) * self.row + x * 3
        b, g, r = self.data[i:i + 3]
        return r, g, b

    def count(self, predicate, box=None):
        x0, y0, x1, y1 = box or (0, 0, self.width, self.height)
        return sum(1 for y in range(y0, y1) for x in range(x0, x1) if predicate(*self.pixel(x, y)))
