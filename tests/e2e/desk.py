"""End-to-end tests of the real deskpost program, driven as a person or a
screen reader would: through the accessibility bus (AT-SPI) under a virtual
X display, with real keys typed by xdotool.

A test file defines functions named test_... that take an Office; run()
calls each on a fresh office:

    from desk import Office, run

    def test_about_box_opens(office: Office):
        anne = office.workstation("ANNE")
        anne.menu("Setup", "About...")
        box = anne.window(role="dialog")
        ...

    if __name__ == "__main__":
        run(globals())

tests/e2e/run starts the display, the session bus and the accessibility bus
around it. Where the machine cannot run these tests (no pyatspi, no bus, no
display) the file ends with status 77, which CTest reports as skipped with
the reason printed. Every wait polls a condition until a time limit; none
sleeps for a fixed time as the test's logic.
"""

from __future__ import annotations

import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import traceback
import zlib
from typing import Callable, Iterable, Optional

SKIP = 77


def skip(reason: str) -> None:
    print(f"SKIPPED: {reason}", flush=True)
    sys.exit(SKIP)


try:
    import gi

    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi, Gio, GLib  # noqa: E402
    import pyatspi  # noqa: E402
except (ImportError, ValueError) as error:
    skip(f"pyatspi cannot be imported with {sys.executable} ({error}); "
         "scripts/install-deps installs python3-pyatspi")

# How long a condition may take to come true on a loaded two-core machine.
# The waits return as soon as it holds, so a passing run never waits this long.
TIMEOUT = float(os.environ.get("DESKPOST_E2E_TIMEOUT", "15"))
POLL = 0.05


class Failure(AssertionError):
    pass


def check(condition, message: str) -> None:
    if not condition:
        raise Failure(message)


def wait_until(condition: Callable, what, timeout: float = TIMEOUT):
    """Polls condition until it answers something true and returns that;
    fails naming what was awaited (a text, or a function making it when
    the time is up). A condition that raises (a window being
    torn down under it) counts as not yet."""
    deadline = time.monotonic() + timeout
    last_error = None
    while True:
        try:
            value = condition()
            if value:
                return value
        except (GLib.Error, RuntimeError, LookupError) as error:
            last_error = error
        if time.monotonic() >= deadline:
            detail = f" (last error: {last_error})" if last_error else ""
            if callable(what):
                what = what()
            raise Failure(f"timed out after {timeout:.0f} s waiting for {what}{detail}")
        time.sleep(POLL)


def _tool(name: str) -> str:
    path = shutil.which(name)
    if path is None:
        skip(f"{name} is not installed; scripts/install-deps installs it")
    return path


def _program(variable: str, default: str) -> str:
    path = os.environ.get(variable) or default
    if not os.access(path, os.X_OK):
        raise Failure(f"{variable}: no program at {path} (build it first)")
    return path


# ---- The accessibility tree ----


