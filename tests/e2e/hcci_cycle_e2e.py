#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The real program under a private X server, driven by real key and mouse events.

Usage: hcci_cycle_e2e.py PROGRAM SCENARIO
Exits 0 when the scenario holds, 1 when it fails, 77 when the X tools are missing.
"""

import csv
import io
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from x_session import XSession, missing_tools, spawn, stop

SKIP = 77
CAPTION = ("         Torvan HCCI Controllable Combustion     SpaceBar :freeze   Enter: restart"
           "  , . /   ESC/ DoubleClick : Quit")
CLIENT_SIZE = (616, 741)
LABEL_RECTS = [  # left, top, width, height of Label1..Label8
    (224, 16, 193, 57), (232, 656, 193, 49), (472, 8, 129, 137), (408, 712, 193, 25),
    (432, 600, 153, 25), (432, 624, 153, 25), (432, 648, 153, 25), (280, 328, 57, 33)]
LABEL3_POINT = (536, 76)
EMPTY_POINT = (300, 450)  # inside the cylinder, clear of every label
UNITED_BLUE = b"\x00\x00\xff"
QUIT_WITHIN_S = 2.0


class Failure(Exception):
    pass


class Skip(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


class Program:
    """One running instance of the program and its window."""

    def __init__(self, session, path, args=()):
        self.session = session
        self.log = tempfile.TemporaryFile()
        env = dict(session.env, QT_QPA_PLATFORM="xcb")
        self.path = path
        self.process = spawn([path, *args], env, stdout=self.log, stderr=subprocess.STDOUT)
        self.window = None

    def wait_for_window(self):
        self.window = self.session.find_window(self.process)
        time.sleep(0.5)  # the first frames are painted

    def running(self):
        return self.process.poll() is None

    def output(self):
        self.log.seek(0)
        return self.log.read().decode(errors="replace")

    def shot(self):
        return self.session.screenshot(self.window)

    def press(self, *keys, delay_ms=30):
        self.session.press(self.window, *keys, delay_ms=delay_ms)

    def wait_until_still(self, timeout):
        """The picture once two shots in a row agree (a loaded machine may handle a key late)."""
        deadline = time.monotonic() + timeout
        previous = self.shot()
        while time.monotonic() < deadline:
            time.sleep(0.2)
            current = self.shot()
            if current == previous:
                return current
            previous = current
        return None

    def changes_from(self, shot, timeout=15.0):
        """Whether the picture comes to differ from the shot within the time."""
        return self.poll(lambda current: current != shot, lambda changed: changed, timeout)

    def poll(self, measure, accept, timeout):
        """Measures the picture until accept() holds or the time is up; returns the last value."""
        deadline = time.monotonic() + timeout
        while True:
            value = measure(self.shot())
            if accept(value) or time.monotonic() > deadline:
                return value
            time.sleep(0.1)

    def expect_exit(self, what):
        """The process ends within the time allowed and reports success."""
        try:
            status = self.process.wait(timeout=QUIT_WITHIN_S)
        except subprocess.TimeoutExpired:
            raise Failure(f"{what}: still running after {QUIT_WITHIN_S} s") from None
        check(status == 0, f"{what}: exit status {status}")

    def close(self):
        stop(self.process)
        self.log.close()


def blue_outside_labels(image):
    """Pixels of the united-charge trace colour outside the labels: the traces drawn so far."""
    width, height = CLIENT_SIZE
    check(len(image) == width * height * 3, f"screenshot has {len(image)} bytes")
    count = 0
    at = image.find(UNITED_BLUE)
    while at >= 0:
        if at % 3 == 0:
            x, y = at // 3 % width, at // 3 // width
            if not any(left <= x < left + w and top <= y < top + h
                       for left, top, w, h in LABEL_RECTS):
                count += 1
        at = image.find(UNITED_BLUE, at + 1)
    return count


def scenario_window(program):
    name = program.session.window_name(program.window)
    check(len(CAPTION) == 115, "the expected caption has 115 characters")
    check(name == CAPTION, f"caption is {name!r}")
    size = program.session.window_size(program.window)
    check(size == CLIENT_SIZE, f"client size is {size[0]}x{size[1]}")
    program.press("Escape")
    program.expect_exit("Escape")


def scenario_freeze(program):
    check(program.changes_from(program.shot()), "the picture does not change while sweeping")

    program.press("space")
    frozen = program.wait_until_still(timeout=10.0)
    check(frozen is not None, "the picture never stops after Space")
    time.sleep(1.0)
    check(program.shot() == frozen, "the picture changes while frozen")

    program.press("space")
    check(program.changes_from(frozen), "a second Space does not release the freeze")

    program.press("space")  # frozen again (or waiting after a fast sweep): Escape still ends it
    time.sleep(0.3)
    program.press("Escape")
    program.expect_exit("Escape while frozen")


def scenario_restart(program):
    fresh = blue_outside_labels(program.shot())
    drawn = program.poll(blue_outside_labels, lambda blue: blue - fresh > 300, timeout=10.0)
    check(drawn - fresh > 300, f"10 s of sweep drew only {drawn - fresh} trace pixels")
    program.press("Return")
    limit = fresh + (drawn - fresh) / 3
    restarted = program.poll(blue_outside_labels, lambda blue: blue < limit, timeout=3.0)
    check(restarted < limit, f"Enter left {restarted - fresh} of {drawn - fresh} trace pixels")
    time.sleep(1.0)
    check(program.running(), "Enter ended the program")
    program.press("Escape")
    program.expect_exit("Escape after a restart")


def scenario_escape(program):
    program.press("Escape")
    program.expect_exit("Escape")


def scenario_double_click(program):
    program.session.double_click(program.window, *EMPTY_POINT)
    program.expect_exit("double click on the window")


def scenario_close(program):
    program.session.request_close(program.window)
    program.expect_exit("WM_DELETE_WINDOW")


def scenario_other_double_click(program):
    for button in (3, 2):
        program.session.double_click(program.window, *EMPTY_POINT, button=button)
    time.sleep(1.0)
    check(program.running(), "a double click of another button than the primary ended it")
    program.session.double_click(program.window, *EMPTY_POINT)
    program.expect_exit("primary double click after the others")


def scenario_keys_ms_apart(program):
    """Keys a few milliseconds apart act at their own steps, not together in one frame."""
    fresh = blue_outside_labels(program.shot())
    drawn = program.poll(lambda shot: blue_outside_labels(shot) - fresh, lambda blue: blue > 60,
                         timeout=10.0)
    check(drawn > 60, f"10 s of sweep drew only {drawn} trace pixels")
    # The window learns the window system's clock from the promptest key it has seen; a key that
    # does nothing, alone, teaches it before the pair (a first key handled late would not).
    program.press("a")
    time.sleep(0.3)
    # Two Enter presses 5 ms apart are five steps apart: two restarts, not none.
    program.press("Return", "Return", delay_ms=5)
    left = program.poll(lambda shot: blue_outside_labels(shot) - fresh,
                        lambda blue: blue < drawn / 3, timeout=3.0)
    check(left < drawn / 3, f"two Enter presses 5 ms apart left {left} of {drawn} trace pixels: "
                            "they cancelled")
    drawn = program.poll(lambda shot: blue_outside_labels(shot) - fresh, lambda blue: blue > 60,
                         timeout=10.0)
    # Enter, then Space 5 ms later: the new cycle freezes near its start.
    program.press("Return", "space", delay_ms=5)
    frozen = program.wait_until_still(timeout=10.0)
    check(frozen is not None, "the picture never stops after Enter and Space")
    left = blue_outside_labels(frozen) - fresh
    check(left < drawn / 3, f"Enter then Space froze the old cycle ({left} of {drawn} pixels)")
    time.sleep(0.5)
    check(program.shot() == frozen, "the picture changes while frozen")
    program.press("Escape")
    program.expect_exit("Escape while frozen")


def scenario_label_double_click(program):
    program.session.double_click(program.window, *LABEL3_POINT)
    time.sleep(1.0)
    check(program.running(), "a double click on Label3 ended the program")
    check(program.changes_from(program.shot()), "the sweep stopped after a double click on Label3")
    program.press("Escape")
    program.expect_exit("Escape after a double click on Label3")


def scenario_another_engine(program):
    """Started with --set gamma=1.3 (see ARGS): it animates and ends as always."""
    check(program.changes_from(program.shot()), "the picture does not change")
    program.press("Escape")
    program.expect_exit("Escape")


def check_command_line(path, session):
    """--help and --version need no display; a mistake opens no window and exits 2."""
    quiet = {k: v for k, v in session.env.items()
             if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    for option, expected in (("--help", "usage: hcci-cycle"), ("-h", "usage: hcci-cycle"),
                             ("--version", "hcci-cycle ")):
        done = subprocess.run([path, option], env=quiet, capture_output=True, text=True, timeout=20)
        check(done.returncode == 0, f"{option}: exit status {done.returncode}: {done.stderr}")
        check(done.stdout.startswith(expected), f"{option} printed {done.stdout!r}")
    for args, message in ((["--fullscreen"], "unknown option '--fullscreen'"),
                          (["--set", "gamma=2"], "parameter gamma = 2 is outside its range"),
                          (["--set", "rod"], "--set needs NAME=VALUE")):
        process = spawn([path, *args], dict(session.env, QT_QPA_PLATFORM="xcb"),
                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        out, err = process.communicate(timeout=20)
        check(process.returncode == 2, f"{args}: exit status {process.returncode}")
        check(message in err.decode(), f"{args}: said {err.decode()!r}")
        check(err.decode().endswith("\ntry 'hcci-cycle --help'\n"),
              f"{args}: no pointer to --help in {err.decode()!r}")
        found = subprocess.run(["xdotool", "search", "--pid", str(process.pid)],
                               env=session.env, capture_output=True, text=True).stdout
        check(found == "", f"{args}: a window was opened")


# The explorer on a 1920 x 1200 screen (EXPLORER_SCREEN): the picture at its own size at the
# left, centred in the window's height, the view beside it, the panel at the right.
EXPLORER_SCREEN = (1920, 1200)
EXPLORER_PANEL = 514  # from the window's right edge to the panel's left
SLIDER_Y = 40  # the timeline's slider, at the panel's top
# Rows of the engine's boxes, from the window's top, and a point inside the boxes from the
# window's right edge (the list scrolled to its top, as it starts); the sliders beside them.
MAIN_RATIO_Y = 229
MAIN_SHARE_Y = 339
BOX_FROM_RIGHT = 445
SLIDER_FROM_RIGHT = 127  # main_share's handle at 0.75
SLIDER_START_FROM_RIGHT = 402  # the left end of main_share's groove
# The drawing's scale: x from -10 and y from -300, in twips of 15 to a pixel.
TWIPS_PER_X, TWIPS_PER_Y = 72.61925, 17.1


def export_rgb(program, *args):
    """The picture hcci-cycle-export draws, as RGB bytes (the export lies beside the program)."""
    export = os.path.join(os.path.dirname(os.path.abspath(program.path)), "hcci-cycle-export")
    with tempfile.TemporaryDirectory() as work:
        png = os.path.join(work, "p.png")
        subprocess.run([export, "png", "-o", png, *args], check=True, timeout=60)
        return subprocess.run(["convert", png, "-depth", "8", "rgb:-"], check=True,
                              capture_output=True, timeout=60).stdout


def picture_top(window_height):
    """Where the explorer's picture starts: centred in the window's height."""
    return max(0, (window_height - CLIENT_SIZE[1]) // 2)


def picture_part(shot, window_size):
    """The explorer's picture, 616 x 741 at the left of its window, as RGB bytes."""
    width, height = CLIENT_SIZE
    window_width, window_height = window_size
    top = picture_top(window_height)
    return b"".join(shot[3 * window_width * y:3 * (window_width * y + width)]
                    for y in range(top, top + height))


