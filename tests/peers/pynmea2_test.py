"""pynmea2, an independent NMEA parser, decodes every sentence of a tick for all 47 slots."""

import datetime
import os
import subprocess
import sys
import unittest

import pynmea2

sys.path.insert(0, os.path.dirname(__file__))
import peer_support as ps  # noqa: E402

TOOL = os.environ["QUILVEX_NMEA"]

INSTANTS = [
    ("2010-09-16T04:51:35.127Z", datetime.datetime(2010, 9, 16, 4, 51, 35, 120000), "13"),
    ("2026-01-01T00:00:00.000Z", datetime.datetime(2026, 1, 1, 0, 0, 0, 0), "09"),
    ("2026-06-30T23:59:59.999Z", datetime.datetime(2026, 6, 30, 23, 59, 59, 990000), "08"),
    ("2099-12-31T23:59:59.999Z", datetime.datetime(2099, 12, 31, 23, 59, 59, 990000), "08"),
]


def slots():
    listing = subprocess.run([TOOL, "--list"], capture_output=True, text=True, check=True).stdout
    for line in listing.splitlines():
        slot, name, lat, lon = line.split("\t")
        yield int(slot), name, lat, lon


class Pynmea2ReadsUs(unittest.TestCase):
    def test_every_slot_and_instant(self):
        env = dict(os.environ, TZ="Asia/Tokyo")
        table = list(slots())
        self.assertEqual(len(table), 47)
        for slot, name, lat, lon in table:
            for instant, when, local_hour in INSTANTS:
                with self.subTest(slot=slot, instant=instant):
                    raw = subprocess.run([TOOL, "--pref", str(slot), "--at", instant],
                                         capture_output=True, env=env, check=True).stdout
                    self.assertTrue(raw.endswith(b"\r\n"))
                    lines = raw.decode("ascii").split("\r\n")[:-1]
                    self.assertEqual(len(lines), 6)
                    zda, gga, gll, vtg, rmc, gsa = (pynmea2.parse(s, check=True) for s in lines)

                    self.assertEqual(zda.datetime.replace(tzinfo=None), when)
                    self.assertEqual(zda.local_zone, int(local_hour))  # the local hour, as sent
                    for fix in (gga, gll, rmc):
                        self.assertEqual(fix.timestamp.replace(tzinfo=None), when.time())
                        self.assertAlmostEqual(fix.latitude, ps.degrees(lat, 2), places=9)
                        self.assertAlmostEqual(fix.longitude, ps.degrees(lon, 3), places=9)
                        self.assertEqual(fix.lat, lat)
                        self.assertEqual(fix.lon, lon)
                    # RMC carries a two-digit year, which pynmea2 pivots to 19xx past 2068.
                    d = rmc.datestamp
                    self.assertEqual((d.day, d.month, d.year % 100),
                                     (when.day, when.month, when.year % 100))
                    self.assertEqual(rmc.status, "A")
                    self.assertEqual(gga.gps_qual, 1)
                    self.assertEqual(gga.num_sats, "08")
                    self.assertEqual(gga.ref_station_id, "1012")
                    self.assertEqual(gll.status, "A")
                    self.assertEqual(float(vtg.spd_over_grnd_kmph), 0.0)
                    self.assertEqual(gsa.mode_fix_type, "3")


if __name__ == "__main__":
    unittest.main()
