#!/usr/bin/env python3
"""Writes the inputs of the faults the fuzz targets found, as kept findings in
fuzz/corpus/ (named finding-*), so every test run replays them: live records
from kvrsim with fields a checksum-correct record can still carry (readings
far beyond any scale, numbers too large for a double), and log chart records
with damaged time stamps."""
import math
import os
import struct

CORPUS = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "corpus")

# A record kvrsim sent (64 characters before the checksum).
RECORD = "*-17.0   10 23   2 50  213.714.5 90F 72F  076D0600DC21  0000    "


def sealed(body):
    return (body + "%02X" % (sum(body.encode("latin-1")) % 256) + "\n").encode("latin-1")


def field(body, first, text):
    """Puts text at 1-based position first."""
    return body[:first - 1] + text + body[first - 1 + len(text):]


def ticks(lines):
    """One record per polling tick, as the ECU answers each poll."""
    return b"".join(bytes([len(line)]) + line for line in lines)


def main():
    assert len(RECORD) == 64
    records = {
        "map-huge": [field(RECORD, 2, " 1e10"), field(RECORD, 2, " -9e9")],
        "map-beyond-float": [field(RECORD, 2, "1e300"), field(RECORD, 2, "-1e99")],
        "map-beyond-double": [field(RECORD, 2, "1e999"), field(RECORD, 2, "-1e999")],
        "airtemp-huge": [field(RECORD, 37, "9e9")],
        "afr-huge": [field(RECORD, 29, "9e99"), field(RECORD, 29, "1e38")],
        "o2-huge": [field(field(RECORD, 29, "9e9"), 32, "V")],
        "inf-text": [field(RECORD, 2, "  inf"), field(RECORD, 2, "  nan")],
    }
    for name, bodies in records.items():
        stream = ticks([sealed(b) for b in bodies + [RECORD]])
        for choices, how in [(0x00, "noimage"), (0x07, "builtin")]:
            with open(os.path.join(CORPUS, "live_link", "finding-%s-%s" % (name, how)), "wb") as f:
                f.write(bytes([choices]) + stream)
    write_times()


def damaged_times():
    digits = struct.pack("<8H", 0, 1, 500, 999, 1000, 65535, 32768, 7)
    times = [math.nan, math.inf, -math.inf, 1e300, -1e300, 9.3e13, 45000.5]
    return b"".join(struct.pack("<d", t) + digits for t in times)


def write_times():
    records = damaged_times()
    with open(os.path.join(CORPUS, "trend_file", "finding-damaged-times"), "wb") as f:
        f.write(struct.pack("<H", 60) + records)
    design = [(0, 10000, b"RPM"), (7, 20, b"AFR"), (-30, 30, b"MAP"), (-50, 10, b"IGN"),
              (0, 100, b"TP"), (-40, 250, b"F"), (0, 15, b"KNOCK"), (0, 100, b"%")]
    head = b"".join(struct.pack("<ff", lo, hi) + bytes([len(u)]) + u for lo, hi, u in design)
    with open(os.path.join(CORPUS, "csv_rows", "finding-damaged-times"), "wb") as f:
        f.write(head + records)


if __name__ == "__main__":
    main()