def differing_outside_labels(a, b):
    """Pixels that differ, away from the labels (whose text the window's fonts may draw by a
    shade otherwise than the export's)."""
    width, height = CLIENT_SIZE
    count = 0
    for y in range(height):
        for x in range(width):
            i = 3 * (y * width + x)
            if a[i:i + 3] != b[i:i + 3] and not any(
                    left <= x < left + w and top <= y < top + h for left, top, w, h in LABEL_RECTS):
                count += 1
    return count


def explorer_shows(program, *export_args, timeout=30.0):
    """How many pixels of the explorer's picture differ from the export's, once they agree or
    the time is up: a loaded machine may start the redraw late."""
    window_size = program.session.window_size(program.window)
    expected = export_rgb(program, *export_args)
    return program.poll(lambda shot: differing_outside_labels(picture_part(shot, window_size),
                                                              expected),
                        lambda differing: differing == 0, timeout)


def scenario_explore_slider(program):
    """Dragging the timeline's handle to the end shows what png --step 18000 shows; the keys
    of the slider go to any step."""
    width = program.session.window_size(program.window)[0]
    panel = width - EXPLORER_PANEL
    win = str(program.window)
    # The handle to the start (Home on the slider), then dragged past the end of the groove.
    program.session.tool("xdotool", "mousemove", "--window", win, "--sync", str(panel + 180),
                         str(SLIDER_Y), "click", "1", "key", "Home")
    time.sleep(0.3)
    program.session.tool("xdotool", "mousemove", "--window", win, "--sync", str(panel + 30),
                         str(SLIDER_Y), "mousedown", "1",
                         "mousemove", "--window", win, "--sync", str(panel + 100), str(SLIDER_Y),
                         "mousemove", "--window", win, "--sync", str(panel + 300), str(SLIDER_Y),
                         "mousemove", "--window", win, "--sync", str(width - 5), str(SLIDER_Y),
                         "mouseup", "1")
    differing = explorer_shows(program, "--step", "18000")
    check(differing == 0, f"after a drag to the end, {differing} pixels differ from png --step 18000")
    program.press("Home", *["Next"] * 10)  # ten pages of 50 steps on: step 500
    differing = explorer_shows(program, "--step", "500")
    check(differing == 0, f"at step 500, {differing} pixels differ from png --step 500")
    # The picture's keys act once it has the focus back; P plays and holds as often as pressed.
    program.session.tool("xdotool", "mousemove", "--window", str(program.window), "--sync",
                         "300", "450", "click", "1")
    for press in range(1, 4):
        program.press("p")
        if press % 2:
            check(program.changes_from(program.shot()), f"P number {press} did not play on")
        else:
            check(program.wait_until_still(timeout=10.0) is not None,
                  f"P number {press} did not hold the picture")
    program.press("Escape")
    program.expect_exit("Escape on the picture")


