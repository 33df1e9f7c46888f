# SPDX-License-Identifier: MIT
"""A private Xvfb server and the X tools that drive and watch windows on it."""

import ctypes
import os
import select
import shutil
import signal
import subprocess
import tempfile
import time

REQUIRED_TOOLS = ("Xvfb", "xdotool", "xwininfo", "import")


def missing_tools():
    return [tool for tool in REQUIRED_TOOLS if shutil.which(tool) is None]


def _die_with_parent():
    # A test killed on its timeout takes its server and program with it.
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG


def spawn(args, env, **kwargs):
    return subprocess.Popen(args, env=env, preexec_fn=_die_with_parent, **kwargs)


def rss_kib(pid):
    """The resident memory of a process, in KiB."""
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def stop(process):
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


class XSession:
    """Xvfb on a display number it picks itself (-displayfd), for use in a with block; its
    screen 1280 x 1024 unless another size is asked."""

    def __init__(self, size=(1280, 1024)):
        self.size = size

    def __enter__(self):
        read_end, write_end = os.pipe()
        self.server = spawn(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{self.size[0]}x{self.size[1]}x24",
             "-nolisten", "tcp", "-noreset"],
            env=os.environ, pass_fds=(write_end,),
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        try:
            number = self._read_display_number(read_end)
        except Exception:
            stop(self.server)
            raise
        finally:
            os.close(read_end)
        self.display = ":" + number
        # Settings of the session's own, never the user's: each session starts without any.
        self.config = tempfile.TemporaryDirectory(prefix="hcci-e2e-config-")
        self.env = dict(os.environ, DISPLAY=self.display, XDG_CONFIG_HOME=self.config.name)
        return self

    def __exit__(self, *exc):
        stop(self.server)
        self.config.cleanup()

    def _read_display_number(self, fd, timeout=20.0):
        deadline = time.monotonic() + timeout
        text = b""
        while not text.endswith(b"\n"):
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([fd], [], [], left)[0]:
                raise RuntimeError("Xvfb did not report its display number")
            chunk = os.read(fd, 32)
            if not chunk:
                raise RuntimeError("Xvfb exited before it was ready")
            text += chunk
        return text.decode().strip()

    def tool(self, *args):
        result = subprocess.run(args, env=self.env, capture_output=True, timeout=20)
        if result.returncode != 0:
            raise RuntimeError(f"{' '.join(args)} failed: {result.stderr.decode(errors='replace')}")
        return result.stdout

    def find_window(self, process, timeout=20.0):
        """The visible top-level window of a process, once it is mapped."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if process.poll() is not None:
                raise RuntimeError(f"the program exited with status {process.returncode}")
            found = subprocess.run(
                ["xdotool", "search", "--onlyvisible", "--pid", str(process.pid)],
                env=self.env, capture_output=True, text=True, timeout=20).stdout.split()
            if found:
                return int(found[0])
            time.sleep(0.1)
        raise RuntimeError(f"no window appeared within {timeout} s")

    def wait_for_window_named(self, name, timeout=30.0):
        """A visible window of that name, once it is mapped, or None."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = subprocess.run(
                ["xdotool", "search", "--onlyvisible", "--name", f"^{name}$"],
                env=self.env, capture_output=True, text=True, timeout=20).stdout.split()
            if found:
                return int(found[0])
            time.sleep(0.1)
        return None

    def window_name(self, window):
        # Only the line end goes: the name itself may begin with spaces.
        return self.tool("xdotool", "getwindowname", str(window)).decode().removesuffix("\n")

    def screen_size(self):
        return self.window_size("root")

    def window_size(self, window):
        fields = {}
        which = ["-root"] if window == "root" else ["-id", str(window)]
        for line in self.tool("xwininfo", *which).decode().splitlines():
            key, _, value = line.strip().partition(":")
            fields[key] = value.strip()
        return int(fields["Width"]), int(fields["Height"])

    def press(self, window, *keys, delay_ms=30):
        """Real key events (XTEST) into the window, after giving it the input focus."""
        self.tool("xdotool", "windowfocus", "--sync", str(window), "key", "--delay",
                  str(delay_ms), *keys)

    def double_click(self, window, x, y, button=1):
        """A real double click at client pixel (x, y): button 1 is the primary one, 2 the
        middle one and 3 the secondary one."""
        self.tool("xdotool", "mousemove", "--window", str(window), "--sync", str(x), str(y),
                  "click", "--repeat", "2", "--delay", "60", str(button))

    def screenshot(self, window):
        """The window's pixels as bytes, 3 a pixel (red, green, blue), row by row."""
        return self.tool("import", "-window", str(window), "-depth", "8", "rgb:-")

    def request_close(self, window):
        """What a window manager does when the user closes the window from its frame."""
        send_delete_window(self.display, window)


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    _fields_ = [("xclient", _ClientMessage), ("pad", ctypes.c_long * 24)]


def send_delete_window(display_name, window):
    """Sends the ICCCM WM_PROTOCOLS / WM_DELETE_WINDOW client message to a window."""
    xlib = ctypes.CDLL("libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                ctypes.POINTER(_XEvent)]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]

    display = xlib.XOpenDisplay(display_name.encode())
    if not display:
        raise RuntimeError(f"cannot open display {display_name}")
    try:
        event = _XEvent()
        message = event.xclient
        message.type = 33  # ClientMessage
        message.window = window
        message.message_type = xlib.XInternAtom(display, b"WM_PROTOCOLS", 0)
        message.format = 32
        message.data[0] = xlib.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
        message.data[1] = 0  # CurrentTime
        if not xlib.XSendEvent(display, window, 0, 0, ctypes.byref(event)):
            raise RuntimeError("XSendEvent failed")
    finally:
        xlib.XCloseDisplay(display)  # flushes the request
