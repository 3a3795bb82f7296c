"""The program under test: built as for use, started in a desktop session with
a station list of the benchmark's own, and its start-up trace.

With TUNARA_TRACE=1 the player writes `tunara-trace <ms> <event>` lines to
standard error, stamped in milliseconds on CLOCK_MONOTONIC (the clock of
Python's time.monotonic()). A build without the trace simply writes none."""

import json
import os
import re
import resource
import subprocess
import uuid

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
DEFAULT_BUILD = os.path.join(ROOT, "build-bench-app")
TRACE_LINE = re.compile(r"^tunara-trace (\d+(?:\.\d+)?) (\S+)")
TRACE_EVENTS = ("play", "pipeline-built", "connected", "first-byte", "first-decoded", "sink-started", "playing")


def build(build_dir=DEFAULT_BUILD):
    """Builds the tray program as for use (RelWithDebInfo, no tests)."""
    subprocess.run(["cmake", "-S", ROOT, "-B", build_dir, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                    "-DTUNARA_BUILD_TESTS=OFF"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build_dir, "-j2", "--target", "tunara"], check=True,
                   stdout=subprocess.DEVNULL)
    return os.path.join(build_dir, "src", "ui", "tunara")


def write_library(data_home, stations):
    """Writes database.json with these (name, url) stations."""
    folder = os.path.join(data_home, "tunara")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "database.json"), "w") as library:
        json.dump([{"id": str(uuid.uuid4()).upper(), "name": name, "url": url} for name, url in stations], library)


class Tunara:
    """One run of the program; its standard output and error go to a file."""

    def __init__(self, processes, binary, env, log, trace=True, open_files_limit=None):
        self.log = log
        run_env = dict(env, TUNARA_TRACE="1") if trace else dict(env)

        def limit_open_files():
            if open_files_limit:
                _, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
                resource.setrlimit(resource.RLIMIT_NOFILE, (open_files_limit, hard))

        with open(log, "wb") as out:
            self.process = processes.start([binary], run_env, stdout=out, stderr=subprocess.STDOUT,
                                           preexec_fn=limit_open_files)
        self.pid = self.process.pid

    def alive(self):
        return self.process.poll() is None

    def output(self):
        with open(self.log, errors="replace") as lines:
            return lines.read().splitlines()

    def trace(self):
        """[(seconds on the monotonic clock, event)] in the order written."""
        events = []
        for line in self.output():
            match = TRACE_LINE.match(line)
            if match:
                events.append((float(match.group(1)) / 1000.0, match.group(2)))
        return events


def breakdown(events, since):
    """The trace of the first start after `since` (a monotonic time): each
    event's milliseconds since `play`, and `play` itself since `since`."""
    result = {}
    play = None
    for stamp, event in events:
        if stamp < since - 0.001:
            continue
        if event == "play":
            if play is not None:
                break
            play = stamp
            result["click to play"] = (stamp - since) * 1000.0
        elif play is not None and event not in result:
            result[event] = (stamp - play) * 1000.0
    return result