def click_at(program, x, y, *then):
    program.session.tool("xdotool", "mousemove", "--window", str(program.window), "--sync",
                         str(x), str(y), "click", "1", *then)


def to_last_step(program):
    """The timeline at its end, held: the picture every parameter has shaped."""
    width = program.session.window_size(program.window)[0]
    click_at(program, width - EXPLORER_PANEL + 60, SLIDER_Y)
    program.press("End")
    return width


def scenario_explore_parameter(program):
    """A parameter typed into its box redraws the shown step for that engine, keystroke by
    keystroke (the crown's whole history included: the ratio moves the piston)."""
    width = to_last_step(program)
    click_at(program, width - BOX_FROM_RIGHT, MAIN_RATIO_Y, "click", "--repeat", "2", "1")
    program.press("ctrl+a", "1", "4")
    differing = explorer_shows(program, "--step", "18000", "--set", "main_compression_ratio=14")
    check(differing == 0,
          f"{differing} pixels differ from png --step 18000 --set main_compression_ratio=14")
    program.session.request_close(program.window)
    # An edit not saved: closing asks first; Escape on the question keeps the explorer.
    question = program.session.wait_for_window_named("Quit the explorer")
    check(question is not None, "closing with an unsaved edit did not ask")
    program.session.press(question, "Escape")
    time.sleep(0.5)
    check(program.running(), "cancelling the question ended the program")


