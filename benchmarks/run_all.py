#!/usr/bin/env python3
"""Runs every Vornic benchmark and prints the figures as one table.

Usage: run_all.py [--only SECTION,...] BUILD_DIR [MINGW_BUILD_DIR]
where the sections are count_benchmarks, qt_benchmarks, linux_program,
wine_idle and wine_clipboard (all of them by default).
Needs Xvfb, xdotool and xclip; the Windows figures also need Wine.
"""
import json
import os
import shutil
import statistics
import subprocess
import sys
import time

import wine_clipboard

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "qt"))
from clipboard_offers import start_producer  # noqa: E402

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")
PAGE_KIB = os.sysconf("SC_PAGE_SIZE") // 1024
rows = []


def row(figure, value, goal=""):
    rows.append((figure, value, goal))
    print(f"  {figure}: {value}", file=sys.stderr, flush=True)


class Xvfb:
    """A private X server without a window manager, so that measurements see
    no other client."""

    def __enter__(self):
        helper = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts", "with_x_server.sh")
        self.process = subprocess.Popen(
            ["bash", helper, "--no-window-manager", "--size", "1920x1080", "--",
             "sh", "-c", 'echo "$DISPLAY"; exec sleep 1d'],
            stdout=subprocess.PIPE, text=True)
        self.display = self.process.stdout.readline().strip()
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        self.process.wait()

    def env(self, **extra):
        env = dict(os.environ, DISPLAY=self.display, **extra)
        env.pop("WAYLAND_DISPLAY", None)
        return env


def cpu_seconds(pids):
    total = 0
    for pid in pids:
        try:
            with open(f"/proc/{pid}/stat") as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
            total += int(fields[11]) + int(fields[12])  # utime, stime
        except FileNotFoundError:
            pass
    return total / CLOCK_TICKS


def peak_rss_mib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024
    return float("nan")


def wait_for_window(display_env, name, timeout=20.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{name}$"],
                               env=display_env, capture_output=True, text=True)
        if found.stdout.strip():
            return True
        time.sleep(0.002)
    return False


def startup(program, window_name, runs=7):
    """Exec to window mapped, and peak resident memory once shown."""
    times, peaks = [], []
    for _ in range(runs):
        with Xvfb() as x:
            env = x.env(QT_QPA_PLATFORM="xcb")
            start = time.monotonic()
            process = subprocess.Popen([program], env=env, stderr=subprocess.DEVNULL)
            mapped = wait_for_window(env, window_name)
            elapsed = time.monotonic() - start
            time.sleep(0.5)
            peaks.append(peak_rss_mib(process.pid))
            process.terminate()
            process.wait()
            if mapped:
                times.append(elapsed * 1000)
    return statistics.median(times), statistics.median(peaks)


def count_benchmarks(build):
    program = os.path.join(build, "benchmarks", "count_benchmark")
    out = subprocess.run([program, "--benchmark_format=json", "--benchmark_repetitions=9",
                          "--benchmark_report_aggregates_only=true"], capture_output=True, text=True, check=True)
    medians = {b["run_name"]: b["real_time"] for b in json.loads(out.stdout)["benchmarks"]
               if b.get("aggregate_name") == "median"}
    copy = medians["CopySameBuffer"]
    for name, label in (("CountPlainText", "plain text"), ("CountHalfLineBreaks", "half CR LF")):
        gib_s = 50000 * 2 / medians[name]  # bytes per ns = GB/s
        row(f"CountCharacters, 50000 units, {label}",
            f"{medians[name] / 1000:.2f} us ({gib_s:.1f} GB/s), {medians[name] / copy:.2f}x memcpy", "<= 10 us")
    row("memcpy of the same 100 kB buffer", f"{copy / 1000:.2f} us")


