"""kestrel export as a user meets it: each logger's file imported, exported
and imported again into a new logbook with every stored field the same; an
empty logbook; --since-last twice; a write that fails half way; bad
arguments. With --reader, the export is also read by an independent ADIF
reader (npm adif-parser-ts, installed into a scratch folder)."""
import json
import os
import pty
import re
import resource
import shutil
import signal
import sqlite3
import subprocess
import sys
import tempfile

kestrel, testdata = sys.argv[1:3]
with_reader = "--reader" in sys.argv[3:]
failures = []
SKIP = 77


def expect(label, condition, detail=""):
    if not condition:
        failures.append(f"{label}: {detail}")


def contacts(logbook):
    """The stored bytes of every contact, in the order they were stored."""
    with sqlite3.connect(logbook + ".DAT") as db:
        return [bytes(row[0]) for row in
                db.execute("SELECT data FROM records WHERE type = 10000 ORDER BY id")]


def adif_records(path):
    """Every record of an ADIF file as {TAG: value bytes}, read by the declared lengths."""
    data = open(path, "rb").read()
    at = data.find(b"<EOH>") + 5
    records, current = [], {}
    for match in re.finditer(rb"<([A-Za-z_0-9]+)(?::(\d+))?>", data[at:]):
        name, length = match.group(1).decode().upper(), match.group(2)
        if name == "EOR":
            records.append(current)
            current = {}
        elif length is not None:
            start = at + match.end()
            current[name] = data[start:start + int(length)]
    return records


reader_dir = None
if with_reader:
    if shutil.which("npm") is None or shutil.which("node") is None:
        print("skipped: npm or node is not installed, so adif-parser-ts cannot be read against")
        sys.exit(SKIP)
    reader_dir = tempfile.mkdtemp(prefix="kestrel-adifts-")
    done = subprocess.run(["npm", "install", "--prefix", reader_dir, "--no-audit", "--no-fund",
                           "adif-parser-ts@0.7.7"], capture_output=True, text=True)
    if done.returncode != 0:
        print("npm install adif-parser-ts failed:\n" + done.stdout + done.stderr)
        sys.exit(1)

