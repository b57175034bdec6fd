#!/usr/bin/python3
"""Resident memory and CPU time of quilvex-nmea --port and of the window while
they send, and how soon the window is visible after start.

    bench/resource_figures.py BUILD_DIR [SECONDS=60]

Needs socat, Xvfb and xdotool. Prints figures; it passes or fails nothing.
"""

import contextlib
import os
import statistics
import subprocess
import sys
import tempfile
import threading
import time

TICKS_PER_SECOND = os.sysconf("SC_CLK_TCK")


def wait_for_path(path, timeout=5.0):
    deadline = time.monotonic() + timeout
    while not os.path.exists(path):
        if time.monotonic() > deadline:
            raise TimeoutError(f"{path} did not appear")
        time.sleep(0.02)


@contextlib.contextmanager
def processes():
    """Starts children, and ends every one of them on the way out."""
    with contextlib.ExitStack() as stack:
        def start(args, **kwargs):
            child = subprocess.Popen(args, stdin=subprocess.DEVNULL, **kwargs)
            stack.callback(child.wait, timeout=5)
            stack.callback(child.terminate)
            return child
        yield start


def pty_pair(start, directory):
    """A socat null-modem: the two device paths."""
    a, b = os.path.join(directory, "gps-out"), os.path.join(directory, "gps-in")
    start(["socat", f"pty,raw,echo=0,link={a}", f"pty,raw,echo=0,link={b}"], stderr=subprocess.DEVNULL)
    wait_for_path(a)
    wait_for_path(b)
    return a, b


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS_PER_SECOND  # utime + stime


def memory_kib(pid):
    values = {}
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            key, _, rest = line.partition(":")
            if key in ("VmRSS", "VmHWM"):
                values[key] = int(rest.split()[0])
    return values["VmRSS"], values["VmHWM"]


def measure(name, pid, seconds):
    time.sleep(2)  # past start-up
    cpu0, t0 = cpu_seconds(pid), time.monotonic()
    time.sleep(seconds)
    cpu1, t1 = cpu_seconds(pid), time.monotonic()
    rss, hwm = memory_kib(pid)
    share = 100.0 * (cpu1 - cpu0) / (t1 - t0)
    print(f"{name}: RSS {rss / 1024:.1f} MB (peak {hwm / 1024:.1f} MB), "
          f"CPU {cpu1 - cpu0:.2f} s in {t1 - t0:.0f} s = {share:.3f}% of one core")


def drain(start, path, sink="/dev/null"):
    return start(["sh", "-c", f"exec cat {path} > {sink}"])


class TickClock(threading.Thread):
    """Reads a pty end and notes when each tick's ZDA arrives."""

    def __init__(self, path):
        super().__init__(daemon=True)
        self.fd = os.open(path, os.O_RDONLY | os.O_NOCTTY)
        self.arrivals = []
        self.bytes = 0

    def run(self):
        while True:
            try:
                chunk = os.read(self.fd, 65536)
            except OSError:
                return
            if not chunk:
                return
            now = time.monotonic()
            self.bytes += len(chunk)
            self.arrivals += [now] * chunk.count(b"$GPZDA")

    def report(self, name):
        errors = sorted(abs(1000 * (b - a) - 1000) for a, b in zip(self.arrivals, self.arrivals[1:]))
        if not errors:
            print(f"{name}: no ticks arrived")
            return
        p99 = errors[min(len(errors) - 1, int(0.99 * len(errors)))]
        span = 1000 * (self.arrivals[-1] - self.arrivals[0])
        print(f"{name}: {len(self.arrivals)} ticks, {self.bytes} bytes; |interval - 1000 ms| median "
              f"{statistics.median(errors):.3f} ms, p99 {p99:.3f} ms, max {errors[-1]:.3f} ms; "
              f"drift {span - 1000 * (len(self.arrivals) - 1):+.3f} ms")


def headless(build, seconds):
    with tempfile.TemporaryDirectory() as tmp, processes() as start:
        out, into = pty_pair(start, tmp)
        drain(start, into)
        tool = start([os.path.join(build, "tools/nmea/quilvex-nmea"), "--port", out, "--count", "0"])
        measure("quilvex-nmea --port", tool.pid, seconds)


def window(build, seconds):
    with tempfile.TemporaryDirectory() as tmp, processes() as start:
        display = ":93"
        start(["Xvfb", display, "-screen", "0", "640x480x24", "-nolisten", "tcp"],
              stderr=subprocess.DEVNULL)
        env = dict(os.environ, DISPLAY=display)
        wait_for_path(f"/tmp/.X11-unix/X{display[1:]}")
        out, into = pty_pair(start, tmp)
        ticks = TickClock(into)
        ticks.start()

        began = time.monotonic()
        app = start([os.path.join(build, "app/quilvex")], env=env, stderr=subprocess.DEVNULL)
        wid = ""
        while not wid and time.monotonic() - began < 10:
            wid = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Quilvex$"],
                                 env=env, capture_output=True, text=True).stdout.split()
            wid = wid[0] if wid else ""
        print(f"window visible {1000 * (time.monotonic() - began):.0f} ms after start")

        def xdo(*args):
            subprocess.run(["xdotool", *args], env=env, check=True)

        # Type the port path into the port list, then click Start (window pixels).
        xdo("mousemove", "--window", wid, "120", "18", "click", "--repeat", "3", "1")
        xdo("key", "ctrl+a")
        xdo("type", out)
        xdo("mousemove", "--window", wid, "76", "136", "click", "1")
        measure("quilvex window, running", app.pid, seconds)
        ticks.report("window ticks")


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 60
    headless(build, seconds)
    window(build, seconds)


if __name__ == "__main__":
    main()
