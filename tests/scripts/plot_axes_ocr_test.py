#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Each view that hcci-cycle-export plots carries numbers on its axes, as OCR reads them.

Usage: plot_axes_ocr_test.py EXPORT_PROGRAM
Exits 0 when every view's numbers are read, 1 when one is missing, 77 without tesseract.
"""
import os
import shutil
import subprocess
import sys
import tempfile

# What each view's axes must show for the default engine: its titles and tick numbers.
# (OCR reads a minus sign poorly, so the angles are looked for by their digits.)
EXPECTED = {
    "pressure-angle": ["crank angle", "180", "90", "150", "100", "30", "15"],
    "log-pv": ["volume", "litres", "100", "10", "0.1"],
    "heat-release": ["crank angle", "30", "20", "150", "125", "0.2", "1.2"],
    "temperature-angle": ["crank angle", "150", "120", "2000", "1500"],
}


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    if shutil.which("tesseract") is None or shutil.which("convert") is None:
        print("skipped: tesseract or ImageMagick's convert is not installed", file=sys.stderr)
        return 77
    failed = False
    with tempfile.TemporaryDirectory() as work:
        for view, wanted in EXPECTED.items():
            png = os.path.join(work, f"{view}.png")
            subprocess.run([argv[1], "plot", "--view", view, "-o", png], check=True, timeout=60)
            big = os.path.join(work, f"{view}-big.png")
            subprocess.run(["convert", png, "-resize", "200%", "-colorspace", "Gray", big],
                           check=True, timeout=60)
            # Sparse text: tick numbers stand alone, beside the plot, under it, in its legend.
            read = subprocess.run(["tesseract", big, "-", "--psm", "11"], check=True,
                                  capture_output=True, text=True, timeout=60).stdout
            words = [w.lstrip("-\u2212\u201c") for w in read.split()]
            missing = [w for w in wanted if (w not in words if w[0].isdigit() else w not in read)]
            if missing:
                failed = True
                print(f"{view}: OCR did not read {missing} in:\n{read}", file=sys.stderr)
            else:
                print(f"{view}: ok")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
