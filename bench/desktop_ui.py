#!/usr/bin/env python3
"""Drives the desktop program as a user does, for benchmarks under Xvfb: a
control is found in the program's accessibility tree (AT-SPI) by its role and
its caption, and is then clicked with real pointer input (xdotool) at its
place on the screen; text goes in as real key presses. Captions stay when a
window is rebuilt, so the benchmarks do not depend on how a window is laid
out.

usage: desktop_ui.py COMMAND --pid PID [options]
  click   --window REGEX --role ROLE --name NAME [--right] [--wait S]
          click the (enabled) control, a right click with --right; the
          window is raised first, there being no window manager to do it
  locate  --window REGEX --role ROLE --name NAME [--wait S]
          print the screen position of the control's middle: "X Y"
  wait    --window REGEX [--role ROLE --name NAME] [--enabled] [--wait S]
          until the window (and the control, enabled with --enabled) shows
  pick    --name NAME [--wait S]
          click the item NAME of the pop-up menu that is open (a context
          menu): the tree reaches such a menu only through the item that
          gets the keyboard focus, so one Down key comes first
  type    --text TEXT [--enter]
          type into the control that has the keyboard focus
  close   --window REGEX
          ask the window to close as its title bar's close button does
          (WM_DELETE_WINDOW), there being no window manager under Xvfb
Instead of --name NAME, --match REGEX takes a control whose whole caption
matches REGEX (the first found). A window is a top-level window of the
process PID whose title matches REGEX; a role is an AT-SPI role name
("push button", "menu item", "list item", "combo box", "text") or a pattern
of them ("list item|table cell"). Needs DISPLAY and the session bus of the
program, which runs with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1. Exits 1 with a
message when the control does not show within --wait seconds (default 30).
"""
import argparse
import ctypes
import re
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

# Lists longer than this are not searched item by item (a result list of a
# long run); web pages are not searched at all.
MAX_CHILDREN = 2000
SKIPPED_ROLES = {"document web", "document frame"}


def fail(message):
    print(f"desktop_ui.py: {message}", file=sys.stderr)
    sys.exit(1)


def application(pid):
    desktop = Atspi.get_desktop(0)
    for index in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(index)
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except gi.repository.GLib.Error:
            continue
    return None


def caption(node):
    """The node's name without the shortcut a menu item shows after a tab."""
    return (node.get_name() or "").split("\t")[0]


def showing(node):
    states = node.get_state_set()
    return states.contains(Atspi.StateType.SHOWING) and states.contains(Atspi.StateType.VISIBLE)


def windows(pid, pattern):
    app = application(pid)
    if app is None:
        return []
    found = []
    for index in range(app.get_child_count()):
        window = app.get_child_at_index(index)
        if window is not None and re.search(pattern, window.get_name() or "") and showing(window):
            found.append(window)
    return found


def controls(root, role, name):
    """Every showing node under root with the role and caption (a compiled
    pattern the whole caption matches), breadth first."""
    found, queue = [], [root]
    while queue:
        node = queue.pop(0)
        try:
            node_role = node.get_role_name()
            if role.fullmatch(node_role) and name.fullmatch(caption(node)) and showing(node):
                found.append(node)
            if node_role in SKIPPED_ROLES:
                continue
            count = node.get_child_count()
        except gi.repository.GLib.Error:
            continue  # gone while we looked
        for index in range(min(count, MAX_CHILDREN)):
            child = node.get_child_at_index(index)
            if child is not None:
                queue.append(child)
    return found


def find(args, enabled=False):
    """(window, control) (the control None when no role is asked), waiting up to --wait s."""
    deadline = time.monotonic() + args.wait
    while True:
        for window in windows(args.pid, args.window):
            if not args.role:
                return window, None
            for control in controls(window, args.role, args.name):
                if not enabled or control.get_state_set().contains(Atspi.StateType.ENABLED):
                    return window, control
        if time.monotonic() > deadline:
            what = f"the {args.role.pattern} /{args.name.pattern}/ in " if args.role else ""
            fail(f"{what}a window titled /{args.window}/ of process {args.pid} did not show in {args.wait:g} s")
        time.sleep(0.2)


def middle(control):
    rect = control.get_extents(Atspi.CoordType.SCREEN)
    if rect.width <= 0 or rect.height <= 0:
        fail(f"the {control.get_role_name()} '{control.get_name()}' has no place on the screen")
    return rect.x + rect.width // 2, rect.y + rect.height // 2


