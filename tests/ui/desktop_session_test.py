#!/usr/bin/python3
"""The program in a real desktop session, read and driven as a screen reader
does: through the accessibility bus (AT-SPI), by accessible names, roles,
states, actions and editable text. --display x11 runs it on Xvfb; wayland
under Weston on Xvfb, with an input seat; wayland-no-seat under Weston's
headless backend, without one (nothing is typed there); xfce4-panel on Xvfb
with a real tray host, xfce4-panel 4.18 with the tray as its only plugin;
keyboard on Xvfb from a first start, by keys alone, to a station found in
the directory playing, listening for what a screen reader is told. With
--language, the program in German or Hebrew. Private session and
accessibility buses, loopback traffic only, and every process started is
ended. Needs Debian's python3-pyatspi.
"""

import argparse
import contextlib
import json
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree
import zlib

pyatspi = None  # imported once the session's buses are known

FIXTURES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fixtures")
STREAM_SERVER = os.path.join(FIXTURES, "stream_server.py")
DIRECTORY_SERVER = os.path.join(FIXTURES, "directory_server.py")
TRANSLATIONS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src", "ui", "i18n")
STATIONS = ["Local stream", "Radio Paradise", "NTS 1"]
# A top panel whose only plugin is the tray, its handles locked away: the
# icon sits at its left end.
XFCE_PANEL = """<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array"><value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="30"/>
      <property name="plugin-ids" type="array"><value type="int" value="1"/></property>
    </property>
  </property>
  <property name="plugins" type="empty"><property name="plugin-1" type="string" value="systray"/></property>
</channel>
"""


