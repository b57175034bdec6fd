"""Independent NMEA readers take quilvex-nmea's output: pynmea2 on stamped ticks of
every slot in both formats, and a live gpsd through a serial line and over TCP:
the sky, a fix switched off and on by SIGUSR1, a moving receiver."""

import contextlib
import datetime
import json
import os
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest

import pynmea2
from geographiclib.geodesic import Geodesic

TOOL = os.environ["QUILVEX_NMEA"]
ENV = dict(os.environ, TZ="Asia/Tokyo")


def degrees(text, degree_digits):
    return int(text[:degree_digits]) + float(text[degree_digits:]) / 60.0


def slots():
    listing = subprocess.run([TOOL, "--list"], capture_output=True, text=True, check=True).stdout
    return [line.split("\t") for line in listing.splitlines()]


def stamped(slot, instant, *more):
    return subprocess.run([TOOL, "--quiet", "--pref", slot, "--at", instant, *more],
                          capture_output=True, env=ENV, check=True).stdout


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def start(stack, args):
    """A child that is ended on the way out of the stack."""
    child = subprocess.Popen(args, stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=ENV)
    stack.callback(child.wait, timeout=5)
    stack.callback(child.terminate)
    return child


def connect(port):
    """A connection to a local server that may still be starting, within 60 s (a busy machine)."""
    deadline = time.monotonic() + 60
    while True:
        try:
            return socket.create_connection(("127.0.0.1", port), timeout=60)
        except OSError:
            if time.monotonic() > deadline:
                raise
            time.sleep(0.2)


def watch(stack, source, tmp, raw=False):
    """What a private gpsd reading the source reports: JSON objects, and with
    raw the NMEA sentences too, as text."""
    if source.startswith("tcp://"):
        # gpsd gives up on a source that does not answer yet (a slow start under load).
        connect(int(source.rsplit(":", 1)[1])).close()
    port = free_port()
    # -b: never write to the device; a private instance, never the system's.
    start(stack, ["gpsd", "-N", "-n", "-b", "-S", str(port), "-F", os.path.join(tmp, f"gpsd-{port}.sock"), source])
    client = stack.enter_context(connect(port))
    client.sendall(b'?WATCH={"enable":true,"json":true%s}\n' % (b',"raw":1' if raw else b""))
    for line in client.makefile():
        yield json.loads(line) if line.startswith("{") else line.strip()


def first(reports, wanted, what):
    """The first report wanted, within 60 s (a busy machine); the delay goes to standard error."""
    begin = time.monotonic()
    for report in reports:
        if wanted(report):
            print(f"{what}: {time.monotonic() - begin:.1f} s", file=sys.stderr)
            return report
        if time.monotonic() - begin > 60:
            break
    raise AssertionError(f"gpsd reported no {what} within 60 s")


