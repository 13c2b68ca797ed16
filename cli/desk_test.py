"""kestrel desk: the main window, its companions and the messages they send it.

    desk_test.py KESTREL SAMPLE.ADI            under Qt's offscreen platform
    desk_test.py KESTREL SAMPLE.ADI --x11 PNG  under an X server of its own
                                               (Xvfb), driven by synthetic keys
                                               and clicks, with a screenshot of
                                               the whole screen written to PNG

Without Xvfb the X run is skipped (exit status 77)."""
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import threading
import time
import zlib

kestrel, sample = sys.argv[1], sys.argv[2]
x11 = "--x11" in sys.argv
screenshot = sys.argv[sys.argv.index("--x11") + 1] if x11 else None
failures = []


def expect(label, condition, detail=""):
    if not condition:
        failures.append(f"{label}: {detail}")


class Desk:
    """A running kestrel desk whose standard output is read line by line."""

    def __init__(self, args, env):
        self.process = subprocess.Popen([kestrel, "desk", *args], env=env, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, text=True)
        self.lines = []
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for line in self.process.stdout:
            self.lines.append(line.rstrip("\n"))

    def wait_for(self, text, seconds=30):
        end = time.time() + seconds
        while time.time() < end:
            if any(text in line for line in list(self.lines)):
                return True
            if self.process.poll() is not None and not self.reader.is_alive():
                return any(text in line for line in self.lines)
            time.sleep(0.05)
        return False

    def finish(self, env):
        subprocess.run([kestrel, "host", "--post", "16"], env=env, capture_output=True)
        try:
            self.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            failures.append("desk did not end on WM_CLOSE")
        self.reader.join(timeout=5)
        return self.process.returncode, self.process.stderr.read()


def prepare(home):
    env = dict(os.environ, KESTREL_HOME=os.path.join(home, "settings"),
               XDG_RUNTIME_DIR=os.path.join(home, "run"))
    env.pop("KESTREL_UI", None)
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
    subprocess.run([kestrel, "setup"], env=env, capture_output=True, check=True)
    shutil.copy(sample, os.path.join(home, "sample.adi"))
    for name in ("LOG1", "LOG2"):
        done = subprocess.run([kestrel, "import", "adif", os.path.join(home, name),
                               os.path.join(home, "sample.adi"), "--new"],
                              env=env, capture_output=True, text=True, stdin=subprocess.DEVNULL)
        expect(f"{name} imported", "records imported" in done.stdout + done.stderr,
               done.stdout + done.stderr)
    return env


def offscreen():
    with tempfile.TemporaryDirectory() as home:
        env = prepare(home)
        env.update(QT_QPA_PLATFORM="offscreen", KESTREL_UI="qt")
        bad = subprocess.run([kestrel, "desk", "--start", "browser"], env=env, capture_output=True,
                             text=True)
        expect("a companion not built is a usage error", bad.returncode == 2, bad.stderr)

        log1 = os.path.join(home, "LOG1")
        desk = Desk([log1, "--start", "dxcc", "--start", "grayline", "--start", "browse"], env)
        expect("desk ready", desk.wait_for("main logbook window ready"), desk.lines)
        expect("logbook opened with its count", desk.wait_for(f"logbook {log1}: 59 contacts"),
               desk.lines)
        expect("detail window started", desk.wait_for("award details shown"), desk.lines)
        expect("grayline started", desk.wait_for("grayline map shown"), desk.lines)
        expect("browser started", desk.wait_for("log browser shown"), desk.lines)
        # Another program finds the main window by its class and is answered.
        sent = subprocess.run([kestrel, "host", "--send", "1101"], env=env, capture_output=True,
                              text=True)
        expect("1101 answered", sent.returncode == 0 and "(low 0, high 0)" in sent.stdout,
               sent.stdout + sent.stderr)
        expect("desk saw 1101", desk.wait_for("message 1101 wParam 0 lParam 0 -> 0"), desk.lines)
        status, err = desk.finish(env)
        expect("desk ended cleanly", status == 0, err)

        # Started again, the desk opens the logbook opened last.
        desk = Desk([], env)
        expect("last logbook again", desk.wait_for(f"logbook {log1}: 59 contacts"), desk.lines)
        desk.finish(env)


