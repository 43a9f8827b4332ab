"""The run of the GIF referees over the folders the Windows image tests
fill: each holds manifest.txt (one name a line) and, for each name, NAME.gif
written by the program and NAME.expect, what it must show."""

import os


def run_referees(folders, check, what):
    """check(gif, expect) -> (problems, summary) for one listed picture.
    Prints a line a picture; returns the exit code: 0 when every listed
    picture passed, and there was one."""
    checked = failed = 0
    for folder in folders:
        manifest = os.path.join(folder, "manifest.txt")
        if not os.path.isfile(manifest):
            print(f"FAIL {folder}: no manifest.txt (did the test program run?)")
            failed += 1
            continue
        with open(manifest) as f:
            names = [line.strip() for line in f if line.strip()]
        if not names:
            print(f"FAIL {folder}: empty manifest")
            failed += 1
        # Every run starts with an empty folder: a name listed twice or a
        # picture nobody listed was left by an earlier run.
        twice = sorted({name for name in names if names.count(name) > 1})
        unlisted = sorted(set(entry[:-4] for entry in os.listdir(folder)
                              if entry.endswith(".gif")) - set(names))
        if twice or unlisted:
            print(f"FAIL {folder}: left from an earlier run: listed twice {twice}, "
                  f"not listed {unlisted}")
            failed += 1
        for name in names:
            gif = os.path.join(folder, name + ".gif")
            try:
                problems, summary = check(gif, os.path.join(folder, name + ".expect"))
            except Exception as e:  # a file that does not open is a failure too
                problems, summary = [f"{type(e).__name__}: {e}"], ""
            checked += 1
            if problems:
                failed += 1
                for p in problems:
                    print(f"FAIL {gif}: {p}")
            else:
                print(f"ok   {gif} ({summary})")
    print(f"{checked} {what} checked, {failed} failed")
    return 1 if failed or checked == 0 else 0
