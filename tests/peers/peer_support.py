"""Pseudo-terminal pairs and child processes for the peer tests, always cleaned up."""

import contextlib
import os
import shutil
import socket
import subprocess
import tempfile
import time


def free_tcp_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for_path(path, timeout=5.0):
    deadline = time.monotonic() + timeout
    while not os.path.exists(path):
        if time.monotonic() > deadline:
            raise TimeoutError(f"{path} did not appear")
        time.sleep(0.02)


@contextlib.contextmanager
def temp_dir():
    path = tempfile.mkdtemp(prefix="quilvex-peer-")
    try:
        yield path
    finally:
        shutil.rmtree(path, ignore_errors=True)


@contextlib.contextmanager
def processes():
    """Collects started children and ends every one of them on the way out."""
    started = []

    def start(args, **kwargs):
        p = subprocess.Popen(args, stdin=subprocess.DEVNULL, **kwargs)
        started.append(p)
        return p

    try:
        yield start
    finally:
        for p in reversed(started):
            if p.poll() is None:
                p.terminate()
        for p in reversed(started):
            try:
                p.wait(timeout=5)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()


def pty_pair(start, directory):
    """A socat null-modem: returns the two device paths."""
    a = os.path.join(directory, "gps-out")
    b = os.path.join(directory, "gps-in")
    start(["socat", f"pty,raw,echo=0,link={a}", f"pty,raw,echo=0,link={b}"],
          stderr=subprocess.DEVNULL)
    wait_for_path(a)
    wait_for_path(b)
    return a, b


def degrees(coordinate, degree_digits):
    """ddmm.ffff text to decimal degrees, exactly as a reader should."""
    return int(coordinate[:degree_digits]) + float(coordinate[degree_digits:]) / 60.0
