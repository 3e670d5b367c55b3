#!/usr/bin/env python3
"""Real-window end-to-end checks of TT04K0007 under Xvfb and openbox.

Usage: run_e2e.py --program PATH --libdir DIR SCENARIO...

Every scenario copies the program and the maker library into a fresh folder
(so the settings file TT04K0007.ini is written there), starts it on a private
X server with a window manager, drives it with xdotool and reads the screen
with ImageMagick's import. Every wait polls a condition with a deadline.
"""

import argparse
import glob
import math
import os
import shutil
import signal
import socket
import stat
import struct
import subprocess
import sys
import tempfile
import time
import traceback
import zlib

MODEL = "TT04K0007"
MAIN_TITLE = "トトラ　-　" + MODEL
PANEL_TITLE = "設定パネル"
VERSION_TITLE = "トトラのバージョン情報"
CLIENT_W, CLIENT_H = 868, 254
PANEL_W, PANEL_H = 265, 144
HERE = os.path.dirname(os.path.abspath(__file__))
PICTURES = os.path.join(HERE, "..", "..", "resources", "pictures")

# Places on the coach, in client pixels.
DOOR_X, DOOR_Y, DOOR_W, DOOR_H = 18, 55, 77, 181
DOOR_TRAVEL = 66
# The front door's outline in door-box pixels: the door box shows the coach
# outside it, and the doorway and the leaf inside it.
DOOR_OUTLINE = [(24, 0), (76, 0), (76, 180), (5, 172), (2, 156), (0, 136), (0, 97), (10, 45)]
SIGN_X, SIGN_Y, SIGN_W, SIGN_H = 157, 117, 50, 19
BOARD_X, BOARD_Y, BOARD_W, BOARD_H = 594, 107, 94, 30   # the signboard's reset place
WHITE = (255, 255, 255)
FRAME_FILL = (0xE0, 0xE0, 0xE0)
# Places on the control panel, in client pixels (FrameA at (2, 5)).
CHECK1_CENTRE = (2 + 5 + 24, 5 + 11 + 17)
COMMAND3_CENTRE = (2 + 153 + 50, 5 + 105 + 12)

TOOLS = ("Xvfb", "openbox", "xdotool", "xwininfo", "xprop", "convert")


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_until(what, probe, timeout=10.0, interval=0.05):
    """Poll probe() until it returns something true; return that value."""
    deadline = time.monotonic() + timeout
    last = None
    while True:
        try:
            last = probe()
        except Failure:
            last = None
        if last:
            return last
        if time.monotonic() > deadline:
            raise Failure("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(interval)


# --------------------------------------------------------------------------
# Pictures: PPM from ImageMagick, PNG and BMP written here.

class Image:
    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.data[i:i + 3])


def parse_ppm(blob):
    fields, pos = [], 0
    while len(fields) < 4:
        while blob[pos:pos + 1].isspace():
            pos += 1
        if blob[pos:pos + 1] == b"#":
            pos = blob.index(b"\n", pos)
            continue
        end = pos
        while not blob[end:end + 1].isspace():
            end += 1
        fields.append(blob[pos:end])
        pos = end
    pos += 1
    check(fields[0] == b"P6" and fields[3] == b"255", "unexpected PPM header %r" % fields)
    width, height = int(fields[1]), int(fields[2])
    data = blob[pos:pos + 3 * width * height]
    check(len(data) == 3 * width * height, "short PPM data")
    return Image(width, height, data)


def read_picture(path):
    out = subprocess.run(["convert", path, "-background", "white", "-alpha", "remove",
                          "-depth", "8", "ppm:-"], check=True, capture_output=True).stdout
    return parse_ppm(out)


def row_colour(y, seed):
    """A colour of its own for every row of a generated strip picture."""
    return ((y * 7 + seed) % 256, (y // 32) * 16 + 30, 255 - (y % 32) * 6)


def write_png(path, width, height, colour_of_row):
    raw = bytearray()
    for y in range(height):
        raw.append(0)
        raw += bytes(colour_of_row(y)) * width

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(bytes(raw))))
        f.write(chunk(b"IEND", b""))


def write_bmp(path, width, height, colour_of_row):
    stride = (3 * width + 3) & ~3
    rows = bytearray()
    for y in reversed(range(height)):
        r, g, b = colour_of_row(y)
        rows += bytes((b, g, r)) * width + b"\0" * (stride - 3 * width)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + rows)