def tpv(*modes):
    return lambda r: isinstance(r, dict) and r.get("class") == "TPV" and r.get("mode") in modes and (3 not in modes or "lat" in r)


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
                    # The standard ZDA carries a zone of 00,00, so it reads as the UTC stamp.
                    standard = stamped(slot, instant, "--format", "standard").decode("ascii").split("\r\n")
                    sentences = [pynmea2.parse(s, check=True) for s in standard[:-1]]
                    stamp = datetime.datetime.fromisoformat(instant[:20] + f"{hundredths:02}0+00:00")
                    self.assertEqual(sentences[0].datetime, stamp)
                    self.assertEqual(sentences[1].gps_qual, 1)
                    self.assertAlmostEqual(sentences[1].latitude, degrees(lat, 2), places=6)

    def test_ten_epochs_a_second_read_and_step_on_the_ellipsoid(self):
        # Each 0.1 s a sent fix moves what the speed covers, measured on WGS84
        # by Karney's geodesic: within 0.01 %, and the 5-decimal minutes of
        # two fixes (up to 18.5 mm each way). pynmea2 reads every line.
        for lat, course, knots in ((0, 0, 1000), (0, 90, 100), (30, 45, 1000), (45, 135, 100), (60, 90, 1000),
                                   (75, 300, 1000), (89, 0, 1000), (89, 90, 100)):
            with self.subTest(lat=lat, course=course, knots=knots):
                out = subprocess.run([TOOL, "--quiet", "--format", "standard", "--hz", "10", "--at", "2010-09-16T04:51:35Z",
                                      "--position", f"{lat},10", "--speed", str(knots), "--course", str(course), "--count",
                                      "11"], capture_output=True, check=True).stdout.decode("ascii")
                sentences = [pynmea2.parse(line, check=True) for line in out.split("\r\n")[:-1]]
                rmc = [s for s in sentences if s.sentence_type == "RMC"]
                self.assertEqual([s.timestamp.microsecond for s in rmc], [t * 100000 for t in (*range(10), 0)])
                step = knots * 1852 / 3600 * 0.1
                for a, b in zip(rmc, rmc[1:]):
                    s12 = Geodesic.WGS84.Inverse(a.latitude, a.longitude, b.latitude, b.longitude)["s12"]
                    self.assertAlmostEqual(s12, step, delta=1e-4 * step + 2 * 0.0185)

    def test_live_gpsd_through_a_serial_line_and_over_tcp(self):
        with tempfile.TemporaryDirectory() as tmp, contextlib.ExitStack() as stack:
            out, into = os.path.join(tmp, "gps-out"), os.path.join(tmp, "gps-in")
            start(stack, ["socat", f"pty,raw,echo=0,link={out}", f"pty,raw,echo=0,link={into}"])
            while not (os.path.exists(out) and os.path.exists(into)):
                time.sleep(0.02)
            tcp = free_port()
            begun = datetime.datetime.now(datetime.timezone.utc)
            start(stack, [TOOL, "--quiet", "--pref", "愛知県", "--port", out, "--tcp", str(tcp), "--count", "0"])
            for source in (into, f"tcp://127.0.0.1:{tcp}"):
                with self.subTest(source=source):
                    report = first(watch(stack, source, tmp), tpv(3), "a fix from " + source[:3])
                    self.assertAlmostEqual(report["lat"], degrees("3510.4896", 2), delta=1e-6)
                    self.assertAlmostEqual(report["lon"], degrees("13654.238600", 3), delta=1e-6)
                    # UTC of this run (the tool's zone is Tokyo's), never asserted to the millisecond:
                    # a tick goes late on a busy machine and says so in its stamp.
                    when = datetime.datetime.fromisoformat(report["time"].replace("Z", "+00:00"))
                    self.assertTrue(begun.replace(microsecond=0) <= when <= datetime.datetime.now(datetime.timezone.utc),
                                    (begun, when))

    def test_gpsd_sky_and_the_fix_switched_by_sigusr1(self):
        with tempfile.TemporaryDirectory() as tmp, contextlib.ExitStack() as stack:
            tcp = free_port()
            tool = start(stack, [TOOL, "--quiet", "--format", "standard", "--position", "-33.8568,-70.6483,520",
                                 "--tcp", str(tcp), "--count", "0"])
            reports = watch(stack, f"tcp://127.0.0.1:{tcp}", tmp, raw=True)
            gga = {}

            def sky(r):
                if isinstance(r, str) and r.startswith("$GPGGA,"):
                    gga["hdop"] = float(r.split(",")[8])
                return isinstance(r, dict) and r.get("class") == "SKY" and "hdop" in gga

            report = first(reports, sky, "SKY")
            used = sum(s["used"] for s in report["satellites"])
            self.assertGreaterEqual(used, 4)
            self.assertGreaterEqual(len(report["satellites"]), used)
            self.assertEqual(report["hdop"], gga["hdop"])
            fix = first(reports, tpv(3), "a 3-D fix")
            self.assertAlmostEqual(fix["lat"], -33.8568, delta=2e-6)
            self.assertAlmostEqual(fix["lon"], -70.6483, delta=2e-6)
            for modes in ((0, 1), (3,)):
                tool.send_signal(signal.SIGUSR1)
                first(reports, tpv(*modes), f"mode {modes} after SIGUSR1")

    def test_every_system_in_both_dialects(self):
        """pynmea2 reads each dialect; gpsd 3.22 shows each system but for GQ, which it drops (so 4.10 for QZSS)."""
        for dialect in ("4.10", "4.11"):
            lines = stamped("13", "2026-12-07T00:00:00Z", "--format", "standard", "--gnss", "all", "--nmea", dialect)
            talkers = {pynmea2.parse(s, check=True).talker for s in lines.decode("ascii").split("\r\n")[:-1]}
            self.assertEqual(talkers, {"GN", "GP", "GL", "GA", "GB"} | ({"GQ"} if dialect == "4.11" else set()))
        with tempfile.TemporaryDirectory() as tmp, contextlib.ExitStack() as stack:
            tcp = free_port()
            start(stack, [TOOL, "--quiet", "--format", "standard", "--gnss", "all", "--nmea", "4.10", "--tcp", str(tcp), "--count", "0"])
            reports = watch(stack, f"tcp://127.0.0.1:{tcp}", tmp)
            report = first(reports, lambda r: r.get("class") == "SKY" and len(r.get("satellites", [])) > 20, "a SKY of every system")
            self.assertTrue({0, 2, 5, 6} <= {s["gnssid"] for s in report["satellites"]})
            first(reports, tpv(3), "a 3-D fix")

    def test_gpsd_follows_a_moving_receiver(self):
        metres_a_second = 12 * 1852 / 3600
        # Stamped ticks, one a second: their stamps are whole seconds apart however late each goes.
        now = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%dT%H:%M:%SZ")
        with tempfile.TemporaryDirectory() as tmp, contextlib.ExitStack() as stack:
            tcp = free_port()
            start(stack, [TOOL, "--quiet", "--position", "40.6892,-74.0445", "--speed", "12", "--course", "45",
                          "--tcp", str(tcp), "--at", now, "--count", "0"])
            reports = watch(stack, f"tcp://127.0.0.1:{tcp}", tmp)
            fixes = []
            while len(fixes) < 3:
                fixes.append(first(reports, lambda r: tpv(3)(r) and "speed" in r and
                                   (not fixes or r["time"] != fixes[-1]["time"]), "a moving fix"))
            for a, b in zip(fixes, fixes[1:]):
                seconds = (datetime.datetime.fromisoformat(b["time"][:-1]) -
                           datetime.datetime.fromisoformat(a["time"][:-1])).total_seconds()
                step = Geodesic.WGS84.Inverse(a["lat"], a["lon"], b["lat"], b["lon"])["s12"]
                self.assertAlmostEqual(step / seconds, metres_a_second, delta=0.05 * metres_a_second)
                self.assertAlmostEqual(b["speed"], metres_a_second, delta=0.05 * metres_a_second)
                self.assertAlmostEqual(b["track"], 45, delta=0.1)


if __name__ == "__main__":
    unittest.main()