def qt_benchmarks(build):
    program = os.path.join(build, "benchmarks", "qt", "qt_benchmark")
    if not os.path.exists(program):
        row("Qt backend benchmarks", "not built")
        return
    out = subprocess.run([program, "--benchmark_filter=-RealClipboard", "--benchmark_format=json",
                          "--benchmark_repetitions=5",
                          "--benchmark_report_aggregates_only=true"], capture_output=True, text=True, check=True,
                         env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
    for bench in json.loads(out.stdout)["benchmarks"]:
        if bench.get("aggregate_name") != "median":
            continue
        unit = bench["time_unit"]
        row(f"{bench['run_name']} (offscreen)", f"{bench['real_time']:.3g} {unit}")
        if "native_calls" in bench:
            row(f"{bench['run_name']}: native calls per tick", f"{bench['native_calls']:.0f}", "0")
    document = (("The quick brown fox jumps over the lazy dog. " * 2)[:78] + "\r\n") * 625
    median = median_with_clipboard_owner(program, "WholeCountRealClipboard", document)
    row("Whole count, 50000 units in 625 lines, real X11 clipboard (Xvfb, xclip owner)", median, "< 16 ms")
    # The owner is the test producer, which sends every size incrementally;
    # xclip sends a text of a few megabytes whole.
    producer = os.path.join(build, "clipboard_producer")
    if not os.path.exists(producer):
        row("Text refused, sent incrementally", "clipboard_producer not built")
        return
    for megabytes in (2, 20, 200):
        median, rise = median_with_clipboard_owner(program, "RefuseRealClipboard", "m" * (megabytes * 1_000_000),
                                                   [producer, "--incr"], counter="peak_rise_mib")
        row(f"{megabytes} MB text refused, real X11 clipboard, sent incrementally: click to notice shown, "
            "peak memory rise", f"{median}, +{rise:.1f} MiB", "200 MB <= 1.5x 2 MB, < +16 MiB")


def median_with_clipboard_owner(program, benchmark, text, producer=None, counter=None):
    """Runs one Qt benchmark on a private X server while another program,
    xclip or the producer command given, owns the clipboard with the given
    text. With a counter, returns its median too."""
    with Xvfb() as x:
        if producer:
            owner = start_producer(producer, {"UTF8_STRING": text.encode()}, env=x.env())
        else:
            owner = subprocess.Popen(["xclip", "-selection", "clipboard"], env=x.env(), stdin=subprocess.PIPE)
            owner.communicate(text.encode())
            time.sleep(0.5)
        try:
            out = subprocess.run([program, f"--benchmark_filter={benchmark}", "--benchmark_format=json",
                                  "--benchmark_repetitions=3", "--benchmark_report_aggregates_only=true"],
                                 capture_output=True, text=True, check=True, env=x.env(QT_QPA_PLATFORM="xcb"))
        finally:
            owner.terminate()
            owner.wait()
    for bench in json.loads(out.stdout)["benchmarks"]:
        if bench.get("aggregate_name") == "median":
            median = f"{bench['real_time']:.3g} {bench['time_unit']}"
            return (median, bench[counter]) if counter else median
    return ("no result", float("nan")) if counter else "no result"


def cpu_share_of(pid, seconds):
    """Share of one core a process uses over the next seconds: perf's task
    clock where perf works (exact), else the kernel's tick counts."""
    if shutil.which("perf"):
        out = subprocess.run(["perf", "stat", "-x", ",", "-e", "task-clock", "-p", str(pid), "--", "sleep",
                              str(seconds)], capture_output=True, text=True).stderr
        for line in out.splitlines():
            fields = line.split(",")
            if len(fields) > 2 and fields[2].startswith("task-clock") and fields[0].replace(".", "").isdigit():
                return float(fields[0]) / (seconds * 1000) * 100
    before = cpu_seconds([pid])
    time.sleep(seconds)
    return (cpu_seconds([pid]) - before) / seconds * 100


def idle_share(command, window_name, seconds=20, runs=3):
    """Median CPU share of a shown, untouched program."""
    shares = []
    for _ in range(runs):
        with Xvfb() as x:
            env = x.env(QT_QPA_PLATFORM="xcb")
            process = subprocess.Popen(command, env=env, stderr=subprocess.DEVNULL)
            wait_for_window(env, window_name)
            time.sleep(2)
            shares.append(cpu_share_of(process.pid, seconds))
            process.terminate()
            process.wait()
    return statistics.median(shares)


def linux_program(build):
    vornic = os.path.join(build, "Vornic")
    floor = os.path.join(build, "benchmarks", "qt", "minimal_qt_window")
    row("Idle: Vornic shown and untouched for 20 s (Xvfb), median of 3", f"{idle_share([vornic], 'Vornic'):.2f} % of a core",
        "< 0.5 %")
    row("  a minimal Qt window with a focused text box, same 20 s",
        f"{idle_share([floor], 'Minimal'):.2f} % of a core")
    row("  the same with an empty 16 ms timer",
        f"{idle_share([floor, '--timer'], 'Minimal'):.2f} % of a core")

    vornic_ms, vornic_mib = startup(vornic, "Vornic")
    floor_ms, floor_mib = startup(floor, "Minimal")
    row("Start-up: exec to main window mapped (Xvfb)", f"{vornic_ms:.0f} ms")
    row("  of which a minimal Qt window takes", f"{floor_ms:.0f} ms ({floor_ms / vornic_ms * 100:.0f} %)")
    row("Peak resident memory, shown", f"{vornic_mib:.1f} MiB")
    row("  of which a minimal Qt window takes", f"{floor_mib:.1f} MiB ({floor_mib / vornic_mib * 100:.0f} %)")


def wine_idle(mingw_build):
    exe = os.path.abspath(os.path.join(mingw_build, "Vornic.exe"))
    wine = "/usr/lib/wine/wine64"
    if not os.path.exists(exe) or not os.path.exists(wine):
        row("Idle under Wine", "not built")
        return
    prefix = os.path.abspath(os.path.join(mingw_build, "benchmark-wineprefix"))
    wineserver = os.path.join(os.path.dirname(wine), "wineserver")

    def wine_pids(program):
        pids = {"program": [], "wine": []}
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open(f"/proc/{pid}/environ", "rb") as environ:
                    if f"WINEPREFIX={prefix}".encode() not in environ.read().split(b"\0"):
                        continue
                with open(f"/proc/{pid}/cmdline", "rb") as cmdline:
                    args = cmdline.read().lower()
            except OSError:
                continue
            pids["program" if program.lower().encode() in args else "wine"].append(int(pid))
        return pids

    def measure(command, program, title):
        with Xvfb() as x:
            env = x.env(WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
            if not os.path.exists(os.path.join(prefix, "system.reg")):
                subprocess.run([wine, "wineboot", "-i"], env=env, capture_output=True)
                subprocess.run([wineserver, "-w"], env=env)
            process = subprocess.Popen([wine] + command, env=env, stderr=subprocess.DEVNULL)
            wait_for_window(env, title, timeout=60)
            time.sleep(3)
            pids = wine_pids(program)
            before = {k: cpu_seconds(v) for k, v in pids.items()}
            time.sleep(20)
            used = {k: (cpu_seconds(v) - before[k]) / 20 * 100 for k, v in pids.items()}
            process.terminate()
            subprocess.run([wineserver, "-k"], env=env)
            process.wait()
        return used

    vornic = measure([exe], "Vornic.exe", "Vornic")
    notepad = measure(["notepad"], "notepad", ".*Notepad")
    row("Idle under Wine: Vornic.exe, 20 s", f"{vornic['program']:.2f} % of a core", "< 0.5 %")
    row("  Wine's own processes meanwhile", f"{vornic['wine']:.2f} % of a core")
    row("  Wine's Notepad idle, for comparison", f"{notepad['program']:.2f} % of a core")
    row("  Wine's own processes meanwhile", f"{notepad['wine']:.2f} % of a core")


def main():
    args = sys.argv[1:]
    only = None
    if args[:1] == ["--only"]:
        only = set(args[1].split(","))
        args = args[2:]
    build = args[0]
    mingw_build = args[1] if len(args) > 1 else None
    sections = [(count_benchmarks, build), (qt_benchmarks, build), (linux_program, build)]
    if mingw_build:
        sections += [(wine_idle, mingw_build), (lambda folder: wine_clipboard.refusals(folder, row), mingw_build)]
    names = ["count_benchmarks", "qt_benchmarks", "linux_program", "wine_idle", "wine_clipboard"]
    for name, (section, folder) in zip(names, sections):
        if only is None or name in only:
            print(f"{name} ...", file=sys.stderr, flush=True)
            section(folder)
    width = max(len(r[0]) for r in rows)
    value_width = max(len(r[1]) for r in rows)
    print(f"| {'figure'.ljust(width)} | {'measured'.ljust(value_width)} | goal |")
    print(f"|{'-' * (width + 2)}|{'-' * (value_width + 2)}|------|")
    for figure, value, goal in rows:
        print(f"| {figure.ljust(width)} | {value.ljust(value_width)} | {goal} |")


if __name__ == "__main__":
    main()
