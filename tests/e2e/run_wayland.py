#!/usr/bin/env python3
"""Starts the program on a desktop with Wayland and no X server (a headless
weston) and checks that it shows both its windows there and keeps running:
window places and stay-on-top are lost on Wayland, nothing else."""

import argparse
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import time


TITLES = ("トトラ　-　" + "TT04K0007", "設定パネル")


def wait_for(what, probe, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if probe():
            return
        time.sleep(0.05)
    raise RuntimeError("timed out waiting for " + what)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--libdir", required=True)
    args = parser.parse_args()
    if shutil.which("weston") is None:
        print("wayland: weston is missing (scripts/install-deps.sh installs it)", file=sys.stderr)
        return 1

    work = tempfile.mkdtemp(prefix="tt-wayland-")
    runtime = os.path.join(work, "runtime")
    os.makedirs(runtime, mode=0o700)
    folder = os.path.join(work, "program")
    os.makedirs(folder)
    exe = os.path.join(folder, os.path.basename(args.program))
    shutil.copy2(args.program, exe)
    for lib in glob.glob(os.path.join(args.libdir, "Vellum3Res.*")):
        shutil.copy2(lib, folder)

    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "QT_QPA_PLATFORM")}
    env.update(XDG_RUNTIME_DIR=runtime, HOME=work, XDG_CONFIG_HOME=os.path.join(work, "config"),
               SDL_AUDIODRIVER="dummy", LANG="C.UTF-8")
    socket = "wayland-tt"
    compositor = subprocess.Popen(
        ["weston", "--backend=headless-backend.so", "--socket=" + socket, "--idle-time=0",
         "--no-config"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    program = None
    try:
        wait_for("weston's socket", lambda: os.path.exists(os.path.join(runtime, socket)), 15)
        env["WAYLAND_DISPLAY"] = socket
        log = open(os.path.join(work, "stderr.txt"), "wb")
        env["WAYLAND_DEBUG"] = "client"
        program = subprocess.Popen([exe], cwd=folder, env=env, stdout=subprocess.DEVNULL,
                                   stderr=log)

        def alive():
            if program.poll() is not None:
                raise RuntimeError("the program exited with status %d" % program.returncode)

        # WAYLAND_DEBUG makes the client log its protocol traffic: each window
        # is titled, configured by the compositor, then given its first frame.
        def shown():
            alive()
            text = open(os.path.join(work, "stderr.txt"), "rb").read().decode("utf-8", "replace")
            titled = all('set_title("%s")' % t in text for t in TITLES)
            after = text[text.find("xdg_toplevel"):]
            return titled and after.count(".configure(") >= 2 and after.count(".attach(") >= 2

        wait_for("both windows to be shown", shown, 20)
        alive()
        print("wayland: both windows shown on the native Wayland platform")
        return 0
    except RuntimeError as e:
        print("wayland: FAILED: %s" % e, file=sys.stderr)
        path = os.path.join(work, "stderr.txt")
        if os.path.exists(path):
            print("--- program stderr:\n" + open(path, errors="replace").read(), file=sys.stderr)
        return 1
    finally:
        for p in (program, compositor):
            if p and p.poll() is None:
                p.terminate()
                try:
                    p.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    p.kill()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
