"""kestrel grayline from a shell: the PNG it writes, read back pixel by pixel
(palette indices: the top bit is day), against where the Sun stands at
known instants, and the errors that must leave no file behind."""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

kestrel = sys.argv[1]
failures = []


def expect(label, condition, detail=""):
    if not condition:
        failures.append(f"{label} {detail}".rstrip())


def run(*args):
    done = subprocess.run([kestrel, "grayline", *args], capture_output=True, text=True)
    return done.returncode, done.stdout, done.stderr


def read_png(path):
    """Width, height and rows of palette indices of an 8-bit palette PNG."""
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG file"
    at, idat, header = 8, b"", None
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    width, height, depth, colour = header[:4]
    assert (depth, colour) == (8, 3), "not 8-bit palette"
    raw, rows, previous = zlib.decompress(idat), [], bytes(width)
    for y in range(height):
        line = raw[y * (width + 1):(y + 1) * (width + 1)]
        kind, row = line[0], bytearray(line[1:])
        for x in range(width):
            left = row[x - 1] if x else 0
            up, corner = previous[x], previous[x - 1] if x else 0
            if kind == 1:
                row[x] = (row[x] + left) & 255
            elif kind == 2:
                row[x] = (row[x] + up) & 255
            elif kind == 3:
                row[x] = (row[x] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                best = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                row[x] = (row[x] + best) & 255
        rows.append(bytes(row))
        previous = row
    return width, height, rows


def day(rows, latitude, longitude, scale=1):
    column = int((longitude + 180) * 2) * scale
    row = int((90 - latitude) * 2) * scale
    return rows[row][column] >= 128


with tempfile.TemporaryDirectory() as top:
    june = os.path.join(top, "june.png")
    status, out, err = run("--at", "2024-06-20T12:00:00Z", "--png", june)
    expect("june status", status == 0, err)
    expect("june says where the Sun is", "the Sun over 23.44 N, 0.4" in out, out)
    width, height, rows = read_png(june)
    expect("size", (width, height) == (720, 360), (width, height))
    expect("london at noon", day(rows, 51.5, -0.1))
    expect("sydney at 22:00", not day(rows, -33.9, 151.2))
    expect("midnight sun at the north cape", day(rows, 71.2, 25.8))
    expect("new york at 08:00", day(rows, 40.7, -74.0))
    expect("honolulu at 02:00", not day(rows, 21.3, -157.9))
    lit = sum(1 for row in rows for p in row if p >= 128)
    expect("half the map in day", abs(lit / (720 * 360) - 0.5) < 0.02, lit)

    december = os.path.join(top, "december.png")
    status, out, err = run("--at", "2024-12-21T12:00:00Z", "--png", december, "--scale", "3")
    expect("december status", status == 0, err)
    width, height, rows3 = read_png(december)
    expect("scaled size", (width, height) == (2160, 1080), (width, height))
    expect("polar night in tromso at noon", not day(rows3, 69.6, 18.9, 3))
    expect("midnight sun at mcmurdo", day(rows3, -77.8, 166.7, 3))
    expect("cape town at noon", day(rows3, -33.9, 18.4, 3))
    block = {rows3[300 + dy][900 + dx] for dy in range(3) for dx in range(3)}
    expect("a map pixel is a 3 x 3 block", len(block) == 1, block)

    # Now, when no instant is given.
    now = os.path.join(top, "now.png")
    status, out, err = run("--png", now)
    expect("now", status == 0 and os.path.exists(now), err)
    expect("new file mode", os.stat(now).st_mode & 0o777 == 0o666 & ~os.umask(0o022), oct(os.stat(now).st_mode))

    for args, what in (
            (["--at", "2023-02-29T12:00:00Z"], "no 29 February in 2023"),
            (["--at", "2024-06-20 12:00"], "not the instant's form"),
            (["--at", "2024-06-20T24:00:00Z"], "hour 24"),
            (["--scale", "9"], "scale beyond 8"),
            (["--scale", "0"], "scale 0")):
        target = os.path.join(top, "bad.png")
        status, out, err = run(*args, "--png", target)
        expect(what, status == 2, status)
        expect(what + ": one line", len(err.strip().splitlines()) == 1, err)
        expect(what + ": no file", not os.path.exists(target))

    status, out, err = run("--at", "2024-06-20T12:00:00Z")
    expect("no --png", status == 2, err)

    for target in (os.path.join(top, "missing", "map.png"), os.path.join(top, "adir")):
        if target.endswith("adir"):
            os.mkdir(target)
        before = set(os.listdir(os.path.dirname(target))) if os.path.isdir(
            os.path.dirname(target)) else set()
        status, out, err = run("--png", target)
        expect("unwritable " + target, status == 2, status)
        expect("unwritable: one line", len(err.strip().splitlines()) == 1, err)
        expect("unwritable: nothing left behind", not os.path.isdir(os.path.dirname(target)) or
               set(os.listdir(os.path.dirname(target))) == before,
               os.listdir(os.path.dirname(target)) if os.path.isdir(os.path.dirname(target)) else "")

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("kestrel grayline: ok")
