#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Tirlink developers
# SPDX-License-Identifier: MIT

"""A user's pointer and keyboard in a Mutter session, through Mutter's remote-desktop service:
the one way to reach a native Wayland client from outside it (python3-gi).

Usage: remote_input.py STEP ...   with Mutter's session bus in DBUS_SESSION_BUS_ADDRESS
  to:X:Y            the pointer to (X, Y) of the screen
  by:DX:DY          the pointer moved by (DX, DY)
  press:left        the left button pressed; release:left released
  key:NAME[+NAME]   keys pressed in turn and released (Shift_L+F10, Down, Return)
  await:PATH:TEXT   waits until TEXT is written to the file PATH after this program started;
                    the step before it is sent again every few seconds meanwhile (an event sent
                    before Mutter's virtual devices exist is lost), until 20 s have passed"""
import os
import sys
import time

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

SERVICE = "org.gnome.Mutter.RemoteDesktop"
BUTTONS = {"left": 0x110}   # the kernel's button codes
KEYS = {"Shift_L": 0xFFE1, "F10": 0xFFC7, "Down": 0xFF54, "Return": 0xFF0D}   # X key symbols

bus = Gio.bus_get_sync(Gio.BusType.SESSION)


def call(path, interface, method, signature=None, *args):
    return bus.call_sync(SERVICE, path, interface, method, GLib.Variant(signature, args) if signature else None,
                         None, Gio.DBusCallFlags.NONE, 20000, None)


# The session lives as long as this connection: every step goes through the one process.
session = call("/org/gnome/Mutter/RemoteDesktop", SERVICE, "CreateSession").unpack()[0]
SESSION = SERVICE + ".Session"
call(session, SESSION, "Start")
time.sleep(0.3)   # Mutter makes its virtual devices after the start: events before them are lost
# What the files that await steps watch held when this program started.
start_sizes = {}
for step in sys.argv[1:]:
    if step.startswith("await:"):
        path = step.split(":")[1]
        start_sizes[path] = os.path.getsize(path) if os.path.exists(path) else 0


def written_since_start(path):
    try:
        with open(path, errors="replace") as f:
            f.seek(start_sizes[path])
            return f.read()
    except OSError:
        return ""


def send(step):
    kind, *values = step.split(":")
    if kind == "to":   # a move far past the top left corner stops there
        call(session, SESSION, "NotifyPointerMotionRelative", "(dd)", -10000.0, -10000.0)
    if kind in ("to", "by"):
        call(session, SESSION, "NotifyPointerMotionRelative", "(dd)", float(values[0]), float(values[1]))
    elif kind in ("press", "release"):
        call(session, SESSION, "NotifyPointerButton", "(ib)", BUTTONS[values[0]], kind == "press")
    elif kind == "key":
        keys = [KEYS[name] for name in values[0].split("+")]
        for key, down in [(k, True) for k in keys] + [(k, False) for k in reversed(keys)]:
            call(session, SESSION, "NotifyKeyboardKeysym", "(ub)", key, down)
            time.sleep(0.03)
    time.sleep(0.03)


previous = None
for step in sys.argv[1:]:
    if step.startswith("await:"):
        _, path, text = step.split(":", 2)
        deadline = time.time() + 20
        resend = time.time() + 3
        while text not in written_since_start(path):
            if time.time() > deadline:
                sys.exit("%r was not written to %s" % (text, path))
            if previous and time.time() > resend:
                send(previous)
                resend = time.time() + 3
            time.sleep(0.05)
    else:
        send(step)
        previous = step
call(session, SESSION, "Stop")
