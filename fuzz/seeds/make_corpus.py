#!/usr/bin/env python3
"""Builds the seed corpora in fuzz/corpus/ with the project's own programs:
kvrsim's link output (clean and with each fault mode), values images of each
software-version gate and sensor choice (kvrsim's built-in image with its
bytes changed and its checksum made good again), and real logs recorded with
`kvrtool log` against kvrsim. Usage: make_corpus.py BUILD_DIR. Files already
in the corpora (kept findings) are left alone; seeds are rewritten."""
import os
import random
import struct
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(os.path.dirname(HERE), "corpus")


def start_sim(build, *args):
    sim = subprocess.Popen([os.path.join(build, "tools/kvrsim/kvrsim"), *args],
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    device = sim.stdout.readline().strip()
    return sim, device


def capture(build, device_args, records=30):
    sim, device = start_sim(build, "--seconds", "30", *device_args)
    with tempfile.NamedTemporaryFile() as out:
        subprocess.run([sys.executable, os.path.join(HERE, "capture_link.py"), device, str(records), out.name],
                       check=True)
        data = open(out.name, "rb").read()
    sim.terminate()
    sim.wait()
    return data


def record_log(build, workdir, name, seconds, sim_args):
    sim, device = start_sim(build, "--seconds", str(seconds + 15), *sim_args)
    env = dict(os.environ, TOLK_COM7=device)
    base = os.path.join(workdir, name)
    subprocess.run([os.path.join(build, "tools/kvrtool/kvrtool"), "log", "--port", "COM7", "--seconds",
                    str(seconds), "-o", base], env=env, check=True, stderr=subprocess.DEVNULL)
    sim.terminate()
    sim.wait()
    return open(base + ".KVL", "rb").read(), open(base + ".KVV", "rb").read()


def seal(body2239):
    return body2239 + "%04X" % (sum(body2239.encode("latin-1")) % 65536)


def with_bytes(image, changes):
    text = list(image[:2239])
    for k, value in changes.items():
        text[2 * k + 1:2 * k + 3] = "%02X" % value
    return seal("".join(text))


def gate_images(image):
    """One image per software-version gate and per sensor choice the decode
    branches on: version 25.0 .. 31.0, MAP sensor codes, the two MAP scale
    flags, fuel-only, and a 2-digit cylinder count."""
    out = {}
    for major, minor in [(25, 0), (26, 0), (27, 0), (28, 0), (29, 0), (29, 2), (29, 10), (30, 0), (31, 0), (32, 5)]:
        out["v%d_%d" % (major, minor)] = with_bytes(image, {506: major, 507: minor})
    for code in range(0, 0x80, 0x10):
        out["map%02x" % code] = with_bytes(image, {7: code | 0x02})
    out["scale1"] = with_bytes(image, {509: 0x01})
    out["scale2"] = with_bytes(image, {509: 0x20})
    out["fuelonly"] = with_bytes(image, {500: 0x01})
    out["old_fuelonly"] = with_bytes(image, {500: 0x01, 506: 26, 507: 0})
    out["sixcyl"] = with_bytes(image, {3: 0x06})
    return out


def chunks(stream, rng):
    """The stream cut at pseudo-random points, each piece prefixed by its length."""
    out = b""
    i = 0
    while i < len(stream):
        n = min(rng.choice([1, 7, 30, 67, 68, 120, 255]), len(stream) - i)
        out += bytes([n]) + stream[i:i + n]
        i += n
    return out


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "seed-" + name), "wb") as f:
        f.write(data)


def main():
    build = os.path.abspath(sys.argv[1])
    rng = random.Random(14)
    links = {"clean": capture(build, [])}
    for fault in ["checksum", "garbage", "truncate", "unreadable"]:
        links[fault] = capture(build, ["--fault", fault, "--fault-every", "3"])
    links["o2"] = capture(build, ["--o2"])
    links["stalled"] = capture(build, ["--stalled"], records=10)
    image = links["clean"].split(b"\n", 1)[0].rstrip(b"\r").decode("latin-1")
    gates = gate_images(image)

    with tempfile.TemporaryDirectory() as work:
        logs = {"clean": record_log(build, work, "clean", 4, []),
                "o2": record_log(build, work, "o2", 3, ["--o2"])}
        kvv = os.path.join(work, "gate.KVV")
        with open(kvv, "w", newline="") as f:
            f.write(gates["v26_0"] + "\r\nnotes line\r\n")
        logs["v26"] = record_log(build, work, "v26", 3, ["--values", kvv])

    # Live link: each capture without an image, with the built-in image, and
    # with a recorded values file; the records alone after the image line.
    for name, stream in links.items():
        records = stream.split(b"\n", 1)[1] if b"\n" in stream else stream
        write("live_link", name + "-noimage", bytes([0]) + chunks(records, rng))
        write("live_link", name + "-builtin-go", bytes([0x03 | 0x04]) + chunks(records, rng))
        write("live_link", name + "-builtin-rpm", bytes([0x03 | 0x0C]) + chunks(records, rng))
    for name, (kvl, kvv) in logs.items():
        write("live_link", "file-" + name, bytes([0x01]) + struct.pack("<H", len(kvv)) + kvv +
              chunks(links["clean"].split(b"\n", 1)[1], rng))
    write("live_link", "file-noimage", bytes([0x01]) + struct.pack("<H", 6) + b"short\n" +
          chunks(links["clean"].split(b"\n", 1)[1], rng))
    write("live_link", "file-unreadable", bytes([0x11]) + chunks(links["clean"].split(b"\n", 1)[1], rng))

    # Values images: each gate on a letter-size page at 600 dpi and a small one.
    for name, text in gates.items():
        write("values_image", name, bytes([0]) + struct.pack("<HH", 4900, 6400) + text.encode("latin-1"))
        write("values_image", name + "-fetched", bytes([3]) + struct.pack("<HH", 600, 800) + text.encode("latin-1"))
    write("values_image", "short", bytes([0]) + struct.pack("<HH", 4900, 6400) + image[:1500].encode("latin-1"))

    # Values files and log chart files from the recorded logs.
    for name, (kvl, kvv) in logs.items():
        write("values_file", name, bytes([0]) + kvv)
        write("trend_file", name, struct.pack("<H", len(kvl) - 10) + kvl)
    write("values_file", "noimage", bytes([0]) + b"short line\r\nnote\r\n")
    write("values_file", "empty", bytes([0]))
    write("values_file", "unreadable", bytes([1]))

    # CSV rows: the design ranges, the O2 ranges and the 2 bar MAP ranges.
    ranges = {"design": [(0, 10000, b"RPM"), (7, 20, b"AFR"), (-30, 30, b"MAP"), (-50, 10, b"IGN"),
                         (0, 100, b"TP"), (-40, 250, b"F"), (0, 15, b"KNOCK"), (0, 100, b"%")],
              "o2": [(0, 5000, b"RPM"), (0, 1, b"O2V"), (0, 30, b"inHg ABS"), (-50, 10, b"IGN"),
                     (0, 100, b"TP"), (-40, 120, b"C"), (0, 15, b"KNOCK"), (0, 100, b"DUTY, %")]}
    for rname, chans in ranges.items():
        head = b"".join(struct.pack("<ff", lo, hi) + bytes([len(u)]) + u for lo, hi, u in chans)
        for lname, (kvl, _) in logs.items():
            write("csv_rows", rname + "-" + lname, head + kvl)


if __name__ == "__main__":
    main()
