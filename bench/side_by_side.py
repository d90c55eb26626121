#!/usr/bin/env python3
"""Side-by-side measurements in alternating rounds, so that the machine's changing load falls on
every contender alike. The load average is printed before and after; every figure is a median.

    bench/side_by_side.py bench OLD_BUILD NEW_BUILD PROGRAM [--rounds N] [-- benchmark arguments]
        One benchmark program under bench/ (for example bench_tap_path) from two builds.

    bench/side_by_side.py startup NEW_BUILD [--old OLD_BUILD] [--rounds N] [--apps N]
        Start-up and resident memory of nimbrel against the bare Qt Quick program (bare_quick,
        from NEW_BUILD) and the same showing a line of text (bare_quick --text, fonts loaded),
        with the simulated Mac's desktop window and with only the panel in a window of its own, and
        the processor time each has used when its window (for nimbrel: its panel) is drawn;
        the desktop's share is the difference of the two. Each nimbrel starts
        on a copy of a home it has started and quit in once (the simulated Mac's first boot, which
        builds its disk, is timed apart), without the permission, so its onboarding panel opens
        0.25 s after start by design; that wait is left out of the panel's figure. Memory is read
        10 s after launch. With --apps, the simulated Mac of every home so prepared has that many
        more applications installed (first boots keep the default desktop)."""

import argparse
import json
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time


def load():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def median(values):
    return statistics.median(values) if values else float("nan")


# --- benchmark programs -------------------------------------------------------------------

# Numbers of a run that are bookkeeping rather than measurements.
NOT_MEASURED = {"family_index", "per_family_instance_index", "repetitions", "repetition_index", "threads",
                "iterations"}


def run_benchmark(program, extra):
    """The runs of one start of `program`: [(name, {column: value})]."""
    # The runs go to a file: programs with their own console report ignore --benchmark_format. JSON
    # rather than CSV: the library's CSV report stops at a counter that the first run lacked.
    with tempfile.NamedTemporaryFile("r", suffix=".json") as table:
        done = subprocess.run([program, f"--benchmark_out={table.name}", "--benchmark_out_format=json", *extra],
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        if done.returncode != 0:
            sys.exit(f"{program} failed:\n{done.stderr}")
        runs = json.load(table)["benchmarks"]
    rows = []
    for run in runs:
        if run.get("error_occurred"):
            sys.exit(f"{program}: {run['name']}: {run.get('error_message')}")
        rows.append((run["name"], {column: float(value) for column, value in run.items()
                                   if column not in NOT_MEASURED and isinstance(value, (int, float))
                                   and not isinstance(value, bool)}))
    return rows


def compare_benchmarks(args):
    builds = {"old": os.path.join(args.old_build, "bench", args.program),
              "new": os.path.join(args.new_build, "bench", args.program)}
    print(f"{args.program}: {args.rounds} rounds, load average before: {load()}", flush=True)
    values = {}  # (benchmark, column, build) -> [values]
    order = []
    for r in range(args.rounds):
        for which in (["old", "new"] if r % 2 == 0 else ["new", "old"]):
            for name, row in run_benchmark(builds[which], args.extra):
                if name not in order:
                    order.append(name)
                for column, value in row.items():
                    values.setdefault((name, column, which), []).append(value)
        print(f"  round {r + 1} done, load {load()}", flush=True)
    print(f"load average after: {load()}")
    for name in order:
        print(name)
        for column in sorted({c for (n, c, _) in values if n == name}):
            old, new = values.get((name, column, "old")), values.get((name, column, "new"))
            if not old or not new:
                continue
            o, n = median(old), median(new)
            ratio = f"{n / o:6.2f}x" if o else "      "
            print(f"  {column:24s} old {o:12.3f}   new {n:12.3f}   new/old {ratio}")


# --- start-up and memory ------------------------------------------------------------------

DESIGNED_PANEL_WAIT_MS = 250


class Contender:
    def __init__(self, label, program, env, window_line, panel_line=None, first_boot=False, args=()):
        self.label, self.program, self.env, self.args = label, program, env, list(args)
        self.window_line, self.panel_line = window_line, panel_line
        # A fresh home for every start (the simulated Mac boots for the first time), or a copy
        # of the one prepare() made.
        self.first_boot, self.home = first_boot, None
        self.window_ms, self.panel_ms, self.exit_ms, self.rss_mib = [], [], [], []
        self.cpu_ms = []  # processor time of all its threads when its last line came
        # Builds from before NIMBREL_QUIT_WHEN_READY are stopped once ready instead.
        with open(program, "rb") as f:
            self.quits_by_itself = b"NIMBREL_QUIT_WHEN_READY" in f.read()

    def make_home(self, work):
        home = tempfile.mkdtemp(dir=work)
        if self.home:
            shutil.copytree(self.home, home, dirs_exist_ok=True)
        return home

    def launch(self, home, extra_env):
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_DATA_HOME=f"{home}/data",
                   XDG_CONFIG_HOME=f"{home}/config", NIMBREL_REPORT_PANEL_READY="1", **self.env, **extra_env)
        return subprocess.Popen([self.program, *self.args], env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)

    def start_until_ready(self, work):
        """Starts once; returns the milliseconds to each line, to the end, and the home used."""
        # The home is copied before the clock starts: only the program's own start is timed.
        home = self.make_home(work)
        start = time.perf_counter()
        process = self.launch(home, {"NIMBREL_QUIT_WHEN_READY": "1"})
        last = self.panel_line or self.window_line
        seen = {}
        for line in process.stdout:
            ms = (time.perf_counter() - start) * 1e3
            if last in line and "cpu" not in seen:
                seen["cpu"] = processor_ms(process.pid)
            for wanted in (self.window_line, self.panel_line):
                if wanted and wanted in line:
                    seen.setdefault(wanted, ms)
            if last in line and not self.quits_by_itself:
                process.send_signal(signal.SIGTERM)
        if process.wait() != 0 and self.quits_by_itself:
            sys.exit(f"{self.label} exited with {process.returncode}")
        if last not in seen:
            sys.exit(f"{self.label} never reported {last!r}")
        return seen, (time.perf_counter() - start) * 1e3, home

    def prepare(self, work, apps=0):
        if not self.first_boot:
            self.home = self.start_until_ready(work)[2]
            install_apps(self.home, apps)

    def time_start_up(self, work):
        seen, exit_ms, home = self.start_until_ready(work)
        shutil.rmtree(home)  # a home of thousands of apps is not kept for the rest of the run
        self.window_ms.append(seen[self.window_line])
        if self.panel_line:
            self.panel_ms.append(seen[self.panel_line] - DESIGNED_PANEL_WAIT_MS)
        self.exit_ms.append(exit_ms)
        self.cpu_ms.append(seen["cpu"])


