#!/usr/bin/python3
"""Test helper for the desktop window under Xvfb: a small GTK window that
offers URIs by drag and drop, as a file manager does. xdotool cannot drag
between windows by itself; it presses the mouse on this window and releases
it over the target, and this window hands over the next URI of its list.

Usage: drag_source.py READY_FILE URI...
Writes its window id to READY_FILE once it is shown; each drag offers the
next URI (the last one again when they run out). Ends when its window is
closed or it is sent SIGTERM.
"""
import os
import signal
import sys

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("Gdk", "3.0")
from gi.repository import Gdk, GLib, Gtk  # noqa: E402


def main():
    if len(sys.argv) < 3:
        sys.exit("usage: drag_source.py READY_FILE URI...")
    ready, uris = sys.argv[1], sys.argv[2:]
    offered = [0]

    window = Gtk.Window(title="flowsvg drag source")
    window.set_default_size(120, 120)
    window.move(0, 0)
    area = Gtk.EventBox()
    area.add(Gtk.Label(label="drag me"))
    window.add(area)
    area.drag_source_set(Gdk.ModifierType.BUTTON1_MASK, [], Gdk.DragAction.COPY)
    area.drag_source_add_uri_targets()

    def on_get(_widget, _context, data, _info, _time):
        data.set_uris([uris[min(offered[0], len(uris) - 1)]])

    def on_end(_widget, _context):
        offered[0] += 1

    area.connect("drag-data-get", on_get)
    area.connect("drag-end", on_end)
    window.connect("destroy", Gtk.main_quit)

    def on_mapped(_widget, _event):
        xid = window.get_window().get_xid()
        with open(ready + ".part", "w") as out:
            out.write(str(xid))
        os.replace(ready + ".part", ready)
        return False

    window.connect("map-event", on_mapped)
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGTERM, Gtk.main_quit)
    window.show_all()
    Gtk.main()


if __name__ == "__main__":
    main()
