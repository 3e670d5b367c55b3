#!/usr/bin/env python3
"""Process start to both windows shown with the heaviest pictures in all three
picture fields of the settings file (the two sign strips and the signboard),
under a private Xvfb and openbox: the pictures allowed at the edge of the work
budget, the hostile ones (tests/fixtures/hostile), and none.

Usage: bench/startup_hostile.py BUILD_DIR"""

import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from PIL import Image  # noqa: E402

import design  # noqa: E402
from program import Program, settings  # noqa: E402
from xsession import Session, wait_until  # noqa: E402


def noise(path, side, **options):
    Image.frombytes("RGB", (side, side), os.urandom(side * side * 3)).save(path, **options)


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
    work = tempfile.mkdtemp(prefix="tt-bench-")
    hostile = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "fixtures", "hostile")
    edge = [os.path.join(work, n) for n in ("edge.jpg", "edge.png", "edge.gif")]
    noise(edge[0], 3000, quality=95, progressive=True)
    noise(edge[1], 4900, compress_level=1)
    Image.frombytes("RGB", (4200, 4200), os.urandom(4200 * 4200 * 3)).convert(
        "P", palette=Image.ADAPTIVE).save(edge[2])
    cases = [
        ("rasters at the edge of the budget", edge, "progressive JPEG 3000 px, PNG 4900 px, GIF 4200 px"),
        ("hostile metafiles", [os.path.join(hostile, n) for n in
                               ("glyphs-300.emf", "region-20000.wmf", "rects-1000.emf")],
         "300 huge glyphs, a region of 20,000 rectangles, 1,000 full-frame rectangles"),
        ("hostile JPEG in every field", [os.path.join(hostile, "scans-3000.jpg")] * 3,
         "8192 px, 3,000 scans: refused"),
        ("no pictures", ["", "", ""], ""),
    ]
    session = Session(work)
    session.start()
    exe, libdir = os.path.join(build, "app", design.MODEL), os.path.join(build, "app")
    try:
        for name, (sign0, sign1, board), beside in cases:
            times = []
            for run in range(5):
                app = Program(session, exe, libdir, os.path.join(work, "%s-%d" % (name[:8], run)))
                fields = settings(sign0=sign0)
                fields[5], fields[8] = '"%s"' % sign1, '"%s"' % board
                app.write_settings(fields)
                began = time.monotonic()
                app.proc = subprocess.Popen([app.exe], cwd=app.folder, env=session.env,
                                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                wait_until("both windows", lambda: session.find_window(app.proc.pid, design.MAIN_TITLE)
                           and session.find_window(app.proc.pid, design.PANEL_TITLE),
                           timeout=60, interval=0.01)
                times.append(time.monotonic() - began)
                app.kill()
            times.sort()
            print("figure\tstart-up, %s\t%.0f ms median\tslowest %.0f ms; %s"
                  % (name, 1000 * times[2], 1000 * times[-1], beside), flush=True)
    finally:
        session.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