class XScreen:
    """Screen contents through a plain X11 connection (GetImage on the root
    window): far quicker than an image tool per screenshot, so that a
    moving door can be watched."""

    def __init__(self, display):
        number = display.lstrip(":").split(".")[0]
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect("/tmp/.X11-unix/X" + number)
        self.sock.sendall(struct.pack("<BxHHHHxx", 0x6C, 11, 0, 0, 0))
        head = self._read(8)
        body = self._read(struct.unpack_from("<H", head, 6)[0] * 4)
        check(head[0] == 1, "the X server refused the connection: %r" % body[:head[1]])
        vendor_len, = struct.unpack_from("<H", body, 16)
        n_formats = body[21]
        check(body[22] == 0, "the X server sends images most significant byte first")
        at = 32 + ((vendor_len + 3) & ~3)
        formats = {}
        for i in range(n_formats):
            depth, bpp, _pad = struct.unpack_from("<BBB", body, at + 8 * i)
            formats[depth] = bpp
        at += 8 * n_formats
        self.root, = struct.unpack_from("<I", body, at)
        depth = body[at + 38]
        check(depth == 24 and formats.get(24) == 32,
              "expected a 24-bit screen in 32-bit pixels, got depth %d" % depth)

    def _read(self, n):
        data = bytearray()
        while len(data) < n:
            piece = self.sock.recv(n - len(data))
            check(piece, "the X server closed the connection")
            data += piece
        return bytes(data)

    def grab(self, x, y, width, height):
        self.sock.sendall(struct.pack("<BBHIhhHHI", 73, 2, 5, self.root,
                                      x, y, width, height, 0xFFFFFFFF))
        head = self._read(32)
        while head[0] & 0x7F >= 2:  # an event sent to every client (MappingNotify)
            head = self._read(32)
        check(head[0] == 1, "GetImage of %dx%d+%d+%d failed: %r" % (width, height, x, y, head))
        data = self._read(struct.unpack_from("<I", head, 4)[0] * 4)
        rgb = bytearray(3 * width * height)
        rgb[0::3] = data[2::4][:width * height]
        rgb[1::3] = data[1::4][:width * height]
        rgb[2::3] = data[0::4][:width * height]
        return Image(width, height, bytes(rgb))

    def close(self):
        self.sock.close()


# --------------------------------------------------------------------------
# The X session: Xvfb + openbox.

class Session:
    def __init__(self, workdir):
        self.workdir = workdir
        self.procs = []
        self.display = None
        self.env = None
        self.screen = None

    def start(self):
        read_fd, write_fd = os.pipe()
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.procs.append(xvfb)
        os.close(write_fd)
        number = b""
        deadline = time.monotonic() + 15
        while not number.endswith(b"\n"):
            check(time.monotonic() < deadline and xvfb.poll() is None,
                  "Xvfb did not report a display number")
            piece = os.read(read_fd, 16)
            if not piece:
                break
            number += piece
        os.close(read_fd)
        check(number.strip().isdigit(), "Xvfb did not start (got %r)" % number)
        self.display = ":" + number.strip().decode()

        home = os.path.join(self.workdir, "home")
        runtime = os.path.join(self.workdir, "runtime")
        os.makedirs(os.path.join(home, ".config"), exist_ok=True)
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": home,
            "XDG_CONFIG_HOME": os.path.join(home, ".config"),
            "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
            "XDG_CACHE_HOME": os.path.join(home, ".cache"),
            "XDG_RUNTIME_DIR": runtime,
            "DISPLAY": self.display,
            "LANG": "C.UTF-8",
            "QT_QPA_PLATFORM": "xcb",
            "SDL_AUDIODRIVER": "dummy",
        }
        # A sanitizer build's options reach the program under test.
        for name in ("ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"):
            if name in os.environ:
                self.env[name] = os.environ[name]
        self.procs.append(subprocess.Popen(
            ["openbox", "--sm-disable"], env=self.env,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        wait_until("openbox to manage the screen", self._wm_ready, timeout=15)

    def _wm_ready(self):
        check(self.procs[-1].poll() is None, "openbox exited")
        out = self.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check_rc=False)
        return "window id" in out

    def stop(self):
        if self.screen is not None:
            self.screen.close()
        for proc in reversed(self.procs):
            if proc.poll() is None:
                proc.terminate()
                try:
                    proc.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait()

    def run(self, argv, check_rc=True):
        done = subprocess.run(argv, env=self.env, capture_output=True, timeout=20)
        if check_rc and done.returncode != 0:
            raise Failure("%s failed: %s" % (" ".join(argv), done.stderr.decode(errors="replace")))
        return done.stdout.decode("utf-8", errors="replace")

    def xdo(self, *args):
        return self.run(["xdotool"] + [str(a) for a in args])

    # Windows -------------------------------------------------------------
    def windows_of(self, pid):
        out = self.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)], check_rc=False)
        return [int(w) for w in out.split()]

    def name_of(self, window):
        return self.run(["xdotool", "getwindowname", str(window)], check_rc=False).rstrip("\n")

    def find_window(self, pid, title):
        for w in self.windows_of(pid):
            if self.name_of(w) == title:
                return w
        return None

    def geometry(self, window):
        """Client area on the screen: (x, y, width, height)."""
        out = self.run(["xwininfo", "-id", str(window)])
        values = {}
        for line in out.splitlines():
            key, _, value = line.strip().partition(":")
            values[key] = value.strip()
        return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
                int(values["Width"]), int(values["Height"]))

    def frame_extents(self, window):
        out = self.run(["xprop", "-id", str(window), "_NET_FRAME_EXTENTS"])
        check("=" in out, "no frame extents on window %d: %s" % (window, out))
        left, right, top, bottom = (int(v) for v in out.split("=", 1)[1].split(","))
        return left, right, top, bottom

    def wm_state(self, window):
        return self.run(["xprop", "-id", str(window), "_NET_WM_STATE"])

    # Screen ----------------------------------------------------------------
    def grab(self, x, y, width, height):
        if self.screen is None:
            self.screen = XScreen(self.display)
        return self.screen.grab(x, y, width, height)

    # Input -----------------------------------------------------------------
    def pointer(self):
        out = self.xdo("getmouselocation", "--shell")
        values = dict(line.split("=", 1) for line in out.split())
        return int(values["X"]), int(values["Y"])

    def move_pointer(self, x, y):
        # "mousemove --sync" waits for a motion, and none comes when the
        # pointer is there already: move, then poll the pointer instead.
        self.xdo("mousemove", x, y)
        wait_until("the pointer at (%d, %d)" % (x, y), lambda: self.pointer() == (x, y))

    def click(self, x, y, button=1, repeat=1):
        self.move_pointer(x, y)
        self.xdo("click", "--repeat", repeat, button)

    def park_pointer(self):
        self.move_pointer(1200, 1000)