class Node:
    """One accessible object of a program: a window, a menu entry, a
    button, a field. Found by role and accessible name, as a screen reader
    finds it."""

    def __init__(self, acc, workstation: Optional["Workstation"] = None):
        self.acc = acc
        self.workstation = workstation

    # What a screen reader reads.
    @property
    def name(self) -> str:
        return self.acc.get_name() or ""

    @property
    def role(self) -> str:
        return self.acc.get_role_name()

    @property
    def description(self) -> str:
        return self.acc.get_description() or ""

    def states(self) -> set:
        state_set = self.acc.get_state_set()
        return {pyatspi.stateToString(s) for s in state_set.getStates()}

    def has(self, state: str) -> bool:
        return state in self.states()

    @property
    def enabled(self) -> bool:
        return self.has("enabled")

    @property
    def showing(self) -> bool:
        return self.has("showing")

    def children(self) -> list:
        result = []
        for i in range(self.acc.get_child_count()):
            child = self.acc.get_child_at_index(i)
            if child is not None:
                result.append(Node(child, self.workstation))
        return result

    def walk(self) -> Iterable["Node"]:
        yield self
        for child in self.children():
            yield from child.walk()

    def find_all(self, role: Optional[str] = None, name: Optional[str] = None,
                 where: Optional[Callable[["Node"], bool]] = None) -> list:
        return [n for n in self.walk()
                if (role is None or n.role == role) and (name is None or n.name == name)
                and (where is None or where(n))]

    def find(self, role: Optional[str] = None, name: Optional[str] = None,
             where: Optional[Callable[["Node"], bool]] = None) -> Optional["Node"]:
        for n in self.walk():
            if (role is None or n.role == role) and (name is None or n.name == name) \
                    and (where is None or where(n)):
                return n
        return None

    def get(self, role: Optional[str] = None, name: Optional[str] = None,
            where: Optional[Callable[["Node"], bool]] = None,
            timeout: float = TIMEOUT) -> "Node":
        """The first matching node, waited for; a failure shows the tree."""
        try:
            return wait_until(lambda: self.find(role, name, where),
                              f"a {role or 'control'} named {name!r} in {self.label()}", timeout)
        except Failure as error:
            raise Failure(f"{error}\n{self.dump()}") from None

    # Lists: the database lists show their visible rows as list items.
    def rows(self) -> list:
        return [c for c in self.children() if c.role in ("list item", "table cell")]

    def row(self, containing: str, timeout: float = TIMEOUT) -> "Node":
        """The first visible row whose text holds containing, waited for."""
        def found():
            for row in self.rows():
                if containing in row.name:
                    return row
            return None
        try:
            return wait_until(found, f"a row holding {containing!r} in {self.label()}", timeout)
        except Failure as error:
            raise Failure(f"{error}; rows: {[r.name for r in self.rows()]}") from None

    def label(self) -> str:
        return f"{self.role} {self.name!r}"

    def dump(self, depth: int = 0, limit: int = 400) -> str:
        lines = []

        def visit(node: Node, level: int) -> None:
            if len(lines) >= limit:
                return
            try:
                states = ",".join(sorted(node.states() & {"enabled", "showing", "focused",
                                                          "checked", "active"}))
                lines.append("  " * level + f"{node.role} {node.name!r} [{states}]")
                for child in node.children():
                    visit(child, level + 1)
            except GLib.Error as error:
                lines.append("  " * level + f"(gone: {error})")

        visit(self, depth)
        return "\n".join(lines)

    # Reading.
    def text(self) -> str:
        """A field's text, or the name of anything without text."""
        try:
            text = self.acc.get_text_iface()
        except (AttributeError, GLib.Error):
            text = None
        if text is not None:
            return text.get_text(0, text.get_character_count())
        return self.name

    def character_count(self) -> int:
        return self.acc.get_text_iface().get_character_count()

    # Acting.
    def actions(self) -> list:
        action = self.acc.get_action_iface()
        if action is None:
            return []
        return [action.get_action_name(i) for i in range(action.get_n_actions())]

    def press(self, action: str = "Press") -> None:
        """Carries out the control's action, as a screen reader's "activate"
        does. The request is sent without waiting for its answer: a press
        that opens a modal dialog answers only when the dialog closes, so
        the test goes on and waits for the dialog instead."""
        check(self.enabled, f"{self.label()} is disabled")
        names = self.actions()
        check(action in names, f"{self.label()} has no action {action!r} (it has {names})")
        bus = _a11y_bus()
        message = Gio.DBusMessage.new_method_call(
            self.acc.get_bus_name() if hasattr(self.acc, "get_bus_name") else self.acc.app.bus_name,
            self.acc.path, "org.a11y.atspi.Action", "DoAction")
        message.set_body(GLib.Variant("(i)", (names.index(action),)))
        message.set_flags(Gio.DBusMessageFlags.NO_REPLY_EXPECTED)
        bus.send_message(message, Gio.DBusSendMessageFlags.NONE)
        bus.flush_sync(None)

    def set_checked(self, on: bool = True) -> None:
        """Ticks (or clears) a check box with its own action, and waits
        until it reads so."""
        if self.has("checked") == on:
            return
        names = self.actions()
        self.press("Toggle" if "Toggle" in names else "Press")
        wait_until(lambda: self.has("checked") == on,
                   f"{self.label()} to be {'ticked' if on else 'cleared'}")

    def focus(self) -> None:
        """Gives the control the keyboard focus: the window is raised to the
        X input focus first (Xvfb has no window manager to do it), then the
        control asks for the focus within it."""
        check(self.workstation is not None, "focus() needs a node of a workstation")
        window = self.window()
        self.workstation.focus_window(window)
        if window.acc == self.acc:
            return
        component = self.acc.get_component_iface()
        component.grab_focus()
        wait_until(lambda: self.has("focused"), f"{self.label()} to have the focus")

    def type(self, text: str, lands: bool = True) -> None:
        """Types text into the control with real key presses. Unless lands
        is False (a key that opens a window, as a recipient field's first
        letter opens the name picker), waits until the field holds it."""
        self.focus()
        before = self.character_count()
        subprocess.run([_tool("xdotool"), "type", "--delay", "15", text], check=True)
        # Every key has arrived when the field holds that many more
        # characters (a password field shows its own mask characters).
        if lands:
            wait_until(lambda: self.character_count() >= before + len(text),
                       f"{len(text)} characters typed into {self.label()}")

    def key(self, *keys: str) -> None:
        """Presses keys (xdotool names: "Escape", "Return", "alt+s") in the
        control's window, with the focus on the control."""
        self.focus()
        subprocess.run([_tool("xdotool"), "key", "--delay", "30", *keys], check=True)

    def window(self) -> "Node":
        """The top-level window holding this node."""
        node = self.acc
        while True:
            parent = node.get_parent()
            if parent is None or parent.get_role() == pyatspi.ROLE_APPLICATION:
                return Node(node, self.workstation)
            node = parent

    def __repr__(self) -> str:
        return f"<{self.label()}>"


