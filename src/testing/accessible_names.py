#!/usr/bin/python3
"""Test helper for the desktop window: what a screen reader is told about
the push buttons of a running program, read through AT-SPI, the Linux
desktop's accessibility interface. Run it on the accessibility bus of the
program's session (the session's D-Bus starts that bus on demand).

Usage: accessible_names.py APPLICATION_NAME
Prints the accessible name of each push button of the application, one a
line in the order of the tree, once the application is there with its
buttons (waiting up to 20 seconds); exits 1 when it never is.
"""
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402


def buttons(node, found):
    try:
        role = node.get_role_name()
        name = node.get_name()
        count = node.get_child_count()
    except gi.repository.GLib.Error:
        return
    if role == "push button":
        found.append(name)
    for index in range(count):
        child = node.get_child_at_index(index)
        if child is not None:
            buttons(child, found)


def main():
    wanted = sys.argv[1]
    for _ in range(100):
        desktop = Atspi.get_desktop(0)
        for index in range(desktop.get_child_count()):
            application = desktop.get_child_at_index(index)
            if application is None or application.get_name() != wanted:
                continue
            found = []
            buttons(application, found)
            if found:
                print("\n".join(found))
                return 0
        time.sleep(0.2)
    return 1


if __name__ == "__main__":
    sys.exit(main())