def scenario_explore_drag(program):
    """A slider dragged with the mouse: the picture follows it, and after the release it is
    what png draws for the value it came to (the slider's end: main_share 0.01)."""
    width = to_last_step(program)
    win = str(program.window)
    program.session.tool("xdotool", "mousemove", "--window", win, "--sync",
                         str(width - SLIDER_FROM_RIGHT), str(MAIN_SHARE_Y), "mousedown", "1",
                         *[arg for x in (200, 300, SLIDER_START_FROM_RIGHT, 470) for arg in
                           ("mousemove", "--window", win, "--sync", str(width - x),
                            str(MAIN_SHARE_Y))],
                         "mouseup", "1")
    differing = explorer_shows(program, "--step", "18000", "--set", "main_share=0.01")
    check(differing == 0, f"after the drag, {differing} pixels differ from main_share=0.01")


def scenario_explore_play_end(program):
    """Play at the end of the sweep starts it again: the picture leaves the finished one (it
    goes back to step 0 and sweeps on), and comes back to it at the end. At the original pace
    the sweep takes 18 s, which no measure of a loaded machine's screen outlasts; the speed box
    is left alone, as its list, opened late, took the keys meant for the picture (the unit test
    PlayAtTheEndStartsAgainAtTheChosenSpeed covers the speed)."""
    to_last_step(program)
    size = program.session.window_size(program.window)
    # What the end looks like, made before Play, so that no export delays the first look.
    finished = export_rgb(program, "--step", "18000")

    def differing(shot):
        return differing_outside_labels(picture_part(shot, size), finished)

    # The end shown and held before Play, whenever the machine gets to it.
    held = program.poll(differing, lambda d: d == 0, 20.0)
    check(held == 0, f"End did not show the finished picture: {held} pixels differ")
    program.press("p")
    check(program.poll(differing, lambda d: d != 0, 20.0) != 0,
          "Play at the end left the finished picture as it was")
    left = program.poll(differing, lambda d: d == 0, 60.0)
    check(left == 0, f"the sweep did not come to its end: {left} pixels differ")


