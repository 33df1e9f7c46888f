#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Abuse of the real program under a private X server: a storm of random keys, and a soak of
sweeps at full speed with random freezes and restarts. Either must leave a program that still
animates, ends on Escape within 2 s with status 0, reports nothing from the sanitizers and does
not grow.

Usage: hcci_cycle_abuse.py PROGRAM key_storm|soak [SEED]
Exits 0 when the scenario holds, 1 when it fails, 77 when the X tools are missing.
"""

import random
import subprocess
import sys
import tempfile
import time

import x_pixels
from x_session import XSession, rss_kib, missing_tools, spawn, stop

SKIP = 77
LABEL8 = (280, 328, 57, 33)
ENGINE = (0, 190, 616, 300)  # the cylinder band, where the piston moves
SANITIZER_MARKS = ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:",
                   "SUMMARY: UndefinedBehaviorSanitizer")
STORM_KEYS = (list("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789")
              + ["comma", "period", "slash", "semicolon", "apostrophe", "bracketleft",
                 "bracketright", "minus", "equal", "backslash", "grave", "Tab", "BackSpace",
                 "Left", "Right", "Up", "Down", "Home", "End", "Prior", "Next", "Insert",
                 "Delete"] + [f"F{n}" for n in range(1, 13)] + ["Return", "space"] * 6)


class Failure(Exception):
    pass


class Run:
    def __init__(self, session, program):
        self.session = session
        self.log = tempfile.TemporaryFile()
        env = dict(session.env, QT_QPA_PLATFORM="xcb")
        # AddressSanitizer keeps freed memory in quarantine, which grows the resident size
        # with every frame's short-lived allocations; without it, growth means a real leak.
        env["ASAN_OPTIONS"] = ":".join(
            filter(None, [env.get("ASAN_OPTIONS", ""), "quarantine_size_mb=0"]))
        self.process = spawn([program], env,
                             stdout=self.log, stderr=subprocess.STDOUT)
        self.window = session.find_window(self.process)
        self.pixels = x_pixels.Pixels(session.display, self.window)
        time.sleep(0.3)

    def output(self):
        self.log.seek(0)
        return self.log.read().decode(errors="replace")

    def keys(self, *keys, delay_ms=30):
        self.session.tool("xdotool", "windowfocus", "--sync", str(self.window), "key",
                          "--delay", str(delay_ms), *keys)

    def moving(self, seconds=2.0):
        first = self.pixels.digest(ENGINE) + self.pixels.digest(LABEL8)
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            time.sleep(0.01)
            if self.pixels.digest(ENGINE) + self.pixels.digest(LABEL8) != first:
                return True
        return False

    def rest(self, limit_s=120):
        """Waits for the end of the sweep: the readout comes to rest."""
        x_pixels.wait_until_still(lambda: self.pixels.digest(LABEL8), 1.5, limit_s)

    def still_animates(self):
        # Whatever the keys left behind (frozen, waiting, or running), at most two commands
        # bring the animation back.
        if self.moving():
            return True
        for key in ("space", "Return", "space"):
            self.keys(key)
            if self.moving():
                return True
        return False

    def escape_ends_it(self):
        self.pixels.close()
        self.keys("Escape")
        started = time.monotonic()
        try:
            status = self.process.wait(timeout=2.0)
        except subprocess.TimeoutExpired:
            raise Failure("Escape did not end the program within 2 s")
        if status != 0:
            raise Failure(f"the program ended with status {status}")
        return time.monotonic() - started


def check_output(run):
    text = run.output()
    for mark in SANITIZER_MARKS:
        if mark in text:
            raise Failure(f"sanitizer report in the program's output:\n{text[-4000:]}")


def key_storm(run, rng):
    # Full speed first: Space freezes and drops the pace to 0, Space again releases.
    run.keys("space", "space")
    sent = 0
    started = time.monotonic()
    while time.monotonic() - started < 20:
        batch = [rng.choice(STORM_KEYS) for _ in range(200)]
        run.keys(*batch, delay_ms=1)
        sent += len(batch)
    print(f"sent {sent} random keys in {time.monotonic() - started:.1f} s")
    if sent < 2000:
        raise Failure(f"only {sent} keys could be sent")
    if not run.still_animates():
        raise Failure("the program no longer animates after the storm")


def soak(run, rng):
    rss = []
    for sweep in range(20):
        # A fresh cycle at full speed, with now and then a freeze or a restart on the way.
        run.keys("Return", "space", "space")
        if rng.random() < 0.5:
            time.sleep(rng.uniform(0.05, 0.4))
            run.keys("space")
            time.sleep(rng.uniform(0.05, 0.4))
            run.keys("space")
        if rng.random() < 0.3:
            time.sleep(rng.uniform(0.05, 0.3))
            run.keys("Return", "space", "space")
        run.rest()
        rss.append(rss_kib(run.process.pid))
    print("resident KiB after each sweep:", " ".join(map(str, rss)))
    growth = rss[-1] - rss[4]
    if growth > 3072:  # 15 sweeps; a leak of 16 bytes a step would be over 4 MiB
        raise Failure(f"memory grew by {growth} KiB from sweep 5 to sweep 20")
    if not run.still_animates():
        raise Failure("the program no longer animates after the soak")


def main(program, scenario, seed):
    if missing_tools():
        print("missing:", ", ".join(missing_tools()))
        return SKIP
    rng = random.Random(seed)
    print(f"{scenario}, seed {seed}")
    with XSession() as session:
        run = Run(session, program)
        try:
            {"key_storm": key_storm, "soak": soak}[scenario](run, rng)
            took = run.escape_ends_it()
            print(f"Escape ended the program in {took:.2f} s")
            check_output(run)
        except Failure as failure:
            print(f"FAILED: {failure}\n--- program output ---\n{run.output()[-4000:]}")
            return 1
        finally:
            stop(run.process)
    return 0


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4) or sys.argv[2] not in ("key_storm", "soak"):
        print(__doc__.strip(), file=sys.stderr)
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2],
                  int(sys.argv[3]) if len(sys.argv) == 4 else random.randrange(1 << 30)))
