#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Measures the real program from outside, under its own Xvfb: the sweep time at the default
pace, the CPU share while sweeping, frozen and waiting, the time to the first drawn frame and the
resident memory after 1 and after 5 sweeps at full speed.

Usage: bench/measure_live.py PATH/TO/hcci-cycle [ARGUMENTS...]   (for instance --explore)
"""

import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import x_pixels  # noqa: E402
from x_pixels import Pixels  # noqa: E402
from x_session import XSession, rss_kib, spawn, stop  # noqa: E402

LABEL8 = (280, 328, 57, 33)        # the crank-angle readout, client pixels
CYLINDER_HEAD = (35, 342)          # a pixel of the black cylinder head
TICKS = os.sysconf("SC_CLK_TCK")
POLL_S = 0.002


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def cpu_share(pid, seconds):
    c0, t0 = cpu_seconds(pid), time.monotonic()
    time.sleep(seconds)
    return 100 * (cpu_seconds(pid) - c0) / (time.monotonic() - t0)


def label_hash(pixels):
    return pixels.digest(LABEL8)


def wait_until_still(pixels, quiet_s, limit_s):
    return x_pixels.wait_until_still(lambda: label_hash(pixels), quiet_s, limit_s, POLL_S)


def main(program, arguments):
    with XSession() as x:
        started = time.monotonic()
        app = spawn([program, *arguments], env=x.env)
        try:
            window = x.find_window(app)
            pixels = Pixels(x.display, window)

            while pixels.pixel(*CYLINDER_HEAD) != (0, 0, 0):
                if time.monotonic() - started > 20:
                    raise RuntimeError("nothing was drawn within 20 s")
                time.sleep(POLL_S)
            first_frame = time.monotonic() - started
            minus_180 = label_hash(pixels)  # the readout of the first steps

            time.sleep(1)
            sweeping_cpu = cpu_share(app.pid, 10)
            wait_until_still(pixels, 2.0, 30)
            waiting_cpu = cpu_share(app.pid, 5)

            # The second sweep, away from the start-up: the readout leaves "-180" at step 51,
            # 50 ms after the first step, and shows "180" only at the last step, 17.999 s after it.
            x.press(window, "Return")
            while label_hash(pixels) != minus_180:
                time.sleep(POLL_S)
            while label_hash(pixels) == minus_180:
                time.sleep(POLL_S)
            first_change = time.monotonic()
            last_change = wait_until_still(pixels, 2.0, 30)
            sweep_s = last_change - first_change + 0.050 + 0.001

            x.press(window, "Return")
            time.sleep(1)
            x.press(window, "space")
            time.sleep(0.5)
            frozen_cpu = cpu_share(app.pid, 5)

            # Releasing the freeze leaves the pace at 0: the rest of the sweep runs at full speed.
            x.press(window, "space")
            wait_until_still(pixels, 1.5, 60)
            rss_after_1 = rss_kib(app.pid)
            for _ in range(4):
                x.press(window, "Return", "space", "space")
                wait_until_still(pixels, 1.5, 60)
            rss_after_5 = rss_kib(app.pid)

            x.press(window, "Escape")
            status = app.wait(timeout=5)
        finally:
            stop(app)

    print(f"machine: {os.uname().nodename}, {os.cpu_count()} cores, "
          f"{time.strftime('%Y-%m-%d %H:%M %Z')}")
    print(f"sweep time at the default pace: {sweep_s:.3f} s "
          f"({100 * (sweep_s / 18.0 - 1):+.2f} % of 18.0 s)")
    print(f"CPU while sweeping at the default pace: {sweeping_cpu:.1f} % of one core")
    print(f"CPU while waiting after a sweep: {waiting_cpu:.2f} % of one core")
    print(f"CPU while frozen: {frozen_cpu:.2f} % of one core")
    print(f"start to first drawn frame: {first_frame * 1000:.0f} ms")
    print(f"resident memory after 1 sweep: {rss_after_1} KiB, after 5: {rss_after_5} KiB "
          f"({rss_after_5 - rss_after_1:+d} KiB)")
    print(f"exit status after Escape: {status}")
    ok = (abs(sweep_s / 18.0 - 1) <= 0.02 and sweeping_cpu <= 10 and waiting_cpu < 0.5
          and frozen_cpu < 0.5 and rss_after_5 - rss_after_1 < 1024 and status == 0)
    print("within budget" if ok else "OVER BUDGET")
    return 0 if ok else 1


if __name__ == "__main__":
    if len(sys.argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2:]))
