#!/usr/bin/python3
# Reads chart_demo's bars through the AT-SPI bus, as a screen reader does: each list with its
# items (name, description, selected and focused states) and the focus events of the keyboard.
import sys
import time

import pyatspi
from gi.repository import GLib

focus_events = []


def on_focus(event):
    if event.detail1:
        focus_events.append(f"{event.source.getRoleName()} {event.source.name!r}")


def find_app(name, seconds=10):
    deadline = time.time() + seconds
    while time.time() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    sys.exit(f"{name} is not on the AT-SPI bus")


def lists(node):
    if node.getRoleName() == "list":
        yield node
    for child in node:
        if child is not None:
            yield from lists(child)


pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
app = find_app("chart_demo")
# Let the demo's keys arrive while we listen.
loop = GLib.MainLoop()
GLib.timeout_add(3000, loop.quit)
loop.run()

for bar in lists(app):
    print(f"list {bar.name!r}: {bar.childCount} items")
    for item in bar:
        states = item.getState()
        marks = [s for s, v in (("selected", pyatspi.STATE_SELECTED), ("focused", pyatspi.STATE_FOCUSED))
                 if states.contains(v)]
        print(f"  {item.getRoleName()} {item.name!r} {item.description!r} {' '.join(marks)}")
print("focus events:", "; ".join(focus_events) or "none")
