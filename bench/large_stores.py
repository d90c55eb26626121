#!/usr/bin/env python3
"""Start-up of nimbrel with large stores, each row started several times, two builds interleaved.

    bench/large_stores.py NEW_BUILD [--old OLD_BUILD] [--starts 3] [--rows empty,rules,...]

Rows: empty; 1,000 rules; 10,000 rules and 5,000 blacklisted apps; 1,000 sessions; 100,000
activity entries; all of them together. Each row's home is made once: the simulated Mac's
first boot (a start that quits as soon as its panel is drawn), then nimbrel-seed-stores (from
NEW_BUILD) fills its stores through the program's own encoders, then one start of NEW_BUILD runs
past the stores' loading and quits, so that what a first start writes is already there. Every
start runs on a copy of that home, made before its clock starts, offscreen, with the desktop
window, and is read:

    panel      launch to the panel drawn, less the designed 0.25 s wait before onboarding opens
    cpu panel  processor time of all its threads (/proc/PID/task/*/schedstat) when it is drawn
    cpu 10 s   the same 10 s after launch; the stores are made 1 s after launch, so only this
               figure holds their loading
    rss, pss   resident and proportional memory 10 s after launch (status, smaps_rollup)
    written    bytes it had sent to the disk by then (/proc/PID/io write_bytes)
    quit       SIGTERM to its end (it writes what waits, then quits as the panel's Quit does)

Each figure is the median of the starts; the load average is printed with every start. Sizes of
the seeded files are printed with each row, to set the figures against the bytes they hold."""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from side_by_side import DESIGNED_PANEL_WAIT_MS, load, median  # noqa: E402

ROWS = {
    "empty": ("empty", {}),
    "rules": ("1,000 rules", {"rules": 1000}),
    "rules-blacklist": ("10,000 rules, 5,000 blacklisted", {"rules": 10000, "blacklist": 5000}),
    "sessions": ("1,000 sessions", {"sessions": 1000}),
    "activity": ("100,000 activity entries", {"activity": 100000}),
    "all": ("all together", {"rules": 10000, "blacklist": 5000, "sessions": 1000, "activity": 100000}),
}
SEEDED_FILES = ["config/Nimbrel/defaults.json", "data/Nimbrel/Sessions.json", "data/Nimbrel/activity-history.json"]
READY = "nimbrel: panel ready"
SECONDS_RUN = 10


def environment(home, extra=None):
    return dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_DATA_HOME=f"{home}/data",
                XDG_CONFIG_HOME=f"{home}/config", NIMBREL_REPORT_PANEL_READY="1", **(extra or {}))