# The roles of controls a person works; each needs an accessible name.
CONTROL_ROLES = {
    "push button", "toggle button", "check box", "radio button", "combo box", "text",
    "password text", "entry", "spin button", "slider", "list", "list box", "table",
    "tree", "tree table", "page tab", "menu item", "check menu item", "radio menu item",
    "date editor", "calendar",
}


def unnamed_controls(window: Node) -> list:
    """The controls in window that a screen reader could only call by
    their role: a control role, or anything the keyboard can reach, without
    a name."""
    missing = []
    for node in window.walk():
        # A table's cell reads its content; an empty cell is an empty cell.
        if node is window or node.name.strip() or node.role == "table cell":
            continue
        # A combo box's drop-down list is read under the combo box's name.
        if node.role == "list" and node.acc.get_parent() is not None \
                and node.acc.get_parent().get_role_name() == "combo box":
            continue
        if node.role in CONTROL_ROLES or (node.has("focusable") and node.role != "label"):
            missing.append(f"{node.role} at {_path_of(node, window)}")
    return missing


def check_named(window: Node) -> None:
    """Fails naming every control of window without an accessible name."""
    missing = unnamed_controls(window)
    check(not missing, f"controls without an accessible name in {window.label()}: {missing}\n"
                       f"{window.dump()}")


def _path_of(node: Node, top: Node) -> str:
    steps = []
    acc = node.acc
    while acc is not None and acc != top.acc:
        parent = acc.get_parent()
        steps.append(str(acc.get_index_in_parent()))
        acc = parent
    return "/".join(reversed(steps))


_bus = None