# --------------------------------------------------------------------------
# The program under test.

class Program:
    def __init__(self, session, program, libdir, folder):
        self.session = session
        self.folder = folder
        os.makedirs(folder, exist_ok=True)
        self.exe = os.path.join(folder, os.path.basename(program))
        if not os.path.exists(self.exe):
            shutil.copy2(program, self.exe)
            libs = glob.glob(os.path.join(libdir, "Vellum3Res.*"))
            check(libs, "no maker library Vellum3Res.* in " + libdir)
            for lib in libs:
                shutil.copy2(lib, folder)
        self.ini = os.path.join(folder, MODEL + ".ini")
        self.proc = None
        self.main = self.panel = None

    def write_settings(self, fields):
        check(len(fields) == 16, "a settings line has 16 fields")
        with open(self.ini, "wb") as f:
            f.write((",".join(fields) + "\r\n").encode("utf-8"))

    def start(self):
        self.stderr = open(os.path.join(self.folder, "stderr.txt"), "wb")
        self.proc = subprocess.Popen([self.exe], cwd=self.folder, env=self.session.env,
                                     stdout=subprocess.DEVNULL, stderr=self.stderr)

        def both_windows():
            check(self.proc.poll() is None, "the program exited with %s" % self.proc.returncode)
            self.main = self.session.find_window(self.proc.pid, MAIN_TITLE)
            self.panel = self.session.find_window(self.proc.pid, PANEL_TITLE)
            return self.main and self.panel

        wait_until("the main window and the panel", both_windows, timeout=20)
        wait_until("the main window to be framed",
                   lambda: self.session.frame_extents(self.main) and True)
        self.session.park_pointer()

    def client(self):
        return self.session.geometry(self.main)

    def grab_client(self):
        x, y, _, _ = self.client()
        return self.session.grab(x, y, CLIENT_W, CLIENT_H)

    def click_client(self, cx, cy, button=1, repeat=1):
        x, y, _, _ = self.client()
        self.session.click(x + cx, y + cy, button, repeat)

    def click_panel(self, px, py):
        x, y, _, _ = self.session.geometry(self.panel)
        self.session.click(x + px, y + py)

    def wait_active(self, window):
        wait_until("window %d to be active" % window,
                   lambda: self.session.xdo("getactivewindow").strip() == str(window))

    def close(self):
        """Alt+F4 on the main window, as a user closes it; wait for the exit."""
        s = self.session
        s.xdo("windowactivate", self.main)
        self.wait_active(self.main)
        s.xdo("key", "alt+F4")
        try:
            code = self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not exit after alt+F4 on its main window")
        check(code == 0, "the program exited with status %d" % code)

    def kill(self):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        if self.proc:
            self.stderr.close()

    def wait_for_dialog(self, title, timeout=10):
        return wait_until("a window titled " + title,
                          lambda: self.session.find_window(self.proc.pid, title), timeout)

    def wait_for_dialog_other(self, timeout=10):
        """A visible window of the program other than the main window and the panel."""
        def probe():
            for w in self.session.windows_of(self.proc.pid):
                if w not in (self.main, self.panel) and self.session.name_of(w):
                    return w
            return None
        return wait_until("a dialog window", probe, timeout)