class Session:
    """The processes of one desktop session, each in its own process group."""

    def __init__(self, work):
        self.work = work
        self.started = []
        os.makedirs(os.path.join(work, "runtime"), mode=0o700)
        self.env = {key: value for key, value in os.environ.items()
                    if not key.startswith(("QT_", "WAYLAND_", "DISPLAY", "DBUS_", "XDG_", "AT_SPI"))}
        # Under AddressSanitizer: libraries without frame pointers (libwayland-client) cut the fast
        # unwinder's stacks short, and the leak suppressions for Qt above them would not match.
        if "ASAN_OPTIONS" in self.env:
            self.env["ASAN_OPTIONS"] += ":fast_unwind_on_malloc=0"
        self.env.update({key: os.path.join(work, folder) for key, folder in (
            ("XDG_RUNTIME_DIR", "runtime"), ("XDG_CONFIG_HOME", "config"), ("XDG_CACHE_HOME", "cache"),
            ("XDG_DATA_HOME", "data"))}, HOME=work, GSETTINGS_BACKEND="memory")

    def start(self, command, **kwargs):
        kwargs = {"stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL, **kwargs}
        self.started.append(subprocess.Popen(command, env=self.env, start_new_session=True, **kwargs))
        return self.started[-1]

    @staticmethod
    def stop(process, timeout=10):
        with contextlib.suppress(ProcessLookupError):
            if process.poll() is None:
                os.killpg(process.pid, signal.SIGTERM)
                try:
                    process.wait(timeout)
                except subprocess.TimeoutExpired:
                    os.killpg(process.pid, signal.SIGKILL)
                    process.wait()
        return process.returncode

    def desktop(self, display):
        if display != "wayland-no-seat":
            self.x_display()
        if display.startswith("wayland"):
            self.start(["weston", f"--backend={'x11' if display == 'wayland' else 'headless'}-backend.so",
                        "--socket=tunara-test", "--use-pixman", "--idle-time=0", f"--log={self.work}/weston.log"])
            wait_for(lambda: os.path.exists(f"{self.env['XDG_RUNTIME_DIR']}/tunara-test"), "Weston's socket")
            self.env.update(WAYLAND_DISPLAY="tunara-test", QT_QPA_PLATFORM="wayland")
        bus = self.start(["dbus-daemon", "--session", "--nofork", "--print-address=1"], stdout=subprocess.PIPE)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().decode().strip()
        self.start(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
        self.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        if display == "xfce4-panel":
            channel = os.path.join(self.env["XDG_CONFIG_HOME"], "xfce4/xfconf/xfce-perchannel-xml")
            os.makedirs(channel)
            with open(os.path.join(channel, "xfce4-panel.xml"), "w") as file:
                file.write(XFCE_PANEL)
            self.start(["xfce4-panel", "--disable-wm-check"])
            wait_for(lambda: "true" in self.watcher("IsStatusNotifierHostRegistered"), "the panel's tray")

    def watcher(self, property_name):
        return subprocess.run(["gdbus", "call", "--session", "--dest", "org.kde.StatusNotifierWatcher",
                               "--object-path", "/StatusNotifierWatcher", "--method",
                               "org.freedesktop.DBus.Properties.Get", "org.kde.StatusNotifierWatcher", property_name],
                              env=self.env, capture_output=True, text=True).stdout

    def x_display(self):
        # -noreset: an X server resets when its last client leaves, refusing the program that connects
        # meanwhile. Other sessions start and end X servers too: a display that does not answer is replaced.
        for attempt in range(3):
            read, write = os.pipe()
            server = self.start(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x800x24", "-nolisten", "tcp",
                                 "-noreset"], pass_fds=[write], stderr=open(f"{self.work}/xvfb-{attempt}.log", "w"))
            os.close(write)
            with os.fdopen(read) as displayfd:
                number = displayfd.readline().strip()
            self.env["DISPLAY"] = ":" + number
            try:
                return wait_for(lambda: number and subprocess.run(["xdpyinfo"], env=self.env,
                                                                  capture_output=True).returncode == 0,
                                "the X display", timeout=10)
            except AssertionError:
                self.stop(server)
        sys.exit("Xvfb did not start a display that answers")


def pump_events():
    """Hands the accessibility bus's events to their listeners."""
    if "gi.repository.GLib" in sys.modules:
        context = sys.modules["gi.repository.GLib"].MainContext.default()
        while context.pending():
            context.iteration(False)


def wait_for(condition, what, timeout=30):
    """condition's first true value; what may be a function, for a message made at the end."""
    deadline = time.monotonic() + timeout
    last_error = None
    while time.monotonic() < deadline:
        pump_events()
        try:
            result = condition()
            if result:
                return result
        except Exception as error:  # the tree changes under our feet
            last_error = error
        time.sleep(0.1)
    what = what() if callable(what) else what
    raise AssertionError(f"timed out waiting for {what}" + (f" (last error: {last_error})" if last_error else ""))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("tunara")
    parser.add_argument("--display", choices=["x11", "wayland", "wayland-no-seat", "xfce4-panel", "keyboard"],
                        required=True)
    parser.add_argument("--language", choices=["de", "he"])
    args = parser.parse_args()
    for tool in ("Xvfb", "xdpyinfo", "xdotool", "dbus-daemon", "weston", "/usr/libexec/at-spi-bus-launcher"):
        if not shutil.which(tool):
            sys.exit(f"missing {tool}: run scripts/install-deps")
    work = tempfile.mkdtemp(prefix="tunara-desktop-")
    session = Session(work)
    try:
        run(session, args)
        print(f"{args.display} {args.language or ''}: " + {
            "xfce4-panel": "the tray item registered, its wheel and click worked",
            "keyboard": "from a first start to a station found and playing by keys alone, each step told"}.get(
                args.display, "the panel, Settings and the add sheet read and worked through the accessibility bus"))
    finally:
        for process in reversed(session.started):
            session.stop(process, timeout=5)
        shutil.rmtree(work, ignore_errors=True)


def run(session, args):
    server = session.start([sys.executable, STREAM_SERVER, "--lifetime", "600", "--workdir", session.work],
                           stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    stream_base = f"http://127.0.0.1:{json.loads(server.stdout.readline())['http']}"
    stream_url = stream_base + "/icy/mp3"
    if args.display == "keyboard":  # a first start: no station list yet
        directory = session.start([sys.executable, DIRECTORY_SERVER, "--log", os.path.join(session.work, "directory.log"),
                                   "--stream-base", stream_base, "--lifetime", "600"],
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        session.env["TUNARA_DIRECTORY_URL"] = f"http://127.0.0.1:{json.loads(directory.stdout.readline())['port']}"
    else:
        library = os.path.join(session.env["XDG_DATA_HOME"], "tunara")
        os.makedirs(library)
        with open(os.path.join(library, "database.json"), "w") as file:
            json.dump([{"id": f"6F9619FF-8B86-D011-B42D-00C04FC964F{i}", "name": name, "url": url} for i, name, url in (
                (1, "Local stream", stream_url), (2, "Radio\nParadise", "http://127.0.0.1:9/rp"),
                (3, "NTS 1", stream_base + "/status/404"))], file)
    if args.display == "x11" and not args.language:  # notifications asked for
        os.makedirs(os.path.join(session.env["XDG_CONFIG_HOME"], "tunara"))
        with open(os.path.join(session.env["XDG_CONFIG_HOME"], "tunara", "settings.json"), "w") as file:
            json.dump({"notifyNewTracks": True}, file)
    if args.language:
        for name in ("LC_ALL", "LC_MESSAGES", "LANGUAGE"):
            session.env.pop(name, None)
        session.env["LANG"] = {"de": "de_DE.UTF-8", "he": "he_IL.UTF-8"}[args.language]

    session.desktop("x11" if args.display == "keyboard" else args.display)

    # pyatspi finds the accessibility bus through the session bus it is
    # given when first imported.
    os.environ.pop("DISPLAY", None)
    os.environ.update({key: session.env[key] for key in ("DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR")})
    global pyatspi
    import pyatspi
    services = desktop_services(session.env["DBUS_SESSION_BUS_ADDRESS"]) if args.display == "x11" else None

    log_path = os.path.join(session.work, "tunara.log")
    tunara = session.start([args.tunara], stdout=open(log_path, "w"), stderr=subprocess.STDOUT)
    try:
        if args.display == "xfce4-panel":
            in_tray(session, pyatspi)
        elif args.display == "keyboard":
            by_keys(session)
        elif args.language:
            in_language(args.language)
        else:
            # Types into the window with the keyboard focus; nothing without a seat.
            drive(tunara, services, stream_url, None if args.display == "wayland-no-seat" else lambda text: subprocess.run(
                ["xdotool", "type", "--delay", "30", text], env=session.env, check=True))
        assert tunara.poll() is None, "the program ended by itself"
        code = session.stop(tunara)
        assert code == 0, f"the program ended with {code} on SIGTERM"
        if services:  # what plays keeps the desktop awake until the program ends
            portal = services[1]
            wait_for(lambda: [call[0] for call in portal.calls][-1:] == ["Close"],
                     lambda: f"the inhibition released at the end, not only {portal.calls}")
    except BaseException as error:
        if isinstance(error, AssertionError) and tunara.poll() is None:
            sys.stderr.write("--- what the accessibility bus shows ---\n" + tree(application(pyatspi)))
        with open(log_path) as output:
            sys.stderr.write("--- the program's output ---\n" + output.read()[-4000:])
        raise


def in_tray(session, pyatspi):
    """Registered as a StatusNotifierItem; two wheel notches down over the
    icon take the volume (read over MPRIS) from 100 % to 90 %; a click opens
    the panel."""
    wait_for(lambda: "StatusNotifierItem-" in session.watcher("RegisteredStatusNotifierItems"), "the tray item")
    def volume():
        return subprocess.run(["playerctl", "-p", "tunara", "volume"], env=session.env, capture_output=True,
                              text=True).stdout.strip()
    wait_for(lambda: volume() == "1.000000", "full volume over MPRIS")
    time.sleep(2)  # the panel reads the item, then draws its icon
    subprocess.run(["xdotool", "mousemove", "12", "15", "sleep", "0.5", "click", "--repeat", "2", "--delay", "300", "5"],
                   env=session.env, check=True)
    wait_for(lambda: volume() == "0.900000", lambda: f"two notches down to 90 %, not {volume()}")
    subprocess.run(["xdotool", "click", "1"], env=session.env, check=True)
    wait_for(lambda: (app := application(pyatspi)) and any(
        window.name == "Tunara" and window.getState().contains(pyatspi.STATE_SHOWING) for window in app), "the panel")


def application(pyatspi):
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


def tree(node, depth=0):
    try:
        return "  " * depth + f"{node.getRoleName()} {node.name!r} {node.description!r}\n" + "".join(
            tree(child, depth + 1) for child in node if child is not None)
    except Exception as error:
        return "  " * depth + f"({error})\n"


# Qt 6.8 names a push button's role "button".
def role_of(node):
    role = node.getRoleName()
    return "push button" if role == "button" else role


def find(root, role, name=None):
    return next((node for node in descendants(root)
                 if role_of(node) == role and (name is None or node.name == name)), None)


def shown(root, role, name):
    return wait_for(lambda: find(root, role, name), f"the {role} {name!r}")


def gone(root, role, name):
    wait_for(lambda: not find(root, role, name), f"the {role} {name!r} to go")


def frame(title):
    app = application(pyatspi)
    return app and next((window for window in app if window.name == title), None)


# Rows appear as the list makes them, just after the window shows.
def rows(node, expected):
    def names():
        return [child.name for child in descendants(node) if child.getRoleName() == "list item"]
    wait_for(lambda: names() == expected, lambda: f"the rows {expected}, not {names()}", timeout=10)


def act(node, name="Press"):
    action = node.queryAction()
    index = next((i for i in reversed(range(action.nActions)) if action.getName(i) == name), None)
    assert index is not None, f"{node.getRoleName()} {node.name!r} has no {name} action"
    action.doAction(index)


def focused(node):
    return node.getState().contains(pyatspi.STATE_FOCUSED)


class Announcements:
    """What the program tells a screen reader without moving the focus:
    since Qt 6.8 an announcement; before, a notification that shows, which
    Orca speaks (Qt 6.4 tells a changed name or description without it)."""

    def __init__(self):
        self.heard = []
        pyatspi.Registry.registerEventListener(self.hear, "object:announcement", "object:state-changed:showing")

    def hear(self, event):
        # Read when the events are handed over, maybe after later ones came.
        if event.type == "object:announcement" and isinstance(event.any_data, str):
            self.heard.append(event.any_data)
        elif event.type.startswith("object:state-changed:showing") and event.detail1 \
                and event.source.getRole() == pyatspi.ROLE_NOTIFICATION:
            self.heard.append(event.source.name)

    def wait(self, text):
        return wait_for(lambda: text in self.heard, lambda: f"{text!r} told, not only {self.heard}")


class BusStandIn:
    """A desktop service on the session bus, on a connection of its own,
    recording each call as (method, arguments) and answering with
    answer(method, arguments)."""

    def __init__(self, address, name, path, interfaces_xml, answer):
        from gi.repository import Gio, GLib
        self.calls, self.answer, self.glib = [], answer, GLib
        self.connection = Gio.DBusConnection.new_for_address_sync(
            address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION)
        for interface in Gio.DBusNodeInfo.new_for_xml(f"<node>{interfaces_xml}</node>").interfaces:
            self.connection.register_object(path, interface, self.called)
        self.connection.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
                                  GLib.Variant("(su)", (name, 0)), None, Gio.DBusCallFlags.NONE, -1)

    def called(self, connection, sender, path, interface, method, arguments, invocation):
        self.calls.append((method, arguments.unpack()))
        invocation.return_value(self.answer(method, arguments.unpack()))


def desktop_services(address):
    """Stand-ins for the notification server and the desktop portal's
    Inhibit (each request handle answering Close at the portal's path)."""
    from gi.repository import GLib
    notifications = BusStandIn(address, "org.freedesktop.Notifications", "/org/freedesktop/Notifications", """
        <interface name="org.freedesktop.Notifications">
          <method name="Notify"><arg type="s"/><arg type="u"/><arg type="s"/><arg type="s"/><arg type="s"/>
            <arg type="as"/><arg type="a{sv}"/><arg type="i"/><arg type="u" direction="out"/></method>
          <method name="CloseNotification"><arg type="u"/></method>
        </interface>""", lambda method, _: GLib.Variant("(u)", (7,)) if method == "Notify" else None)
    portal = BusStandIn(address, "org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop", """
        <interface name="org.freedesktop.portal.Inhibit">
          <method name="Inhibit"><arg type="s"/><arg type="u"/><arg type="a{sv}"/><arg type="o" direction="out"/></method>
        </interface>
        <interface name="org.freedesktop.portal.Request"><method name="Close"/></interface>""",
                        lambda method, _: GLib.Variant("(o)", ("/org/freedesktop/portal/desktop",))
                        if method == "Inhibit" else None)
    return notifications, portal


def press(session, keys):
    subprocess.run(["xdotool", "key", "--delay", "80", *keys.split()], env=session.env, check=True)


def by_keys(session):
    """A first start, by keys alone, with what a screen reader is told:
    Ctrl+F opens Find Stations, a name typed is searched, Down and Return
    add the first station found, Escape twice comes back to the panel, where
    Return plays it; Ctrl+Down turns it down."""
    told = Announcements()
    panel = wait_for(lambda: frame("Tunara"), "the panel on the accessibility bus")
    stations = shown(panel, "list", "Stations")
    wait_for(lambda: sum(node.getRoleName() == "list item" for node in descendants(stations)) == 4,
             "the four stations of a first start")
    subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "^Tunara$", "windowfocus"], env=session.env,
                   check=True)
    wait_for(lambda: focused(stations), "the keyboard in the panel's list")
    press(session, "ctrl+f")
    settings = wait_for(lambda: frame("Settings"), "the Settings window")
    search = shown(settings, "text", "Search the station directory")
    wait_for(lambda: focused(search), "the keyboard in the search field")
    subprocess.run(["xdotool", "type", "--delay", "30", "jazz"], env=session.env, check=True)
    told.wait("Searching…")
    wait_for(lambda: any(text.endswith(" stations found") for text in told.heard), lambda: f"a count, not {told.heard}")
    press(session, "Down")
    found = shown(settings, "list", "Stations found")
    wait_for(lambda: any(focused(node) and node.name.startswith("Fixture Jazz") for node in descendants(found)),
             "the first station found with the keyboard")
    press(session, "Return")
    told.wait("Added Fixture Jazz")
    press(session, "Escape")
    gone(settings, "list", "Stations found")
    press(session, "Escape")
    wait_for(lambda: frame("Tunara").getState().contains(pyatspi.STATE_ACTIVE), "the panel back")
    wait_for(lambda: any(focused(node) and node.name == "Fixture Jazz" for node in descendants(stations)),
             "the station added as the panel's keyboard row")
    press(session, "Return")
    shown(stations, "list item", "Fixture Jazz, playing")
    # Until the first track the title is the station's name and there is no artist.
    def track():
        artist, _, title = subprocess.run(["playerctl", "-p", "tunara", "metadata", "--format", "{{artist}}\t{{title}}"],
                                          env=session.env, capture_output=True, text=True).stdout.rstrip("\n").partition("\t")
        return artist and title
    title = wait_for(track, "a track's artist and title")
    wait_for(lambda: any(title in text for text in told.heard), lambda: f"the track {title!r} told, not {told.heard}")
    # The directory's favicon (16 x 16, #3366CC) is the station's logo, which
    # the desktop's media widgets show.
    def artwork():
        return subprocess.run(["playerctl", "-p", "tunara", "metadata", "mpris:artUrl"], env=session.env,
                              capture_output=True, text=True).stdout.strip().removeprefix("file://")
    wait_for(lambda: "/tunara/logos/" in artwork(), lambda: f"the logo as the MPRIS artwork, not {artwork()!r}")
    width, height, pixels = png_pixels(artwork())
    assert (width, height) == (16, 16) and set(pixels) == {(0x33, 0x66, 0xCC, 255)}, (width, height, set(pixels))
    def volume():
        return subprocess.run(["playerctl", "-p", "tunara", "volume"], env=session.env, capture_output=True,
                              text=True).stdout.strip()
    wait_for(lambda: focused(stations) or any(focused(node) for node in descendants(stations)),
             "the keyboard still in the panel's list")
    # Two steps told before the bus is read: each is heard with its own level.
    press(session, "ctrl+Down ctrl+Down")
    wait_for(lambda: volume() == "0.900000", lambda: f"Ctrl+Down twice to turn the volume to 90 %, not {volume()}")
    told.wait("Volume 95 %")
    told.wait("Volume 90 %")


