# A screen reader's view of the launcher, through the real accessibility
# bus: it calls a row's action by its stable name, reads the row Pelvaro
# runs with, and hears Pelvaro start and quit and the save-back's outcome.
# Exits 0 when all of it was heard, 1 with what was missing.
import subprocess
import sys

import pyatspi
from gi.repository import GLib

heard = []
failures = []


def on_showing(event):
    try:
        if event.detail1 == 1 and event.source.getRoleName() == "notification":
            heard.append(event.source.name)
    except Exception:  # an announcement gone before it was read
        pass


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def launcher():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and "pelvaro-launcher" in (app.name or ""):
            return app
    return None


def row(name):
    app = launcher()
    if app is None:
        return None
    for node in walk(app):
        if node.getRoleName() == "list item" and node.name == name:
            return node
    return None


def quit_our_pelvaro():
    """Asks the Pelvaro of this test's sandbox to quit; others' are left alone."""
    import os
    import signal

    marker = ("PELVARO_TEST_SANDBOX=" + os.environ.get("PELVARO_TEST_SANDBOX", "")).encode()
    found = subprocess.run(["pgrep", "-x", "Pelvaro"], capture_output=True, text=True)
    for pid in found.stdout.split():
        try:
            with open("/proc/%s/environ" % pid, "rb") as environ:
                if marker in environ.read().split(b"\0"):
                    os.kill(int(pid), signal.SIGTERM)
        except OSError:
            pass


step = {"name": "start"}


def tick():
    work = row("Work")
    if step["name"] == "start" and work is not None:
        # The folder's access is checked once the window has painted.
        app = launcher()
        if app is None or not any(n.name == "Read/write access OK" for n in walk(app)):
            return True
        # A sync client's conflicting copy says what it is, and offers the
        # merge into its profile.
        copy = row("Conflicting copy of Work (Syncthing, 7 Dec 2026 10:10)")
        if copy is None:
            failures.append("no row reads as the conflicting copy")
        else:
            copy_action = copy.queryAction()
            copy_names = [copy_action.getName(i) for i in range(copy_action.nActions)]
            if copy_names[-1:] != ["mergeInto"] or copy_action.getDescription(
                    copy_action.nActions - 1) != "Merge into Work\u2026":
                failures.append("conflicting copy's actions %s" % copy_names)
        action = work.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        localized = [action.getDescription(i) for i in range(action.nActions)]
        expected = ["start", "duplicate", "rename", "remove", "history", "compare", "createShortcut"]
        if names != expected:
            failures.append("action names %s" % names)
        if localized[3] != "Delete" or localized[4] != "History\u2026":
            failures.append("localized action names %s" % localized)
        action.doAction(names.index("start"))
        step["name"] = "running"
    elif step["name"] == "running" and "Pelvaro is running" in heard and work is not None:
        if not work.description.endswith(", in use by Pelvaro"):
            failures.append("running row described as %r" % work.description)
        quit_our_pelvaro()
        step["name"] = "quitting"
    elif step["name"] == "quitting" and any(n.startswith("Saved ") for n in heard):
        pyatspi.Registry.stop()
        return False
    return True


pyatspi.Registry.registerEventListener(on_showing, "object:state-changed:showing")
GLib.timeout_add(200, tick)
GLib.timeout_add(30000, lambda: (pyatspi.Registry.stop(), False)[1])
pyatspi.Registry.start()

for news in ["Pelvaro is running", "Pelvaro is not running"]:
    if news not in heard:
        failures.append("not heard: %r" % news)
if not any(n.startswith("Saved ") for n in heard):
    failures.append("no save-back heard")
if failures:
    print("heard:", heard)
    print("\n".join(failures))
sys.exit(1 if failures else 0)