try:
    with tempfile.TemporaryDirectory() as top:
        env = dict(os.environ, KESTREL_HOME=os.path.join(top, "home"), KESTREL_QUIET_DB="1")

        def run(*args, **extra):
            done = subprocess.run([kestrel, *args], capture_output=True, text=True, env=env,
                                  stdin=subprocess.DEVNULL, **extra)
            return done.returncode, done.stdout, done.stderr

        def import_into(logbook, path):
            status, out, err = run("import", "adif", logbook, path, "--new", "--yes", "--quiet")
            expect(f"import {path}", status == 0, out + err)

        subprocess.run([kestrel, "setup"], env=env, check=True, capture_output=True)

        # An empty logbook gives a header and no record.
        empty_file = os.path.join(top, "empty.adi")
        with open(empty_file, "w") as f:
            f.write("nothing here\n<EOH>\n")
        empty_log = os.path.join(top, "EMPTY")
        import_into(empty_log, empty_file)
        out_file = os.path.join(top, "empty-out.adi")
        status, out, err = run("export", "adif", empty_log, out_file)
        expect("empty logbook", status == 0 and out == f"0 contacts exported to {out_file}\n",
               out + err)
        text = open(out_file, "rb").read()
        expect("empty export has its header", b"<ADIF_VER:5>3.1.4" in text and
               b"<PROGRAMID:7>Kestrel" in text and text.endswith(b"<EOH>\n"), text)
        expect("empty export has no record", adif_records(out_file) == [], text)

        # Every logger's file: imported, exported, imported again.
        exports = []
        for name in sorted(os.listdir(testdata)):
            if not name.endswith(".adi"):
                continue
            source = os.path.join(top, name)
            shutil.copy(os.path.join(testdata, name), source)
            first = os.path.join(top, "A_" + name[:-4])
            import_into(first, source)
            stored = contacts(first)
            expect(f"{name}: the import stored contacts", len(stored) > 0, name)
            exported = os.path.join(top, "out_" + name)
            status, out, err = run("export", "adif", first, exported)
            expect(f"{name}: export", status == 0 and
                   out.startswith(f"{len(stored)} contact"), out + err)
            records = adif_records(exported)
            expect(f"{name}: one record per contact", len(records) == len(stored), records)
            lines = open(exported, "rb").read().split(b"\n")
            expect(f"{name}: one record a line",
                   sum(line.endswith(b"<EOR>") for line in lines) == len(stored), lines)
            second = os.path.join(top, "B_" + name[:-4])
            import_into(second, exported)
            again = contacts(second)
            expect(f"{name}: same contacts after the round trip", len(again) == len(stored),
                   f"{len(stored)} then {len(again)}")
            for i, (a, b) in enumerate(zip(stored, again)):
                expect(f"{name}: contact {i} stored alike", a == b, f"{a!r}\n{b!r}")
            exports.append((name, exported, records))

        # What the files hold, seen from the ADIF side.
        calls = {name: {r.get("CALL"): r for r in rs} for name, _, rs in exports}
        w1aw = calls.get("headerless.adi", {}).get(b"W1AW", {})
        ea8aa = calls.get("headerless.adi", {}).get(b"EA8AA", {})
        expect("century of 1999", w1aw.get("QSO_DATE") == b"19991231", w1aw)
        expect("century of 2000", ea8aa.get("QSO_DATE") == b"20000101", ea8aa)
        digital = calls.get("digital.adi", {})
        expect("digital modes", [r.get("MODE") for r in digital.values()] ==
               [b"FT8", b"MFSK", b"FT8"], digital)
        hartford = calls.get("online.adi", {}).get(b"N1MM", {})
        expect("county from the county record", hartford.get("CNTY") == b"CT,HARTFORD" and
               hartford.get("DXCC") == b"291" and hartford.get("STATE") == b"CT", hartford)

        # A call with "/" and a name in UTF-8, through a file of our own.
        own = os.path.join(top, "own.adi")
        with open(own, "wb") as f:
            f.write(b"own\n<EOH>\n<CALL:8>VP2E/K1A <QSO_DATE:8>19450815 <TIME_ON:4>1200 "
                    b"<MODE:3>SSB <FREQ:5>7.150 <NAME:5>Jos\xc3\xa9 <EOR>\n"
                    b"<CALL:5>K1ABC <QSO_DATE:8>20441231 <MODE:2>CW <BAND:3>40m <EOR>\n")
        own_log = os.path.join(top, "OWN")
        import_into(own_log, own)
        own_out = os.path.join(top, "own-out.adi")
        status, out, err = run("export", "adif", own_log, own_out)
        own_records = adif_records(own_out)
        expect("own file exported", status == 0 and len(own_records) == 2, out + err)
        if len(own_records) == 2:
            expect("call with /", own_records[0].get("CALL") == b"VP2E/K1A", own_records[0])
            expect("1945", own_records[0].get("QSO_DATE") == b"19450815", own_records[0])
            expect("UTF-8 by its bytes", own_records[0].get("NAME") == "José".encode(),
                   own_records[0])
            expect("2044", own_records[1].get("QSO_DATE") == b"20441231", own_records[1])
            expect("band default is not a frequency", "FREQ" not in own_records[1] and
                   own_records[1].get("BAND") == b"40m", own_records[1])
        exports.append(("own.adi", own_out, own_records))
        exports.append(("empty.adi", out_file, []))

        # --since-last: the first takes everything, the second nothing.
        log = os.path.join(top, "SINCE")
        import_into(log, os.path.join(top, "contest.adi"))
        since = os.path.join(top, "since.adi")
        status, out, err = run("export", "adif", log, since, "--since-last")
        expect("first --since-last", status == 0 and out.startswith("5 contacts"), out + err)
        status, out, err = run("export", "adif", log, since, "--since-last")
        expect("second --since-last writes nothing", status == 0 and out.startswith("0 contacts")
               and adif_records(since) == [], out + err)
        status, out, err = run("import", "adif", log, os.path.join(top, "headerless.adi"),
                               "--yes", "--quiet")
        status, out, err = run("export", "adif", log, since, "--since-last")
        expect("--since-last after an import", status == 0 and out.startswith("2 contacts") and
               sorted(r["CALL"] for r in adif_records(since)) == [b"EA8AA", b"W1AW"], out + err)
        status, out, err = run("import", "adif", log, os.path.join(top, "digital.adi"),
                               "--tag", "--yes", "--quiet")
        status, out, err = run("export", "adif", log, since, "--tagged")
        expect("--tagged", status == 0 and out.startswith("3 contacts") and
               [r["CALL"] for r in adif_records(since)] == [b"PY2XYZ", b"ZL1AB", b"W9QQ"], out + err)
        status, out, err = run("export", "adif", log, since, "--from", "20241124", "--to",
                               "2024-11-24")
        expect("a date range", status == 0 and out.startswith("1 contact "), out + err)

        # On a terminal a progress bar runs to 100 %; the count stays on stdout.
        leader, follower = pty.openpty()
        done = subprocess.run([kestrel, "export", "adif", log, since], env=env,
                              stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=follower)
        os.close(follower)
        bar = b""
        while True:
            try:
                chunk = os.read(leader, 4096)
            except OSError:
                break
            if not chunk:
                break
            bar += chunk
        os.close(leader)
        expect("progress bar on a terminal", done.returncode == 0 and b"] 100%" in bar and
               b"#" * 40 in bar and done.stdout.startswith(b"10 contacts"), (bar, done.stdout))

        # A write that fails half way (a file size limit stands in for a
        # full disk): an error, and no partial file left.
        def small_files():
            resource.setrlimit(resource.RLIMIT_FSIZE, (600, 600))
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        full = os.path.join(top, "full.adi")
        status, out, err = run("export", "adif", log, full, preexec_fn=small_files)
        expect("failed write is an error", status == 1 and "cannot write" in err, out + err)
        expect("partial file removed", not os.path.exists(full))

        for args, text in [(("export", "adif", log), "needs FORMAT, LOGBOOK and FILE"),
                           (("export", "csv", log, full), "no format 'csv'"),
                           (("export", "adif", log, full, "--from", "yesterday"), "not a date"),
                           (("export", "adif", log, full, "--bogus"), "unknown flag")]:
            status, out, err = run(*args)
            expect(f"usage: {' '.join(args[3:])}", status == 2 and text in err, err)
        status, out, err = run("export", "adif", os.path.join(top, "NOLOG"), full)
        expect("missing logbook", status == 1 and "cannot open the logbook" in err, err)

        # The independent reader finds every record and every field.
        if reader_dir is not None:
            node_env = dict(os.environ, NODE_PATH=os.path.join(reader_dir, "node_modules"))
            script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "export_reader.js")
            for name, path, records in exports:
                done = subprocess.run(["node", script, path], capture_output=True, text=True,
                                      env=node_env)
                expect(f"{name}: read by adif-parser-ts", done.returncode == 0, done.stderr)
                if done.returncode != 0:
                    continue
                theirs = json.loads(done.stdout)
                expect(f"{name}: its header", theirs["header"].get("programid") == "Kestrel" and
                       theirs["header"].get("adif_ver") == "3.1.4", theirs["header"])
                ours = [{k.lower(): v.decode() for k, v in r.items()} for r in records]
                expect(f"{name}: same records and fields", theirs["records"] == ours,
                       f"\n{theirs['records']}\n{ours}")
finally:
    if reader_dir is not None:
        shutil.rmtree(reader_dir, ignore_errors=True)

for failure in failures:
    print("FAIL", failure)
sys.exit(1 if failures else 0)