def scenario_explore_refusal(program):
    """What breaks a range is kept in the box, marked, and changes nothing; a valid value typed
    after it counts."""
    width = to_last_step(program)
    box = (width - BOX_FROM_RIGHT, MAIN_SHARE_Y)
    click_at(program, *box, "click", "--repeat", "2", "1")
    program.press("ctrl+a", "1", "period", "5")  # 1.5: the share is below 1
    differing = explorer_shows(program, "--step", "18000")
    check(differing == 0, f"a refused 1.5 changed {differing} pixels of the picture")
    program.press("ctrl+a", "0", "period", "6")
    differing = explorer_shows(program, "--step", "18000", "--set", "main_share=0.6")
    check(differing == 0, f"{differing} pixels differ from main_share=0.6")


def scenario_explore_typing(program):
    """Typing into the panel never reaches the picture: "0.5" and a row of "." leave the pace."""
    def traced_in(seconds):
        before = blue_outside_labels(picture_part(program.shot(), size))
        time.sleep(seconds)
        return blue_outside_labels(picture_part(program.shot(), size)) - before
    size = program.session.window_size(program.window)
    width = size[0]
    time.sleep(0.5)
    before = traced_in(1.5)
    check(before > 20, f"1.5 s of sweep drew only {before} trace pixels")
    share = (width - BOX_FROM_RIGHT, MAIN_SHARE_Y)
    program.session.tool("xdotool", "mousemove", "--window", str(program.window), "--sync",
                         str(share[0]), str(share[1]), "click", "1")
    # "p" would play or hold the picture if the box let it through as a shortcut.
    program.press("ctrl+a", "0", "period", "5", *["period"] * 20, "comma", "space", "p",
                  delay_ms=5)
    after = traced_in(1.5)
    check(after > before / 2, f"typing into the panel slowed the sweep: {after} against {before}")
    check(program.running(), "typing into the panel ended the program")


