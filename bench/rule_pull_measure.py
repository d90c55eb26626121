#!/usr/bin/env python3
"""The rules store's pulls measured in the program, with a second process as the other Mac.

    bench/rule_pull_measure.py NEW_BUILD [--old OLD_BUILD] [--starts 2] [--minutes 5] [--rules 10000]
                               [--no-screen]

Each build's home is made once: the simulated Mac's first boot (then told to trust the program, so
that its panel opens on the menu), nimbrel-seed-stores (from NEW_BUILD)
fills it with the rules, made a minute apart and kept oldest first, as a Mac keeps the rules it
made, and nimbrel-other-mac (NEW_BUILD) pushes them all as another Mac's records into a cloud file
of the home's own (NIMBREL_CLOUD_DATABASE); one start then runs past the first pull (nothing
changes) and quits. Every start runs on a copy of that home, offscreen, with the desktop window
and the panel opened on the rules screen (NIMBREL_SHOW_RULES; --no-screen leaves the panel closed), the two builds at the same time, so that the machine's load falls on both alike.
A build older than that switch cannot open the screen: its panel stays closed, and the output says
so at the start and beside each of its figures.

The program pulls its rules every 60 s. Each minute, 8 s before the pull is due, the main thread's
processor time is read (/proc/PID/task/PID/schedstat: the main thread's id is the process's),
then nimbrel-other-mac renames one rule in the cloud, the one whose card the screen shows first
(every third minute: nothing), and the time
is read again 3 s after the pull's save reaches the defaults file (or 11 s on, when nothing
changed), so that each figure holds the pull, the screen's frames after it, and
the 11 s of an idle program around them (the figure of "nothing" is that part, with the minute's
pulls of the other stores). The first minute's pull is the one that sorts the list held oldest
first newest first; the later ones pull one changed rule into the sorted list. Every figure is
printed, then the median and the 90th percentile of each kind, with the load average."""

import argparse
import base64
import json
import mmap
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from side_by_side import load, median  # noqa: E402

LEAD_S = 8.0   # the window opens this long before the pull is due
AFTER_S = 3.0  # and closes this long after the pull's entry is written
FIRST_PULL_S = 61.0  # the rules store is made about 1 s after launch, and pulls 60 s later


def environment(home, extra=None):
    return dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_DATA_HOME=f"{home}/data",
                XDG_CONFIG_HOME=f"{home}/config", NIMBREL_CLOUD_DATABASE=f"{home}/cloud.sqlite", **(extra or {}))


def saved_rules_mark(home):
    """When the defaults file was last written: a pull that changes the rules saves them (the
    activity entry of a pull is not written again within 300 s)."""
    try:
        return os.stat(f"{home}/config/Nimbrel/defaults.json").st_mtime_ns
    except FileNotFoundError:
        return 0


def main_thread_ms(pid):
    with open(f"/proc/{pid}/task/{pid}/schedstat") as f:
        return int(f.read().split()[0]) / 1e6


def draws_rules_screen(build):
    """Whether the build's program opens the rules screen when NIMBREL_SHOW_RULES is set: one made
    before the switch never reads the variable, so its name is nowhere in the program."""
    with open(os.path.join(build, "nimbrel"), "rb") as f, mmap.mmap(f.fileno(), 0, access=mmap.ACCESS_READ) as program:
        return program.find(b"NIMBREL_SHOW_RULES") >= 0


