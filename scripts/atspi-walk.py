#!/usr/bin/python3
"""Walks the accessibility tree of a running Merivox through AT-SPI, as a screen reader sees it.

Lists every push button, text field, list, combo box, check box and option button of the selection
window and the editor, and counts those without a name. With "open-ball" it first presses the
selection window's first kind button (the ball tip) and waits for the editor.
"""
import sys
import time

import pyatspi

ROLES = {
    pyatspi.ROLE_PUSH_BUTTON: "push button",
    pyatspi.ROLE_TEXT: "text field",
    pyatspi.ROLE_ENTRY: "text field",
    pyatspi.ROLE_LIST: "list",
    pyatspi.ROLE_TREE: "list",
    pyatspi.ROLE_TREE_TABLE: "list",
    pyatspi.ROLE_LIST_BOX: "list",
    pyatspi.ROLE_COMBO_BOX: "combo box",
    pyatspi.ROLE_CHECK_BOX: "check box",
    pyatspi.ROLE_RADIO_BUTTON: "option button",
}


def application(name, timeout):
    end = time.time() + timeout
    while time.time() < end:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name.lower() == name:
                return app
        time.sleep(0.5)
    sys.exit(f"no application {name!r} on the accessibility bus")


def window(app, title, timeout):
    end = time.time() + timeout
    while time.time() < end:
        for win in app:
            if win is not None and win.name == title:
                return win
        time.sleep(0.3)
    sys.exit(f"no window {title!r}")


def controls(node):
    """The controls below node, a drop-down list's text field and open list included."""
    found = []
    for child in node:
        if child is None:
            continue
        if child.getRole() in ROLES:
            found.append(child)
        if child.getRole() not in (pyatspi.ROLE_LIST, pyatspi.ROLE_TREE, pyatspi.ROLE_TREE_TABLE):
            found.extend(controls(child))  # the entries of a list are not controls of their own
    return found


def report(win):
    unnamed = 0
    items = controls(win)
    for c in items:
        name = c.name or ""
        if not name:
            unnamed += 1
        print(f"  {ROLES[c.getRole()]:13} {name!r}" + ("   <- no name" if not name else ""))
    print(f"{win.name}: {len(items)} controls, {unnamed} without a name")
    return len(items), unnamed


def main():
    app = application("merivox", 30)
    selection = window(app, "Auswahlfenster", 30)
    total, unnamed = report(selection)
    if "open-ball" in sys.argv:
        first = next(c for c in controls(selection) if c.getRole() == pyatspi.ROLE_PUSH_BUTTON)
        first.queryAction().doAction(0)
        editor = window(app, "Merivox", 20)
        time.sleep(1)
        t, u = report(editor)
        total, unnamed = total + t, unnamed + u
    print(f"TOTAL: {total} controls, {unnamed} without a name")
    sys.exit(1 if unnamed else 0)


main()
