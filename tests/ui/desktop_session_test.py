#!/usr/bin/python3
"""The program in a real desktop session, read and driven the way a screen
reader does it: through the accessibility bus (AT-SPI), with nothing but
accessible names, roles, states, actions and editable text.

  desktop_session_test.py TUNARA --display x11|wayland|wayland-no-seat [--screenshot PNG]

x11 runs the program on Xvfb; wayland under Weston with its X11 backend on
Xvfb (a compositor with a seat); wayland-no-seat under Weston's headless
backend, which has no input seat at all. Each run, on a private session
bus and a private accessibility bus:

  - the panel lists the stations by name (cleaned of line breaks), offers
    Settings and Quit, and never reads a key hint;
  - pressing a station row plays it: the row reads "NAME, playing" and the
    play button "Pause" once the local test stream is heard;
  - Settings opens from the panel and names its list and buttons; a row
    selected through its action can be deleted, after a confirmation that
    names it;
  - the add sheet opens from "Add station", its fields take text, and its
    "Add" stores the station, which then shows in both lists.

Run with Debian's python3 (python3-pyatspi). Only loopback traffic; every
process started is ended.
"""

import argparse
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
STREAM_SERVER = os.path.join(HERE, "..", "fixtures", "stream_server.py")
TIMEOUT = 30