def split_fields(line):
    fields, current, quoted = [], "", False
    for ch in line:
        if ch == '"':
            quoted = not quoted
            current += ch
        elif ch == "," and not quoted:
            fields.append(current)
            current = ""
        else:
            current += ch
    fields.append(current)
    return fields


def settings(main=(0, 0), panel=(0, 6000), sign0="", step0=1, board=(8910, 1605),
             board_shown=True, frame_shown=True, front_speed=1000, middle_speed=6000):
    def truth(v):
        return "#TRUE#" if v else "#FALSE#"
    return [str(main[0]), str(main[1]), str(panel[0]), str(panel[1]),
            '"%s"' % sign0, '""', str(step0), "1", '""', str(board[0]), str(board[1]),
            truth(board_shown), truth(frame_shown), str(front_speed), str(middle_speed), "0"]


def outline_distance(px, py, outline):
    """Distance from (px, py) to the outline's edge: positive inside it."""
    inside, nearest = False, float("inf")
    for (x0, y0), (x1, y1) in zip(outline, outline[1:] + outline[:1]):
        if (y0 > py) != (y1 > py) and px < x0 + (py - y0) * (x1 - x0) / (y1 - y0):
            inside = not inside
        dx, dy = x1 - x0, y1 - y0
        t = max(0.0, min(1.0, ((px - x0) * dx + (py - y0) * dy) / (dx * dx + dy * dy)))
        nearest = min(nearest, math.hypot(px - x0 - t * dx, py - y0 - t * dy))
    return nearest if inside else -nearest


def outline_distances(outline, width, height):
    """outline_distance for the centre of every pixel of a width x height box."""
    return {(x, y): outline_distance(x + 0.5, y + 0.5, outline)
            for y in range(height) for x in range(width)}


def share_matching(image, region, expected, ox=0, oy=0):
    """Share of pixels in region (x0, y0, x1, y1 inclusive, in image
    coordinates) equal to expected(x - ox, y - oy)."""
    x0, y0, x1, y1 = region
    same = total = 0
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            total += 1
            same += image.pixel(x, y) == expected(x - ox, y - oy)
    return same / total


# --------------------------------------------------------------------------
# Scenarios. Each receives (session, make_program) and raises Failure.

def scenario_startup(session, make_program):
    app = make_program("first-start")
    check(not os.path.exists(app.ini), "a settings file exists before the first start")
    app.start()
    check(session.name_of(app.main) == MAIN_TITLE, "main window caption")
    mx, my, mw, mh = app.client()
    check((mw, mh) == (CLIENT_W, CLIENT_H), "main client is %dx%d, not 868x254" % (mw, mh))
    px, py, pw, ph = session.geometry(app.panel)
    check((pw, ph) == (PANEL_W, PANEL_H), "panel client is %dx%d, not 265x144" % (pw, ph))
    ml, mr, mt, mb = session.frame_extents(app.main)
    pl, pr, pt, pb = session.frame_extents(app.panel)
    main_outer_left, main_outer_bottom = mx - ml, my + mh + mb
    panel_outer_left, panel_outer_top = px - pl, py - pt
    check(abs(main_outer_left) <= 3 and abs(my - mt) <= 3,
          "main window's frame is at (%d, %d), not the screen's corner" % (mx - ml, my - mt))
    check(abs(panel_outer_left - main_outer_left) <= 3
          and abs(panel_outer_top - main_outer_bottom) <= 3,
          "panel frame at (%d, %d), main frame ends at left %d, bottom %d"
          % (panel_outer_left, panel_outer_top, main_outer_left, main_outer_bottom))
    wait_until("the panel to stay above other windows",
               lambda: "_NET_WM_STATE_ABOVE" in session.wm_state(app.panel))
    check("_NET_WM_STATE_ABOVE" not in session.wm_state(app.main),
          "the main window is kept above others too")
    actions = session.run(["xprop", "-id", str(app.main), "_NET_WM_ALLOWED_ACTIONS"])
    for action in ("_NET_WM_ACTION_RESIZE", "_NET_WM_ACTION_MAXIMIZE_HORZ",
                   "_NET_WM_ACTION_MAXIMIZE_VERT"):
        check(action not in actions, "the window manager offers %s on the main window" % action)

    # The coach is painted: compare a roof strip with the coach picture.
    coach = read_picture(os.path.join(PICTURES, "coach.png"))
    shot = app.grab_client()
    share = share_matching(shot, (200, 0, 860, 40), coach.pixel)
    check(share > 0.98, "the coach picture is not shown (%.0f%% match)" % (100 * share))

    app.close()
    check(os.path.exists(app.ini), "no settings file after closing")
    data = open(app.ini, "rb").read()
    check(data.endswith(b"\r\n") and data.count(b"\n") == 1 and data.count(b"\r") == 1,
          "settings file is not one CRLF-ended line: %r" % data)
    fields = split_fields(data[:-2].decode("utf-8"))
    check(len(fields) == 16, "settings line has %d fields: %r" % (len(fields), data))
    check(fields[11:13] == ["#TRUE#", "#TRUE#"] and fields[13:16] == ["1000", "6000", "0"],
          "unexpected first-start settings %r" % fields)
    check(fields[9:11] == ["8910", "1605"], "signboard not saved at its reset place: %r" % fields)


