#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Drops a file on an X window as a file manager does, through the XDND protocol (version 5).

Usage: xdnd_drop.py WINDOW FILE X Y
WINDOW is the X window id (as xdotool prints it), X Y the drop point on the screen. Offers the file as
text/uri-list with the copy action, answers the target's requests for the data and waits up to 10 s for the
target to say it is done. Exits 0 when the target accepted and finished the drop, 2 when it refused it, 3 when
it did not answer in time. Needs python3-xlib."""
import sys
import time
import urllib.parse

from Xlib import X, display
from Xlib.protocol import event


def main():
    if len(sys.argv) != 5 or sys.argv[1] in ("-h", "--help"):
        print(__doc__)
        return 0 if len(sys.argv) == 2 else 1
    target_id, path, x, y = int(sys.argv[1], 0), sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    d = display.Display()
    source = d.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    atom = d.intern_atom
    uri_list = atom("text/uri-list")
    target = d.create_resource_object("window", target_id)
    source.set_selection_owner(atom("XdndSelection"), X.CurrentTime)
    data = ("file://" + urllib.parse.quote(path) + "\r\n").encode()

    def send(name, values):
        message = event.ClientMessage(window=target, client_type=atom(name),
                                      data=(32, values + [0] * (5 - len(values))))
        target.send_event(message, X.NoEventMask)
        d.flush()

    send("XdndEnter", [source.id, 5 << 24, uri_list])
    send("XdndPosition", [source.id, 0, (x << 16) | y, X.CurrentTime, atom("XdndActionCopy")])
    dropped = False
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        while d.pending_events():
            e = d.next_event()
            if e.type == X.ClientMessage and e.client_type == atom("XdndStatus") and not dropped:
                if not e.data[1][1] & 1:
                    send("XdndLeave", [source.id])
                    print("xdnd_drop: the window refused the drop", file=sys.stderr)
                    return 2
                send("XdndDrop", [source.id, 0, X.CurrentTime])
                dropped = True
            elif e.type == X.SelectionRequest:
                prop = e.property or e.target
                if e.target == uri_list:
                    e.requestor.change_property(prop, e.target, 8, data)
                else:
                    prop = X.NONE
                e.requestor.send_event(event.SelectionNotify(time=e.time, requestor=e.requestor,
                                                             selection=e.selection, target=e.target,
                                                             property=prop))
                d.flush()
            elif e.type == X.ClientMessage and e.client_type == atom("XdndFinished"):
                return 0 if e.data[1][1] & 1 else 2
        time.sleep(0.01)
    print("xdnd_drop: no answer from the window within 10 s", file=sys.stderr)
    return 3


if __name__ == "__main__":
    sys.exit(main())
