#!/usr/bin/env python3
"""Writes the inputs of the faults the fuzz targets found, as kept findings in
fuzz/corpus/ (named finding-*), so every test run replays them. Each is a
live record from kvrsim with fields a checksum-correct record can still
carry: readings far beyond any scale, and numbers too large for a double."""
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


if __name__ == "__main__":
    main()
