# SPDX-License-Identifier: MIT
"""Small regions of a window read straight from the X server, in milliseconds."""

import ctypes
import hashlib
import time


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_char)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int)]


class Pixels:
    """Reads small regions of a window straight from the X server (milliseconds a read)."""

    def __init__(self, display_name, window):
        self.x = ctypes.CDLL("libX11.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XGetImage.restype = ctypes.POINTER(XImage)
        self.x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                     ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x.XDestroyImage.argtypes = [ctypes.POINTER(XImage)]
        self.x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.display = self.x.XOpenDisplay(display_name.encode())
        if not self.display:
            raise RuntimeError("cannot open " + display_name)
        self.window = window

    def region(self, x, y, w, h):
        image = self.x.XGetImage(self.display, self.window, x, y, w, h, 0xFFFFFFFF, 2)
        if not image:
            return b""
        data = ctypes.string_at(image.contents.data, image.contents.bytes_per_line * h)
        self.x.XDestroyImage(image)
        return data

    def pixel(self, x, y):
        data = self.region(x, y, 1, 1)
        return tuple(data[2::-1]) if len(data) >= 3 else None  # BGRX → RGB

    def digest(self, rect):
        return hashlib.sha1(self.region(*rect)).digest()

    def close(self):
        if self.display:
            self.x.XCloseDisplay(self.display)
            self.display = None


def wait_until_still(read, quiet_s, limit_s, poll_s=0.002):
    """Waits until read() has not changed for quiet_s; returns the time of its last change."""
    last = read()
    last_change = time.monotonic()
    deadline = last_change + limit_s
    while time.monotonic() < deadline:
        time.sleep(poll_s)
        value = read()
        now = time.monotonic()
        if value != last:
            last, last_change = value, now
        elif now - last_change >= quiet_s:
            return last_change
    raise RuntimeError(f"the picture never came to rest within {limit_s} s")
