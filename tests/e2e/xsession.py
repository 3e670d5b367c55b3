"""A private X session for the real-window checks: Xvfb and a window manager, the
program's windows read through python-xlib, input sent with xdotool.

Waiting: `wait_until(state, probe)` polls a probe. A probe returns something
true once the state has come and None or False while it has not; an error of
a tool or of the X server (a window that went away between two requests) also
means "not yet". A `Failure` raised inside a probe is a failed check and ends
the wait at once with its own message."""

import os
import shutil
import subprocess
import time

from PIL import Image
from Xlib import X, Xatom, display as xdisplay, error as xerror
from Xlib.protocol import event


DOUBLE_CLICK_INTERVAL = 0.5


class Failure(Exception):
    pass


class NotYet(Exception):
    """A tool or the X server could not answer yet."""


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_until(state, probe, timeout=10.0, interval=0.05):
    deadline = time.monotonic() + timeout
    while True:
        try:
            value = probe()
        except (NotYet, xerror.XError):
            value = None
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure("%s did not come within %.0f s" % (state, timeout))
        time.sleep(interval)


class Session:
    def __init__(self, workdir, lang="C.UTF-8", wm="openbox"):
        self.workdir = workdir
        self.lang = lang
        self.wm = wm
        self.procs = []
        self.x = None
        self.last_click = -DOUBLE_CLICK_INTERVAL

    def start(self):
        read_fd, write_fd = os.pipe()
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.procs.append(xvfb)
        os.close(write_fd)
        number = b""
        while not number.endswith(b"\n"):
            piece = os.read(read_fd, 16)
            if not piece:
                break
            number += piece
        os.close(read_fd)
        check(number.strip().isdigit(), "Xvfb did not report a display number (%r)" % number)
        self.display = ":" + number.strip().decode()

        home = os.path.join(self.workdir, "home")
        runtime = os.path.join(self.workdir, "runtime")
        os.makedirs(os.path.join(home, ".config"), exist_ok=True)
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": home,
            "XDG_CONFIG_HOME": os.path.join(home, ".config"),
            "XDG_CACHE_HOME": os.path.join(home, ".cache"),
            "XDG_RUNTIME_DIR": runtime,
            "DISPLAY": self.display,
            "LANG": self.lang,
            "QT_QPA_PLATFORM": "xcb",
            "SDL_AUDIODRIVER": "dummy",
        }
        for name in ("ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"):
            if name in os.environ:
                self.env[name] = os.environ[name]
        self.x = xdisplay.Display(self.display)
        self.root = self.x.screen().root
        self.atom = lambda name: self.x.intern_atom(name)
        self.procs.append(subprocess.Popen([self.wm, "--sm-disable"], env=self.env,
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        wait_until(self.wm + " managing the screen", self._wm_ready, timeout=15)
        # The first key from xdotool's XTEST keyboard makes the server's core keyboard
        # change device; openbox answers that change by dropping all its key bindings and
        # grabbing them anew, and alt+F4 pressed in between reaches the program instead of
        # openbox. So one key that nothing binds first, then a request that the window
        # manager answers only after it has dealt with what came before.
        self.xdo("key", "shift")
        self.wm_round_trip()

    def _wm_ready(self):
        check(self.procs[-1].poll() is None, self.wm + " exited")
        return self.root.get_full_property(self.atom("_NET_SUPPORTING_WM_CHECK"), Xatom.WINDOW)

    def wm_round_trip(self):
        """Asks the window manager for the frame of a window it does not manage and waits
        for the answer; asked again while none comes, as a request made while it is still
        starting can go unanswered."""
        probe = self.root.create_window(-10, -10, 1, 1, 0, X.CopyFromParent)
        request = event.ClientMessage(window=probe, client_type=self.atom(
            "_NET_REQUEST_FRAME_EXTENTS"), data=(32, [0, 0, 0, 0, 0]))

        def answered():
            if self._property(probe.id, "_NET_FRAME_EXTENTS"):
                return True
            self.root.send_event(request, event_mask=X.SubstructureRedirectMask
                                 | X.SubstructureNotifyMask)
            self.x.flush()
            return False
        wait_until(self.wm + " answering a request", answered, timeout=15, interval=0.2)
        probe.destroy()
        self.x.flush()

    def stop(self):
        if self.x is not None:
            self.x.close()
        for proc in reversed(self.procs):
            if proc.poll() is None:
                proc.terminate()
                try:
                    proc.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait()

    # Windows ---------------------------------------------------------------
    def _property(self, window, name, kind=X.AnyPropertyType):
        prop = self.x.create_resource_object("window", window).get_full_property(
            self.atom(name), kind)
        return None if prop is None else prop.value

    def stacking(self):
        """Managed windows, bottom first."""
        return list(self._property(self.root, "_NET_CLIENT_LIST_STACKING") or [])

    def windows_of(self, pid):
        """The program's visible windows: managed ones bottom first, then popups."""
        found = []
        candidates = self.stacking() + [w.id for w in self.root.query_tree().children]
        for w in candidates:
            if w in found:
                continue
            try:
                window = self.x.create_resource_object("window", w)
                if window.get_attributes().map_state != X.IsViewable:
                    continue
                owner = self._property(w, "_NET_WM_PID", Xatom.CARDINAL)
            except xerror.XError:
                continue
            if owner is not None and owner[0] == pid:
                found.append(w)
        return found

    def name_of(self, window):
        name = self._property(window, "_NET_WM_NAME")
        return name.decode("utf-8") if isinstance(name, bytes) else (name or "")

    def find_window(self, pid, title):
        return next((w for w in self.windows_of(pid) if self.name_of(w) == title), None)

    def geometry(self, window):
        """The client area on the screen: (x, y, width, height)."""
        w = self.x.create_resource_object("window", window)
        at = self.root.translate_coords(w, 0, 0)
        size = w.get_geometry()
        return at.x, at.y, size.width, size.height

    def frame_extents(self, window):
        """left, right, top, bottom; raises NotYet before openbox frames the window."""
        value = self._property(window, "_NET_FRAME_EXTENTS", Xatom.CARDINAL)
        if value is None or len(value) != 4:
            raise NotYet()
        return tuple(value)

    def outer_place(self, window):
        x, y, _, _ = self.geometry(window)
        left, _, top, _ = self.frame_extents(window)
        return x - left, y - top

    def states(self, window):
        return {self.x.get_atom_name(a) for a in self._property(window, "_NET_WM_STATE") or []}

    def allowed_actions(self, window):
        return {self.x.get_atom_name(a)
                for a in self._property(window, "_NET_WM_ALLOWED_ACTIONS") or []}

    def active(self):
        value = self._property(self.root, "_NET_ACTIVE_WINDOW", Xatom.WINDOW)
        return value[0] if value else None

    def has_focus(self, window):
        """The window is active and holds the X keyboard focus (itself or a child)."""
        if self.active() != window:
            return False
        focus = self.x.get_input_focus().focus
        while not isinstance(focus, int) and focus.id != self.root.id:
            if focus.id == window:
                return True
            focus = focus.query_tree().parent
        return False

    def grab(self, x, y, width, height):
        raw = self.root.get_image(x, y, width, height, X.ZPixmap, 0xFFFFFFFF).data
        return Image.frombytes("RGB", (width, height), raw, "raw", "BGRX")

    def clipboard(self, timeout=1.0):
        """The text on the CLIPBOARD, or None when no owner answers in time."""
        selection, target = self.atom("CLIPBOARD"), self.atom("UTF8_STRING")
        if self.x.get_selection_owner(selection) == X.NONE:
            return None
        me = self.root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
        try:
            me.convert_selection(selection, target, self.atom("TT_CLIP"), X.CurrentTime)
            self.x.flush()
            deadline = time.monotonic() + timeout
            while time.monotonic() < deadline:
                while self.x.pending_events():
                    event = self.x.next_event()
                    if event.type == X.SelectionNotify and event.requestor == me:
                        if event.property == X.NONE:
                            return None
                        value = me.get_full_property(event.property, X.AnyPropertyType)
                        return value.value.decode("utf-8") if value else None
                time.sleep(0.01)
            return None
        finally:
            me.destroy()
            self.x.flush()

    def send_delete_window(self, window):
        """What a window manager sends to close a window: WM_PROTOCOLS / WM_DELETE_WINDOW."""
        w = self.x.create_resource_object("window", window)
        w.send_event(event.ClientMessage(window=w, client_type=self.atom("WM_PROTOCOLS"),
                                         data=(32, [self.atom("WM_DELETE_WINDOW"), X.CurrentTime,
                                                    0, 0, 0])))
        self.x.flush()

    # Input -----------------------------------------------------------------
    def xdo(self, *args):
        done = subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env,
                              capture_output=True, timeout=20)
        if done.returncode != 0:
            raise NotYet("xdotool %s: %s" % (" ".join(map(str, args)), done.stderr.decode()))
        return done.stdout.decode()

    def pointer(self):
        p = self.root.query_pointer()
        return p.root_x, p.root_y

    def move_pointer(self, x, y):
        self.xdo("mousemove", x, y)
        wait_until("the pointer at (%d, %d)" % (x, y), lambda: self.pointer() == (x, y))

    def click(self, x, y, button=1, repeat=1):
        """Clicks; a click that comes too soon after the one before would join it into a
        double click (the toolkit's interval is 400 ms), so it waits that long first."""
        self.move_pointer(x, y)
        time.sleep(max(0.0, self.last_click + DOUBLE_CLICK_INTERVAL - time.monotonic()))
        self.xdo("click", "--repeat", repeat, button)
        self.last_click = time.monotonic()

    def park_pointer(self):
        self.move_pointer(1200, 1000)

    def focus(self, window):
        """Activates a window and waits until it holds the keyboard focus."""
        def probe():
            if self.has_focus(window):
                return True
            self.xdo("windowactivate", window)
            return False
        wait_until("the keyboard focus on window 0x%x" % window, probe, interval=0.2)

    def type_into_focused_field(self, text, window):
        """Types text into the field that has the focus in `window`, and reads it
        back (select all, copy) until the field holds exactly that text."""
        def probe():
            self.focus(window)
            self.xdo("key", "ctrl+a")
            self.xdo("type", "--delay", 10, text)
            self.xdo("key", "ctrl+a", "ctrl+c")
            return self.clipboard() == text
        wait_until("the text field of window 0x%x holding %r" % (window, text), probe,
                   interval=0.3)


def missing_tools(wm):
    return [t for t in ("Xvfb", wm, "xdotool") if shutil.which(t) is None]