def scenario_restart(session, make_program):
    """Every field of a settings file is read at start-up and written back in
    its own place; window places follow the user."""
    app = make_program("restart")
    strip = os.path.join(app.folder, "strip.png")
    write_png(strip, 50, 400, lambda y: row_colour(y, 7))
    written = settings(main=(3000, 2250), panel=(7500, 9000), sign0=strip, step0=7,
                       board=(9300, 1500), board_shown=True, frame_shown=False,
                       front_speed=1234, middle_speed=4321)
    app.write_settings(written)
    app.start()

    def outer_place(window):
        x, y, _, _ = session.geometry(window)
        left, _, top, _ = session.frame_extents(window)
        return x - left, y - top

    def near(place, expected):
        return abs(place[0] - expected[0]) <= 3 and abs(place[1] - expected[1]) <= 3

    check(near(outer_place(app.main), (200, 150)),
          "main window at %r, not at (200, 150) from the file" % (outer_place(app.main),))
    check(near(outer_place(app.panel), (500, 600)),
          "panel at %r, not at (500, 600) from the file" % (outer_place(app.panel),))
    wait_until("the sign picture from the file", lambda: all(
        app.grab_client().pixel(SIGN_X + 25, SIGN_Y + k) == row_colour(k, 7)
        for k in range(SIGN_H)), timeout=5)

    session.xdo("windowmove", app.main, 260, 180)
    session.xdo("windowmove", app.panel, 420, 640)

    def moved_from(window, start):
        return lambda: (lambda p: None if near(p, start) else p)(outer_place(window))

    main_at = wait_until("the main window to move", moved_from(app.main, (200, 150)))
    panel_at = wait_until("the panel to move", moved_from(app.panel, (500, 600)))
    app.close()
    fields = split_fields(open(app.ini, "rb").read().decode("utf-8").rstrip("\r\n"))
    places = [int(float(f)) for f in fields[:4]]
    check(near((places[0] / 15, places[1] / 15), main_at)
          and near((places[2] / 15, places[3] / 15), panel_at),
          "window places saved as %r; the windows were left at %r and %r"
          % (fields[:4], main_at, panel_at))
    check(fields[4:] == written[4:],
          "fields 5 to 16 read %r and were saved as %r" % (written[4:], fields[4:]))

    again = make_program("restart")
    again.start()
    check(near(outer_place(again.main), main_at) and near(outer_place(again.panel), panel_at),
          "the windows left at %r and %r came back at %r and %r"
          % (main_at, panel_at, outer_place(again.main), outer_place(again.panel)))
    again.close()
    resaved = split_fields(open(again.ini, "rb").read().decode("utf-8").rstrip("\r\n"))
    check(resaved == fields, "a start and a quit changed the settings from %r to %r"
          % (fields, resaved))


