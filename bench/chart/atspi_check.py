#!/usr/bin/python3
# Reads a demo's window through the AT-SPI bus, as a screen reader does: each list with its items
# (name, description, selected and focused states), each table's first cells with their marks,
# the buttons and labels that carry a description, and the focus and check events of the keys.
# Usage: atspi_check.py [APP_NAME] (chart_demo by default)
import sys
import time

import pyatspi
from gi.repository import GLib

events = []


def on_event(event):
    if event.detail1 or event.type.endswith("checked"):
        what = "checked " + ("on" if event.detail1 else "off") if event.type.endswith("checked") else ""
        events.append(f"{event.source.getRoleName()} {event.source.name!r} {what}".rstrip())


def find_app(name, seconds=10):
    deadline = time.time() + seconds
    while time.time() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    sys.exit(f"{name} is not on the AT-SPI bus")


def nodes(node):
    yield node
    for child in node:
        if child is not None:
            yield from nodes(child)


def marks(node, wanted):
    states = node.getState()
    return " ".join(name for name, state in wanted if states.contains(state))


pyatspi.Registry.registerEventListener(on_event, "object:state-changed:focused")
pyatspi.Registry.registerEventListener(on_event, "object:state-changed:checked")
app = find_app(sys.argv[1] if len(sys.argv) > 1 else "chart_demo")
# Let the demo's keys arrive while we listen.
loop = GLib.MainLoop()
GLib.timeout_add(4000, loop.quit)
loop.run()

all_nodes = list(nodes(app))
for bar in all_nodes:
    if bar.getRoleName() == "list":
        print(f"list {bar.name!r}: {bar.childCount} items")
        for item in bar:
            states = marks(item, (("selected", pyatspi.STATE_SELECTED), ("focused", pyatspi.STATE_FOCUSED)))
            print(f"  {item.getRoleName()} {item.name!r} {item.description!r} {states}")
for table in all_nodes:
    if table.getRoleName() == "table":
        cells = table.queryTable()
        print(f"table {table.name!r}: {cells.nRows} rows")
        for row in range(min(cells.nRows, 5)):
            cell = cells.getAccessibleAt(row, 0)
            states = marks(cell, (("checkable", pyatspi.STATE_CHECKABLE), ("checked", pyatspi.STATE_CHECKED),
                                  ("focused", pyatspi.STATE_FOCUSED)))
            print(f"  {cell.getRoleName()} {cell.name!r} {cell.description!r} {states}")
for node in all_nodes:
    if node.getRoleName() in ("push button", "label") and node.description:
        print(f"{node.getRoleName()} {node.name!r} {node.description!r}")
print("events:", "; ".join(events) or "none")