def export_csv_rows(program):
    """The rows of the sweep that hcci-cycle-export writes, as dictionaries."""
    export = os.path.join(os.path.dirname(os.path.abspath(program.path)), "hcci-cycle-export")
    text = subprocess.run([export, "csv"], check=True, capture_output=True, text=True,
                          timeout=60).stdout
    return list(csv.DictReader(io.StringIO(text)))


def screen(program):
    return program.session.tool("import", "-window", "root", "-depth", "8", "rgb:-")


def changed_box(before, after, width, near, reach=400):
    """The bounding box (left, top, right, bottom) of the pixels that differ within `reach`
    pixels right of and below the point `near`, or None."""
    left, top, right, bottom = None, None, None, None
    x0, y0 = near
    for y in range(max(0, y0 - 40), y0 + reach):
        row = 3 * width * y
        for x in range(max(0, x0 - 40), min(width, x0 + reach)):
            i = row + 3 * x
            if before[i:i + 3] != after[i:i + 3]:
                left = x if left is None else min(left, x)
                right = x if right is None else max(right, x)
                top = y if top is None else min(top, y)
                bottom = y
    return None if left is None else (left, top, right, bottom)


def read_text(rgb, width, height, box):
    """The text in a box of the screen, read by OCR from four times its size."""
    left, top, right, bottom = box
    with tempfile.TemporaryDirectory() as work:
        crop = os.path.join(work, "crop.png")
        subprocess.run(["convert", "-size", f"{width}x{height}", "-depth", "8", "rgb:-",
                        "-crop", f"{right - left + 1}x{bottom - top + 1}+{left}+{top}",
                        "+repage", "-resize", "400%", "-colorspace", "Gray", crop],
                       input=rgb, check=True, timeout=60)
        return subprocess.run(["tesseract", crop, "-"], check=True, capture_output=True,
                              text=True, timeout=60).stdout


def scenario_explore_hover(program):
    """Over the pressure diagram, the tooltip reads the trace point under the pointer: the
    auxiliary chamber's peak, found in the export's CSV; over the bore, no tooltip."""
    if shutil.which("tesseract") is None:
        raise Skip("tesseract is not installed")
    rows = [r for r in export_csv_rows(program) if r["aux_pressure"]]
    peak = max(rows, key=lambda r: float(r["aux_pressure"]))
    width, height = program.session.window_size(program.window)
    top = picture_top(height)
    x = round((float(peak["crown_x"]) + 10) * TWIPS_PER_X / 15)
    y = top + round((-145 - float(peak["aux_pressure"]) + 300) * TWIPS_PER_Y / 15)
    empty = (EMPTY_POINT[0], EMPTY_POINT[1] + top)
    win = str(program.window)
    program.session.tool("xdotool", "mousemove", "--window", win, "--sync",
                         str(width - EXPLORER_PANEL + 60), str(SLIDER_Y), "click", "1")
    program.press("End")  # the whole sweep, held
    program.session.tool("xdotool", "mousemove", "--window", win, "--sync", *map(str, empty))
    time.sleep(1.0)
    check(program.wait_until_still(timeout=10.0) is not None, "the picture never holds still")
    screen_width, screen_height = program.session.screen_size()
    before = screen(program)
    # Two moves, so that the pointer is seen moving onto the point.
    program.session.tool("xdotool", "mousemove", "--window", win, "--sync", str(x + 1), str(y + 1),
                         "mousemove", "--window", win, "--sync", str(x), str(y))
    deadline = time.monotonic() + 5
    box = None
    while box is None and time.monotonic() < deadline:
        time.sleep(0.3)
        after = screen(program)
        box = changed_box(before, after, screen_width, (x, y))
    check(box is not None, f"no tooltip at the auxiliary peak ({x}, {y})")
    time.sleep(0.3)  # the tooltip's own fade-in
    text = read_text(screen(program), screen_width, screen_height, box)
    step = peak["step"]
    angle = f"{float(peak['angle_atdc']):.2f}"
    pressure = f"{float(peak['aux_pressure']):.2f}"
    for expected in ("auxiliary pressure", pressure, f"step {step}", angle):
        check(expected in text, f"the tooltip reads {text!r}, without {expected!r}")
    # Away from every trace the tooltip goes.
    program.session.tool("xdotool", "mousemove", "--window", win, "--sync", *map(str, empty))
    time.sleep(1.0)
    box = changed_box(before, screen(program), screen_width, (x, y))
    check(box is None, f"a tooltip stays over the bore: {box}")