def png_of_xwd(data):
    """The PNG of an xwd dump of a 24- or 32-bit TrueColor screen."""
    fields = struct.unpack(">25I", data[:100])
    header_size, width, height = fields[0], fields[4], fields[5]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    ncolors = fields[19]
    pixels = data[header_size + ncolors * 12:]
    rows = []
    for y in range(height):
        line = pixels[y * bytes_per_line:(y + 1) * bytes_per_line]
        row = bytearray([0])
        step = bits_per_pixel // 8
        for x in range(width):
            px = line[x * step:x * step + step]
            b, g, r = (px[0], px[1], px[2]) if byte_order == 0 else (px[-1], px[-2], px[-3])
            row += bytes((r, g, b))
        rows.append(bytes(row))

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(b"".join(rows), 6)) + chunk(b"IEND", b"")), width, height, rows


def xdotool(env, *args):
    return subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True)


def on_x_server():
    xvfb = shutil.which("Xvfb")
    if xvfb is None or shutil.which("xdotool") is None or shutil.which("xwd") is None:
        print("SKIP: Xvfb, xdotool or xwd is not installed")
        sys.exit(77)
    number = 90 + os.getpid() % 50
    while os.path.exists(f"/tmp/.X11-unix/X{number}") or os.path.exists(f"/tmp/.X{number}-lock"):
        number += 1
    server = subprocess.Popen([xvfb, f":{number}", "-screen", "0", "1280x1024x24", "-nolisten",
                               "tcp"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        for _ in range(100):
            if os.path.exists(f"/tmp/.X11-unix/X{number}"):
                break
            time.sleep(0.05)
        with tempfile.TemporaryDirectory() as home:
            env = prepare(home)
            env.pop("QT_QPA_PLATFORM", None)
            env.pop("WAYLAND_DISPLAY", None)
            env["DISPLAY"] = f":{number}"
            # No flag: a display is there, so the desk takes the desktop host.
            log1, log2 = os.path.join(home, "LOG1"), os.path.join(home, "LOG2")
            desk = Desk([log1, "--start", "grayline", "--start", "browse", "--start", "dxcc"], env)
            expect("desk ready", desk.wait_for("main logbook window ready"), desk.lines)
            expect("detail window started", desk.wait_for("award details shown"), desk.lines)
            time.sleep(1.0)

            # Ctrl+O at the main window opens the file dialog; the path typed
            # there and Return open another logbook.
            found = xdotool(env, "search", "--sync", "--name", "^Kestrel - ")
            windows = found.stdout.split()
            expect("main window on the X server", bool(windows), found.stderr)
            if windows:
                xdotool(env, "windowactivate", "--sync", windows[0])
                xdotool(env, "windowfocus", "--sync", windows[0])
                time.sleep(0.3)
                xdotool(env, "key", "--clearmodifiers", "ctrl+o")
                dialog = xdotool(env, "search", "--sync", "--name", "^Open Logbook")
                expect("file dialog shown", bool(dialog.stdout.split()), dialog.stderr)
                time.sleep(0.5)
                xdotool(env, "type", "--delay", "5", log2 + ".DBD")
                xdotool(env, "key", "Return")
                expect("second logbook opened by keys", desk.wait_for(f"logbook {log2}: 59 contacts"),
                       desk.lines)

            # The whole screen, with the main window, the map and the detail
            # window on it.
            time.sleep(1.0)
            dump = subprocess.run(["xwd", "-root", "-silent", "-display", f":{number}"],
                                  capture_output=True)
            expect("screen dumped", dump.returncode == 0 and len(dump.stdout) > 100,
                   dump.stderr)
            if dump.returncode == 0 and len(dump.stdout) > 100:
                png, width, height, rows = png_of_xwd(dump.stdout)
                expect("whole screen", (width, height) == (1280, 1024), (width, height))
                colours = {row[i:i + 3] for row in rows[::16] for i in range(1, len(row) - 2, 48)}
                expect("windows drawn on the screen", len(colours) > 20, len(colours))
                with open(screenshot, "wb") as out:
                    out.write(png)

            # A message from another program reaches the desk on X too.
            sent = subprocess.run([kestrel, "host", "--send", "1097", "0", "7"], env=env,
                                  capture_output=True, text=True)
            expect("1097 delivered", sent.returncode == 0, sent.stderr)
            expect("desk saw 1097", desk.wait_for("message 1097 wParam 0 lParam 7 -> 0"), desk.lines)
            status, err = desk.finish(env)
            expect("desk ended cleanly", status == 0, err)
    finally:
        server.send_signal(signal.SIGTERM)
        server.wait(timeout=10)


if x11:
    on_x_server()
else:
    offscreen()

for failure in failures:
    print("FAIL", failure)
print(f"{0 if failures else 1} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
