#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Tirlink developers
# SPDX-License-Identifier: MIT

"""A screen reader's view of a running program, through AT-SPI (python3-pyatspi).

Usage: atspi_client.py tree APP        prints APP's accessible tree, one object a line:
                                       role, name in quotes, then what the object offers
                                       (text=..., value=cur [min..max], actions=..., desc=...)
       atspi_client.py focused APP     prints the object that has the keyboard focus, as above
       atspi_client.py press APP NAME  runs the press action of the object named NAME
       atspi_client.py showMenu APP NAME   the same with its show-menu action
Exits 1 when APP (or NAME) is not found within ten seconds. Needs the session bus with the
accessibility bus on it (DBUS_SESSION_BUS_ADDRESS)."""
import sys
import time

import pyatspi


def find_app(name, timeout=10.0):
    deadline = time.time() + timeout
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    sys.exit("no application %r on the accessibility bus" % name)


def describe(acc):
    parts = ["[%s] %r" % (acc.getRoleName(), acc.name)]
    if acc.description:
        parts.append("desc=%r" % acc.description)
    ifaces = pyatspi.listInterfaces(acc)
    if "Text" in ifaces and acc.getRoleName() != "text":
        t = acc.queryText()
        parts.append("text=%r" % t.getText(0, t.characterCount))
    elif "Text" in ifaces:  # the caret, and the line a reader says there
        t = acc.queryText()
        line = t.getTextAtOffset(t.caretOffset, pyatspi.TEXT_BOUNDARY_LINE_START)[0]
        parts.append("caret=%d line=%r" % (t.caretOffset, line.rstrip("\n")))
    if "Value" in ifaces:
        v = acc.queryValue()
        parts.append("value=%g [%g..%g]" % (v.currentValue, v.minimumValue, v.maximumValue))
    if "Action" in ifaces and acc.queryAction().nActions:
        a = acc.queryAction()
        parts.append("actions=%s" % ",".join(a.getName(i) for i in range(a.nActions)))
    return " ".join(parts)


def walk(acc, depth=0):
    yield depth, acc
    for child in acc:
        if child is not None:
            yield from walk(child, depth + 1)


def main(argv):
    app = find_app(argv[2])
    if argv[1] == "tree":
        for depth, acc in walk(app):
            print("  " * depth + describe(acc))
        return 0
    if argv[1] == "focused":
        print("\n".join(describe(a) for _, a in walk(app) if a.getState().contains(pyatspi.STATE_FOCUSED)))
        return 0
    if argv[1] in ("press", "showMenu"):
        for _, acc in walk(app):
            if acc.name == argv[3] and "Action" in pyatspi.listInterfaces(acc):
                a = acc.queryAction()
                for i in range(a.nActions):
                    if a.getName(i).lower() == argv[1].lower():
                        return 0 if a.doAction(i) else 1
        sys.exit("no object %r with a %s action" % (argv[3], argv[1]))
    sys.exit(__doc__)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
