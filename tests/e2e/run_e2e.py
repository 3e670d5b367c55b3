"""Real-window checks of the program under Xvfb and openbox (or metacity, which
honours the title-bar hints that openbox ignores).

Usage: run_e2e.py [--wm openbox|metacity] --program PATH --libdir DIR SCENARIO...

Each scenario runs copies of the program in fresh folders on one private X
session and raises Failure naming the state that did not come."""

import argparse
import math
import os
import shutil
import signal
import stat
import sys
import tempfile
import time
import traceback

try:
    from PIL import Image
    import Xlib  # noqa: F401
except ImportError as missing:
    sys.exit("e2e: %s (scripts/install-deps.sh installs python3-pil and python3-xlib)" % missing)

import design as d
from program import (WHITE, Program, read_picture, row_colour, settings, share_matching,
                     write_strip)
from xsession import Failure, Session, check, missing_tools, wait_until


def near(place, expected, slack=3):
    return abs(place[0] - expected[0]) <= slack and abs(place[1] - expected[1]) <= slack


def scenario_startup(session, make_program):
    app = make_program("first-start")
    check(not os.path.exists(app.ini), "a settings file exists before the first start")
    app.start()
    _, _, mw, mh = app.client()
    check((mw, mh) == d.CLIENT_SIZE, "the main window's client is %dx%d" % (mw, mh))
    _, _, pw, ph = session.geometry(app.panel)
    check((pw, ph) == d.PANEL_SIZE, "the panel's client is %dx%d" % (pw, ph))
    main_at = session.outer_place(app.main)
    check(near(main_at, (0, 0)), "the main window's frame is at %r, not the corner" % (main_at,))
    wait_until("the panel kept above other windows",
               lambda: "_NET_WM_STATE_ABOVE" in session.states(app.panel))
    check("_NET_WM_STATE_ABOVE" not in session.states(app.main), "the main window is kept above")
    offered = session.allowed_actions(app.main) & {
        "_NET_WM_ACTION_RESIZE", "_NET_WM_ACTION_MAXIMIZE_HORZ", "_NET_WM_ACTION_MAXIMIZE_VERT"}
    check(not offered, "openbox offers %s on the main window" % sorted(offered))
    roof = (200, 0, 660, 40)
    share = share_matching(app.grab_client(), roof, read_picture("coach.png"))
    check(share > 0.98, "the coach is not shown (%.0f%% of its roof)" % (100 * share))

    app.close()
    check(os.path.exists(app.ini), "no settings file after closing")
    fields = app.saved_fields()
    check(fields[11:] == d.FIRST_START_TAIL and fields[9:11] == d.BOARD_RESET_TWIPS,
          "the first start saved %r" % fields)


def scenario_restart(session, make_program):
    """Every field is read at the start and written back in its place; the
    windows' places follow the user."""
    app = make_program("restart")
    strip = os.path.join(app.folder, "strip.png")
    write_strip(strip, 50, 400, 7)
    written = settings(main=(3000, 2250), panel=(7500, 9000), sign0=strip, step0=7,
                       board=(9300, 1500), frame_shown=False, front_speed=1234,
                       middle_speed=4321)
    app.write_settings(written)
    app.start()
    check(near(session.outer_place(app.main), (200, 150)),
          "the main window is at %r, not at (200, 150)" % (session.outer_place(app.main),))
    check(near(session.outer_place(app.panel), (500, 600)),
          "the panel is at %r, not at (500, 600)" % (session.outer_place(app.panel),))
    sx, sy, _, sh = d.SIGN_BOX
    wait_until("the sign picture from the file", lambda: all(
        app.grab_client().getpixel((sx + 25, sy + k)) == row_colour(k, 7) for k in range(sh)))

    session.xdo("windowmove", app.main, 260, 180)
    session.xdo("windowmove", app.panel, 420, 640)
    main_at = wait_until("the main window moved", lambda: (
        lambda p: None if near(p, (200, 150)) else p)(session.outer_place(app.main)))
    panel_at = wait_until("the panel moved", lambda: (
        lambda p: None if near(p, (500, 600)) else p)(session.outer_place(app.panel)))
    app.close()
    fields = app.saved_fields()
    places = [int(f) / d.TWIPS_PER_PIXEL for f in fields[:4]]
    check(near(places[:2], main_at) and near(places[2:], panel_at),
          "places saved as %r; the windows were at %r and %r" % (fields[:4], main_at, panel_at))
    check(fields[4:] == written[4:], "fields 5 to 16 read %r, saved %r" % (written[4:], fields[4:]))

    again = make_program("restart")
    again.start()
    check(near(session.outer_place(again.main), main_at)
          and near(session.outer_place(again.panel), panel_at),
          "the windows left at %r and %r did not come back there" % (main_at, panel_at))
    again.close()
    check(again.saved_fields() == fields, "a start and a quit changed the settings")


