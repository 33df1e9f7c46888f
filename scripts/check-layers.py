#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Fails on an include that runs up or sideways against the layers of src/.

Every folder of src/ may include its own headers and those of the folders it lies on, and
nothing else; the core includes no toolkit and nothing of the operating system, so that it
builds wherever standard C++ does. The page's C++ (web/wasm) uses the core only.
Usage: scripts/check-layers.py [SOURCE_ROOT [FOLDER...]]: SOURCE_ROOT is src/, and each FOLDER
beside it (web/) is checked by its own name; with no arguments, the repository's src/ and web/.
"""
import pathlib
import re
import sys

# Each folder and the folders below it that it may use.
CORE = ["core/model", "core/draw", "core/animate", "core/report"]
ALLOWED = {
    "core/model": [],
    "core/draw": ["core/model"],
    "core/animate": ["core/draw", "core/model"],
    "core/report": ["core/animate", "core/draw", "core/model"],
    "qt/text": [],
    "platform": CORE,
    "qt/picture": CORE + ["qt/text"],
    "qt/plot": CORE + ["qt/text"],
    "qt/video": CORE + ["qt/text", "qt/picture", "qt/plot"],
    "apps/window": CORE + ["platform", "qt/text", "qt/picture", "qt/plot", "qt/video"],
    "apps/export": CORE + ["platform", "qt/text", "qt/picture", "qt/plot", "qt/video"],
    "web/wasm": CORE,
}
# What the core may not include: a toolkit (Qt, FFmpeg, and the other windowing and media
# libraries), ...
TOOLKIT = re.compile(r"<(Q[A-Za-z]*|Qt[A-Za-z]*/.*|lib(av|sw)[a-z]*/.*|"
                     r"(gtk|gdk|glib|gio|SDL2?|X11|xcb|wayland|GL|EGL|GLFW|wx|cairo)[-/.].*)>")
# ... nor anything of the operating system's: POSIX, Linux, Windows, and signals in either
# spelling. (<thread>, <mutex> and <atomic> are standard C++, and allowed.)
SYSTEM = re.compile(r"<((unistd|fcntl|signal|pthread|dirent|poll|termios|dlfcn|spawn|sched|"
                    r"semaphore|syslog|pwd|grp|netdb|aio|mqueue|glob|fnmatch|wordexp|err|"
                    r"execinfo|ucontext|utmpx?|windows|winsock2|io|direct|process)\.h|csignal|"
                    r"(sys|linux|asm|arpa|netinet|net|bits)/.*)>")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def folder_named(parts):
    """The layer a path inside src/ lies in: a folder of its own (platform) or one of two
    levels (core/model)."""
    if len(parts) > 1 and parts[0] in ALLOWED:
        return parts[0]
    return "/".join(parts[:2]) if len(parts) > 2 else None


def folder_of(path, root):
    return folder_named(path.relative_to(root).parts)


def problems(root, scanned=None):
    for path in sorted((scanned or root).rglob("*")):
        if path.suffix not in (".h", ".cpp", ".in") or not path.is_file():
            continue
        folder = folder_of(path, root)
        if folder not in ALLOWED:
            yield f"{path}: a source outside the layers ({', '.join(ALLOWED)})"
            continue
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            kind, name = match.groups()
            where = f"{path}:{number}"
            if kind == "<":
                if folder.startswith("core/") and TOOLKIT.match(f"<{name}>"):
                    yield f"{where}: the core includes no toolkit, but this includes <{name}>"
                elif folder.startswith("core/") and SYSTEM.match(f"<{name}>"):
                    yield (f"{where}: the core includes nothing of the operating system "
                           f"(platform/ does), but this includes <{name}>")
                continue
            target = folder_named(name.split("/"))
            if target not in ALLOWED:
                yield (f'{where}: "{name}" does not name its folder '
                       f"(core/..., platform/..., qt/..., apps/..., web/...)")
            elif target != folder and target not in ALLOWED[folder]:
                yield f'{where}: {folder} may not include "{name}": {target} is not below it'


def main():
    repository = pathlib.Path(__file__).resolve().parent.parent
    root = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else repository / "src"
    folders = [pathlib.Path(f) for f in sys.argv[2:]] if len(sys.argv) > 1 else [repository / "web"]
    found = list(problems(root))
    for folder in folders:
        found += problems(folder.resolve().parent, folder.resolve())
    for problem in found:
        print(problem, file=sys.stderr)
    if found:
        print(f"check-layers: {len(found)} include(s) against the layers", file=sys.stderr)
        return 1
    print("check-layers: every include points down")
    return 0


if __name__ == "__main__":
    sys.exit(main())
