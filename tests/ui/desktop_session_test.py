#!/usr/bin/python3
"""The program in a real desktop session, read and driven the way a screen
reader does it: through the accessibility bus (AT-SPI), with nothing but
accessible names, roles, states, actions and editable text.

  desktop_session_test.py TUNARA --display x11|wayland|wayland-no-seat [--screenshot PNG]

x11 runs the program on Xvfb; wayland under Weston with its X11 backend on
Xvfb (a compositor with a seat); wayland-no-seat under Weston's headless
backend, which has no input seat at all (nothing is typed there). Each run
has private session and accessibility buses and only loopback traffic, and
ends every process it started. Needs Debian's python3-pyatspi.
"""

import argparse
import contextlib
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
STATIONS = ["Local stream", "Radio Paradise", "NTS 1"]


class Session:
    """The processes of one desktop session, each in its own process group."""

    def __init__(self, work):
        self.work = work
        self.started = []
        runtime = os.path.join(work, "runtime")
        os.makedirs(runtime, mode=0o700)
        self.env = {key: value for key, value in os.environ.items()
                    if not key.startswith(("QT_", "WAYLAND_", "DISPLAY", "DBUS_", "XDG_", "AT_SPI"))}
        # Under AddressSanitizer: libraries without frame pointers (libwayland-client) cut the fast
        # unwinder's stacks short, and the leak suppressions for Qt above them would not match.
        if "ASAN_OPTIONS" in self.env:
            self.env["ASAN_OPTIONS"] += ":fast_unwind_on_malloc=0"
        self.env.update(XDG_RUNTIME_DIR=runtime, HOME=work, XDG_CONFIG_HOME=os.path.join(work, "config"),
                        XDG_CACHE_HOME=os.path.join(work, "cache"), XDG_DATA_HOME=os.path.join(work, "data"),
                        GSETTINGS_BACKEND="memory")

    def start(self, command, **kwargs):
        for stream in ("stdin", "stdout", "stderr"):
            kwargs.setdefault(stream, subprocess.DEVNULL)
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
            with contextlib.suppress(ProcessLookupError):
                self.stop(process, timeout=5)

    def x_display(self):
        # -noreset: an X server resets when its last client leaves, refusing the program that connects
        # meanwhile. Other sessions start and end X servers too: a display that does not answer is replaced.
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
    if args.display != "x11":
        session.weston("x11-backend.so" if args.display == "wayland" else "headless-backend.so")
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
            # Types into the window with the keyboard focus; nothing without a seat.
            def type_text(text):
                subprocess.run(["xdotool", "type", "--delay", "30", text], env=session.env, check=True)
            drive(pyatspi, tunara, stream_url, None if args.display == "wayland-no-seat" else type_text)
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
        return next((app for app in desktop if app is not None and app.name == "tunara"), None)

    def descendants(node):
        for child in node:
            if child is not None:
                yield child
                yield from descendants(child)

    def find(root, role, name=None):
        return next((node for node in descendants(root)
                     if node.getRoleName() == role and (name is None or node.name == name)), None)

    def shown(root, role, name):
        return wait_for(lambda: find(root, role, name), f"the {role} {name!r}")

    def gone(root, role, name):
        wait_for(lambda: not find(root, role, name), f"the {role} {name!r} to go")

    def frame(title):
        app = application()
        return app and next((window for window in app if window.name == title), None)

    # Rows appear as the list makes them, just after the window shows.
    def rows(node, expected):
        def names():
            return [child.name for child in descendants(node) if child.getRoleName() == "list item"]
        try:
            wait_for(lambda: names() == expected, "the rows", timeout=10)
        except AssertionError:
            raise AssertionError(f"the rows: {names()}, not {expected}")

    def act(node, name):
        action = node.queryAction()
        index = next((i for i in reversed(range(action.nActions)) if action.getName(i) == name), None)
        check(index is not None, f"{node.getRoleName()} {node.name!r} has no {name} action")
        action.doAction(index)

    def press(node):
        act(node, "Press")

    def focused(node):
        return node.getState().contains(pyatspi.STATE_FOCUSED)

    # The panel: stations by name, the two items, no key hint read out.
    panel = wait_for(lambda: frame("Tunara"), "the panel on the accessibility bus")
    stations = shown(panel, "list", "Stations")
    rows(stations, STATIONS)
    shown(panel, "push button", "Settings")
    shown(panel, "push button", "Quit Tunara")
    shown(panel, "label", "Select a stream")
    spoken = [node.name for node in descendants(panel)]
    check(not any("Ctrl+" in name for name in spoken), f"a key hint is read out: {spoken}")

    # Pressing a row plays it.
    press(find(stations, "list item", "Local stream"))
    shown(stations, "list item", "Local stream, playing")
    shown(panel, "push button", "Pause")
    check(tunara.poll() is None, "the program ended while playing")

    # Settings: the list and the buttons by name. Qt 6.4 reports disabled
    # controls as enabled: the description says it.
    press(find(panel, "push button", "Settings"))
    settings = wait_for(lambda: frame("Settings"), "the Settings window")
    settings_list = shown(settings, "list", "Stations")
    rows(settings_list, STATIONS)
    add = shown(settings, "push button", "Add station")
    check(add.description == "", "'Add station' is described as unavailable")
    for name in ("Delete station", "Edit station"):
        check(shown(settings, "push button", name).description == "Select a station first",
              f"{name!r} does not say that it needs a selection")

    # A row selected by its action; the delete confirmation names it.
    press(find(settings_list, "list item", "NTS 1"))
    delete = find(settings, "push button", "Delete station")
    wait_for(lambda: delete.description == "", "'Delete station' to be enabled by the selection")
    press(delete)
    dialog = shown(settings, "dialog", "Delete Stream")
    shown(dialog, "label", 'Are you sure you want to delete "NTS 1"?')
    shown(dialog, "push button", "Delete")
    press(shown(dialog, "push button", "Cancel"))
    gone(settings, "dialog", "Delete Stream")
    rows(settings_list, STATIONS)

    # The add sheet, filled in and confirmed without a pointer: each field
    # takes the keyboard by its accessible action and is typed into.
    press(add)
    sheet = shown(settings, "dialog", "Add a stream")
    name_field = shown(sheet, "text", "Name")
    url_field = shown(sheet, "text", "URL")
    cancel = shown(sheet, "push button", "Cancel")
    confirm = shown(sheet, "push button", "Add")
    wait_for(lambda: focused(name_field), "the keyboard in 'Name' as the sheet opens")
    check(confirm.description == "Enter a name and a URL first", "'Add' does not say what it needs")
    if type_text is None:
        # No seat, no keyboard: the sheet was built; Cancel closes it.
        press(cancel)
        gone(settings, "dialog", "Add a stream")
        return
    type_text("Added by ear")
    act(url_field, "SetFocus")
    wait_for(lambda: focused(url_field), "the keyboard in 'URL'")
    type_text(stream_url + "?second")
    wait_for(lambda: confirm.description == "", "'Add' to be enabled")
    press(confirm)
    shown(settings_list, "list item", "Added by ear")
    shown(stations, "list item", "Added by ear")
    gone(settings, "dialog", "Add a stream")


if __name__ == "__main__":
    main()