def _a11y_bus():
    """The accessibility bus, for the requests sent without an answer."""
    global _bus
    if _bus is None:
        session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        reply = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress",
                                  None, GLib.VariantType.new("(s)"),
                                  Gio.DBusCallFlags.NONE, 5000, None)
        address = reply.unpack()[0]
        _bus = Gio.DBusConnection.new_for_address_sync(
            address,
            Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
            | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
    return _bus


def desktop() -> Node:
    return Node(pyatspi.Registry.getDesktop(0))


# ---- Workstations ----


class Workstation:
    """One person's running deskpost, with its own INI file and trace."""

    def __init__(self, office: "Office", name: str, ini: dict, started: bool = True):
        self.office = office
        self.name = name
        self.ini_path = os.path.join(office.config_dir, f"{name}.INI")
        self.trace_path = os.path.join(office.config_dir, f"{name}.trace")
        lines = ["[DESKpost]", f"Path={office.data_dir}", f"Name={name}"]
        lines += [f"{key}={value}" for key, value in ini.items()]
        with open(self.ini_path, "w", encoding="latin-1") as f:
            f.write("\r\n".join(lines) + "\r\n")
        env = dict(os.environ)
        env.update({
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            "QT_QPA_PLATFORM": "xcb",
            "DESKPOST_TRACE": self.trace_path,
            # The alert's sounds have no device here.
            "QT_LOGGING_RULES": "qt.multimedia*=false",
        })
        env.update(office.env)
        self.log_path = os.path.join(office.config_dir, f"{name}.log")
        self.log = open(self.log_path, "w")
        self.process = subprocess.Popen([office.deskpost, self.ini_path], env=env,
                                        stdout=self.log, stderr=subprocess.STDOUT)
        self.app = Node(wait_until(self._find_application,
                                   f"{name}'s deskpost on the accessibility bus"), self)
        # Every read goes to the program: a cached name or state could be
        # one the program has changed since.
        Atspi.Accessible.set_cache_mask(self.app.acc, Atspi.Cache.NONE)
        if started:
            self.wait_trace(f"started {name}")

    def _find_application(self):
        if self.process.poll() is not None:
            raise Failure(f"{self.name}'s deskpost ended with status {self.process.returncode} "
                          f"before it showed a window:\n{self.output()}")
        root = desktop().acc
        for i in range(root.get_child_count()):
            app = root.get_child_at_index(i)
            if app is not None and app.get_process_id() == self.process.pid \
                    and app.get_child_count() > 0:
                return app
        return None

    # Windows.
    def windows(self) -> list:
        return [w for w in self.app.children() if w.showing]

    def window(self, name: Optional[str] = None, role: Optional[str] = None,
               timeout: float = TIMEOUT, containing: Optional[str] = None) -> Node:
        """A showing top-level window of the program (named name, or whose
        name holds containing), waited for."""
        def found():
            for w in self.windows():
                if (name is None or w.name == name) and (role is None or w.role == role) \
                        and (containing is None or containing in w.name):
                    return w
            return None
        try:
            return wait_until(found, f"{self.name}'s window {name or containing or role!r}",
                              timeout)
        except Failure as error:
            shown = [w.label() for w in self.windows()]
            raise Failure(f"{error}; showing: {shown}") from None

    def window_gone(self, window: Node, timeout: float = TIMEOUT) -> None:
        def gone():
            try:
                return not window.showing or window.acc not in [w.acc for w in self.windows()]
            except GLib.Error:
                return True
        # Named only if it stays: a window already gone has no name to read.
        wait_until(gone, lambda: f"{window.label()} to close", timeout)

    def main_window(self) -> Node:
        return self.window(role="frame")

    def focus_window(self, window: Node) -> None:
        """Gives a top-level window the X input focus and waits until the
        program sees it as active."""
        title = window.name
        def x_window():
            found = subprocess.run(
                [_tool("xdotool"), "search", "--all", "--onlyvisible", "--pid", str(self.process.pid),
                 "--name", f"^{_regex(title)}$"], capture_output=True, text=True)
            ids = found.stdout.split()
            return ids[0] if ids else None
        wid = wait_until(x_window, f"the X window of {window.label()}")
        subprocess.run([_tool("xdotool"), "windowactivate", "--sync", wid],
                       capture_output=True)
        subprocess.run([_tool("xdotool"), "windowfocus", "--sync", wid], check=True)
        wait_until(lambda: window.has("active"), f"{window.label()} to become active")

    # Menus.
    def menu_bar(self) -> Node:
        return self.main_window().get(role="menu bar")

    def menu_item(self, *path: str) -> Node:
        """The menu entry at path ("Setup", "Password", "Master...")."""
        node = self.menu_bar()
        for step in path:
            items = [c for c in _menu_children(node) if c.name == step]
            check(items, f"no menu entry {step!r} under {node.label()}; there are "
                         f"{[c.name for c in _menu_children(node)]}")
            node = items[0]
        return node

    def menu(self, *path: str) -> None:
        """Chooses the menu entry at path."""
        self.menu_item(*path).press()

    def menu_entries(self) -> list:
        """Every entry of the main menu as (path, enabled), depth first."""
        result = []

        def visit(node: Node, prefix: tuple) -> None:
            for item in _menu_children(node):
                path = prefix + (item.name,)
                sub = _menu_children(item)
                if sub:
                    visit(item, path)
                else:
                    result.append((path, item.enabled))
        visit(self.menu_bar(), ())
        return result

    # The trace the program writes (DESKPOST_TRACE).
    def trace(self) -> str:
        try:
            with open(self.trace_path, encoding="latin-1") as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def wait_trace(self, line: str, timeout: float = TIMEOUT) -> None:
        wait_until(lambda: line in self.trace().splitlines(),
                   lambda: f"{self.name}'s trace line {line!r} (trace: {self.trace()!r})", timeout)

    def output(self) -> str:
        if not self.log.closed:
            self.log.flush()
        with open(self.log_path, errors="replace") as f:
            return f.read()

    # Ending.
    def wait_exit(self, timeout: float = TIMEOUT) -> int:
        """Waits for the program to end by itself and answers its exit code."""
        wait_until(lambda: self.process.poll() is not None, f"{self.name}'s deskpost to end",
                   timeout)
        self.log.close()
        return self.process.returncode

    def stop(self, timeout: float = TIMEOUT) -> int:
        """Ends the program as a session's end does (SIGTERM, which it takes
        as a close) and answers its exit code. The program refuses to close
        while one of its dialogs is open, so a test closes those first."""
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(timeout)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
                raise Failure(f"{self.name}'s deskpost did not end on SIGTERM (showing: "
                              f"{[w.label() for w in self.windows()]})") from None
        self.log.close()
        return self.process.returncode


def _menu_children(node: Node) -> list:
    """The entries of a menu bar or of a menu entry's popup."""
    result = []
    for child in node.children():
        if child.role == "menu item":
            result.append(child)
        elif child.role == "popup menu":
            result.extend(c for c in child.children() if c.role == "menu item")
    return result


def _regex(text: str) -> str:
    return "".join("\\" + c if c in r".^$*+?()[]{}|\\" else c for c in text)


# ---- The office ----


class Office:
    """A data directory made with dpadmin, and the workstations on it."""

    def __init__(self, names: Iterable[str] = ("RECEPTION", "ANNE", "BOB")):
        here = os.path.dirname(os.path.abspath(__file__))
        build = os.path.join(here, "..", "..", "build", "dev")
        self.deskpost = _program("DESKPOST", os.path.join(build, "shell", "ui", "deskpost"))
        self.dpadmin = _program("DPADMIN", os.path.join(build, "tools", "dpadmin"))
        self.root = tempfile.mkdtemp(prefix="deskpost-e2e-")
        self.data_dir = os.path.join(self.root, "office")
        self.config_dir = os.path.join(self.root, "workstations")
        os.makedirs(self.data_dir)
        os.makedirs(self.config_dir)
        self.workstations: list = []
        # What every workstation's environment adds (a driven clock).
        self.env: dict = {}
        self.admin("create", self.data_dir)
        names = list(names)
        if names:
            self.admin("add-name", self.data_dir, *names)

    def drive_clock(self, when: str) -> None:
        """Every workstation started from now on runs on a clock the test
        sets (libfaketime), starting at when ("2027-03-16 09:00:00") and
        running on from there; set_clock moves it. Timers keep the real
        monotonic clock, so only the wall clock jumps."""
        library = next((p for p in ("/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1",
                                    "/usr/lib/faketime/libfaketime.so.1") if os.path.exists(p)),
                       None)
        if library is None:
            skip("libfaketime is not installed; scripts/install-deps installs faketime")
        self.clock_file = os.path.join(self.root, "clock")
        self.set_clock(when)
        self.env.update({"LD_PRELOAD": library, "FAKETIME_TIMESTAMP_FILE": self.clock_file,
                         "FAKETIME_NO_CACHE": "1", "FAKETIME_DONT_FAKE_MONOTONIC": "1"})

    def set_clock(self, when: str) -> None:
        with open(self.clock_file + ".new", "w") as f:
            f.write(f"@{when}\n")
        os.replace(self.clock_file + ".new", self.clock_file)

    def admin(self, *args: str, stdin: Optional[str] = None) -> str:
        """Runs dpadmin; a failure fails the test with its message."""
        done = subprocess.run([self.dpadmin, *args], input=stdin, capture_output=True,
                              text=True, encoding="latin-1")
        check(done.returncode == 0,
              f"dpadmin {' '.join(args)} failed ({done.returncode}): {done.stderr}{done.stdout}")
        return done.stdout

    def send(self, sender: str, to: str, *options: str) -> str:
        return self.admin("send", self.data_dir, "--from", sender, "--to", to, *options)

    def workstation(self, name: str, started: bool = True, **ini) -> Workstation:
        """Starts name's deskpost and, unless started is False (a start
        that stops at a box), waits until its main window is up. The INI
        keys default to the full window (InitMode=0) and a poll every 2
        seconds."""
        keys = {"InitMode": 0, "PollTime": 2}
        keys.update(ini)
        station = Workstation(self, name, keys, started)
        self.workstations.append(station)
        return station

    def close(self, strict: bool = True) -> None:
        """Stops every workstation still running and removes the office.
        Strict (after a passing test): each must end on SIGTERM with exit
        code 0; otherwise each gets a short while before it is killed."""
        problems = []
        for station in self.workstations:
            if station.process.poll() is not None and station.log.closed:
                continue
            try:
                code = station.stop(TIMEOUT if strict else 2)
                if code != 0:
                    problems.append(f"{station.name}'s deskpost ended with status {code}")
            except Failure as error:
                problems.append(str(error))
        shutil.rmtree(self.root, ignore_errors=True)
        if strict and problems:
            raise Failure("; ".join(problems))


# ---- Screenshots ----


def screenshot(office: Office, prefix: str) -> list:
    """Saves every showing window of every running workstation as a PNG
    file (PREFIX-NAME-N.png) and answers their paths. Each window is taken
    by itself: a grab of the whole screen shows dialogs black on Xvfb."""
    saved = []
    for station in office.workstations:
        if station.process.poll() is not None:
            continue
        found = subprocess.run([_tool("xdotool"), "search", "--onlyvisible", "--pid",
                                str(station.process.pid)], capture_output=True, text=True)
        for number, wid in enumerate(found.stdout.split(), 1):
            xwd = subprocess.run([_tool("xwd"), "-silent", "-id", wid], capture_output=True)
            if xwd.returncode != 0:
                continue
            path = f"{prefix}-{station.name}-{number}.png"
            with open(path, "wb") as f:
                f.write(_xwd_to_png(xwd.stdout))
            saved.append(path)
    return saved


def _xwd_to_png(data: bytes) -> bytes:
    # The XWD header: 25 big-endian 32-bit fields, then the window name, then
    # the colour map, then the pixels in the server's order.
    fields = struct.unpack(">25I", data[:100])
    header_size, width, height = fields[0], fields[4], fields[5]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    masks = fields[14:17]
    ncolors = fields[19]
    if bits_per_pixel not in (24, 32):
        raise Failure(f"screenshot: {bits_per_pixel} bits a pixel is not handled")
    size = bits_per_pixel // 8
    pixels = data[header_size + 12 * ncolors:]
    shifts = [(m & -m).bit_length() - 1 for m in masks]
    order = "little" if byte_order == 0 else "big"
    rows = []
    for y in range(height):
        line = pixels[y * bytes_per_line: y * bytes_per_line + size * width]
        row = bytearray(b"\0")
        for x in range(0, len(line), size):
            v = int.from_bytes(line[x:x + size], order)
            row += bytes(((v & m) >> s) & 0xFF for m, s in zip(masks, shifts))
        rows.append(bytes(row))

    def chunk(kind: bytes, body: bytes) -> bytes:
        return struct.pack(">I", len(body)) + kind + body + \
            struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(b"".join(rows), 6))
            + chunk(b"IEND", b""))


