#!/usr/bin/env python3
"""Runs one benchmark program from two builds in alternating rounds and prints the medians side by side.

    bench/side_by_side.py OLD_BUILD NEW_BUILD PROGRAM [--rounds N] [-- benchmark arguments...]

PROGRAM is a benchmark under bench/ (for example bench_tap_path). Each round runs both builds, in
turns first, so that the machine's changing load falls on both alike. The load average is printed
before and after. Every time and counter is the median over the rounds."""

import argparse
import csv
import io
import os
import statistics
import subprocess
import sys
import tempfile


def run(program, extra):
    # The table goes to a file: programs with their own console report ignore --benchmark_format.
    with tempfile.NamedTemporaryFile("r", suffix=".csv") as table:
        done = subprocess.run([program, f"--benchmark_out={table.name}", "--benchmark_out_format=csv", *extra],
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        if done.returncode != 0:
            sys.exit(f"{program} failed:\n{done.stderr}")
        text = table.read()
    return list(csv.DictReader(io.StringIO(text[text.index("name,"):])))


def load():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("old_build")
    parser.add_argument("new_build")
    parser.add_argument("program")
    parser.add_argument("--rounds", type=int, default=5)
    argv = sys.argv[1:]
    extra = argv[argv.index("--") + 1:] if "--" in argv else []
    args = parser.parse_args(argv[:argv.index("--")] if "--" in argv else argv)
    args.extra = extra

    builds = {"old": os.path.join(args.old_build, "bench", args.program),
              "new": os.path.join(args.new_build, "bench", args.program)}
    print(f"{args.program}: {args.rounds} rounds, load average before: {load()}", flush=True)
    values = {}  # (benchmark, column, build) -> [values]
    order = []
    for r in range(args.rounds):
        for which in (["old", "new"] if r % 2 == 0 else ["new", "old"]):
            for row in run(builds[which], args.extra):
                if row.get("error_occurred") == "true":
                    sys.exit(f"{which}: {row['name']}: {row.get('error_message')}")
                name = row["name"]
                if name not in order:
                    order.append(name)
                for column, text in row.items():
                    if column in ("name", "iterations", "time_unit", "label", "error_occurred", "error_message"):
                        continue
                    try:
                        values.setdefault((name, column, which), []).append(float(text))
                    except (TypeError, ValueError):
                        pass
        print(f"  round {r + 1} done, load {load()}", flush=True)
    print(f"load average after: {load()}")
    for name in order:
        print(name)
        for column in sorted({c for (n, c, _) in values if n == name}):
            old = values.get((name, column, "old"))
            new = values.get((name, column, "new"))
            if not old or not new:
                continue
            o, n = statistics.median(old), statistics.median(new)
            ratio = f"{n / o:6.2f}x" if o else "      "
            print(f"  {column:24s} old {o:12.3f}   new {n:12.3f}   new/old {ratio}")


if __name__ == "__main__":
    main()
