"""Tunara's MPRIS player as a desktop media widget sees it: its playlists (the
stations), ActivatePlaylist, and the PlaybackStatus and Metadata it announces
with PropertiesChanged, each change stamped on arrival."""

import sys
import time

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

SERVICE = "org.mpris.MediaPlayer2.tunara"
OBJECT = "/org/mpris/MediaPlayer2"
PLAYER = "org.mpris.MediaPlayer2.Player"
PLAYLISTS = "org.mpris.MediaPlayer2.Playlists"


class Player:
    def __init__(self, bus_address):
        self.bus = Gio.DBusConnection.new_for_address_sync(
            bus_address,
            Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION,
            None, None)
        self.status = None
        self.metadata = {}
        self.changed_at = 0.0  # when the last change arrived (time.monotonic())
        self.titles = []  # every distinct title announced, in order
        self.bus.signal_subscribe(None, "org.freedesktop.DBus.Properties", "PropertiesChanged", OBJECT, PLAYER,
                                  Gio.DBusSignalFlags.NONE, self._changed)

    def close(self):
        self.bus.close_sync(None)

    def _call(self, destination, path, interface, method, args, reply_type=None, timeout_ms=5000):
        return self.bus.call_sync(destination, path, interface, method, args,
                                  GLib.VariantType(reply_type) if reply_type else None,
                                  Gio.DBusCallFlags.NONE, timeout_ms, None)

    def _changed(self, _bus, _sender, _path, _interface, _signal, parameters):
        _, changed, _ = parameters.unpack()
        self._apply(changed)
        self.changed_at = time.monotonic()

    def _apply(self, properties):
        if "PlaybackStatus" in properties:
            self.status = properties["PlaybackStatus"]
        if "Metadata" in properties:
            self.metadata = properties["Metadata"]
            title = self.metadata.get("xesam:title")
            if title and (not self.titles or self.titles[-1] != title):
                self.titles.append(title)

    def wait_for_service(self, timeout=30):
        """Waits until the player is on the bus, then reads its properties."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            owned = self._call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                               "NameHasOwner", GLib.Variant("(s)", (SERVICE,)), "(b)").unpack()[0]
            if owned:
                everything = self._call(SERVICE, OBJECT, "org.freedesktop.DBus.Properties", "GetAll",
                                        GLib.Variant("(s)", (PLAYER,)), "(a{sv})").unpack()[0]
                self._apply(everything)
                return
            time.sleep(0.02)
        raise TimeoutError(f"{SERVICE} not on the bus within {timeout} s")

    def stations(self):
        """The playlists (one per station) by name: {name: object path}."""
        orderings = self._call(SERVICE, OBJECT, "org.freedesktop.DBus.Properties", "Get",
                               GLib.Variant("(ss)", (PLAYLISTS, "Orderings")), "(v)").unpack()[0]
        playlists = self._call(SERVICE, OBJECT, PLAYLISTS, "GetPlaylists",
                               GLib.Variant("(uusb)", (0, 1000, orderings[0], False)), "(a(oss))").unpack()[0]
        return {name: path for path, name, _icon in playlists}

    def raise_window(self):
        """Raise: the player opens its panel, as a click on its tray icon does."""
        self._call(SERVICE, OBJECT, "org.mpris.MediaPlayer2", "Raise", None)

    def activate(self, playlist):
        """Sends ActivatePlaylist without waiting for its reply; returns when it was sent."""
        sent = time.monotonic()
        self.bus.call(SERVICE, OBJECT, PLAYLISTS, "ActivatePlaylist", GLib.Variant("(o)", (playlist,)), None,
                      Gio.DBusCallFlags.NONE, 5000, None, self._replied)
        return sent

    @staticmethod
    def _replied(bus, result):
        try:
            bus.call_finish(result)
        except GLib.Error as error:
            print(f"ActivatePlaylist failed: {error.message}", file=sys.stderr, flush=True)

    def playing(self, station):
        return self.status == "Playing" and self.metadata.get("xesam:album") == station

    def wait(self, condition, timeout):
        """Handles the bus's messages until condition() holds; returns when the
        change that made it hold arrived, or None after timeout seconds."""
        context = GLib.MainContext.default()
        timed_out = []
        timer = GLib.timeout_add(max(1, int(timeout * 1000)), lambda: timed_out.append(True) and False)
        while not condition():
            if timed_out:
                return None
            context.iteration(True)
        if not timed_out:
            GLib.source_remove(timer)
        return self.changed_at

    def pump(self, seconds):
        """Handles the bus's messages for a while (keeps titles and status current)."""
        self.wait(lambda: False, seconds)