def scenario_terminate(session, make_program):
    """SIGTERM, as a desktop sends at log-out, saves the settings as closing
    does; a named pipe as the settings file neither hangs the start nor is
    written: the settings go to the user's own file."""
    app = make_program("terminate")
    written = settings(main=(1500, 1200), panel=(1500, 6000), step0=9, board=(9300, 1500),
                       frame_shown=False, front_speed=2500, middle_speed=700)
    app.write_settings(written)
    app.start()
    os.remove(app.ini)
    app.proc.send_signal(signal.SIGTERM)
    try:
        code = app.proc.wait(timeout=10)
    except subprocess.TimeoutExpired:
        raise Failure("the program did not end after SIGTERM")
    check(code == 0, "the program ended with status %d after SIGTERM" % code)
    check(os.path.exists(app.ini), "SIGTERM did not save the settings")
    fields = split_fields(open(app.ini, "rb").read().decode("utf-8").rstrip("\r\n"))
    check(fields[4:] == written[4:], "SIGTERM saved %r, not %r" % (fields[4:], written[4:]))

    piped = make_program("pipe")
    os.mkfifo(piped.ini)
    piped.start()
    piped.close()
    check(stat.S_ISFIFO(os.lstat(piped.ini).st_mode), "the pipe was replaced")
    per_user = os.path.join(session.env["XDG_CONFIG_HOME"], "Totora", MODEL, MODEL + ".ini")
    check(os.path.exists(per_user), "no settings in the user's own folder " + per_user)
    os.remove(per_user)


def scenario_door(session, make_program):
    app = make_program("door")
    app.write_settings(settings(front_speed=1))
    app.start()
    leaf = read_picture(os.path.join(PICTURES, "door_leaf.png"))
    doorway = read_picture(os.path.join(PICTURES, "doorway.png"))
    coach = read_picture(os.path.join(PICTURES, "coach.png"))
    # A rectangle well inside the door outline, in door-box pixels.
    inner = (26, 3, 74, 168)
    # Pixels near the outline's edge may go either way; the rest must not.
    margin = 1.5
    distance = outline_distances(DOOR_OUTLINE, DOOR_W, DOOR_H)
    inside = [p for p, d in distance.items() if d >= margin]
    outside = [p for p, d in distance.items() if d <= -margin]

    def leaf_at(shot, left):
        x0, y0, x1, y1 = inner
        return share_matching(shot, (left + x0, DOOR_Y + y0, left + x1, DOOR_Y + y1),
                              leaf.pixel, left, DOOR_Y)

    def doorway_shown(shot):
        # The part of the doorway that the open leaf uncovers.
        return share_matching(shot, (DOOR_X + 26, DOOR_Y + 3, DOOR_X + 64, DOOR_Y + 168),
                              doorway.pixel, DOOR_X, DOOR_Y)

    def outside_is_coach(shot):
        for x, y in outside:
            at = (DOOR_X + x, DOOR_Y + y)
            check(shot.pixel(*at) == coach.pixel(*at),
                  "the door box shows a pixel outside its outline at %r" % (at,))

    def inside_is_door(shot, left):
        """Inside the outline: the leaf, itself cut to the outline, with its
        left edge at `left`; the doorway where the leaf is not."""
        wrong = []
        for x, y in inside:
            lx = DOOR_X + x - left
            on_leaf = distance.get((lx, y), -margin)
            if -margin < on_leaf < margin:
                continue
            want = leaf.pixel(lx, y) if on_leaf >= margin else doorway.pixel(x, y)
            got = shot.pixel(DOOR_X + x, DOOR_Y + y)
            if max(abs(a - b) for a, b in zip(got, want)) > 3:  # the screen's rounding
                wrong.append((x, y))
        check(len(wrong) <= len(inside) // 200,
              "%d door pixels inside the outline are wrong, e.g. %r" % (len(wrong), wrong[:3]))

    shot = app.grab_client()
    outside_is_coach(shot)
    inside_is_door(shot, DOOR_X)
    check(leaf_at(shot, DOOR_X) > 0.98, "the closed leaf is not at its place")

    def reaches(open_):
        def probe():
            s = app.grab_client()
            outside_is_coach(s)
            if open_:
                return leaf_at(s, DOOR_X + DOOR_TRAVEL) > 0.98 and doorway_shown(s) > 0.98
            return leaf_at(s, DOOR_X) > 0.98
        return probe

    app.click_panel(*CHECK1_CENTRE)
    session.park_pointer()
    started = time.monotonic()
    wait_until("the front door to open", reaches(True), timeout=30, interval=0.02)
    opened = time.monotonic() - started
    inside_is_door(app.grab_client(), DOOR_X + DOOR_TRAVEL)
    check(opened > 0.9, "the door opened after %.2f s, without its one-second pause" % opened)

    app.click_panel(*CHECK1_CENTRE)
    session.park_pointer()
    wait_until("the front door to close", reaches(False), timeout=30, interval=0.02)
    shot = app.grab_client()
    check(doorway_shown(shot) < 0.5, "the doorway still shows with the door closed")
    inside_is_door(shot, DOOR_X)
    app.close()


