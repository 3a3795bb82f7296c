#!/usr/bin/python3
"""The program in a real tray host: xfce4-panel 4.18 under Xvfb, its only
plugin the tray, on a private session bus. The program registers as a
StatusNotifierItem; the wheel over its icon moves the volume (read over
MPRIS) downwards as the wheel turns down; a click opens the panel."""

import os
import shutil
import subprocess
import sys
import tempfile
import time

PANEL_CONFIG = """<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
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


def wait_for(condition, what, timeout=20):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        result = condition()
        if result:
            return result
        time.sleep(0.2)
    raise AssertionError(f"timed out waiting for {what() if callable(what) else what}")


def output(env, *command):
    return subprocess.run(command, env=env, capture_output=True, text=True).stdout.strip()


def main():
    if not shutil.which("xfce4-panel"):
        sys.exit("missing xfce4-panel: run scripts/install-deps --test")
    work = tempfile.mkdtemp(prefix="tunara-tray-host-")
    env = {k: v for k, v in os.environ.items() if not k.startswith(("DBUS_", "XDG_", "DISPLAY", "QT_", "WAYLAND"))}
    env.update(HOME=work, **{f"XDG_{d.upper()}_HOME": os.path.join(work, d) for d in ("config", "data", "cache")},
               XDG_RUNTIME_DIR=os.path.join(work, "runtime"))
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
    channel = os.path.join(env["XDG_CONFIG_HOME"], "xfce4/xfconf/xfce-perchannel-xml")
    os.makedirs(channel)
    with open(os.path.join(channel, "xfce4-panel.xml"), "w") as file:
        file.write(PANEL_CONFIG)
    started = []

    def start(*command):
        started.append(subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL, start_new_session=True))
        return started[-1]

    try:
        read, write = os.pipe()
        started.append(subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x600x24",
                                         "-nolisten", "tcp"], pass_fds=[write], stderr=subprocess.DEVNULL))
        os.close(write)
        with os.fdopen(read) as displayfd:
            env["DISPLAY"] = ":" + displayfd.readline().strip()
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"], env=env,
                               stdout=subprocess.PIPE)
        started.append(bus)
        env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().decode().strip()
        start("xfce4-panel", "--disable-wm-check")
        wait_for(lambda: "true" in output(env, "gdbus", "call", "--session", "--dest", "org.kde.StatusNotifierWatcher",
                                          "--object-path", "/StatusNotifierWatcher", "--method",
                                          "org.freedesktop.DBus.Properties.Get", "org.kde.StatusNotifierWatcher",
                                          "IsStatusNotifierHostRegistered"), "the panel's tray")
        tunara = start(sys.argv[1])
        wait_for(lambda: "StatusNotifierItem-" in output(
            env, "gdbus", "call", "--session", "--dest", "org.kde.StatusNotifierWatcher", "--object-path",
            "/StatusNotifierWatcher", "--method", "org.freedesktop.DBus.Properties.Get",
            "org.kde.StatusNotifierWatcher", "RegisteredStatusNotifierItems"), "the item to register")
        volume = lambda: output(env, "playerctl", "-p", "tunara", "volume")
        wait_for(lambda: volume() == "1.000000", "full volume over MPRIS")
        # The tray is the panel's only plugin: the icon is at its left end,
        # once the panel has read the item.
        time.sleep(2)
        subprocess.run(["xdotool", "mousemove", "12", "15", "sleep", "0.5", "click", "--repeat", "2", "--delay", "300",
                        "5"], env=env, check=True)
        wait_for(lambda: volume() == "0.900000", lambda: f"two notches down to 0.9, not {volume()}")
        subprocess.run(["xdotool", "click", "1"], env=env, check=True)
        wait_for(lambda: output(env, "xdotool", "search", "--onlyvisible", "--name", "^Tunara$"), "the panel")
        assert tunara.poll() is None, "the program ended"
        print("xfce4-panel: registered, the wheel moved the volume, a click opened the panel")
    finally:
        for process in reversed(started):
            process.terminate()
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
