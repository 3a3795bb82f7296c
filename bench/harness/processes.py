"""The processes a benchmark starts, and what /proc says about them."""

import os
import signal
import subprocess
import time
from dataclasses import dataclass


class Processes:
    """Every process started here gets its own session and is ended, group and
    all, by stop() or when the `with` block ends."""

    def __init__(self):
        self.started = []

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        for process in reversed(self.started):
            self.stop(process)

    def start(self, command, env=None, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
              stderr=subprocess.DEVNULL, **kwargs):
        process = subprocess.Popen(command, env=env, stdin=stdin, stdout=stdout, stderr=stderr,
                                   start_new_session=True, **kwargs)
        self.started.append(process)
        return process

    @staticmethod
    def stop(process, timeout=5):
        if process.poll() is not None:
            return
        for sig in (signal.SIGTERM, signal.SIGKILL):
            try:
                os.killpg(process.pid, sig)
                process.wait(timeout)
                return
            except ProcessLookupError:
                return
            except subprocess.TimeoutExpired:
                continue


def wait_until(condition, timeout, what, interval=0.02):
    """Polls condition() until it returns something true, and returns that."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        result = condition()
        if result:
            return result
        time.sleep(interval)
    raise TimeoutError(f"{what}: not within {timeout} s")


@dataclass
class Snapshot:
    """A process's threads, open files and resident memory at one moment."""
    threads: int
    fds: int
    rss_mib: float
    rss_anon_mib: float

    def row(self):
        return f"{self.threads:8d} {self.fds:11d} {self.rss_mib:9.1f} {self.rss_anon_mib:9.1f}"


SNAPSHOT_HEADER = f"{'threads':>8} {'open files':>11} {'RSS MiB':>9} {'anon MiB':>9}"


def status(pid):
    """The fields of /proc/PID/status, as text."""
    with open(f"/proc/{pid}/status") as lines:
        return dict(line.rstrip("\n").split(":\t", 1) for line in lines if ":\t" in line)


def rss_mib(pid):
    return int(status(pid)["VmRSS"].split()[0]) / 1024.0


def snapshot(pid):
    fields = status(pid)
    kib = lambda name: int(fields[name].split()[0])
    return Snapshot(threads=int(fields["Threads"]), fds=len(os.listdir(f"/proc/{pid}/fd")),
                    rss_mib=kib("VmRSS") / 1024.0, rss_anon_mib=kib("RssAnon") / 1024.0)


def cpu_seconds(pid):
    """User and system CPU time the process has used so far."""
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
