#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""How many packages and megabytes each set of scripts/install-deps.sh adds to a fresh Debian 12.

The fresh system is a minimal one (the packages of priority "required" and apt, as in a
container image of Debian 12), described by a dpkg status file of its own; `apt-get
--simulate` then installs each set on it, as install-deps.sh does (without recommends), and the
sizes are those of the package lists: the download (Size) and the unpacked files
(Installed-Size). Nothing is installed. Needs Debian 12's package lists (`apt-get update`).

usage: scripts/deps-size.py [SET...]   (run and test by default)
"""
import glob
import os
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def package_lists():
    """Every stanza of the binary package lists, by (name, version)."""
    stanzas = {}
    for path in sorted(glob.glob("/var/lib/apt/lists/*_binary-*_Packages*")):
        text = subprocess.run(["/usr/lib/apt/apt-helper", "cat-file", path], check=True,
                              capture_output=True, text=True).stdout
        for block in text.split("\n\n"):
            fields = {}
            for line in block.splitlines():
                if line and not line[0].isspace() and ":" in line:
                    key, value = line.split(":", 1)
                    fields[key] = value.strip()
            if "Package" in fields:
                stanzas[(fields["Package"], fields["Version"])] = (block.strip(), fields)
    return stanzas


def simulate(status, packages):
    """(name, version) of every package `apt-get install` would add to the system in `status`."""
    with tempfile.TemporaryDirectory() as scratch:
        command = ["apt-get", "--simulate", "--no-install-recommends", "--quiet",
                   "-o", f"Dir::State::status={status}",
                   "-o", f"Dir::State::extended_states={scratch}/extended_states",
                   "-o", "Dir::Cache::pkgcache=", "-o", "Dir::Cache::srcpkgcache=",
                   "-o", "APT::Get::Show-Versions=false", "install", *packages]
        out = subprocess.run(command, check=True, capture_output=True, text=True).stdout
    added = []
    for line in out.splitlines():
        if line.startswith("Inst "):
            words = line.split()
            added.append((words[1], words[2].strip("()[]")))
    return added


def write_status(path, installed, stanzas):
    with open(path, "w") as status:
        for key in installed:
            block = stanzas[key][0]
            lines = block.splitlines()
            status.write(lines[0] + "\nStatus: install ok installed\n" + "\n".join(lines[1:]) + "\n\n")


def megabytes(added, stanzas, field, unit):
    return sum(int(stanzas[key][1].get(field, "0")) for key in added) * unit / 1e6


def set_packages(name):
    out = subprocess.run([os.path.join(ROOT, "scripts/install-deps.sh"), "--list", name],
                         check=True, capture_output=True, text=True).stdout
    return out.split()


def main(sets):
    stanzas = package_lists()
    required = sorted({fields["Package"] for _, fields in stanzas.values()
                       if fields.get("Priority") == "required"})
    with tempfile.TemporaryDirectory() as scratch:
        empty = os.path.join(scratch, "empty")
        open(empty, "w").close()
        minimal = os.path.join(scratch, "minimal")
        base = simulate(empty, required + ["apt"])
        write_status(minimal, base, stanzas)
        print(f"a minimal Debian 12: {len(base)} packages, "
              f"{megabytes(base, stanzas, 'Installed-Size', 1024):.0f} MB installed")
        for name in sets:
            added = simulate(minimal, set_packages(name))
            print(f"{name}: {len(added)} packages, "
                  f"{megabytes(added, stanzas, 'Size', 1):.0f} MB to download, "
                  f"{megabytes(added, stanzas, 'Installed-Size', 1024):.0f} MB installed")


if __name__ == "__main__":
    main(sys.argv[1:] or ["run", "test"])