def scenario_sign(session, make_program):
    app = make_program("sign")
    strip = os.path.join(app.folder, "strip.png")
    write_png(strip, 50, 400, lambda y: row_colour(y, 0))
    app.write_settings(settings(sign0=strip, step0=19))
    app.start()

    def strip_top(shot):
        """Which picture row shows in the sign window's top row; None for
        the window's white background."""
        rows = []
        for k in range(SIGN_H):
            colours = {shot.pixel(x, SIGN_Y + k) for x in (SIGN_X, SIGN_X + 25, SIGN_X + 49)}
            check(len(colours) == 1, "sign row %d is not one colour: %r" % (k, colours))
            rows.append(colours.pop())
        return rows

    def shows(first_row, seed=0):
        def probe():
            rows = strip_top(app.grab_client())
            if first_row is None:
                return all(c == WHITE for c in rows)
            return rows == [row_colour(first_row + k, seed) for k in range(SIGN_H)]
        return probe

    wait_until("the strip's top rows in the sign window", shows(0), timeout=5)
    app.click_client(SIGN_X + 25, SIGN_Y + 9)
    session.park_pointer()
    app.wait_active(app.main)
    session.xdo("key", "Down")
    wait_until("the strip to roll up by 19", shows(19), timeout=5)
    session.xdo("key", "Down")
    wait_until("the strip to roll up by 38", shows(38), timeout=5)
    session.xdo("key", "Up", "Up")
    wait_until("the strip to come back", shows(0), timeout=5)
    session.xdo("key", "Up")
    wait_until("the window's background above the strip", shows(None), timeout=5)
    session.xdo("key", "Left", "Right", "Next", "Down")
    wait_until("the strip back at its top (other keys do nothing)", shows(0), timeout=5)

    # Choose another picture through the file dialog.
    other = os.path.join(app.folder, "other.bmp")
    write_bmp(other, 50, 60, lambda y: row_colour(y, 101))
    session.xdo("key", "Down")
    wait_until("the strip to roll up by 19", shows(19), timeout=5)
    app.click_client(SIGN_X + 25, SIGN_Y + 9, repeat=2)
    dialog = app.wait_for_dialog_other()
    app.wait_active(dialog)
    session.xdo("type", "--delay", 20, other)
    session.xdo("key", "Return")
    wait_until("the file dialog to close",
               lambda: dialog not in session.windows_of(app.proc.pid), timeout=10)
    session.park_pointer()
    wait_until("the chosen picture from its top", shows(0, seed=101), timeout=5)
    app.close()
    fields = split_fields(open(app.ini, "rb").read().decode("utf-8").rstrip("\r\n"))
    check(fields[4] == '"%s"' % other and fields[6] == "19",
          "sign picture and step not saved: %r" % fields)


def scenario_menu(session, make_program):
    app = make_program("menu")
    app.start()
    coach = read_picture(os.path.join(PICTURES, "coach.png"))
    board = (BOARD_X, BOARD_Y, BOARD_X + BOARD_W - 1, BOARD_Y + BOARD_H - 1)

    def white(shot, region):
        return share_matching(shot, region, lambda x, y: WHITE) == 1.0

    def coach_shows(shot, region):
        return share_matching(shot, region, coach.pixel) > 0.98

    left_post = (BOARD_X - 3, BOARD_Y + 10)      # inside the left post's border
    bar = (BOARD_X + 6, BOARD_Y + BOARD_H + 1)     # inside the bottom bar

    def frame_in_place(shot):
        check(shot.pixel(*left_post) == FRAME_FILL and shot.pixel(*bar) == FRAME_FILL,
              "the signboard's frame is not at its place")

    shot = app.grab_client()
    check(white(shot, board), "the signboard is not at its reset place")
    frame_in_place(shot)

    def choose_first_item():
        before = set(session.windows_of(app.proc.pid))
        app.click_client(400, 10, button=3)
        # Click the first item: the menu opens with its top-left corner at
        # the pointer, and a click reaches it even before it grabs the keyboard.
        menu, = wait_until("the popup menu", lambda: set(session.windows_of(app.proc.pid)) - before)
        mx, my, mw, mh = session.geometry(menu)
        check(mw > 60 and mh > 5 * 16, "the popup menu is %dx%d, too small for its items" % (mw, mh))
        session.click(mx + 30, my + 10)
        wait_until("the popup menu to close",
                   lambda: set(session.windows_of(app.proc.pid)) <= before)
        session.park_pointer()

    choose_first_item()
    shot = wait_until("the signboard to hide",
                      lambda: (lambda s: s if coach_shows(s, board) else None)(app.grab_client()))
    frame_in_place(shot)
    choose_first_item()
    shot = wait_until("the signboard to show again",
                      lambda: (lambda s: s if white(s, board) else None)(app.grab_client()))
    frame_in_place(shot)

    # Drag the signboard by (+40, +10).
    x, y, _, _ = app.client()
    grab_x, grab_y = x + BOARD_X + 40, y + BOARD_Y + 15
    session.move_pointer(grab_x, grab_y)
    session.xdo("mousedown", 1)
    for step in range(1, 5):
        session.move_pointer(grab_x + 10 * step, grab_y + int(2.5 * step))
    session.xdo("mouseup", 1)
    session.park_pointer()
    moved = (BOARD_X + 40, BOARD_Y + 10, BOARD_X + 40 + BOARD_W - 1, BOARD_Y + 10 + BOARD_H - 1)
    uncovered = (BOARD_X + 8, BOARD_Y + 2, BOARD_X + 38, BOARD_Y + 8)
    shot = wait_until("the signboard at its new place", lambda: (
        lambda s: s if white(s, moved) and coach_shows(s, uncovered) else None)(app.grab_client()))
    frame_in_place(shot)
    app.close()
    fields = split_fields(open(app.ini, "rb").read().decode("utf-8").rstrip("\r\n"))
    check(fields[9:11] == [str((BOARD_X + 40) * 15), str((BOARD_Y + 10) * 15)],
          "dragged signboard saved at %r" % fields[9:11])


