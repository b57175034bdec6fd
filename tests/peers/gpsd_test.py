"""gpsd, a real NMEA consumer, reads quilvex-nmea through a pseudo-terminal pair."""

import json
import os
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import peer_support as ps  # noqa: E402

TOOL = os.environ["QUILVEX_NMEA"]

CASES = [  # name, latitude text, longitude text
    ("東京都", "3541.221600", "13941.301400"),
    ("福島県", "3745.010800", "14028.0313"),
    ("愛知県", "3510.4896", "13654.238600"),
]


def rmc_time(line):
    """ISO time of an RMC line: hhmmss.cc and ddmmyy."""
    f = line.split(",")
    t, d = f[1], f[9]
    return f"20{d[4:6]}-{d[2:4]}-{d[0:2]}T{t[0:2]}:{t[2:4]}:{t[4:6]}.{t[7:9]}0Z"


class GpsdReadsUs(unittest.TestCase):
    def check_prefecture(self, name, lat, lon):
        with ps.temp_dir() as tmp, ps.processes() as start:
            out, into = ps.pty_pair(start, tmp)
            start([TOOL, "--port", out, "--pref", name, "--count", "0"])
            port = ps.free_tcp_port()
            # -b: never write to the device; a private instance, never the system's.
            start(["gpsd", "-N", "-n", "-b", "-S", str(port), "-F", os.path.join(tmp, "gpsd.sock"), into],
                  stderr=subprocess.DEVNULL)
            time.sleep(0.3)
            pipe = start(["gpspipe", "-w", "-r", f"localhost:{port}"],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)

            last_rmc = None
            deadline = time.monotonic() + 15
            for line in pipe.stdout:
                if time.monotonic() > deadline:
                    break
                if line.startswith("$GPRMC"):
                    last_rmc = line.strip()
                    continue
                if not line.startswith("{"):
                    continue
                report = json.loads(line)
                if report.get("class") != "TPV" or report.get("mode") != 3 or last_rmc is None:
                    continue
                if "dgpsAge" not in report:
                    continue
                self.assertAlmostEqual(report["lat"], ps.degrees(lat, 2), delta=1e-6)
                self.assertAlmostEqual(report["lon"], ps.degrees(lon, 3), delta=1e-6)
                self.assertEqual(report["time"], rmc_time(last_rmc))
                self.assertEqual(report["dgpsAge"], 5.0)
                self.assertEqual(report["dgpsSta"], 1012)
                return
            self.fail(f"gpsd gave no 3-D fix report for {name}")

    def test_tokyo(self):
        self.check_prefecture(*CASES[0])

    def test_fukushima_four_digit_longitude(self):
        self.check_prefecture(*CASES[1])

    def test_aichi_four_digit_latitude(self):
        self.check_prefecture(*CASES[2])


if __name__ == "__main__":
    unittest.main()
