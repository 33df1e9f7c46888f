#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The layer check finds each kind of wrong include, and passes a tree that has none."""
import pathlib
import subprocess
import sys
import tempfile
import unittest

CHECK = pathlib.Path(__file__).resolve().parents[2] / "scripts" / "check-layers.py"

# (file, its text, what the check must say; None: nothing to say)
CASES = [
    ("core/model/a.cpp", '#include "core/model/b.h"\n#include <cmath>\n', None),
    ("apps/window/a.cpp", '#include "qt/picture/p.h"\n#include <QWidget>\n', None),
    ("core/model/a.cpp", '#include "core/draw/d.h"\n', "core/draw is not below it"),
    ("core/draw/a.h", '#include "core/animate/x.h"\n', "core/animate is not below it"),
    ("core/report/a.cpp", '#include "qt/picture/image_surface.h"\n', "qt/picture is not below"),
    ("qt/plot/a.cpp", '#include "qt/picture/labels.h"\n', "qt/picture is not below it"),
    ("qt/plot/a.cpp", '#include "qt/text/qt_text.h"\n', None),
    ("qt/text/a.h", '#include "qt/picture/labels.h"\n', "qt/picture is not below it"),
    ("qt/picture/a.cpp", '#include "apps/window/form1.h"\n', "apps/window is not below it"),
    ("apps/export/a.cpp", '#include "apps/window/form1.h"\n', "apps/window is not below it"),
    ("core/animate/a.cpp", '  #  include "sweep.h"\n', "does not name its folder"),
    ("core/draw/a.cpp", "#include <QPainter>\n", "includes no toolkit"),
    ("core/report/a.cpp", "#include <QtCore/QString>\n", "includes no toolkit"),
    ("core/report/a.cpp", "#include <libavcodec/avcodec.h>\n", "includes no toolkit"),
    ("misc/tool/a.cpp", "int x;\n", "outside the layers"),
    # platform/: POSIX for the programs, over the core only.
    ("platform/a.cpp", '#include "core/report/b.h"\n#include <unistd.h>\n#include <sys/stat.h>\n',
     None),
    ("apps/export/a.cpp", '#include "platform/atomic_file.h"\n', None),
    ("apps/window/a.cpp", '#include "platform/parameter_file.h"\n', None),
    ("core/report/a.cpp", '#include "platform/atomic_file.h"\n', "platform is not below it"),
    ("qt/plot/a.cpp", '#include "platform/atomic_file.h"\n', "platform is not below it"),
    ("platform/a.cpp", '#include "qt/picture/labels.h"\n', "qt/picture is not below it"),
    ("platform/a.cpp", '#include "atomic_file.h"\n', "does not name its folder"),
    # Standard C++ and header-only libraries are the core's own, threads included.
    ("core/model/a.cpp", "#include <thread>\n#include <mutex>\n#include <atomic>\n"
     "#include <cstdio>\n#include <fmt/format.h>\n#include <fast_float/fast_float.h>\n", None),
    ("core/draw/a.cpp", "#include <gtk/gtk.h>\n", "includes no toolkit"),
    ("core/draw/a.cpp", "#include <SDL2/SDL.h>\n", "includes no toolkit"),
    ("core/draw/a.cpp", "#include <X11/Xlib.h>\n", "includes no toolkit"),
    # The page's C++ uses the core only, and emscripten's headers.
    ("web/wasm/a.cpp", '#include "core/report/b.h"\n#include "web/wasm/c.h"\n'
     "#include <emscripten/emscripten.h>\n", None),
    ("web/wasm/a.cpp", '#include "qt/picture/labels.h"\n', "qt/picture is not below it"),
    ("web/wasm/a.cpp", '#include "platform/atomic_file.h"\n', "platform is not below it"),
    ("core/report/a.cpp", '#include "web/wasm/page_engine.h"\n', "web/wasm is not below it"),
] + [
    # Nothing of the operating system in the core, in any of its folders.
    (f"core/{folder}/a.h", f"#include <{header}>\n", "nothing of the operating system")
    for folder, header in [
        ("report", "unistd.h"), ("report", "fcntl.h"), ("model", "sys/stat.h"),
        ("model", "sys/types.h"), ("animate", "signal.h"), ("animate", "csignal"),
        ("model", "pthread.h"), ("report", "dirent.h"), ("draw", "poll.h"),
        ("animate", "termios.h"), ("report", "linux/limits.h"), ("report", "windows.h"),
    ]
]


class CheckLayersTest(unittest.TestCase):
    def test_each_case(self):
        for name, text, expected in CASES:
            with self.subTest(file=name, text=text), tempfile.TemporaryDirectory() as root:
                path = pathlib.Path(root, name)
                path.parent.mkdir(parents=True)
                path.write_text(text)
                result = subprocess.run([sys.executable, str(CHECK), root],
                                        capture_output=True, text=True)
                if expected is None:
                    self.assertEqual(result.returncode, 0, result.stderr)
                else:
                    self.assertEqual(result.returncode, 1)
                    self.assertIn(expected, result.stderr)
                    self.assertIn(f"{name}:", result.stderr.replace("\\", "/"))


if __name__ == "__main__":
    unittest.main()
