#!/usr/bin/python3
# Stands in for a screen reader on the accessibility bus of this session: it
# asks to be told of caret moves, and at each one asks the program back, as a
# reader does, for the text's length, the caret's offset and the caret's
# line. Used by tools/freeze-probe.sh --reader; runs until the bus goes or
# SIGTERM.
import signal
import sys

import dbus
import dbus.mainloop.glib
from gi.repository import GLib

TEXT = "org.a11y.atspi.Text"
LINE = 4  # ATSPI_TEXT_BOUNDARY_LINE_START

dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
address = dbus.SessionBus().get_object("org.a11y.Bus", "/org/a11y/bus").GetAddress(dbus_interface="org.a11y.Bus")
bus = dbus.bus.BusConnection(address)
registry = bus.get_object("org.a11y.atspi.Registry", "/org/a11y/atspi/registry")
for event in ("object:text-caret-moved", "object:property-change:accessible-value", "focus:"):
    registry.RegisterEvent(event, dbus.Array([], signature="s"), "", dbus_interface="org.a11y.atspi.Registry")
asked = 0


def caret_moved(*_args, sender=None, path=None):
    global asked
    target = bus.get_object(sender, path)
    properties = dbus.Interface(target, "org.freedesktop.DBus.Properties")
    try:
        properties.Get(TEXT, "CharacterCount")
        offset = properties.Get(TEXT, "CaretOffset")
        dbus.Interface(target, TEXT).GetTextAtOffset(offset, dbus.UInt32(LINE))
        asked += 1
    except dbus.exceptions.DBusException:
        pass  # gone by now (a closed dialog's field), or no text to read


def gone(*_args):
    print(f"screen reader stand-in: read the caret's line at {asked} caret moves", file=sys.stderr)
    loop.quit()
    return False


bus.add_signal_receiver(caret_moved, signal_name="TextCaretMoved", dbus_interface="org.a11y.atspi.Event.Object",
                        sender_keyword="sender", path_keyword="path")
bus.call_on_disconnection(gone)
GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGTERM, gone)
print("screen reader stand-in: listening", file=sys.stderr, flush=True)
loop = GLib.MainLoop()
loop.run()
