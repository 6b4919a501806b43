#!/usr/bin/env python3
"""A desktop settings portal that states one colour scheme: 1 dark, 2 light (default 1).

For looking at Corvale's dark look where no desktop runs, on a session bus of its own:
    dbus-run-session -- sh -c '/usr/bin/python3 tools/fake-portal.py 1 & sleep 1; build/corvale'
Needs the Debian packages python3-dbus and python3-gi.
"""
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

SETTINGS = "org.freedesktop.portal.Settings"


class Portal(dbus.service.Object):
    def __init__(self, bus, scheme):
        super().__init__(bus, "/org/freedesktop/portal/desktop")
        self.scheme = scheme

    @dbus.service.method(SETTINGS, in_signature="ss", out_signature="v")
    def ReadOne(self, namespace, key):
        if (namespace, key) != ("org.freedesktop.appearance", "color-scheme"):
            raise dbus.exceptions.DBusException(
                "no such setting", name="org.freedesktop.portal.Error.NotFound")
        return dbus.UInt32(self.scheme)


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    Portal(bus, int(sys.argv[1]) if len(sys.argv) > 1 else 1)
    # Owned last, so that whoever sees the name finds the object in place.
    _name = dbus.service.BusName("org.freedesktop.portal.Desktop", bus)
    GLib.MainLoop().run()


if __name__ == "__main__":
    main()
