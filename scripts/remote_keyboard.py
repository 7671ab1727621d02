#!/usr/bin/python3
"""Types into mutter's focused window, native Wayland or XWayland.

Usage: remote_keyboard.py FIFO

Each line written into FIFO holds an evdev key code (15 Tab, 57 Space,
28 Enter), which is pressed and released. Prints "ready" once the keyboard
exists: mutter's seat has none until a RemoteDesktop session sends a key, and
the session lives only as long as this program's bus connection.
"""
import os
import sys

import dbus

bus = dbus.SessionBus()
desktop = bus.get_object("org.gnome.Mutter.RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop")
path = desktop.CreateSession(dbus_interface="org.gnome.Mutter.RemoteDesktop")
session = dbus.Interface(bus.get_object("org.gnome.Mutter.RemoteDesktop", path),
                         "org.gnome.Mutter.RemoteDesktop.Session")
session.Start()
# mutter adds the keyboard to its seat only at the first key: a lone Shift.
for pressed in (True, False):
    session.NotifyKeyboardKeycode(dbus.UInt32(42), pressed)
print("ready", flush=True)

# Opened for writing too, so that a writer closing it is no end of file.
with os.fdopen(os.open(sys.argv[1], os.O_RDWR), "r") as fifo:
    for line in fifo:
        if line.strip():
            code = dbus.UInt32(int(line))
            session.NotifyKeyboardKeycode(code, True)
            session.NotifyKeyboardKeycode(code, False)
