"""The program under test in a folder of its own (its settings file is
written beside it), and the pictures the checks make and compare with."""

import glob
import os
import shutil
import subprocess

from PIL import Image

from design import CLIENT_SIZE, MAIN_TITLE, MODEL, PANEL_TITLE
from xsession import Failure, check, wait_until

WHITE = (255, 255, 255)
PICTURES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources",
                        "pictures")


def read_picture(name):
    """One of the program's own pictures as the screen shows it: on white."""
    picture = Image.open(os.path.join(PICTURES, name)).convert("RGBA")
    white = Image.new("RGBA", picture.size, WHITE + (255,))
    return Image.alpha_composite(white, picture).convert("RGB")


def row_colour(y, seed):
    """A colour of its own for every row of a generated strip picture."""
    return ((y * 7 + seed) % 256, (y // 32) * 16 + 30, 255 - (y % 32) * 6)


def write_strip(path, width, height, seed):
    picture = Image.new("RGB", (width, height))
    picture.putdata([row_colour(y, seed) for y in range(height) for _ in range(width)])
    picture.save(path)


def share_matching(shot, box, expected, origin=(0, 0)):
    """Share of the pixels of box (x, y, width, height) in shot equal to
    expected.getpixel at the same place less origin."""
    x0, y0, w, h = box
    got, want = shot.load(), expected.load()
    same = sum(got[x, y] == want[x - origin[0], y - origin[1]]
               for y in range(y0, y0 + h) for x in range(x0, x0 + w))
    return same / (w * h)


def settings(main=(0, 0), panel=(0, 6000), sign0="", step0=1, board=(8910, 1605),
             board_shown=True, frame_shown=True, front_speed=1000, middle_speed=6000):
    def truth(v):
        return "#TRUE#" if v else "#FALSE#"
    return [str(main[0]), str(main[1]), str(panel[0]), str(panel[1]), '"%s"' % sign0, '""',
            str(step0), "1", '""', str(board[0]), str(board[1]), truth(board_shown),
            truth(frame_shown), str(front_speed), str(middle_speed), "0"]


def split_fields(line):
    fields, current, quoted = [], "", False
    for ch in line:
        if ch == '"':
            quoted = not quoted
        if ch == "," and not quoted:
            fields.append(current)
            current = ""
        else:
            current += ch
    return fields + [current]


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
        self.log = os.path.join(folder, "stderr.txt")
        self.proc = None

    def write_settings(self, fields):
        with open(self.ini, "wb") as f:
            f.write((",".join(fields) + "\r\n").encode("utf-8"))

    def saved_fields(self):
        data = open(self.ini, "rb").read()
        check(data.endswith(b"\r\n") and data.count(b"\n") == 1 and data.count(b"\r") == 1,
              "the settings file is not one line ended by CR LF: %r" % data)
        fields = split_fields(data[:-2].decode("utf-8"))
        check(len(fields) == 16, "the settings line has %d fields: %r" % (len(fields), data))
        return fields

    def start(self):
        # Without a settings file of its own the panel goes under the main window, once the
        # window manager has told the program the height of the main window's frame.
        placed_by_file = os.path.isfile(self.ini)
        with open(self.log, "wb") as log:
            self.proc = subprocess.Popen([self.exe], cwd=self.folder, env=self.session.env,
                                         stdout=subprocess.DEVNULL, stderr=log)
        s = self.session

        def both_windows_framed():
            check(self.proc.poll() is None, "the program ended with %s" % self.proc.returncode)
            self.main = s.find_window(self.proc.pid, MAIN_TITLE)
            self.panel = s.find_window(self.proc.pid, PANEL_TITLE)
            if not (self.main and self.panel):
                return False
            s.frame_extents(self.main), s.frame_extents(self.panel)
            return True

        try:
            wait_until("the main window and the panel, framed by the window manager", both_windows_framed,
                       timeout=45)
        except Failure as e:
            seen = [(s.name_of(w), s._property(w, "_NET_FRAME_EXTENTS"))
                    for w in s.windows_of(self.proc.pid)]
            raise Failure("%s; its windows (title, frame): %r; the window manager %s; %s" % (
                e, seen, "running" if s.procs[-1].poll() is None else "ended", self.backtrace()))
        if not placed_by_file:
            wait_until("the panel just below the main window's frame", self.panel_below_main)
        s.park_pointer()

    def panel_below_main(self):
        s = self.session
        x, y, _, height = s.geometry(self.main)
        _, _, _, bottom = s.frame_extents(self.main)
        return s.outer_place(self.panel) == (s.outer_place(self.main)[0], y + height + bottom)

    def client(self):
        return self.session.geometry(self.main)

    def grab_client(self):
        x, y, _, _ = self.client()
        return self.session.grab(x, y, *CLIENT_SIZE)

    def click_client(self, cx, cy, button=1, repeat=1):
        x, y, _, _ = self.client()
        self.session.click(x + cx, y + cy, button, repeat)

    def click_panel(self, px, py):
        x, y, _, _ = self.session.geometry(self.panel)
        self.session.click(x + px, y + py)

    def dialog(self, title=None):
        """Waits for a visible window of the program other than its main window
        and panel (with that title, if given)."""
        def probe():
            for w in self.session.windows_of(self.proc.pid):
                name = self.session.name_of(w)
                if w not in (self.main, self.panel) and name and title in (None, name):
                    return w
            return None
        return wait_until("the dialog %s" % (title or "window"), probe)

    def gone(self, window):
        return lambda: window not in self.session.windows_of(self.proc.pid)

    def wait_exit(self, after):
        try:
            code = self.proc.wait(timeout=15)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end after %s; %s" % (after, self.hang_report()))
        check(code == 0, "the program ended with status %d after %s" % (code, after))

    def close(self):
        """Alt+F4 on the main window, as a user closes it."""
        self.session.focus(self.main)
        self.session.xdo("key", "alt+F4")
        self.wait_exit("alt+F4 on its main window")

    def hang_report(self):
        """Which of its windows are still there, and where each thread of the program waits."""
        s = self.session
        titles = [s.name_of(w) for w in s.windows_of(self.proc.pid)]
        active = s.active()
        report = "its windows: %r, the active window: %r, the window manager offers on the main window %s" % (
            titles, s.name_of(active) if active else None, sorted(s.allowed_actions(self.main)))
        report += "; " + self.backtrace()
        s.send_delete_window(self.main)
        try:
            self.proc.wait(timeout=5)
            return report + "\nWM_DELETE_WINDOW sent by the driver then closed it"
        except subprocess.TimeoutExpired:
            return report + "\nWM_DELETE_WINDOW sent by the driver did not close it either"

    def backtrace(self):
        """Where each thread of the running program waits (with gdb, when there is one)."""
        if not shutil.which("gdb"):
            return "no gdb for a backtrace"
        done = subprocess.run(["gdb", "-p", str(self.proc.pid), "-batch", "-nx",
                               "-ex", "thread apply all bt 12"],
                              capture_output=True, text=True, timeout=60)
        return "\n" + "\n".join(line for line in done.stdout.splitlines()
                                 if line.startswith(("#", "Thread")))

    def kill(self):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()

    def stderr(self):
        return open(self.log, errors="replace").read() if os.path.exists(self.log) else ""

