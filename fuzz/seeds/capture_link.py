#!/usr/bin/env python3
"""Talks to a running kvrsim as the dashboard does and keeps the raw bytes it
sends: the values image after "D", then the live records (and any setup lines
or fault bytes) after each "Q". Usage: capture_link.py DEVICE RECORDS OUT."""
import os
import select
import sys
import termios
import time
import tty


def read_for(fd, seconds):
    out = b""
    end = time.monotonic() + seconds
    while True:
        left = end - time.monotonic()
        if left <= 0:
            return out
        ready, _, _ = select.select([fd], [], [], left)
        if ready:
            try:
                out += os.read(fd, 4096)
            except OSError:
                return out


def main():
    device, records, path = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    fd = os.open(device, os.O_RDWR | os.O_NOCTTY)
    tty.setraw(fd)
    termios.tcflush(fd, termios.TCIOFLUSH)
    os.write(fd, b"D\r")
    captured = read_for(fd, 1.0)
    for _ in range(records):
        os.write(fd, b"Q\r")
        captured += read_for(fd, 0.05)
    os.write(fd, b"S\r")
    os.close(fd)
    with open(path, "wb") as f:
        f.write(captured)


if __name__ == "__main__":
    main()