class Session:
    """The processes of one desktop session, each in its own process group."""

    def __init__(self, work):
        self.work = work
        self.started = []
        runtime = os.path.join(work, "runtime")
        os.makedirs(runtime, mode=0o700)
        self.env = {key: value for key, value in os.environ.items()
                    if not key.startswith(("QT_", "WAYLAND_", "DISPLAY", "DBUS_", "XDG_", "AT_SPI"))}
        # Under AddressSanitizer: system libraries built without frame
        # pointers (libwayland-client) cut the fast unwinder's stacks short,
        # so the leak suppressions for the Qt library above them could not
        # match.
        if "ASAN_OPTIONS" in self.env:
            self.env["ASAN_OPTIONS"] += ":fast_unwind_on_malloc=0"
        self.env.update(XDG_RUNTIME_DIR=runtime, HOME=work, XDG_CONFIG_HOME=os.path.join(work, "config"),
                        XDG_CACHE_HOME=os.path.join(work, "cache"), XDG_DATA_HOME=os.path.join(work, "data"),
                        GSETTINGS_BACKEND="memory")

    def start(self, command, **kwargs):
        kwargs.setdefault("stdin", subprocess.DEVNULL)
        kwargs.setdefault("stdout", subprocess.DEVNULL)
        kwargs.setdefault("stderr", subprocess.DEVNULL)
        process = subprocess.Popen(command, env=self.env, start_new_session=True, **kwargs)
        self.started.append(process)
        return process

    def stop(self, process, timeout=10):
        if process.poll() is None:
            os.killpg(process.pid, signal.SIGTERM)
            try:
                process.wait(timeout)
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()
        return process.returncode

    def stop_all(self):
        for process in reversed(self.started):
            try:
                self.stop(process, timeout=5)
            except ProcessLookupError:
                pass

    def x_display(self):
        # -noreset: an X server resets when its last client leaves, and a
        # client connecting meanwhile (the program, after xdpyinfo or the
        # accessibility bus launcher left) is refused. Other sessions on the
        # machine start and end X servers too: a display that does not
        # answer is replaced by a fresh one.
        for attempt in range(3):
            read, write = os.pipe()
            log = open(os.path.join(self.work, f"xvfb-{attempt}.log"), "w")
            server = self.start(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x800x24", "-nolisten", "tcp",
                                 "-noreset"], pass_fds=[write], stderr=log)
            os.close(write)
            with os.fdopen(read) as displayfd:
                number = displayfd.readline().strip()
            self.env["DISPLAY"] = ":" + number
            try:
                wait_for(lambda: number and subprocess.run(["xdpyinfo"], env=self.env, capture_output=True).returncode == 0,
                         "the X display", timeout=10)
                return
            except AssertionError:
                self.stop(server)
        sys.exit("Xvfb did not start a display that answers")

    def weston(self, backend):
        socket = "tunara-test"
        self.start(["weston", f"--backend={backend}", f"--socket={socket}", "--use-pixman", "--idle-time=0",
                    f"--log={os.path.join(self.work, 'weston.log')}"])
        path = os.path.join(self.env["XDG_RUNTIME_DIR"], socket)
        wait_for(lambda: os.path.exists(path), "Weston's socket")
        self.env.update(WAYLAND_DISPLAY=socket, QT_QPA_PLATFORM="wayland")

    def buses(self):
        bus = self.start(["dbus-daemon", "--session", "--nofork", "--print-address=1"], stdout=subprocess.PIPE)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().decode().strip()
        self.start(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
        self.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"


def wait_for(condition, what, timeout=TIMEOUT):
    deadline = time.monotonic() + timeout
    last_error = None
    while time.monotonic() < deadline:
        try:
            result = condition()
            if result:
                return result
        except Exception as error:  # the tree changes under our feet
            last_error = error
        time.sleep(0.1)
    raise AssertionError(f"timed out waiting for {what}" + (f" (last error: {last_error})" if last_error else ""))


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("tunara")
    parser.add_argument("--display", choices=["x11", "wayland", "wayland-no-seat"], required=True)
    parser.add_argument("--screenshot")
    args = parser.parse_args()
    for tool in ("Xvfb", "xdpyinfo", "xdotool", "dbus-daemon", "weston", "/usr/libexec/at-spi-bus-launcher"):
        if not shutil.which(tool):
            sys.exit(f"missing {tool}: run scripts/install-deps")

    work = tempfile.mkdtemp(prefix="tunara-desktop-")
    session = Session(work)
    try:
        run(session, args)
        print(f"{args.display}: the panel, Settings and the add sheet read and worked through the accessibility bus")
    finally:
        session.stop_all()
        shutil.rmtree(work, ignore_errors=True)


def run(session, args):
    server = session.start([sys.executable, STREAM_SERVER, "--lifetime", "600", "--workdir", session.work],
                           stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    port = json.loads(server.stdout.readline())["http"]
    stream_url = f"http://127.0.0.1:{port}/icy/mp3"

    library = os.path.join(session.env["XDG_DATA_HOME"], "tunara")
    os.makedirs(library)
    with open(os.path.join(library, "database.json"), "w") as file:
        json.dump([
            {"id": "6F9619FF-8B86-D011-B42D-00C04FC964F1", "name": "Local stream", "url": stream_url},
            {"id": "6F9619FF-8B86-D011-B42D-00C04FC964F2", "name": "Radio\nParadise", "url": "http://127.0.0.1:9/rp"},
            {"id": "6F9619FF-8B86-D011-B42D-00C04FC964F3", "name": "NTS 1", "url": "http://127.0.0.1:9/nts"},
        ], file)

    if args.display != "wayland-no-seat":
        session.x_display()
    if args.display == "wayland":
        session.weston("x11-backend.so")
    elif args.display == "wayland-no-seat":
        session.weston("headless-backend.so")
    session.buses()

    # pyatspi finds the accessibility bus through the session bus it is
    # given when first imported.
    os.environ.pop("DISPLAY", None)
    os.environ.update({key: session.env[key] for key in ("DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR")})
    import pyatspi

    log = open(os.path.join(session.work, "tunara.log"), "w")
    tunara = session.start([args.tunara], stdout=log, stderr=subprocess.STDOUT)
    try:
        try:
            drive(pyatspi, tunara, stream_url, keyboard(session, args.display))
        except AssertionError:
            sys.stderr.write("--- what the accessibility bus shows ---\n" + tree(pyatspi))
            raise
        if args.screenshot and "DISPLAY" in session.env:
            subprocess.run(["import", "-window", "root", args.screenshot], env=session.env, check=True)
        check(tunara.poll() is None, "the program ended by itself")
        code = session.stop(tunara)
        check(code == 0, f"the program ended with {code} on SIGTERM")
    except BaseException:
        log.flush()
        with open(os.path.join(session.work, "tunara.log")) as output:
            sys.stderr.write("--- the program's output ---\n" + output.read()[-4000:])
        raise


def keyboard(session, display):
    """Types into the window with the keyboard focus; None without a seat."""
    if display == "wayland-no-seat":
        return None

    def type_text(text):
        subprocess.run(["xdotool", "type", "--delay", "30", text], env=session.env, check=True)
    return type_text


def tree(pyatspi):
    lines = []

    def walk(node, depth):
        try:
            lines.append("  " * depth + f"{node.getRoleName()} {node.name!r} {node.description!r}")
            for child in node:
                if child is not None:
                    walk(child, depth + 1)
        except Exception as error:
            lines.append("  " * depth + f"({error})")

    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "tunara":
            walk(app, 0)
    return "\n".join(lines) + "\n"


def drive(pyatspi, tunara, stream_url, type_text):
    def application():
        desktop = pyatspi.Registry.getDesktop(0)
        # Applications that registered since the last look are not in the
        # client's cached list of the desktop's children.
        desktop.clearCache()
        for app in desktop:
            if app is not None and app.name == "tunara":
                return app
        return None

    def descendants(node):
        for child in node:
            if child is None:
                continue
            yield child
            yield from descendants(child)

    def find(root, role, name=None):
        for node in descendants(root):
            if node.getRoleName() == role and (name is None or node.name == name):
                return node
        return None

    def frame(title):
        app = application()
        return app and next((window for window in app if window.name == title), None)

    def names(node, role):
        return [child.name for child in descendants(node) if child.getRoleName() == role]

    # Rows appear as the list makes them, just after the window shows.
    def rows(node, expected, what):
        try:
            wait_for(lambda: names(node, "list item") == expected, what, timeout=10)
        except AssertionError:
            raise AssertionError(f"{what}: {names(node, 'list item')}, not {expected}")

    def press(node):
        action = node.queryAction()
        for index in reversed(range(action.nActions)):
            if action.getName(index) == "Press":
                action.doAction(index)
                return
        raise AssertionError(f"{node.getRoleName()} {node.name!r} has no Press action")

    def focus(node):
        action = node.queryAction()
        action.doAction(next(i for i in range(action.nActions) if action.getName(i) == "SetFocus"))

    def focused(node):
        return node.getState().contains(pyatspi.STATE_FOCUSED)

    # The panel: stations by name, the two items, no key hint read out.
    panel = wait_for(lambda: frame("Tunara"), "the panel on the accessibility bus")
    stations = wait_for(lambda: find(panel, "list", "Stations"), "the panel's station list")
    rows(stations, ["Local stream", "Radio Paradise", "NTS 1"], "the panel's rows")
    for item in ("Settings", "Quit Tunara"):
        wait_for(lambda: find(panel, "push button", item), f"the button {item!r} in the panel")
    wait_for(lambda: find(panel, "label", "Select a stream"), "the header to say 'Select a stream'")
    spoken = [node.name for node in descendants(panel)]
    check(not any("Ctrl+" in name for name in spoken), f"a key hint is read out: {spoken}")

    # Pressing a row plays it.
    press(find(stations, "list item", "Local stream"))
    wait_for(lambda: find(stations, "list item", "Local stream, playing"), "the row to read 'Local stream, playing'")
    wait_for(lambda: find(panel, "push button", "Pause"), "the play button to read 'Pause'")
    check(tunara.poll() is None, "the program ended while playing")

    # Settings: the list and the buttons by name.
    press(find(panel, "push button", "Settings"))
    settings = wait_for(lambda: frame("Settings"), "the Settings window")
    settings_list = wait_for(lambda: find(settings, "list", "Stations"), "the Settings list")
    rows(settings_list, ["Local stream", "Radio Paradise", "NTS 1"], "the Settings rows")
    add = wait_for(lambda: find(settings, "push button", "Add station"), "the 'Add station' button")
    check(add.description == "", "'Add station' is described as unavailable")
    # Qt 6.4 reports disabled controls as enabled: the description says it.
    for name in ("Delete station", "Edit station"):
        button = wait_for(lambda: find(settings, "push button", name), f"the {name!r} button")
        check(button.description == "Select a station first", f"{name!r} does not say that it needs a selection")

    # A row selected by its action; the delete confirmation names it.
    press(find(settings_list, "list item", "NTS 1"))
    delete = find(settings, "push button", "Delete station")
    wait_for(lambda: delete.description == "", "'Delete station' to be enabled by the selection")
    press(delete)
    dialog = wait_for(lambda: find(settings, "dialog", "Delete Stream"), "the delete confirmation")
    wait_for(lambda: find(dialog, "label", 'Are you sure you want to delete "NTS 1"?'),
             "the confirmation to name the station")
    wait_for(lambda: find(dialog, "push button", "Delete"), "the confirmation's 'Delete'")
    press(wait_for(lambda: find(dialog, "push button", "Cancel"), "the confirmation's 'Cancel'"))
    wait_for(lambda: not find(settings, "dialog", "Delete Stream"), "the confirmation to close")
    rows(settings_list, ["Local stream", "Radio Paradise", "NTS 1"], "the Settings rows after Cancel")

    # The add sheet, filled in and confirmed without a pointer: each field
    # takes the keyboard by its accessible action and is typed into.
    press(add)
    sheet = wait_for(lambda: find(settings, "dialog", "Add a stream"), "the add sheet")
    name_field = wait_for(lambda: find(sheet, "text", "Name"), "the sheet's 'Name' field")
    url_field = wait_for(lambda: find(sheet, "text", "URL"), "the sheet's 'URL' field")
    cancel = wait_for(lambda: find(sheet, "push button", "Cancel"), "the sheet's 'Cancel'")
    confirm = wait_for(lambda: find(sheet, "push button", "Add"), "the sheet's 'Add'")
    wait_for(lambda: focused(name_field), "the keyboard in 'Name' as the sheet opens")
    check(confirm.description == "Enter a name and a URL first", "'Add' does not say what it needs")
    if type_text is None:
        # No seat, no keyboard: the sheet was built; Cancel closes it.
        press(cancel)
        wait_for(lambda: not find(settings, "dialog", "Add a stream"), "the sheet to close")
        return
    type_text("Added by ear")
    focus(url_field)
    wait_for(lambda: focused(url_field), "the keyboard in 'URL'")
    type_text(stream_url + "?second")
    wait_for(lambda: confirm.description == "", "'Add' to be enabled")
    press(confirm)
    wait_for(lambda: find(settings_list, "list item", "Added by ear"), "the new station in the Settings list")
    wait_for(lambda: find(stations, "list item", "Added by ear"), "the new station in the panel")
    wait_for(lambda: not find(settings, "dialog", "Add a stream"), "the sheet to close")


if __name__ == "__main__":
    main()