def png_pixels(path):
    """Width, height and RGBA pixels of an 8-bit RGB or RGBA PNG, read without an imaging library."""
    with open(path, "rb") as file:
        data = file.read()
    position, header, compressed = 8, None, b""
    while position < len(data):
        length, kind = struct.unpack(">I4s", data[position:position + 8])
        body = data[position + 8:position + 8 + length]
        header = body if kind == b"IHDR" else header
        compressed += body if kind == b"IDAT" else b""
        position += 12 + length
    width, height, depth, colour = struct.unpack(">IIBB", header[:10])
    assert depth == 8 and colour in (2, 6), (depth, colour)
    size = 4 if colour == 6 else 3
    raw, stride, rows, previous = zlib.decompress(compressed), width * size, [], bytearray(width * size)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            a, b = line[x - size] if x >= size else 0, previous[x]
            c = previous[x - size] if x >= size else 0
            p = a + b - c
            nearest = a if abs(p - a) <= abs(p - b) and abs(p - a) <= abs(p - c) else b if abs(p - b) <= abs(p - c) else c
            line[x] = (line[x] + (0, a, b, (a + b) // 2, nearest)[kind]) & 0xFF
        rows.append(line)
        previous = line
    return width, height, [tuple(row[x:x + size]) + ((255,) if size == 3 else ()) for row in rows
                           for x in range(0, stride, size)]


def translations(language):
    """(context, English) → the text the program shows in the language."""
    texts = {}
    root = xml.etree.ElementTree.parse(os.path.join(TRANSLATIONS, f"tunara_{language}.ts")).getroot()
    for context in root.iter("context"):
        for message in context.iter("message"):
            translation = message.find("translation")
            forms = [form.text for form in translation.iter("numerusform")] or [translation.text]
            texts[(context.findtext("name"), message.findtext("source"))] = forms[0]
    return texts


def in_language(language):
    """The panel and Settings read in the language, Hebrew laid out right to left."""
    texts = translations(language)
    panel = wait_for(lambda: frame("Tunara"), "the panel on the accessibility bus")
    stations = shown(panel, "list", texts["TrayPanel", "Stations"])
    shown(panel, "label", texts["NowPlayingHeader", "Select a stream"])
    quit_item = shown(panel, "push button", texts["TrayPanel", "Quit Tunara"])
    settings_item = shown(panel, "push button", texts["TrayPanel", "Settings…"].replace("…", "").strip())
    act(find(stations, "list item", "Local stream"))
    shown(stations, "list item", "Local stream, " + texts["StatusWording", "playing"])
    pause = shown(panel, "push button", texts["StatusWording", "Pause"])
    # A failure's reason in the language too (NTS 1 answers 404).
    act(find(stations, "list item", "NTS 1"))
    shown(panel, "label", texts["StatusWording", "Connection failed"] + ". "
          + texts["Failure", "The server has no stream at this address."])
    act(find(stations, "list item", "Local stream"))
    pause = shown(panel, "push button", texts["StatusWording", "Pause"])

    def left(node):
        return node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).x

    def middle(node):
        extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return extents.x + extents.width / 2

    # The play button starts the line: at the left, in Hebrew at the right.
    right_to_left = language == "he"
    assert (left(pause) > middle(quit_item)) == right_to_left, f"the header is not laid out for {language}"
    act(settings_item)
    settings = wait_for(lambda: frame(texts["tunara::TunaraApp", "Settings"]), "the Settings window")
    shown(settings, "list", texts["SettingsView", "Stations"])
    for name in ("Add station", "Delete station", "Find Stations", "Edit station"):
        shown(settings, "push button", texts["SettingsView", name])
    add, edit = (find(settings, "push button", texts["SettingsView", name]) for name in ("Add station", "Edit station"))
    assert (left(add) > left(edit)) == right_to_left, f"Settings' buttons are not laid out for {language}"


def drive(tunara, services, stream_url, type_text):
    told = Announcements()
    # The panel: stations by name, the two items, no key hint read out.
    panel = wait_for(lambda: frame("Tunara"), "the panel on the accessibility bus")
    stations = shown(panel, "list", "Stations")
    rows(stations, STATIONS)
    for role, name in (("push button", "Settings"), ("push button", "Quit Tunara"), ("label", "Select a stream")):
        shown(panel, role, name)
    spoken = [node.name for node in descendants(panel)]
    assert not any("Ctrl+" in name for name in spoken), f"a key hint is read out: {spoken}"

    # Pressing a row plays it.
    act(find(stations, "list item", "Local stream"))
    shown(stations, "list item", "Local stream, playing")
    shown(panel, "push button", "Pause")
    assert tunara.poll() is None, "the program ended while playing"

    # Settings: the list and the buttons by name. The list has the keyboard
    # and shows it: its first row is selected, so Delete and Edit act on it.
    # (Qt 6.4 reports disabled controls as enabled: a description says it.)
    act(find(panel, "push button", "Settings"))
    settings = wait_for(lambda: frame("Settings"), "the Settings window")
    settings_list = shown(settings, "list", "Stations")
    rows(settings_list, STATIONS)
    add = shown(settings, "push button", "Add station")
    if type_text is not None:  # without a seat no window has the keyboard
        first = find(settings_list, "list item", STATIONS[0])
        wait_for(lambda: first.getState().contains(pyatspi.STATE_SELECTED), "the first row selected as Settings opens")
        for name in ("Add station", "Delete station", "Edit station"):
            assert shown(settings, "push button", name).description == "", f"{name!r} is described as unavailable"

    # A row selected by its action; the delete confirmation names it.
    act(find(settings_list, "list item", "NTS 1"))
    wait_for(lambda: find(settings_list, "list item", "NTS 1").getState().contains(pyatspi.STATE_SELECTED),
             "'NTS 1' selected by its action")
    act(find(settings, "push button", "Delete station"))
    dialog = shown(settings, "dialog", "Delete Stream")
    shown(dialog, "label", 'Are you sure you want to delete "NTS 1"?')
    shown(dialog, "push button", "Delete")
    act(shown(dialog, "push button", "Cancel"))
    gone(settings, "dialog", "Delete Stream")
    rows(settings_list, STATIONS)

    # The add sheet, filled in and confirmed without a pointer: each field
    # takes the keyboard by its accessible action and is typed into.
    act(add)
    sheet = shown(settings, "dialog", "Add a stream")
    name_field, url_field = shown(sheet, "text", "Name"), shown(sheet, "text", "URL")
    cancel, confirm = shown(sheet, "push button", "Cancel"), shown(sheet, "push button", "Add")
    wait_for(lambda: focused(name_field), "the keyboard in 'Name' as the sheet opens")
    assert confirm.description == "Enter a name and a URL first", "'Add' does not say what it needs"
    if type_text is None:
        # No seat, no keyboard: the sheet was built; Cancel closes it.
        act(cancel)
        gone(settings, "dialog", "Add a stream")
        return
    type_text("Added by ear")
    act(url_field, "SetFocus")
    wait_for(lambda: focused(url_field), "the keyboard in 'URL'")
    type_text(stream_url + "?second")
    wait_for(lambda: confirm.description == "", "'Add' to be enabled")
    act(confirm)
    shown(settings_list, "list item", "Added by ear")
    shown(stations, "list item", "Added by ear")
    gone(settings, "dialog", "Add a stream")
    told.wait("Added Added by ear")

    # A failure that is final is told, with its reason, in the window that
    # has the keyboard; so is a deletion.
    act(find(stations, "list item", "NTS 1"))
    told.wait("Connection failed. The server has no stream at this address.")
    act(find(settings_list, "list item", "Added by ear"))
    act(find(settings, "push button", "Delete station"))
    act(shown(shown(settings, "dialog", "Delete Stream"), "push button", "Delete"))
    told.wait("Deleted Added by ear")
    if not services:
        return

    # With Settings in front, a new track is a desktop notification (asked
    # for in settings.json), and what plays keeps the desktop from
    # suspending on idle.
    notifications, portal = services
    act(find(stations, "list item", "Local stream"))
    wait_for(lambda: [call for call in notifications.calls if call[0] == "Notify"],
             lambda: f"a notification, not only {notifications.calls}")
    app, replaces, icon, summary, body, actions, hints, timeout = next(
        arguments for method, arguments in notifications.calls if method == "Notify")
    assert (app, icon, summary, body, actions) == ("Tunara", "tunara", "Hoppípolla ♫", "Sigur Rós\nLocal stream", []), \
        notifications.calls
    assert hints["desktop-entry"] == "tunara" and hints["transient"] is True, hints
    assert os.path.isfile(hints.get("image-path", "")), f"no picture in {hints}"
    inhibits = [arguments for method, arguments in portal.calls if method == "Inhibit"]
    assert inhibits and inhibits[-1][1] == 4, f"not inhibited for suspend alone: {portal.calls}"


if __name__ == "__main__":
    main()
