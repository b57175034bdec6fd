#!/usr/bin/python3
"""Peak resident memory of quilvex-nmea reading hostile route and trip files:
a 100 MB comment, a 100 MB <time>, GPX nested 100,000 deep, a 100 MB text
line, 500,000 route points.

    bench/trip_file_figures.py BUILD_DIR

Writes the files to a scratch folder (about 400 MB) and prints, for each,
the exit status, peak RSS and the first line of standard error. Needs GNU
time (/usr/bin/time). It passes or fails nothing.
"""

import os
import subprocess
import sys
import tempfile

GPX = "<?xml version='1.0'?><gpx version='1.1' xmlns='http://www.topografix.com/GPX/1/1'>"
HUNDRED_MB = 100_000_000


def repeated(text, times, block=1_000_000):
    """text times times, a block at a time, so this script stays small."""
    for start in range(0, times, block):
        yield text * min(block, times - start)


def write_files(folder):
    files = {
        "comment.gpx": lambda: [GPX, "<!--", *repeated("x", HUNDRED_MB), "--><rte><rtept lat='0' lon='0'/></rte></gpx>"],
        "time.gpx": lambda: [GPX, "<trk><trkseg><trkpt lat='0' lon='0'><time>", *repeated("2", HUNDRED_MB),
                             "</time></trkpt></trkseg></trk></gpx>"],
        "deep.gpx": lambda: [GPX, "<trk>", "<trkseg>" * 100_000, "<trkpt lat='0' lon='0'/>", "</trkseg>" * 100_000, "</trk></gpx>"],
        "line.txt": lambda: ["0,0\n#", *repeated("x", HUNDRED_MB), "\n0,0.1\n"],
        "points.txt": lambda: ("%.6f,0\n" % (i * 1e-6) for i in range(500_000)),
    }
    for name, parts in files.items():
        with open(os.path.join(folder, name), "w") as f:
            for part in parts():
                f.write(part)
    return files.keys()


def main():
    tool = os.path.join(sys.argv[1], "tools/nmea/quilvex-nmea")
    with tempfile.TemporaryDirectory() as folder:
        for name in write_files(folder):
            for option in (["--route"], ["--replay"]) if name.endswith(".gpx") else (["--route"],):
                args = [tool, *option, os.path.join(folder, name), "--at", "2030-01-01T00:00:00Z", "--count", "1"]
                args += ["--speed", "5"] if option == ["--route"] else []
                # GNU time measures the tool alone, not this script's image it was forked from.
                run = subprocess.run(["/usr/bin/time", "-f", "%M", *args], stdout=subprocess.DEVNULL,
                                     stderr=subprocess.PIPE, text=True, check=False)
                lines = run.stderr.splitlines()
                print(f"{option[0]} {name}: status {run.returncode}, peak RSS {int(lines[-1]) / 1024:.1f} MiB: "
                      f"{lines[0][:120]}")


if __name__ == "__main__":
    main()