def scenario_terminate(session, make_program):
    """SIGTERM (a log-out) saves as closing does; a named pipe as the settings
    file neither hangs the start nor is written: the user's own file is."""
    app = make_program("terminate")
    written = settings(main=(1500, 1200), step0=9, board=(9300, 1500), frame_shown=False,
                       front_speed=2500, middle_speed=700)
    app.write_settings(written)
    app.start()
    os.remove(app.ini)
    app.proc.send_signal(signal.SIGTERM)
    app.wait_exit("SIGTERM")
    check(os.path.exists(app.ini), "SIGTERM did not save the settings")
    check(app.saved_fields()[4:] == written[4:], "SIGTERM saved other settings")

    piped = make_program("pipe")
    os.mkfifo(piped.ini)
    piped.start()
    piped.close()
    check(stat.S_ISFIFO(os.lstat(piped.ini).st_mode), "the named pipe was replaced")
    per_user = os.path.join(session.env["XDG_CONFIG_HOME"], "Totora", d.MODEL, d.MODEL + ".ini")
    check(os.path.exists(per_user), "no settings in the user's own file " + per_user)
    os.remove(per_user)


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


def scenario_door(session, make_program):
    app = make_program("door")
    app.write_settings(settings(front_speed=1))
    app.start()
    leaf, doorway = read_picture("door_leaf.png"), read_picture("doorway.png")
    coach = read_picture("coach.png").load()
    dx, dy, dw, dh = d.DOOR_BOX
    margin = 1.5  # pixels this near the outline may go either way
    distance = {(x, y): outline_distance(x + 0.5, y + 0.5, d.DOOR_OUTLINE)
                for y in range(dh) for x in range(dw)}
    inside = [p for p, v in distance.items() if v >= margin]
    outside = [p for p, v in distance.items() if v <= -margin]

    def leaf_at(shot, left):
        return share_matching(shot, (left + 26, dy + 3, 49, 166), leaf, (left, dy))

    def doorway_shown(shot):
        return share_matching(shot, (dx + 26, dy + 3, 39, 166), doorway, (dx, dy))

    def outside_is_coach(shot):
        px = shot.load()
        for x, y in outside:
            at = (dx + x, dy + y)
            check(px[at] == coach[at], "the door box shows a pixel outside its outline at %r"
                  % (at,))

    def inside_is_door(shot, left):
        px, lf, dw_ = shot.load(), leaf.load(), doorway.load()
        wrong = []
        for x, y in inside:
            lx = dx + x - left
            on_leaf = distance.get((lx, y), -margin)
            if -margin < on_leaf < margin:
                continue
            want = lf[lx, y] if on_leaf >= margin else dw_[x, y]
            if max(abs(a - b) for a, b in zip(px[dx + x, dy + y], want)) > 3:
                wrong.append((x, y))
        check(len(wrong) <= len(inside) // 200,
              "%d door pixels inside the outline are wrong, e.g. %r" % (len(wrong), wrong[:3]))

    def reaches(opened):
        def probe():
            shot = app.grab_client()
            outside_is_coach(shot)
            if opened:
                return leaf_at(shot, dx + d.DOOR_TRAVEL) > 0.98 and doorway_shown(shot) > 0.98
            return leaf_at(shot, dx) > 0.98
        return probe

    shot = app.grab_client()
    outside_is_coach(shot)
    inside_is_door(shot, dx)
    check(leaf_at(shot, dx) > 0.98, "the closed leaf is not at its place")

    app.click_panel(*d.CHECK1_CENTRE)
    started = time.monotonic()
    wait_until("the front door open", reaches(True), timeout=30, interval=0.02)
    took = time.monotonic() - started
    inside_is_door(app.grab_client(), dx + d.DOOR_TRAVEL)
    check(took > 0.9, "the door opened after %.2f s, without its one-second pause" % took)
    app.click_panel(*d.CHECK1_CENTRE)
    wait_until("the front door closed", reaches(False), timeout=30, interval=0.02)
    shot = app.grab_client()
    check(doorway_shown(shot) < 0.5, "the doorway still shows with the door closed")
    inside_is_door(shot, dx)
    session.park_pointer()
    app.close()