# The explorer's places on the two screens of a lecturer: a laptop's and a large one, in window
# pixels (no window manager: the window at the screen's top left, its height the screen's less
# 48 for a title bar). The timeline's slider; main_compression_ratio's slider handle at 12; the
# Geometry group's title (folded, the timing rows come into sight at 1366 x 768);
# first_merge_atdc's box then.
LAYOUTS = {
    (1366, 768): {"timeline": (1000, 40), "ratio_handle": (1083, 229), "fold": (1000, 190),
                  "merge_box": (1003, 567)},
    (1920, 1200): {"timeline": (1480, 40), "ratio_handle": (1561, 229), "fold": None,
                   "merge_box": (1473, 792)},
}
MERGE_REFUSAL = ("parameters first_split_atdc = -33 and first_merge_atdc = -40 break the rule "
                 "first_split_atdc <= first_merge_atdc")


def column_counts(shot, width, height, left, right, wanted):
    """How many pixels between the columns left and right (fractions of the width) `wanted`
    accepts (r, g, b)."""
    count = 0
    x0, x1 = int(width * left), int(width * right)
    for y in range(height):
        row = shot[3 * width * y + 3 * x0:3 * width * y + 3 * x1]
        for i in range(0, len(row), 3):
            if wanted(row[i], row[i + 1], row[i + 2]):
                count += 1
    return count


def black(r, g, b):
    return r == g == b == 0


def trace(r, g, b):
    """A view's united (blue) or auxiliary (red) trace."""
    return (b > 200 and r < 60 and g < 60) or (r > 200 and g < 60 and b < 60)


def slider_fill(r, g, b):
    return b > r + 60


def view_part(shot, width, height):
    """The middle of the window, where the view is on both screens."""
    x0, x1 = int(width * 0.45), int(width * 0.62)
    return b"".join(shot[3 * (width * y + x0):3 * (width * y + x1)] for y in range(height))


def explore_layout(program, screen):
    """On a laptop's screen and on a large one: the picture, a view and the panel side by side,
    all in sight; a slider dragged by the pointer redraws the view while it moves; a refused
    value's reason shown in full beside its box."""
    if shutil.which("tesseract") is None:
        raise Skip("tesseract is not installed")
    places = LAYOUTS[screen]
    width, height = program.session.window_size(program.window)
    check(width == screen[0] and height <= screen[1], f"the window is {width}x{height}")
    win = str(program.window)
    click_at(program, *places["timeline"])
    program.press("End")  # the whole sweep, held: the view changes only with the engine
    shot = program.wait_until_still(timeout=15.0)
    check(shot is not None, "the explorer never holds still")
    picture = column_counts(shot, width, height, 0, 0.38, black)
    view = column_counts(shot, width, height, 0.42, 0.65, trace)
    panel = column_counts(shot, width, height, 0.75, 1, slider_fill)
    check(picture > 3000, f"the picture's column shows {picture} black pixels")
    check(view > 300, f"the view's column shows {view} pixels of traces")
    check(panel > 500, f"the panel's column shows {panel} pixels of slider")

    # The pointer drags a slider: the view redraws before the button is let go.
    before = view_part(shot, width, height)
    x, y = places["ratio_handle"]
    program.session.tool("xdotool", "mousemove", "--window", win, "--sync", str(x), str(y),
                         "mousedown", "1", "mousemove", "--window", win, "--sync", str(x + 20),
                         str(y), "mousemove", "--window", win, "--sync", str(x + 60), str(y))
    moved = time.monotonic()
    redrawn = program.poll(lambda current: view_part(current, width, height) != before,
                           lambda changed: changed, timeout=5.0)
    waited = time.monotonic() - moved
    program.session.tool("xdotool", "mouseup", "1")
    check(redrawn, "the view did not follow the dragged slider")
    print(f"the view followed the drag after {waited * 1000:.0f} ms (screenshots included)")

    # A value refused: the reason in full beneath its box, wrapped, read off the screen.
    if places["fold"]:
        click_at(program, *places["fold"])
        time.sleep(0.5)
    box = places["merge_box"]
    click_at(program, *box, "click", "--repeat", "2", "1")
    program.press("ctrl+a", "minus", "4", "0")
    time.sleep(1.0)
    shot = program.shot()
    area = (box[0] - 45, box[1] + 10, width - 25, box[1] + 60)
    text = read_text(shot, width, height, area)
    # OCR may put a space where the font leaves a gap (after "_", say): compared without them.
    compact = "".join(text.split())
    for words in (MERGE_REFUSAL[:40], MERGE_REFUSAL[-30:]):
        check("".join(words.split()) in compact,
              f"beneath the box reads {text!r}, without {words!r}")


