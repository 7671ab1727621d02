#!/usr/bin/env python3
"""Refusing long clipboard texts under Wine: for 1 M, 10 M and 100 M units of
CF_UNICODETEXT (2, 20 and 200 MB), the time from the click on the count
button to the limit box, and how much Vornic.exe's peak memory grew.

Usage: wine_clipboard.py MINGW_BUILD_DIR [RUNS]
Needs the mingw build (Vornic.exe, clipboard_producer.exe and
clipboard_refusal_timer.exe side by side) and Wine; runs on a private X
server with the build's own Wine prefix (cmake/wine-run.sh).
"""
import os
import re
import statistics
import subprocess
import sys

SIZES = ((1_000_000, "1 M units (2 MB)"), (10_000_000, "10 M units (20 MB)"), (100_000_000, "100 M units (200 MB)"))


def refusals(mingw_build, row, runs=5):
    """Adds one row per size: median time and median peak growth of `runs`
    fresh Vornic.exe processes, beside the size of the block that Wine
    copies into Vornic.exe."""
    build = os.path.abspath(mingw_build)
    timer = os.path.join(build, "clipboard_refusal_timer.exe")
    if not os.path.exists(timer):
        row("Long clipboard text refused under Wine", "not built")
        return
    wine_run = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "cmake", "wine-run.sh")
    env = dict(os.environ)
    env.pop("DISPLAY", None)  # wine-run.sh then starts a private X server
    for units, label in SIZES:
        out = subprocess.run(["sh", wine_run, timer, str(units), str(runs)], cwd=build, env=env,
                             capture_output=True, text=True, timeout=600)
        found = re.findall(r"ms=([\d.]+) peak_kib=(\d+) (\d+)", out.stdout)
        if not found:
            row(f"{label} refused under Wine", f"failed: {out.stderr.strip()[-200:]}")
            continue
        ms = statistics.median(float(m) for m, _, _ in found)
        grown = statistics.median((int(after) - int(before)) / 1024 for _, before, after in found)
        block = (units + 1) * 2 / 2**20
        row(f"{label} refused under Wine: click to limit box, Vornic.exe peak growth",
            f"{ms:.0f} ms, +{grown:.0f} MiB (block {block:.0f} MiB)", "peak < block + 16 MiB")


def main():
    def row(figure, value, goal=""):
        print(f"| {figure} | {value} | {goal} |", flush=True)

    print("| figure | measured | goal |\n|---|---|---|")
    refusals(sys.argv[1], row, int(sys.argv[2]) if len(sys.argv) > 2 else 5)


if __name__ == "__main__":
    main()