# ---- Running a test file ----


def _check_machine() -> None:
    """Skips with the reason when this machine cannot run the tests."""
    if not os.environ.get("DISPLAY"):
        skip("no X display (tests/e2e/run starts one with xvfb-run)")
    for tool in ("xdotool", "xwd"):
        _tool(tool)
    try:
        _a11y_bus()
    except GLib.Error as error:
        skip(f"no accessibility bus ({error.message}); at-spi2-core and a session bus "
             "(dbus-run-session) are needed")
    try:
        desktop().acc.get_child_count()
    except GLib.Error as error:
        skip(f"the accessibility registry does not answer ({error.message})")


def run(namespace: dict) -> None:
    """Runs every test_ function of a test file, each on a fresh office;
    "-k WORD" runs those whose name holds WORD. On a failure the screen is
    saved as a PNG file under DESKPOST_E2E_OUT (or the temporary folder),
    with the programs' traces and output printed."""
    _check_machine()
    only = None
    if len(sys.argv) > 2 and sys.argv[1] == "-k":
        only = sys.argv[2]
    tests = [(name, f) for name, f in namespace.items()
             if name.startswith("test_") and callable(f) and (only is None or only in name)]
    out_dir = os.environ.get("DESKPOST_E2E_OUT") or tempfile.gettempdir()
    os.makedirs(out_dir, exist_ok=True)
    passed = failed = 0
    for name, test in tests:
        started = time.monotonic()
        office = Office()
        try:
            test(office)
        except Exception:  # noqa: BLE001: every failure is reported alike
            failed += 1
            print(f"FAIL {name} ({time.monotonic() - started:.1f} s)")
            traceback.print_exc(file=sys.stdout)
            try:
                for path in screenshot(office, os.path.join(out_dir, name)):
                    print(f"  window saved as {path}")
            except Exception as error:  # noqa: BLE001
                print(f"  no screenshot: {error}")
            for station in office.workstations:
                print(f"  --- {station.name}'s trace:\n{station.trace()}"
                      f"  --- {station.name}'s output:\n{station.output()}")
            office.close(strict=False)
        else:
            try:
                office.close()
            except Failure as error:
                failed += 1
                print(f"FAIL {name}: {error}")
            else:
                passed += 1
                print(f"PASS {name} ({time.monotonic() - started:.1f} s)")
        sys.stdout.flush()
    print(f"{passed} passed, {failed} failed")
    if not tests:
        print("no test matched")
        sys.exit(1)
    sys.exit(1 if failed else 0)