def pick(args):
    focused = []
    listener = Atspi.EventListener.new(lambda event: focused.append(event.source))
    listener.register("object:state-changed:focused")
    context = GLib.MainContext.default()

    def pump(seconds, until=lambda: False):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline and not until():
            context.iteration(False)
            time.sleep(0.01)

    pump(0.5)  # the program hears of the listener before the key
    deadline = time.monotonic() + args.wait
    while not focused and time.monotonic() < deadline:
        xdotool("key", "Down")
        pump(2, lambda: bool(focused))
    menu = focused[-1].get_parent() if focused else None
    if menu is None or menu.get_role_name() != "popup menu":
        fail(f"no pop-up menu took the keyboard focus within {args.wait:g} s")
    for index in range(menu.get_child_count()):
        item = menu.get_child_at_index(index)
        if item.get_role_name() == "menu item" and args.name.fullmatch(caption(item)):
            x, y = middle(item)
            xdotool("mousemove", "--sync", str(x), str(y), "click", "1")
            return
    fail(f"the open pop-up menu has no item /{args.name.pattern}/")


def xdotool(*arguments):
    subprocess.run(["xdotool", *arguments], check=True)


def x_windows(pid, pattern):
    return subprocess.run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(pid), "--name", pattern],
                          capture_output=True, text=True).stdout.split()


def in_popup(control):
    node = control.get_parent()
    while node is not None:
        if node.get_role_name() == "popup menu":
            return True
        node = node.get_parent()
    return False


def bring_to_front(pid, window):
    """Raises the window over the others, there being no window manager to do
    it on a click; a menu that is open stays where it is, above them all."""
    for x_window in x_windows(pid, f"^{re.escape(window.get_name())}$"):
        xdotool("windowraise", x_window)


def close_window(pid, pattern):
    """Sends WM_DELETE_WINDOW to the X window of PID whose title matches."""
    ids = x_windows(pid, pattern)
    if not ids:
        fail(f"no window titled /{pattern}/ of process {pid}")
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                    ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

    class Event(ctypes.Union):
        _fields_ = [("message", ClientMessage), ("pad", ctypes.c_long * 24)]

    display = x11.XOpenDisplay(None)
    if not display:
        fail("cannot open the display")
    protocols = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    delete = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    for window in ids:
        event = Event()
        event.message.type = 33  # ClientMessage
        event.message.window = int(window)
        event.message.message_type = protocols
        event.message.format = 32
        event.message.data[0] = delete
        event.message.data[1] = 0  # CurrentTime
        x11.XSendEvent(display, int(window), 0, 0, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("command", choices=["click", "locate", "wait", "pick", "type", "close"])
    parser.add_argument("--pid", type=int)
    parser.add_argument("--window", default=".")
    parser.add_argument("--role")
    parser.add_argument("--name", default="")
    parser.add_argument("--match", help="a pattern the whole caption matches, instead of --name")
    parser.add_argument("--right", action="store_true")
    parser.add_argument("--enabled", action="store_true")
    parser.add_argument("--wait", type=float, default=30)
    parser.add_argument("--text", default="")
    parser.add_argument("--enter", action="store_true")
    args = parser.parse_args()
    if args.command in ("click", "locate") and not args.role:
        fail(f"{args.command} needs --role and --name")
    if args.command != "type" and not args.pid:
        fail(f"{args.command} needs --pid")
    caption = args.match if args.match is not None else re.escape(args.name)
    args.name = re.compile(caption)
    args.role = re.compile(args.role) if args.role else None

    if args.command == "type":
        xdotool("type", "--delay", "15", args.text)
        if args.enter:
            xdotool("key", "Return")
    elif args.command == "close":
        close_window(args.pid, args.window)
    elif args.command == "pick":
        pick(args)
    elif args.command == "wait":
        find(args, args.enabled)
    else:
        window, control = find(args, args.command == "click")
        x, y = middle(control)
        if args.command == "locate":
            print(x, y)
            return
        if not in_popup(control):
            bring_to_front(args.pid, window)
        xdotool("mousemove", "--sync", str(x), str(y), "click", "3" if args.right else "1")


if __name__ == "__main__":
    main()
