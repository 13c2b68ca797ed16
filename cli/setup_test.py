"""kestrel setup as a user meets it, and a logbook made from its skeletons by
a program in another language through librecdb.so's C interface."""
import ctypes
import os
import shutil
import subprocess
import sqlite3
import sys
import tempfile
import time

kestrel, librecdb = sys.argv[1], sys.argv[2]
failures = []


def expect(label, condition, detail=""):
    if not condition:
        failures.append(f"{label}: {detail}")


def ini(home):
    with open(os.path.join(home, "KESTREL.INI")) as f:
        return f.read()


with tempfile.TemporaryDirectory() as top:
    home = os.path.join(top, "home")
    dictdir = os.path.join(top, "dict")
    env = dict(os.environ, KESTREL_HOME=home)

    def run(*args, stdin=None):
        done = subprocess.run([kestrel, *args], capture_output=True, text=True, env=env,
                              input=stdin)
        return done.returncode, done.stdout, done.stderr

    status, out, err = run("setup", dictdir)
    expect("setup exits 0", status == 0, err)

    # Calls resolved over the country list that setup installed.
    for call, date, country in (("F/DL3RBF", "2024-03-15", "France"),
                                ("M/N6JFD", "03-15-24", "England"),
                                ("KL7XY", "2024-03-15", "Alaska")):
        status, out, err = run("lookup", call, date)
        expect(f"lookup {call}", status == 0 and f"Country    {country}\n" in out, out + err)
    status, out, err = run("lookup", "KL7XY")
    expect("Alaska's key", "Prefix     KL7\n" in out, out + err)
    status, out, err = run("lookup", "-", stdin="I/OE7RDI 2019-07-05\nW1AW 1939-01-01\n")
    expect("lookup - with ISO dates", out.startswith("I/OE7RDI\tI\tItaly\t") and
           "W1AW\t\t\t\t\t\t\t\t'1939-01-01' is not a date" in out, out + err)
    status, out, err = run("lookup", "W1AW", "1939-01-01")
    expect("lookup with a year the log cannot hold", status == 2 and "1945 to 2044" in err, err)
    for name in ("LOGDBD.SKL", "LOGDAT.SKL", "LOGDA1.SKL", "LOGKEY.SKL", "LOGK01.SKL",
                 "LOGK02.SKL", "COUNTRY.DBD", "COUNTRY.DAT", "USCOUNTY.DBD", "QSLMGR.DAT",
                 "IOTA.KEY"):
        expect(f"setup writes {name}", os.path.isfile(os.path.join(dictdir, name)))
    text = ini(home)
    expect("DictPath ends with a separator", f"DictPath={dictdir}/" in text, text)
    for line in ("PowerLevel=0", "DateFormat=0", "TimeZone=0", "OtherZone=15000"):
        expect(f"default {line}", line in text, text)

    # The user's settings and reference data survive a second run.
    with open(os.path.join(home, "KESTREL.INI"), "w") as f:
        f.write(text.replace("DateFormat=0", "DateFormat=2"))
    country = open(os.path.join(dictdir, "COUNTRY.DAT"), "rb").read()
    status, out, err = run("setup")
    expect("second setup exits 0", status == 0, err)
    expect("second setup keeps COUNTRY", "kept COUNTRY" in out, out)
    expect("COUNTRY untouched", open(os.path.join(dictdir, "COUNTRY.DAT"), "rb").read() == country)
    text = ini(home)
    expect("DateFormat kept", "DateFormat=2" in text and "DateFormat=0" not in text, text)
    expect("DictPath kept", f"DictPath={dictdir}/" in text, text)

    # Setup killed part way, then run again: the dictionary works.
    import signal
    import time
    for n, delay in enumerate((0.05, 0.15, 0.3, 0.6, 1.0, 1.5)):
        killed_env = dict(env, KESTREL_HOME=os.path.join(top, f"killed{n}"))
        where = os.path.join(top, f"killeddict{n}")
        process = subprocess.Popen([kestrel, "setup", where], env=killed_env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(delay)
        process.send_signal(signal.SIGKILL)
        process.wait()
        done = subprocess.run([kestrel, "setup", where], env=killed_env, capture_output=True,
                              text=True)
        expect(f"setup killed after {delay} s: rerun succeeds", done.returncode == 0,
               done.stdout + done.stderr)
        done = subprocess.run([kestrel, "lookup", "W1AW"], env=killed_env, capture_output=True,
                              text=True)
        expect(f"setup killed after {delay} s: lookups work",
               done.returncode == 0 and "Country" in done.stdout, done.stdout + done.stderr)
        leftovers = [name for name in os.listdir(where) if name.startswith(".setup-")]
        expect(f"setup killed after {delay} s: no work left behind", not leftovers, leftovers)

    # A country database broken behind setup's back is made anew, not kept.
    with open(os.path.join(dictdir, "COUNTRY.DAT"), "wb"):
        pass
    status, out, err = run("setup")
    expect("a damaged COUNTRY is made anew", status == 0 and "made COUNTRY anew" in out, out + err)
    status, out, err = run("lookup", "W1AW")
    expect("lookups work after the repair", status == 0, out + err)

    # Lines too long for a call are skipped with a message; the rest answered.
    done = subprocess.run([kestrel, "lookup", "-"], env=env, capture_output=True, text=True,
                          input="W1AW\n" + "A" * 300000 + "\nJA1XX\n")
    answered = [line.split("\t")[0] for line in done.stdout.splitlines()]
    expect("long line skipped, others answered",
           done.returncode == 1 and answered == ["W1AW", "JA1XX"] and
           "line 2 is longer than 1024 characters" in done.stderr, (answered, done.stderr))

    # A batch lookup left running sees a country record changed by another
    # program at its next line (here its start date, shown as the rule).
    lookup = subprocess.Popen([kestrel, "lookup", "-"], env=env, stdin=subprocess.PIPE,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)

    def ask(call):
        lookup.stdin.write(call + "\n")
        lookup.stdin.flush()
        return lookup.stdout.readline()

    before = ask("DL1ABC")
    country_file = sqlite3.connect(os.path.join(dictdir, "COUNTRY.DAT"), timeout=10)
    for row, data in country_file.execute("SELECT id, data FROM records").fetchall():
        if data[:3] == b"DL\0":
            changed = bytearray(data)
            changed[54:63] = b"01-01-80\0"
            country_file.execute("UPDATE records SET data = ? WHERE id = ?", (bytes(changed), row))
    country_file.commit()
    country_file.close()
    time.sleep(0.3)
    after = ask("DL1ABC")
    lookup.communicate(timeout=20)
    expect("a running lookup sees the country edited elsewhere",
           "counts from 09-17-73" in before and "counts from 01-01-80" in after, (before, after))

    # A settings file that cannot be read is left alone.
    unreadable_home = os.path.join(top, "unreadable")
    os.makedirs(os.path.join(unreadable_home, "KESTREL.INI"))
    done = subprocess.run([kestrel, "setup", dictdir], capture_output=True, text=True,
                          env=dict(env, KESTREL_HOME=unreadable_home))
    expect("unreadable KESTREL.INI refused", done.returncode == 1 and "cannot read" in done.stderr,
           done.stderr)
    expect("unreadable KESTREL.INI untouched",
           os.path.isdir(os.path.join(unreadable_home, "KESTREL.INI")))

    status, out, err = run("setup", "a", "b")
    expect("two directories is a usage error", status == 2, err)
    status, out, err = run("help", "setup")
    expect("help setup", status == 0 and "Safe to run again" in out, out)

    # A new logbook from the skeletons, as the import program makes one: the
    # dictionary copied with its file names rewritten, the other files copied.
    logs = os.path.join(top, "logs")
    os.mkdir(logs)
    base = os.path.join(logs, "FIELDDAY")
    dbd = bytearray(open(os.path.join(dictdir, "LOGDBD.SKL"), "rb").read())
    for offset, ext in ((22, ".DAT"), (82, ".KEY"), (142, ".K01"), (202, ".DA1"), (262, ".K02")):
        name = b"FIELDDAY" + ext.encode()
        dbd[offset:offset + 60] = name + bytes(60 - len(name))
    open(base + ".DBD", "wb").write(dbd)
    for ext in ("DAT", "DA1", "KEY", "K01", "K02"):
        shutil.copyfile(os.path.join(dictdir, f"LOG{ext}.SKL"), f"{base}.{ext}")

    lib = ctypes.CDLL(librecdb)
    task = ctypes.c_void_p()
    expect("dbOpenTask", lib.dbOpenTask(ctypes.byref(task)) == 0)
    expect("dbOpen", lib.dbOpen(base.encode(), b"o", task) == 0)
    for n in (0, 1, 2, 4, 3):
        expect(f"dbInitFile {n}", lib.dbInitFile(n, task, 0) == 0)
    record = bytearray(228)
    record[0:4] = b"W1AW"
    record[40:42] = b"CW"
    record[204:206] = (20).to_bytes(2, "little")
    buf = (ctypes.c_char * 228).from_buffer(record)
    expect("dbRecordCreate", lib.dbRecordCreate(10000, buf, task, 0) == 0)
    expect("dbKeyFind on mode", lib.dbKeyFind(ctypes.c_long(5), b"CW", task, 0) == 0)
    back = (ctypes.c_char * 228)()
    expect("dbRecordRead", lib.dbRecordRead(back, task, 0) == 0 and back.raw[:4] == b"W1AW")
    expect("dbKeyFind of a missing value", lib.dbKeyFind(ctypes.c_long(5), b"SSB", task, 0) == 1)
    expect("dbCloseTask", lib.dbCloseTask(task) == 0)

for failure in failures:
    print("FAIL", failure)
sys.exit(1 if failures else 0)