def processor_ms(pid):
    """The processor time of the process so far: the run time of each of its threads (nanoseconds,
    /proc/PID/task/*/schedstat), else user and system time (clock ticks, /proc/PID/stat)."""
    try:
        total = 0
        for task in os.listdir(f"/proc/{pid}/task"):
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                total += int(f.read().split()[0])
        return total / 1e6
    except (OSError, ValueError, IndexError):
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) * 1e3 / os.sysconf("SC_CLK_TCK")


INFO_PLIST = """<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>CFBundleIdentifier</key><string>com.example.bench{n}</string>
<key>CFBundleName</key><string>Bench App {n}</string>
<key>CFBundlePackageType</key><string>APPL</string>
<key>CFBundleIconFile</key><string>AppIcon</string>
</dict></plist>
"""


def install_apps(home, count):
    """Installs `count` applications on the simulated Mac of `home`, as bundles in its /Applications."""
    if not count:
        return
    disks = [os.path.join(folder, "disk") for folder, subfolders, _ in os.walk(home)
             if os.path.basename(folder) == "SimulatedMac" and "disk" in subfolders]
    if len(disks) != 1:
        sys.exit(f"no simulated Mac found in {home}")
    for n in range(count):
        contents = os.path.join(disks[0], "Applications", f"Bench App {n}.app", "Contents")
        os.makedirs(contents)
        with open(os.path.join(contents, "Info.plist"), "w") as f:
            f.write(INFO_PLIST.format(n=n))


def resident_mib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return float("nan")


def measure_memory(contenders, work):
    # All at once: resident memory 10 s after launch hardly depends on the others running.
    homes = [(c, c.make_home(work)) for c in contenders if not c.first_boot]
    processes = [(c, c.launch(home, {})) for c, home in homes]
    time.sleep(10)
    for c, p in processes:
        if p.poll() is not None:
            sys.exit(f"{c.label} ended before its memory was read")
        c.rss_mib.append(resident_mib(p.pid))
    for _, p in processes:
        p.send_signal(signal.SIGTERM)
    for _, p in processes:
        p.communicate(timeout=30)
    for _, home in homes:
        shutil.rmtree(home)


