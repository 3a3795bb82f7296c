"""A private desktop session for one benchmark run: an X server (Xvfb) with a
system tray (trayer), a session bus, and a PulseAudio sound server whose only
output is a null sink, all living in one temporary folder. Nothing of the
machine's own session is used."""

import os
import shutil
import subprocess
import sys

from .processes import wait_until

TOOLS = ("Xvfb", "trayer", "xdotool", "xdpyinfo", "dbus-daemon", "pulseaudio", "pactl")


def require(tools):
    missing = [tool for tool in tools if not shutil.which(tool)]
    if missing:
        sys.exit(f"missing {', '.join(missing)}: run scripts/install-deps --test")


class DesktopSession:
    def __init__(self, processes, work):
        require(TOOLS)
        self.work = work
        runtime = os.path.join(work, "runtime")
        os.makedirs(runtime, mode=0o700)
        env = {name: value for name, value in os.environ.items()
               if name not in ("DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "QT_QPA_PLATFORM",
                               "PULSE_SERVER", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME")}
        env.update(XDG_RUNTIME_DIR=runtime, HOME=work, XDG_CONFIG_HOME=os.path.join(work, "config"),
                   XDG_CACHE_HOME=os.path.join(work, "cache"), XDG_DATA_HOME=os.path.join(work, "data"),
                   GSETTINGS_BACKEND="memory", NO_AT_BRIDGE="1")
        self.env = env

        # X with a tray: Xvfb picks a free display number and writes it to us.
        read_end, write_end = os.pipe()
        processes.start(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
                        env, pass_fds=(write_end,))
        os.close(write_end)
        with os.fdopen(read_end) as display:
            env["DISPLAY"] = ":" + display.readline().strip()
        wait_until(lambda: subprocess.run(["xdpyinfo"], env=env, capture_output=True).returncode == 0, 10,
                   "X server")
        processes.start(["trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "28",
                         "--SetDockType", "true", "--transparent", "false"], env)

        bus = processes.start(["dbus-daemon", "--session", "--nofork", "--print-address=1",
                               f"--address=unix:path={runtime}/bus"], env, stdout=subprocess.PIPE)
        env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().decode().strip()

        pulse_socket = os.path.join(runtime, "pulse-native")
        processes.start(["pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "-n",
                         "-L", "module-null-sink sink_name=speakers",
                         "-L", f"module-native-protocol-unix socket={pulse_socket} auth-anonymous=1"], env)
        env["PULSE_SERVER"] = f"unix:{pulse_socket}"
        wait_until(lambda: subprocess.run(["pactl", "info"], env=env, capture_output=True).returncode == 0, 15,
                   "PulseAudio")
        # A user's GStreamer keeps its plugin registry in the cache folder;
        # built once here, as on any desktop where GStreamer ran before, so
        # no player's first start pays for scanning every plugin.
        subprocess.run(["gst-inspect-1.0", "playbin"], env=env, stdout=subprocess.DEVNULL, check=True)

    def x(self, *command):
        """Runs an X client (xdotool, …) on this display and returns its output."""
        return subprocess.run(list(command), env=self.env, capture_output=True, text=True).stdout.strip()

    def wait_for_window(self, classname, timeout=30):
        return wait_until(lambda: self.x("xdotool", "search", "--classname", classname), timeout,
                          f"a {classname} window")
