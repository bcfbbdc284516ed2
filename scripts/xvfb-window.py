#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Drives a program's top-level window on an X display the way a window system would.

  xvfb-window.py close TITLE [ACTION...] [--screenshot FILE] [--timeout S]
      On $DISPLAY: wait until a window titled TITLE is shown, play the actions,
      optionally save a PNG of it, then ask it to close (WM_DELETE_WINDOW).
  xvfb-window.py show TITLE [ACTION...] [--screenshot FILE] [--timeout S]
      The same without closing the window: the actions may close it themselves.
  xvfb-window.py run TITLE [ACTION...] [--screenshot FILE] [--timeout S] -- PROGRAM [ARGS...]
      The same on a private Xvfb that lives as long as the program; exits with
      the program's exit code.

Actions, played in order through the XTEST extension, with window coordinates:
  --click X,Y      left click; a negative X or Y counts from the right or bottom edge
  --type TEXT      type the characters of TEXT (letters, digits, punctuation)
  --key NAME       press a key by X keysym name, "+" joining held modifiers
                   (Return, Tab, Control_L+a)

Prints the window's id and size once it is shown. Needs python3-xlib only.
"""

import argparse
import os
import struct
import subprocess
import sys
import tempfile
import time
import zlib

try:
    from Xlib import X, Xatom, display as xdisplay, error as xerror, protocol
except ImportError:
    sys.exit("xvfb-window.py: python3-xlib is missing (apt-get install python3-xlib)")


def window_title(disp, win):
    utf8 = disp.intern_atom("UTF8_STRING")
    prop = win.get_full_property(disp.intern_atom("_NET_WM_NAME"), utf8)
    if prop is not None:
        return prop.value.decode("utf-8", "replace")
    prop = win.get_full_property(Xatom.WM_NAME, X.AnyPropertyType)
    if prop is not None:
        return prop.value.decode("latin-1") if isinstance(prop.value, bytes) else str(prop.value)
    return None


def find_window(disp, title):
    """A viewable window titled `title` among the root's children and, should a
    window manager have reparented it, their children."""
    root = disp.screen().root
    for top in root.query_tree().children:
        try:
            for win in [top] + list(top.query_tree().children):
                if win.get_attributes().map_state == X.IsViewable and window_title(disp, win) == title:
                    return win
        except (xerror.BadWindow, xerror.BadDrawable):  # gone while we looked
            continue
    return None


def wait_for_window(disp, title, timeout, alive=lambda: True):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline and alive():
        win = find_window(disp, title)
        if win is not None:
            return win
        time.sleep(0.02)
    return None


def grab_rgb(disp, win):
    geom = win.get_geometry()
    image = win.get_image(0, 0, geom.width, geom.height, X.ZPixmap, 0xFFFFFFFF)
    bpp = next(f.bits_per_pixel for f in disp.display.info.pixmap_formats if f.depth == image.depth)
    if bpp != 32:
        raise SystemExit("xvfb-window.py: only 24-bit visuals with 32-bit pixels are supported, got %d" % bpp)
    data = image.data if isinstance(image.data, bytes) else image.data.encode("latin-1")
    stride = len(data) // geom.height
    lsb_first = disp.display.info.image_byte_order == X.LSBFirst
    r, g, b = (2, 1, 0) if lsb_first else (1, 2, 3)
    rows = []
    for y in range(geom.height):
        row = data[y * stride : y * stride + geom.width * 4]
        rgb = bytearray(geom.width * 3)
        rgb[0::3] = row[r::4]
        rgb[1::3] = row[g::4]
        rgb[2::3] = row[b::4]
        rows.append(bytes(rgb))
    return geom.width, geom.height, rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + row for row in rows)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    with open(path, "wb") as f:
        f.write(png)


def settled_grab(disp, win, timeout):
    """Grabs the window once it shows drawn content and two grabs in a row
    agree: the program's event loop has then painted its first frame, so it is
    running and will handle what a user does next."""
    deadline = time.monotonic() + timeout
    last = None
    while time.monotonic() < deadline:
        time.sleep(0.1)
        shot = grab_rgb(disp, win)
        drawn = len(set(shot[2])) > 1  # a blank window is one row repeated
        if drawn and shot == last:
            break
        last = shot
    return last


# Keysym names of the punctuation that timecode text uses; the shifted ones on a US layout.
PUNCTUATION = {" ": "space", ":": "colon", ";": "semicolon", ".": "period", ",": "comma", "-": "minus"}
SHIFTED = ":"


def play(disp, win, actions):
    from Xlib import XK
    from Xlib.ext import xtest

    def tap(names):
        codes = []
        for name in names:
            code = disp.keysym_to_keycode(XK.string_to_keysym(name))
            if not code:
                raise SystemExit("xvfb-window.py: no key for %r" % name)
            codes.append(code)
        for code in codes:
            xtest.fake_input(disp, X.KeyPress, code)
        for code in reversed(codes):
            xtest.fake_input(disp, X.KeyRelease, code)
        disp.sync()
        time.sleep(0.02)

    for kind, value in actions:
        if kind == "click":
            x, y = (int(v) for v in value.split(","))
            geom = win.get_geometry()
            x, y = x + geom.width if x < 0 else x, y + geom.height if y < 0 else y
            origin = win.translate_coords(disp.screen().root, 0, 0)
            xtest.fake_input(disp, X.MotionNotify, x=x - origin.x, y=y - origin.y)
            xtest.fake_input(disp, X.ButtonPress, 1)
            xtest.fake_input(disp, X.ButtonRelease, 1)
            disp.sync()
            time.sleep(0.1)
        elif kind == "type":
            for ch in value:
                name = PUNCTUATION.get(ch, ch)
                tap(["Shift_L", name] if ch.isupper() or ch in SHIFTED else [name])
        elif kind == "key":
            tap(value.split("+"))
    time.sleep(0.1)


def send_close(disp, win):
    protocols = disp.intern_atom("WM_PROTOCOLS")
    delete = disp.intern_atom("WM_DELETE_WINDOW")
    event = protocol.event.ClientMessage(window=win, client_type=protocols, data=(32, [delete, X.CurrentTime, 0, 0, 0]))
    win.send_event(event, event_mask=X.NoEventMask)
    # A round trip, not just a flush: the server has then handled the request
    # before this process (and its connection) can go away.
    disp.sync()


def drive_window(disp, title, timeout, screenshot, actions=(), alive=lambda: True, close=True):
    win = wait_for_window(disp, title, timeout, alive)
    if win is None:
        print("xvfb-window.py: no window titled %r shown within %g s" % (title, timeout), file=sys.stderr)
        return False
    geom = win.get_geometry()
    print("window 0x%x %dx%d" % (win.id, geom.width, geom.height), flush=True)
    # A window manager sends nothing before the user can see the window; nor do we.
    settled_grab(disp, win, timeout)
    if actions:
        play(disp, win, actions)
    if screenshot:
        write_png(screenshot, *settled_grab(disp, win, timeout))
    if close:
        send_close(disp, win)
    return True


def start_xvfb():
    read_fd, write_fd = os.pipe()
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_fd), "-nolisten", "tcp", "-screen", "0", "1280x800x24"],
        pass_fds=(write_fd,),
        stdout=subprocess.DEVNULL,
        stderr=subprocess.DEVNULL,
    )
    os.close(write_fd)
    with os.fdopen(read_fd) as pipe:
        number = pipe.readline().strip()
    if not number:
        xvfb.kill()
        sys.exit("xvfb-window.py: Xvfb did not start")
    return xvfb, ":" + number


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("mode", choices=["close", "show", "run"])
    parser.add_argument("title")
    parser.add_argument("--screenshot", metavar="FILE")
    parser.add_argument("--timeout", type=float, default=20.0)
    for kind in ("click", "type", "key"):
        parser.add_argument("--" + kind, dest="actions", action="append", type=lambda v, k=kind: (k, v))
    argv, program = sys.argv[1:], []
    if "--" in argv:
        cut = argv.index("--")
        argv, program = argv[:cut], argv[cut + 1 :]
    args = parser.parse_args(argv)

    if args.mode in ("close", "show"):
        disp = xdisplay.Display()
        shown = drive_window(
            disp, args.title, args.timeout, args.screenshot, args.actions or (), close=args.mode == "close"
        )
        return 0 if shown else 1

    if not program:
        parser.error("run needs a program after --")
    xvfb, name = start_xvfb()
    try:
        env = dict(os.environ, DISPLAY=name, QT_QPA_PLATFORM="xcb")
        env.pop("WAYLAND_DISPLAY", None)
        if "XDG_RUNTIME_DIR" not in env:
            runtime_dir = tempfile.TemporaryDirectory(prefix="horodex-")
            env["XDG_RUNTIME_DIR"] = runtime_dir.name
        child = subprocess.Popen(program, env=env)
        disp = xdisplay.Display(name)
        alive = lambda: child.poll() is None
        if not drive_window(disp, args.title, args.timeout, args.screenshot, args.actions or (), alive):
            child.kill()
            child.wait()
            return 1
        try:
            code = child.wait(timeout=args.timeout)
        except subprocess.TimeoutExpired:
            print("xvfb-window.py: the program did not end after its window was closed", file=sys.stderr)
            child.kill()
            child.wait()
            return 1
        if code != 0:
            print("xvfb-window.py: the program ended with code %d after its window was closed" % code, file=sys.stderr)
        return code if code >= 0 else 128 - code
    finally:
        xvfb.terminate()
        xvfb.wait()


if __name__ == "__main__":
    sys.exit(main())
