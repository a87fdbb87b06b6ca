#!/usr/bin/python3
"""The whole journey through the accessibility bus alone, as a screen reader or a test robot
would take it: no click, no window-system call. Fills both boxes, presses "Quillmar!" and
answers OK, waits for the summary title, opens "Restore Files", puts the focus on the second
entry, presses Restore and reads "File Restored". Checks the disk after the clean and after
the restore. Then, where the bus can send a key (X11), the Menu key opens the remaining
entry's context menu, its "Versions..." item the copies of that entry, whose list and Restore
button are found by role and name.

Usage: atspi_journey.py PROGRAM DATA-FOLDER BACKUPS-FOLDER
Run it on a session bus of its own (dbus-run-session), with a display for the program.
"""
import os
import subprocess
import sys
import time

import pyatspi

program, data, backups = sys.argv[1:4]
MENU_KEY = 0xFF67  # the X key symbol of the Menu key


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def wait_for(what, find, seconds=20):
    """Polls find() until it gives something; fails naming what after the given time."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        try:
            found = find()
        except Exception:  # an object that went away while it was read: look again
            found = None
        if found:
            return found
        if app_process.poll() is not None:
            fail(f"the program ended (status {app_process.returncode}) waiting for {what}")
        time.sleep(0.1)
    fail(f"no {what} after {seconds} seconds")


def descendants(root):
    found = []
    stack = [root]
    while stack:
        node = stack.pop()
        if node is None:
            continue
        found.append(node)
        stack.extend(child for child in node)
    return found


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == os.path.basename(program):
            return app
    return None


def window(app, predicate):
    """A top-level window of the program (not a message box) whose name passes predicate."""
    for top in app:
        if top is not None and top.getRole() in (pyatspi.ROLE_FRAME, pyatspi.ROLE_DIALOG) \
                and predicate(top.name):
            return top
    return None


def control(root, role, name):
    for node in descendants(root):
        if node.getRole() == role and node.name == name:
            return node
    return None


def press(button):
    action = button.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if "click" not in names:
        fail(f"the button {button.name!r} offers no click, only {names}")
    action.doAction(names.index("click"))


def alert_saying(app, text):
    """The message box showing text: an alert whose labels include it."""
    for top in app:
        if top is None or top.getRole() != pyatspi.ROLE_ALERT:
            continue
        if any(node.getRole() == pyatspi.ROLE_LABEL and node.name == text
               for node in descendants(top)):
            return top
    return None


app_process = subprocess.Popen([program], stdout=subprocess.DEVNULL)
try:
    app = wait_for("program on the accessibility bus", application)
    main = wait_for("main window", lambda: window(app, lambda name: name == "Quillmar"))

    # Each box is found by the name its label gives it.
    directory = wait_for("Directory: box", lambda: control(main, pyatspi.ROLE_TEXT, "Directory:"))
    files = control(main, pyatspi.ROLE_TEXT, "Files:")
    if files is None:
        fail("no edit box named Files:")
    directory.queryEditableText().setTextContents(data)
    files.queryEditableText().setTextContents("*.txt")

    press(control(main, pyatspi.ROLE_PUSH_BUTTON, "Quillmar!"))
    question = wait_for("alert saying Click OK to clean files.",
                        lambda: alert_saying(app, "Click OK to clean files."))
    press(wait_for("OK in the question", lambda: control(question, pyatspi.ROLE_PUSH_BUTTON, "OK")))
    summary = "Quillmar - 3 files visited, 2 backed up, 0 failed"
    wait_for(f"title {summary!r}", lambda: main.name == summary)

    with open(os.path.join(backups, "list.txt")) as listing:
        records = listing.read()
    expected = [os.path.join(data, "a.txt"), os.path.join(data, "b.txt")]
    if sorted(records.split(";")[:-1]) != expected:
        fail(f"list.txt after the clean: {records!r}")
    os.remove(expected[1])

    press(control(main, pyatspi.ROLE_PUSH_BUTTON, "Restore Files"))
    restore = wait_for("Restoration List window",
                       lambda: window(app, lambda name: name == "Restoration List"))
    # The list is read by its rows; the focus goes to the entry of b.txt, which is not the
    # first row, so Restore acting on it shows that the focus row followed.
    entry = wait_for("row of b.txt", lambda: next(
        (node for node in descendants(restore)
         if node.getRole() == pyatspi.ROLE_TABLE_CELL and node.name == expected[1]), None))
    if not entry.queryComponent().grabFocus():
        fail("the row of b.txt did not take the focus")
    press(control(restore, pyatspi.ROLE_PUSH_BUTTON, "Restore"))
    report = wait_for("alert saying File Restored", lambda: alert_saying(app, "File Restored"))

    with open(expected[1]) as restored:
        if restored.read() != "beta\n":
            fail("b.txt came back with the wrong bytes")
    with open(os.path.join(backups, "list.txt")) as listing:
        left = listing.read()
    if left != expected[0] + ";":
        fail(f"list.txt after the restore: {left!r}")
    press(control(report, pyatspi.ROLE_PUSH_BUTTON, "OK"))
    wait_for("report closed", lambda: alert_saying(app, "File Restored") is None)

    if os.environ.get("GDK_BACKEND") != "wayland":
        # A screen reader passes the Menu key on; the bus sends it to the focused window.
        entry = wait_for("row of a.txt", lambda: next(
            (node for node in descendants(restore)
             if node.getRole() == pyatspi.ROLE_TABLE_CELL and node.name == expected[0]), None))
        if not entry.queryComponent().grabFocus():
            fail("the row of a.txt did not take the focus")
        pyatspi.Registry.generateKeyboardEvent(MENU_KEY, None, pyatspi.KEY_SYM)
        press(wait_for("menu item Versions...",
                       lambda: control(app, pyatspi.ROLE_MENU_ITEM, "Versions...")))
        versions = wait_for("Versions window", lambda: window(app, lambda name: name == "Versions"))
        copies = wait_for("list Copies, newest first:", lambda: next(
            (node for node in descendants(versions)
             if node.getRole() in (pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE)
             and node.name == "Copies, newest first:"), None))
        rows = [node.name for node in descendants(copies) if node.getRole() == pyatspi.ROLE_TABLE_CELL]
        if len(rows) != 1 or not rows[0].endswith(", 6 bytes, latest"):
            fail(f"the copies of a.txt: {rows!r}")
        if control(versions, pyatspi.ROLE_PUSH_BUTTON, "Restore") is None:
            fail("no button named Restore in the Versions window")
        press(control(versions, pyatspi.ROLE_PUSH_BUTTON, "Close"))
        wait_for("Versions closed", lambda: window(app, lambda name: name == "Versions") is None)
    print("PASS: filled both boxes, cleaned, read the summary, restored b.txt, read"
          " File Restored" + ("" if os.environ.get("GDK_BACKEND") == "wayland" else
                               ", found the copies of a.txt and Restore in Versions") +
          ", all through the accessibility bus")
finally:
    app_process.terminate()
    app_process.wait(10)