def scenario_version(session, make_program):
    app = make_program("version")
    app.start()
    app.click_panel(*COMMAND3_CENTRE)
    dialog = app.wait_for_dialog(VERSION_TITLE)
    _, _, w, h = session.geometry(dialog)
    check((w, h) == (333, 223), "version dialog client is %dx%d, not 333x223" % (w, h))
    app.wait_active(dialog)
    session.xdo("key", "Return")
    wait_until("the version dialog to close",
               lambda: app.session.find_window(app.proc.pid, VERSION_TITLE) is None)
    # Shown afresh, and closed with its OK button this time.
    app.click_panel(*COMMAND3_CENTRE)
    dialog = app.wait_for_dialog(VERSION_TITLE)
    dx, dy, _, _ = session.geometry(dialog)
    session.click(dx + 238 + 41, dy + 196 + 11)
    wait_until("the version dialog to close on OK",
               lambda: app.session.find_window(app.proc.pid, VERSION_TITLE) is None)
    app.close()


SCENARIOS = {
    "startup": scenario_startup,
    "restart": scenario_restart,
    "terminate": scenario_terminate,
    "door": scenario_door,
    "sign": scenario_sign,
    "menu": scenario_menu,
    "version": scenario_version,
}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--libdir", required=True)
    parser.add_argument("scenarios", nargs="+", choices=sorted(SCENARIOS))
    args = parser.parse_args()

    missing = [t for t in TOOLS if shutil.which(t) is None]
    if missing:
        print("e2e: missing tools: %s (scripts/install-deps.sh installs them)"
              % ", ".join(missing), file=sys.stderr)
        return 1
    if not os.access(args.program, os.X_OK):
        print("e2e: no program at " + args.program, file=sys.stderr)
        return 1

    workdir = tempfile.mkdtemp(prefix="tt-e2e-")
    session = Session(workdir)
    failures = 0
    try:
        session.start()
        print("e2e: X display %s" % session.display)
        for name in args.scenarios:
            programs = []

            def make_program(folder):
                p = Program(session, args.program, args.libdir,
                            os.path.join(workdir, name, folder))
                programs.append(p)
                return p

            began = time.monotonic()
            try:
                SCENARIOS[name](session, make_program)
                print("e2e: %-8s passed in %.1f s" % (name, time.monotonic() - began))
            except Exception as e:  # report every scenario, then fail
                failures += 1
                print("e2e: %-8s FAILED after %.1f s: %s"
                      % (name, time.monotonic() - began, e), file=sys.stderr)
                if not isinstance(e, Failure):
                    traceback.print_exc()
                for p in programs:
                    log = os.path.join(p.folder, "stderr.txt")
                    if os.path.exists(log) and os.path.getsize(log):
                        print("--- program stderr (%s):\n%s" % (p.folder, open(log, errors="replace").read()),
                              file=sys.stderr)
            finally:
                for p in programs:
                    p.kill()
    except Failure as e:
        print("e2e: setup failed: %s" % e, file=sys.stderr)
        failures += 1
    finally:
        session.stop()
        if failures == 0 or not os.environ.get("TT_E2E_KEEP"):
            shutil.rmtree(workdir, ignore_errors=True)
        else:
            print("e2e: kept " + workdir, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