def make_home(program, seeder, work, counts):
    home = tempfile.mkdtemp(dir=work)
    first_boot = subprocess.run([program], env=environment(home, {"NIMBREL_QUIT_WHEN_READY": "1"}),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
    if first_boot.returncode != 0:
        sys.exit(f"the first boot of {program} failed")
    if counts:
        options = [f"--{store}={count}" for store, count in counts.items()]
        subprocess.run([seeder, f"--home={home}", *options], check=True)
    settle(program, home)
    return home


def settle(program, home):
    """One start that runs past the stores' loading and quits: what a first start with these stores
    writes (the device's identity, the first sessions pass) is then in the home, so the measured
    starts are those of a Mac that has run before."""
    process = subprocess.Popen([program], env=environment(home), stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    time.sleep(SECONDS_RUN + 2)
    process.send_signal(signal.SIGTERM)
    process.wait(timeout=60)


def cpu_seconds(pid):
    """Processor time of the process's threads (the scheduler's own count, in nanoseconds)."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                total += int(f.read().split()[0])
        except (FileNotFoundError, ProcessLookupError):
            pass  # a thread that just ended
    return total / 1e9


def proc_field(path, name):
    with open(path) as f:
        for line in f:
            if line.startswith(name):
                return int(line.split()[1])
    return 0


def start_once(program, home):
    """One start on a copy of `home`: the figures of the table."""
    run_home = tempfile.mkdtemp(dir=os.path.dirname(home))
    shutil.copytree(home, run_home, dirs_exist_ok=True)
    start = time.perf_counter()
    process = subprocess.Popen([program], env=environment(run_home), stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, text=True)
    figures = {}
    for line in process.stdout:
        if READY in line:
            figures["panel"] = (time.perf_counter() - start) * 1e3 - DESIGNED_PANEL_WAIT_MS
            figures["cpu panel"] = cpu_seconds(process.pid) * 1e3
            break
    if "panel" not in figures:
        sys.exit(f"{program} ended before its panel was drawn")
    # Its output is still read, so that it never waits on a full pipe.
    drain = subprocess.Popen(["cat"], stdin=process.stdout, stdout=subprocess.DEVNULL)
    time.sleep(max(0.0, SECONDS_RUN - (time.perf_counter() - start)))
    pid = process.pid
    figures["cpu 10 s"] = cpu_seconds(pid) * 1e3
    figures["rss"] = proc_field(f"/proc/{pid}/status", "VmRSS:") / 1024
    figures["pss"] = proc_field(f"/proc/{pid}/smaps_rollup", "Pss:") / 1024
    figures["written"] = proc_field(f"/proc/{pid}/io", "write_bytes:") / 1024 / 1024
    quit_start = time.perf_counter()
    process.send_signal(signal.SIGTERM)
    process.wait(timeout=60)
    figures["quit"] = (time.perf_counter() - quit_start) * 1e3
    drain.wait(timeout=10)
    shutil.rmtree(run_home, ignore_errors=True)
    return figures


COLUMNS = [("panel", "panel ms", 0), ("cpu panel", "cpu panel ms", 0), ("cpu 10 s", "cpu 10 s ms", 0),
           ("rss", "rss MiB", 1), ("pss", "pss MiB", 1), ("written", "written MiB", 2), ("quit", "quit ms", 0)]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("new_build")
    parser.add_argument("--old")
    parser.add_argument("--starts", type=int, default=3)
    parser.add_argument("--rows", default=",".join(ROWS), help="of: " + ", ".join(ROWS))
    args = parser.parse_args()
    seeder = os.path.join(args.new_build, "tools", "nimbrel-seed-stores")
    builds = [("new", os.path.join(args.new_build, "nimbrel"))]
    if args.old:
        builds.insert(0, ("old", os.path.join(args.old, "nimbrel")))
    for _, program in builds:
        if not os.access(program, os.X_OK):
            sys.exit(f"{program} is missing: cmake --build BUILD --target nimbrel nimbrel-seed-stores")
    rows = args.rows.split(",")
    print(f"large stores: {args.starts} starts per row and build, load average before: {load()}", flush=True)
    results = {}  # (row, build) -> [figures]
    with tempfile.TemporaryDirectory() as work:
        homes = {}
        for row in rows:
            label, counts = ROWS[row]
            homes[row] = make_home(builds[-1][1], seeder, work, counts)
            sizes = ", ".join(f"{os.path.basename(f)} {os.path.getsize(os.path.join(homes[row], f)) / 1e6:.2f} MB"
                              for f in SEEDED_FILES if os.path.exists(os.path.join(homes[row], f)))
            print(f"  {label}: {sizes}", flush=True)
        for start in range(args.starts):
            for row in rows:
                order = builds if start % 2 == 0 else builds[::-1]
                for tag, program in order:
                    figures = start_once(program, homes[row])
                    results.setdefault((row, tag), []).append(figures)
                    shown = "  ".join(f"{name} {figures[key]:.{digits}f}" for key, name, digits in COLUMNS)
                    print(f"  start {start + 1} {ROWS[row][0]} ({tag}): {shown}  load {load()}", flush=True)
    print(f"load average after: {load()}")
    print()
    print("| stores | build | " + " | ".join(name for _, name, _ in COLUMNS) + " |")
    print("| --- | --- |" + " --- |" * len(COLUMNS))
    for row in rows:
        for tag, _ in builds:
            runs = results[(row, tag)]
            cells = " | ".join(f"{median([r[key] for r in runs]):.{digits}f}" for key, _, digits in COLUMNS)
            print(f"| {ROWS[row][0]} | {tag} | {cells} |")


if __name__ == "__main__":
    main()