def scenario_sign(session, make_program):
    app = make_program("sign")
    strip = os.path.join(app.folder, "strip.png")
    write_strip(strip, 50, 400, 0)
    app.write_settings(settings(sign0=strip, step0=19))
    app.start()
    sx, sy, sw, sh = d.SIGN_BOX

    def shows(first_row, seed=0):
        """The sign shows the strip from first_row down (None: the white
        background above the strip)."""
        def probe():
            px = app.grab_client().load()
            rows = []
            for k in range(sh):
                colours = {px[x, sy + k] for x in (sx, sx + sw // 2, sx + sw - 1)}
                check(len(colours) == 1, "sign row %d is not one colour: %r" % (k, colours))
                rows.append(colours.pop())
            if first_row is None:
                return all(c == WHITE for c in rows)
            return rows == [row_colour(first_row + k, seed) for k in range(sh)]
        return probe

    wait_until("the strip's top rows in the sign", shows(0))
    app.click_client(sx + 25, sy + 9)
    session.park_pointer()
    session.focus(app.main)
    for keys, top, state in ((["Down"], 19, "the strip rolled up by 19"),
                             (["Down"], 38, "the strip rolled up by 38"),
                             (["Up", "Up"], 0, "the strip back at its top"),
                             (["Up"], None, "the background above the strip"),
                             (["Left", "Right", "Next", "Down"], 0,
                              "the strip at its top (other keys do nothing)"),
                             (["Down"], 19, "the strip rolled up by 19 again")):
        session.xdo("key", *keys)
        wait_until(state, shows(top))

    other = os.path.join(app.folder, "other.bmp")
    write_strip(other, 50, 60, 101)
    app.click_client(sx + 25, sy + 9, repeat=2)
    dialog = app.dialog()
    order = session.stacking()
    check(order.index(dialog) > order.index(app.panel),
          "the always-on-top panel covers the file dialog")
    session.type_into_focused_field(other, dialog)
    session.xdo("key", "Return")
    wait_until("the file dialog closed", app.gone(dialog))
    session.park_pointer()
    wait_until("the chosen picture from its top", shows(0, seed=101))
    app.close()
    fields = app.saved_fields()
    check(fields[4] == '"%s"' % other and fields[6] == "19", "the sign saved as %r" % fields[4:7])


def scenario_menu(session, make_program):
    app = make_program("menu")
    app.start()
    coach = read_picture("coach.png")
    bx, by, bw, bh = d.BOARD_RESET_BOX
    white = Image.new("RGB", (1280, 1024), WHITE)

    def frame_in_place(shot):
        post, bar = (bx - 3, by + 10), (bx + 6, by + bh + 1)
        check(shot.getpixel(post) == d.FRAME_FILL and shot.getpixel(bar) == d.FRAME_FILL,
              "the signboard's stand is not at its place")
        return shot

    def board_shows(box, uncovered=None):
        def probe():
            shot = app.grab_client()
            if share_matching(shot, box, white) < 1.0:
                return None
            if uncovered and share_matching(shot, uncovered, coach) < 0.98:
                return None
            return frame_in_place(shot)
        return probe

    def coach_shows(box):
        return lambda: (lambda s: frame_in_place(s) if share_matching(s, box, coach) > 0.98
                        else None)(app.grab_client())

    board = (bx, by, bw, bh)
    frame_in_place(app.grab_client())
    check(board_shows(board)(), "the signboard is not at its reset place")

    def choose_first_item():
        before = set(session.windows_of(app.proc.pid))
        app.click_client(400, 10, button=3)
        menu, = wait_until("the popup menu", lambda: set(session.windows_of(app.proc.pid)) - before)
        x, y, w, h = session.geometry(menu)
        check(w > 60 and h > 5 * 16, "the popup menu is %dx%d, too small for its items" % (w, h))
        session.click(x + 30, y + 10)
        wait_until("the popup menu closed", app.gone(menu))
        session.park_pointer()

    choose_first_item()
    wait_until("the signboard hidden", coach_shows(board))
    choose_first_item()
    wait_until("the signboard shown again", board_shows(board))

    x, y, _, _ = app.client()
    grab = (x + bx + 40, y + by + 15)
    session.move_pointer(*grab)
    session.xdo("mousedown", 1)
    for step in range(1, 5):
        session.move_pointer(grab[0] + 10 * step, grab[1] + int(2.5 * step))
    session.xdo("mouseup", 1)
    session.park_pointer()
    wait_until("the signboard at its new place",
               board_shows((bx + 40, by + 10, bw, bh), uncovered=(bx + 8, by + 2, 31, 7)))
    app.close()
    check(app.saved_fields()[9:11] == [str((bx + 40) * 15), str((by + 10) * 15)],
          "the dragged signboard saved elsewhere")


def scenario_version(session, make_program):
    app = make_program("version")
    app.start()
    app.click_panel(*d.COMMAND3_CENTRE)
    dialog = app.dialog(d.VERSION_TITLE)
    check(session.geometry(dialog)[2:] == d.VERSION_SIZE, "the version dialog's size")
    session.focus(dialog)
    session.xdo("key", "Return")
    wait_until("the version dialog closed by Enter", app.gone(dialog))
    app.click_panel(*d.COMMAND3_CENTRE)
    dialog = app.dialog(d.VERSION_TITLE)
    x, y, _, _ = session.geometry(dialog)
    session.click(x + d.VERSION_OK_CENTRE[0], y + d.VERSION_OK_CENTRE[1])
    wait_until("the version dialog closed by OK", app.gone(dialog))
    session.park_pointer()
    app.close()


def scenario_titlebars(session, make_program):
    """Under a window manager that honours the title-bar hints, each of our windows
    offers closing only: no minimising, no maximising."""
    app = make_program("titlebars")
    app.start()
    app.click_panel(*d.COMMAND3_CENTRE)
    dialog = app.dialog(d.VERSION_TITLE)
    unwanted = {"_NET_WM_ACTION_MINIMIZE", "_NET_WM_ACTION_MAXIMIZE_HORZ",
                "_NET_WM_ACTION_MAXIMIZE_VERT"}
    for window, name in ((app.main, "the main window"), (app.panel, "the panel"),
                         (dialog, "the version dialog")):
        offered = wait_until("%s's actions from %s" % (name, session.wm),
                             lambda: session.allowed_actions(window))
        check("_NET_WM_ACTION_CLOSE" in offered, "%s cannot be closed" % name)
        check(not offered & unwanted, "%s offers %s" % (name, sorted(offered & unwanted)))
    session.send_delete_window(dialog)
    wait_until("the version dialog closed by its close box", app.gone(dialog))
    session.send_delete_window(app.main)
    app.wait_exit("the main window's close box")


SCENARIOS = {f.__name__[len("scenario_"):]: f for f in (
    scenario_startup, scenario_restart, scenario_terminate, scenario_door, scenario_sign,
    scenario_menu, scenario_version, scenario_titlebars)}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--libdir", required=True)
    parser.add_argument("--wm", default="openbox", choices=("openbox", "metacity"))
    parser.add_argument("scenarios", nargs="+", choices=sorted(SCENARIOS))
    args = parser.parse_args()
    if missing_tools(args.wm):
        print("e2e: missing %s (scripts/install-deps.sh installs them)" % missing_tools(args.wm),
              file=sys.stderr)
        return 1

    workdir = tempfile.mkdtemp(prefix="tt-e2e-")
    session = Session(workdir, wm=args.wm)
    failures = 0
    try:
        session.start()
        for name in args.scenarios:
            programs = []

            def make_program(folder):
                programs.append(Program(session, args.program, args.libdir,
                                        os.path.join(workdir, name, folder)))
                return programs[-1]

            began = time.monotonic()
            try:
                SCENARIOS[name](session, make_program)
                print("e2e: %-9s passed in %.1f s" % (name, time.monotonic() - began))
            except Exception as e:
                failures += 1
                print("e2e: %-9s FAILED after %.1f s: %s" % (name, time.monotonic() - began, e),
                      file=sys.stderr)
                if not isinstance(e, Failure):
                    traceback.print_exc()
                for p in programs:
                    if p.stderr():
                        print("--- stderr of %s:\n%s" % (p.folder, p.stderr()), file=sys.stderr)
            finally:
                for p in programs:
                    p.kill()
    except Failure as e:
        print("e2e: the X session did not start: %s" % e, file=sys.stderr)
        failures += 1
    finally:
        session.stop()
        if failures and os.environ.get("TT_E2E_KEEP"):
            print("e2e: kept " + workdir, file=sys.stderr)
        else:
            shutil.rmtree(workdir, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
