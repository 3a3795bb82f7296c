"""A real Icecast 2.4 server from Debian on 127.0.0.1, with live sources that
GStreamer encodes and sends with shout2send, as a station's studio does.

Icecast refuses to run as root: as root it runs as Debian's icecast2 user,
with its configuration and logs in a temporary folder that user owns."""

import base64
import json
import os
import pwd
import shutil
import socket
import subprocess
import time
import urllib.parse
import urllib.request
from dataclasses import dataclass
from xml.sax.saxutils import escape

from .desktop import require
from .processes import wait_until

SOURCE_PASSWORD = "bench-source"
ADMIN_PASSWORD = "bench-admin"

ENCODERS = {
    "mp3": "lamemp3enc target=bitrate bitrate=128 cbr=true",
    "vorbis": "vorbisenc bitrate=128000 ! oggmux",
}


@dataclass
class Mount:
    path: str  # "/live.mp3"
    codec: str  # a key of ENCODERS
    burst_bytes: int = 65535  # what a new listener gets at once (Icecast's default)


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Icecast:
    def __init__(self, processes, work, mounts):
        require(("icecast2", "gst-launch-1.0"))
        self.mounts = {mount.path: mount for mount in mounts}
        self.port = free_port()
        folder = os.path.join(work, "icecast")
        os.makedirs(folder)
        config = os.path.join(folder, "icecast.xml")
        with open(config, "w") as out:
            out.write(self._config(folder))
        command = ["icecast2", "-c", config]
        if os.geteuid() == 0:
            user = pwd.getpwnam("icecast2")
            shutil.chown(folder, user.pw_uid, user.pw_gid)
            os.chmod(work, os.stat(work).st_mode | 0o111)  # the icecast2 user must reach its folder
            command = ["runuser", "-u", "icecast2", "--"] + command
        with open(os.path.join(folder, "output.log"), "wb") as out:
            processes.start(command, stdout=out, stderr=subprocess.STDOUT)
        try:
            wait_until(self._answers, 10, "Icecast")
        except TimeoutError:
            with open(os.path.join(folder, "output.log"), errors="replace") as out:
                raise RuntimeError("Icecast did not start:\n" + out.read()) from None
        for number, mount in enumerate(mounts):
            processes.start(["gst-launch-1.0", "-q", "audiotestsrc", "is-live=true", "wave=sine",
                             f"freq={330 + 110 * number}", "!", "audioconvert", "!", "audioresample", "!",
                             "audio/x-raw,rate=44100,channels=2", "!", *ENCODERS[mount.codec].split(), "!",
                             "shout2send", "ip=127.0.0.1", f"port={self.port}", f"password={SOURCE_PASSWORD}",
                             f"mount={mount.path}"])
        wait_until(lambda: self.live_mounts() >= set(self.mounts), 15, "Icecast sources")
        self.version = self.status()["icestats"]["server_id"]

    def _config(self, folder):
        mounts = "".join(f"<mount type=\"normal\"><mount-name>{escape(m.path)}</mount-name>"
                         f"<burst-size>{m.burst_bytes}</burst-size></mount>" for m in self.mounts.values())
        return f"""<icecast>
  <limits><clients>100</clients><sources>{len(self.mounts)}</sources><burst-size>65535</burst-size></limits>
  <authentication>
    <source-password>{SOURCE_PASSWORD}</source-password>
    <admin-user>admin</admin-user><admin-password>{ADMIN_PASSWORD}</admin-password>
  </authentication>
  <hostname>127.0.0.1</hostname>
  <listen-socket><port>{self.port}</port><bind-address>127.0.0.1</bind-address></listen-socket>
  {mounts}
  <paths>
    <basedir>/usr/share/icecast2</basedir><logdir>{escape(folder)}</logdir>
    <webroot>/usr/share/icecast2/web</webroot><adminroot>/usr/share/icecast2/admin</adminroot>
  </paths>
  <logging><errorlog>error.log</errorlog><accesslog>access.log</accesslog><loglevel>2</loglevel></logging>
  <security><chroot>0</chroot></security>
</icecast>
"""

    def url(self, path):
        return f"http://127.0.0.1:{self.port}{path}"

    def _answers(self):
        try:
            with socket.create_connection(("127.0.0.1", self.port), timeout=0.5):
                return True
        except OSError:
            return False

    def status(self):
        with urllib.request.urlopen(self.url("/status-json.xsl"), timeout=5) as reply:
            return json.loads(reply.read().decode("utf-8", "replace"))

    def live_mounts(self):
        try:
            sources = self.status()["icestats"].get("source", [])
        except ValueError:  # just started: the page is not valid JSON until its statistics exist
            return set()
        if isinstance(sources, dict):  # one source is not given as a list
            sources = [sources]
        return {urllib.parse.urlparse(source["listenurl"]).path for source in sources}

    def set_title(self, path, title):
        """Announces a new track on an MP3 mount, as a station's playout does."""
        query = urllib.parse.urlencode({"mount": path, "mode": "updinfo", "song": title})
        request = urllib.request.Request(self.url("/admin/metadata?" + query))
        request.add_header("Authorization",
                           "Basic " + base64.b64encode(f"admin:{ADMIN_PASSWORD}".encode()).decode())
        urllib.request.urlopen(request, timeout=5).read()

    def first_audio_byte(self, path):
        """Seconds from connecting until the first byte after the response
        headers: what the server itself takes, for any player."""
        started = time.monotonic()
        with socket.create_connection(("127.0.0.1", self.port), timeout=10) as client:
            client.sendall(f"GET {path} HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n".encode())
            received = b""
            while b"\r\n\r\n" not in received:
                chunk = client.recv(4096)
                if not chunk:
                    return None
                received += chunk
            if len(received) > received.index(b"\r\n\r\n") + 4:
                return time.monotonic() - started
            return time.monotonic() - started if client.recv(1) else None
