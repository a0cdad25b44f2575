# A GTK app for the quit tests: `python3 gtk-app.py <app id> <window|windowless>`. It
# exports "quit" on the session bus as every GApplication does, says "ready" once it
# shows its window (or, windowless, once it runs) and "quit" when its quit is activated.
import sys

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import Gio, Gtk

app_id, mode = sys.argv[1:3]
app = Gtk.Application(application_id=app_id) if mode == "window" else Gio.Application(application_id=app_id)


def quit(action, parameter):
    print("quit", flush=True)
    app.quit()


def startup(app):
    action = Gio.SimpleAction.new("quit", None)
    action.connect("activate", quit)
    app.add_action(action)


def activate(app):
    if mode == "window":
        window = Gtk.ApplicationWindow(application=app)
        window.connect("map-event", lambda *args: print("ready", flush=True))
        window.show_all()
    else:
        app.hold()
        print("ready", flush=True)


app.connect("startup", startup)
app.connect("activate", activate)
app.run([])