def scenario_explore_layout_1366(program):
    explore_layout(program, (1366, 768))


def scenario_explore_layout_1920(program):
    explore_layout(program, (1920, 1200))


SCENARIOS = {
    "window": scenario_window,
    "freeze": scenario_freeze,
    "restart": scenario_restart,
    "escape": scenario_escape,
    "double_click": scenario_double_click,
    "close": scenario_close,
    "label_double_click": scenario_label_double_click,
    "other_double_click": scenario_other_double_click,
    "keys_ms_apart": scenario_keys_ms_apart,
    "another_engine": scenario_another_engine,
    "explore_slider": scenario_explore_slider,
    "explore_parameter": scenario_explore_parameter,
    "explore_typing": scenario_explore_typing,
    "explore_hover": scenario_explore_hover,
    "explore_drag": scenario_explore_drag,
    "explore_refusal": scenario_explore_refusal,
    "explore_play_end": scenario_explore_play_end,
    "explore_layout_1366": scenario_explore_layout_1366,
    "explore_layout_1920": scenario_explore_layout_1920,
    "command_line": None,
}
ARGS = {"another_engine": ["--set", "gamma=1.3"], "explore_slider": ["--explore"],
        "explore_parameter": ["--explore"], "explore_typing": ["--explore"],
        "explore_hover": ["--explore"], "explore_drag": ["--explore"],
        "explore_refusal": ["--explore"], "explore_play_end": ["--explore"],
        "explore_layout_1366": ["--explore"], "explore_layout_1920": ["--explore"]}


def main(argv):
    if len(argv) != 3 or argv[2] not in SCENARIOS:
        print(f"usage: {argv[0]} PROGRAM {{{'|'.join(SCENARIOS)}}}", file=sys.stderr)
        return 2
    missing = missing_tools()
    if missing:
        print(f"skipped: {', '.join(missing)} not installed", file=sys.stderr)
        return SKIP
    # CTest stops a test with a signal; leave through the clean-up below.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))

    screen = (1280, 1024)
    if argv[2] == "explore_layout_1366":
        screen = (1366, 768)
    elif argv[2].startswith("explore"):
        screen = EXPLORER_SCREEN
    with XSession(screen) as session:
        if argv[2] == "command_line":
            try:
                check_command_line(argv[1], session)
            except (Failure, RuntimeError) as failure:
                print(f"FAILED: {failure}", file=sys.stderr)
                return 1
            print("command_line: ok")
            return 0
        program = Program(session, argv[1], ARGS.get(argv[2], ()))
        try:
            program.wait_for_window()
            SCENARIOS[argv[2]](program)
        except Skip as reason:
            print(f"skipped: {reason}", file=sys.stderr)
            return SKIP
        except (Failure, RuntimeError) as failure:
            print(f"FAILED: {failure}", file=sys.stderr)
            print(f"--- program output ---\n{program.output()}", file=sys.stderr)
            return 1
        finally:
            program.close()
    print(f"{argv[2]}: ok")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
