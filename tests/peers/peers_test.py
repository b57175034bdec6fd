"""Independent NMEA readers take quilvex-nmea's output: pynmea2 on stamped ticks of
every slot, and a live gpsd through a serial line and over TCP."""

import contextlib
import json
import os
import socket
import subprocess
import tempfile
import time
import unittest

import pynmea2

TOOL = os.environ["QUILVEX_NMEA"]
ENV = dict(os.environ, TZ="Asia/Tokyo")


def degrees(text, degree_digits):
    return int(text[:degree_digits]) + float(text[degree_digits:]) / 60.0


def slots():
    listing = subprocess.run([TOOL, "--list"], capture_output=True, text=True, check=True).stdout
    return [line.split("\t") for line in listing.splitlines()]


def stamped(slot, instant, count=1):
    return subprocess.run([TOOL, "--quiet", "--pref", slot, "--at", instant, "--count", str(count)],
                          capture_output=True, env=ENV, check=True).stdout


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def start(stack, args):
    """A child that is ended on the way out of the stack."""
    child = subprocess.Popen(args, stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    stack.callback(child.wait, timeout=5)
    stack.callback(child.terminate)


def first_fix(stack, source, tmp):
    """The first 3-D fix a private gpsd reports from the source, within 15 s."""
    port = free_port()
    # -b: never write to the device; a private instance, never the system's.
    start(stack, ["gpsd", "-N", "-n", "-b", "-S", str(port), "-F", os.path.join(tmp, f"gpsd-{port}.sock"), source])
    deadline = time.monotonic() + 15
    while time.monotonic() < deadline:
        with contextlib.suppress(OSError), socket.create_connection(("127.0.0.1", port), timeout=15) as c:
            c.sendall(b'?WATCH={"enable":true,"json":true}\n')
            for line in c.makefile():
                report = json.loads(line)
                if report.get("class") == "TPV" and report.get("mode") == 3 and "lat" in report:
                    return report
        time.sleep(0.2)
    raise AssertionError(f"gpsd gave no 3-D fix from {source}")


class Peers(unittest.TestCase):
    def test_pynmea2_reads_every_slot(self):
        for slot, name, lat, lon, _ in slots():
            for instant, hundredths in (("2010-09-16T04:51:35.127Z", 12), ("2099-12-31T23:59:59.999Z", 99)):
                with self.subTest(slot=slot, instant=instant):
                    lines = stamped(slot, instant).decode("ascii").split("\r\n")
                    zda, gga, gll, vtg, rmc, gsa = (pynmea2.parse(s, check=True) for s in lines[:-1])
                    self.assertEqual((zda.datetime.year, rmc.datestamp.day), (int(instant[:4]), int(instant[8:10])))
                    for fix in (gga, gll, rmc):
                        self.assertEqual(fix.timestamp.microsecond, hundredths * 10000)
                        self.assertAlmostEqual(fix.latitude, degrees(lat, 2), places=9)
                        self.assertAlmostEqual(fix.longitude, degrees(lon, 3), places=9)
                    self.assertEqual((gga.gps_qual, gsa.mode_fix_type, float(vtg.spd_over_grnd_kmph)), (1, "3", 0.0))

    def test_live_gpsd_through_a_serial_line_and_over_tcp(self):
        with tempfile.TemporaryDirectory() as tmp, contextlib.ExitStack() as stack:
            out, into = os.path.join(tmp, "gps-out"), os.path.join(tmp, "gps-in")
            start(stack, ["socat", f"pty,raw,echo=0,link={out}", f"pty,raw,echo=0,link={into}"])
            while not (os.path.exists(out) and os.path.exists(into)):
                time.sleep(0.02)
            tcp = free_port()
            start(stack, [TOOL, "--quiet", "--pref", "愛知県", "--port", out, "--tcp", str(tcp), "--count", "0"])
            for source in (into, f"tcp://127.0.0.1:{tcp}"):
                with self.subTest(source=source):
                    report = first_fix(stack, source, tmp)
                    self.assertAlmostEqual(report["lat"], degrees("3510.4896", 2), delta=1e-6)
                    self.assertAlmostEqual(report["lon"], degrees("13654.238600", 3), delta=1e-6)
                    self.assertEqual(report["time"][-5:], ".000Z")


if __name__ == "__main__":
    unittest.main()