def make_home(build, tools, work, rules):
    """A home for BUILD's program, filled by the tools of the build TOOLS (the new one)."""
    program = os.path.join(build, "nimbrel")
    seeder, other = (os.path.join(tools, "tools", name) for name in ("nimbrel-seed-stores", "nimbrel-other-mac"))
    home = tempfile.mkdtemp(dir=work)
    subprocess.run([program], env=environment(home, {"NIMBREL_QUIT_WHEN_READY": "1"}), stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=120, check=True)
    # The Mac trusts the program, so its panel opens on the menu (the rules screen's way in) and
    # not on the onboarding.
    state = f"{home}/data/Nimbrel/SimulatedMac/state.json"
    with open(state) as f:
        mac = json.load(f)
    mac["trusted"] = True
    with open(state, "w") as f:
        json.dump(mac, f)
    subprocess.run([seeder, f"--home={home}", f"--rules={rules}"], check=True)
    subprocess.run([other, f"--home={home}", f"--cloud={home}/cloud.sqlite", "push"], check=True)
    process = subprocess.Popen([program], env=environment(home), stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    time.sleep(30)
    process.send_signal(signal.SIGTERM)
    process.wait(timeout=60)
    return home


def first_card(home):
    """The id of the rule whose card the rules screen shows first (pinned first, then by name): the
    one the other Mac renames, so that the changed card is one that is drawn."""
    with open(f"{home}/config/Nimbrel/defaults.json") as f:
        stored = json.load(f)["values"]["Nimbrel.rules"]["value"]
    rules = json.loads(base64.b64decode(stored))
    return min(rules, key=lambda r: (not r["isPinned"], r["name"].casefold()))["id"]


class Contender:
    def __init__(self, label, build, other, home, screen):
        self.label, self.other = label, other
        self.screen = screen and draws_rules_screen(build)
        if self.screen:
            self.drawn = "rules screen drawn"
        elif screen:
            self.drawn = ("rules screen NOT drawn: this build cannot open it (it has no NIMBREL_SHOW_RULES), "
                          "so it is measured with the panel closed")
        else:
            self.drawn = "no screen (--no-screen)"
        self.program = os.path.join(build, "nimbrel")
        self.home = home
        self.first_card = first_card(home)
        self.figures = {"reorder": [], "one": [], "nothing": []}

    def change(self, home, round_number):
        subprocess.run([self.other, f"--home={home}", f"--cloud={home}/cloud.sqlite", "change", "--count=1",
                        f"--round={round_number}", f"--first={self.first_card}"], check=True)

    def start(self, work, minutes, start_number):
        home = tempfile.mkdtemp(dir=work)
        shutil.copytree(self.home, home, dirs_exist_ok=True)
        extra = {"NIMBREL_SHOW_RULES": "1"} if self.screen else {}
        launched = time.monotonic()
        process = subprocess.Popen([self.program], env=environment(home, extra), stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        due = launched + FIRST_PULL_S
        try:
            for minute in range(minutes):
                kind = "reorder" if minute == 0 else ("nothing" if minute % 3 == 0 else "one")
                time.sleep(max(0.0, due - LEAD_S - time.monotonic()))
                seen = saved_rules_mark(home)
                before = main_thread_ms(process.pid)
                if kind != "nothing":
                    self.change(home, start_number * 100 + minute)
                    deadline = time.monotonic() + 70
                    while saved_rules_mark(home) == seen and time.monotonic() < deadline:
                        time.sleep(0.05)
                    if saved_rules_mark(home) == seen:
                        raise RuntimeError(f"{self.label}: no pull arrived in minute {minute}")
                    pulled = time.monotonic()
                    time.sleep(AFTER_S)
                    due = pulled + 60
                else:
                    time.sleep(LEAD_S + AFTER_S)
                    due += 60
                spent = main_thread_ms(process.pid) - before
                self.figures[kind].append(spent)
                print(f"  {self.label}, start {start_number + 1}, minute {minute + 1}, {kind}: {spent:.1f} ms "
                      f"(load {load()}){'' if self.screen else ', no screen'}", flush=True)
        finally:
            process.send_signal(signal.SIGTERM)
            process.wait(timeout=60)


def percentile(values, fraction):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(len(ordered) * fraction))] if ordered else float("nan")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("new")
    parser.add_argument("--old")
    parser.add_argument("--starts", type=int, default=2)
    parser.add_argument("--minutes", type=int, default=5)
    parser.add_argument("--rules", type=int, default=10000)
    parser.add_argument("--no-screen", action="store_true")
    args = parser.parse_args()
    other = os.path.join(args.new, "tools", "nimbrel-other-mac")
    work = tempfile.mkdtemp(prefix="rule-pull-")
    try:
        print(f"load {load()}: making the homes", flush=True)
        builds = [("before", args.old)] if args.old else []
        builds.append(("after", args.new))
        contenders = [Contender(label, build, other, make_home(build, args.new, work, args.rules), not args.no_screen)
                      for label, build in builds]
        for c in contenders:
            print(f"{c.label}: {c.drawn}", flush=True)
        failures = []

        def run(contender, start):
            try:
                contender.start(work, args.minutes, start)
            except Exception as failure:  # noqa: BLE001 - told after the other build's start ends
                failures.append(failure)

        for start in range(args.starts):
            threads = [threading.Thread(target=run, args=(c, start)) for c in contenders]
            for t in threads:
                t.start()
            for t in threads:
                t.join()
            if failures:
                sys.exit(f"rule_pull_measure: {failures[0]}")
        print(f"load {load()}; main-thread processor time of an 11 s window around the pull, {args.rules} rules:")
        for c in contenders:
            print(f"  {c.label:6} {c.drawn}")
            for kind, label in (("reorder", "the first pull with a change, into the list held oldest first"),
                                ("one", "one changed rule, into the sorted list"),
                                ("nothing", "nothing changed")):
                values = c.figures[kind]
                print(f"  {c.label:6} {label}: median {median(values):.1f} ms, p90 {percentile(values, 0.9):.1f} ms "
                      f"({len(values)} pulls: {', '.join(f'{v:.1f}' for v in values)})")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
