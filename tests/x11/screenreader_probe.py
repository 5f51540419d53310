#!/usr/bin/python3
# What a screen reader (Orca) finds of Kopix over AT-SPI, on the session bus of DBUS_SESSION_BUS_ADDRESS.
#   walk: every object of the application named Kopix, a line each: depth, role, name, description,
#         key bindings and whether it is enabled; "missing" when Kopix has not joined within ten seconds.
#   listen SECONDS: the events a screen reader speaks from, a line each as they come, after "ready"; an
#         object that takes the focus (a menu's items, which no walk finds) with its key bindings.
import sys
import threading
import time

import pyatspi


def field(text):
    return (text or "").replace("|", "/").replace("\n", " ")


def kopix():
    desktop = pyatspi.Registry.getDesktop(0)
    for _ in range(100):
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == "Kopix":
                return app
        time.sleep(0.1)
    return None


def bindings(node):
    try:
        action = node.queryAction()
        return ";".join(action.getKeyBinding(i) for i in range(action.nActions))
    except NotImplementedError:
        return ""


def walk(node, depth, out):
    if node is None or depth > 40:
        return
    try:
        enabled = node.getState().contains(pyatspi.STATE_ENABLED)
        out.append(f"{depth}|{node.getRoleName()}|{field(node.name)}|{field(node.description)}|"
                   f"{field(bindings(node))}|{'enabled' if enabled else 'disabled'}")
        for i in range(node.childCount):
            walk(node.getChildAtIndex(i), depth + 1, out)
    except Exception:  # an object that went away while being read
        pass


def listen(seconds):
    def heard(event):
        source = event.source
        said = field(source.description if "description" in event.type else source.name)
        if event.type == "object:announcement":
            said = field(str(event.any_data))
        if event.type.startswith("object:state-changed:focused"):
            if not event.detail1:
                return
            said += "|" + field(bindings(source))
        print(f"{event.type}|{source.getRoleName()}|{said}", flush=True)

    for kind in ("object:property-change:accessible-name", "object:property-change:accessible-description",
                 "object:announcement", "object:state-changed:focused"):
        pyatspi.Registry.registerEventListener(heard, kind)
    threading.Timer(seconds, pyatspi.Registry.stop).start()
    print("ready", flush=True)
    pyatspi.Registry.start()


if sys.argv[1] == "walk":
    app = kopix()
    if app is None:
        print("missing")
    else:
        lines = []
        walk(app, 0, lines)
        print("\n".join(lines))
else:
    listen(float(sys.argv[2]))