def compare_start_up(args):
    bare = os.path.join(args.new_build, "bench", "bare_quick")
    contenders = [Contender("bare", bare, {}, "bare: window ready"),
                  Contender("bare text", bare, {}, "bare: window ready", args=["--text"])]
    for tag, build in (("old", args.old), ("new", args.new_build)):
        if not build:
            continue
        program = os.path.join(build, "nimbrel")
        contenders.append(Contender(f"{tag} desktop", program, {}, "nimbrel: window ready", "nimbrel: panel ready"))
        panel_only = Contender(f"{tag} panel", program, {"NIMBREL_PANEL_ONLY": "1"}, "nimbrel: window ready",
                               "nimbrel: panel ready")
        if panel_only.quits_by_itself:  # the same build has the panel-only window
            contenders.append(panel_only)
    contenders.append(Contender("new first boot", os.path.join(args.new_build, "nimbrel"), {},
                                "nimbrel: window ready", "nimbrel: panel ready", first_boot=True))
    print(f"start-up and memory: {args.rounds} rounds, {args.apps} more installed apps, load average before: "
          f"{load()}", flush=True)
    with tempfile.TemporaryDirectory() as work:
        for c in contenders:
            c.prepare(work, args.apps if c.label.startswith(("old", "new")) else 0)
        for r in range(args.rounds):
            order = contenders if r % 2 == 0 else contenders[::-1]
            for c in order:
                c.time_start_up(work)
            measure_memory(order, work)
            print(f"  round {r + 1} done, load {load()}", flush=True)
    print(f"load average after: {load()}")

    bares = contenders[:2]

    def against_bares(value, of, digits=0):
        # The figure and its ratios to the bare window and to the bare window with text.
        return f"{value:6.{digits}f} {'/'.join(f'{value / of(b):4.2f}x' for b in bares)}"

    print("figures (ms or MiB), then their ratios to the bare window / the bare window with text")
    print(f"{'':16s} {'first frame':>17s} {'panel drawn*':>17s} {'processor**':>17s} {'whole process':>17s} "
          f"{'memory at 10 s':>19s}")
    for c in contenders:
        window = against_bares(median(c.window_ms), lambda b: median(b.window_ms))
        panel = against_bares(median(c.panel_ms), lambda b: median(b.window_ms)) if c.panel_ms else ""
        cpu = against_bares(median(c.cpu_ms), lambda b: median(b.cpu_ms))
        whole = against_bares(median(c.exit_ms), lambda b: median(b.exit_ms)) if c.quits_by_itself else ""
        memory = against_bares(median(c.rss_mib), lambda b: median(b.rss_mib), 1) if c.rss_mib else ""
        print(f"{c.label:16s} {window:>17s} {panel:>17s} {cpu:>17s} {whole:>17s} {memory:>19s}")
    print(f"* less the designed {DESIGNED_PANEL_WAIT_MS} ms wait before onboarding opens; ratios against the bare "
          "programs' first frames. First boot: the simulated Mac builds its disk (a fresh home).")
    print("** processor time of all threads from launch until the window (nimbrel: the panel) is drawn.")
    for tag in ("old", "new"):
        desk = next((c for c in contenders if c.label == f"{tag} desktop"), None)
        panel = next((c for c in contenders if c.label == f"{tag} panel"), None)
        if desk and panel:
            print(f"{tag}: the simulated desktop's share: {median(desk.panel_ms) - median(panel.panel_ms):+.0f} ms to "
                  f"the panel, {median(desk.rss_mib) - median(panel.rss_mib):+.1f} MiB")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    commands = parser.add_subparsers(dest="command", required=True)
    bench = commands.add_parser("bench")
    bench.add_argument("old_build")
    bench.add_argument("new_build")
    bench.add_argument("program")
    bench.add_argument("--rounds", type=int, default=5)
    startup = commands.add_parser("startup")
    startup.add_argument("new_build")
    startup.add_argument("--old")
    startup.add_argument("--rounds", type=int, default=5)
    startup.add_argument("--apps", type=int, default=0)

    argv = sys.argv[1:]
    extra = argv[argv.index("--") + 1:] if "--" in argv else []
    args = parser.parse_args(argv[:argv.index("--")] if "--" in argv else argv)
    args.extra = extra
    if args.command == "bench":
        compare_benchmarks(args)
    else:
        compare_start_up(args)


if __name__ == "__main__":
    main()
