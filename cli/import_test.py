"""kestrel import as a user meets it: a new logbook from another logger's
file, the error log and value report beside the file, a second import into
the same logbook, bad arguments, Ctrl-C, and an import killed outright."""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

kestrel, keybuild, adifsample, testdata = sys.argv[1:5]
failures = []


def expect(label, condition, detail=""):
    if not condition:
        failures.append(f"{label}: {detail}")


def read(path):
    with open(path, newline="") as f:
        return f.read()


with tempfile.TemporaryDirectory() as top:
    env = dict(os.environ, KESTREL_HOME=os.path.join(top, "home"), KESTREL_QUIET_DB="1")
    env.pop("VISUAL", None)
    env.pop("EDITOR", None)

    def run(*args, **extra):
        done = subprocess.run([kestrel, *args], capture_output=True, text=True, env=env,
                              stdin=subprocess.DEVNULL, **extra)
        return done.returncode, done.stdout, done.stderr

    status, out, err = run("import", "adif", os.path.join(top, "LOG"), "x.adi", "--new")
    expect("before setup", status == 1 and "Kestrel has not been run before" in err, err)
    subprocess.run([kestrel, "setup"], env=env, check=True, capture_output=True)

    log = os.path.join(top, "LOG")
    desktop = os.path.join(top, "desktop.adi")
    shutil.copy(os.path.join(testdata, "desktop.adi"), desktop)
    status, out, err = run("import", "adif", log, desktop, "--new", "--report")
    expect("desktop import", status == 0, out + err)
    expect("console on stdout", out.startswith("Beginning ADIF File Import.\nADIF Import Complete.\n"), out)
    expect("summary", "No Errors.\n4 records imported.\n" in out, out)
    expect("no error log", not os.path.exists(os.path.join(top, "desktop.ERR")))
    report = read(os.path.join(top, "desktop.VAL"))
    expect("value report", "W6XYZ" in report and "New DXCC Country.\r\n" in report, report)
    expect("report not shown without a terminal", "Error starting" not in err, err)

    backup = os.path.join(top, "backup.adi")
    shutil.copy(os.path.join(testdata, "backup.adi"), backup)
    status, out, err = run("import", "adif", log, backup)
    expect("backup with FREQ in Hz", status == 0 and
           "4 records imported.\n1 records not imported.\n" in out, out + err)
    errors = read(os.path.join(top, "backup.ERR"))
    expect("error log names the contact and its reason",
           errors.startswith("LZ1XY ") and "; Missing or unsupported frequency\n" in errors, errors)

    nowhere = os.path.join(top, "no", "such", "dir")
    status, out, err = run("import", "adif", os.path.join(nowhere, "LOG"), desktop)
    expect("missing directory", status == 1 and
           err == f"kestrel import: the logbook's directory does not exist: {nowhere}\n", err)

    damaged = os.path.join(top, "damaged.adi")
    shutil.copy(os.path.join(testdata, "damaged.adi"), damaged)
    status, out, err = run("import", "adif", log, damaged, "--tag")
    expect("second import into the open logbook", status == 0 and "records imported" in out, out + err)
    expect("problems of the file on the console", "Line " in out, out)

    for args, text in [(("import", "adif", log), "needs FORMAT, LOGBOOK and FILE"),
                       (("import", "vcard", log, desktop), "no format 'vcard'"),
                       (("import", "adif", log, desktop, "--frobnicate"), "unknown flag"),
                       (("import", "adif", log, desktop, "--answer", "999=yes"), "no message 999")]:
        status, out, err = run(*args)
        expect(f"usage error {text}", status == 2 and text in err, err)
    status, out, err = run("import", "adif", os.path.join(top, "FRESH"), desktop)
    expect("a missing logbook is made", status == 0 and "4 records imported" in out, out + err)
    status, out, err = run("import", "adif", log, os.path.join(top, "gone.adi"))
    expect("missing file", status == 1 and "No such file: " in err, err)
    status, out, err = run("import", "adif", log, desktop, "--contest", "wpx-cw")
    expect("a CT flag is not an ADIF one", status == 2 and "unknown flag --contest" in err, err)
    status, out, err = run("import", "adif", log, desktop, "--new")
    expect("--new keeps an existing logbook unless told", status == 1 and "overwrite" in err, err)

    # Not beside a running main program (another process's window).
    with tempfile.TemporaryDirectory() as runtime:
        hosted = dict(env, XDG_RUNTIME_DIR=runtime)
        host = subprocess.Popen([kestrel, "host"], env=hosted, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, text=True)
        expect("host ready", host.stdout.readline().startswith("main logbook window ready"))
        done = subprocess.run([kestrel, "import", "adif", log, desktop], env=hosted,
                              capture_output=True, text=True, stdin=subprocess.DEVNULL)
        host.send_signal(signal.SIGINT)
        host.communicate(timeout=20)
        expect("refused beside Kestrel", done.returncode == 1 and "Kestrel is running." in done.stderr,
               done.stderr)

    # A large file, interrupted: Ctrl-C cancels and keeps what was stored;
    # SIGKILL leaves a logbook the key builder finds whole.
    big = os.path.join(top, "big.adi")
    subprocess.run([adifsample, "--count", "300000", big], check=True, capture_output=True)

    def interrupted(logbook, sig):
        process = subprocess.Popen([kestrel, "import", "adif", logbook, big, "--new"], env=env,
                                   stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE, text=True)
        time.sleep(2.5)
        process.send_signal(sig)
        out, err = process.communicate(timeout=120)
        return process.returncode, out, err

    status, out, err = interrupted(os.path.join(top, "CANCEL"), signal.SIGINT)
    expect("Ctrl-C cancels", status == 1 and "terminated at user request" in out, out + err)
    expect("Ctrl-C warns", "Database may been left" in err, err)
    # SIGTERM (a shutdown, a service manager) cancels the same way.
    status, out, err = interrupted(os.path.join(top, "TERM"), signal.SIGTERM)
    expect("SIGTERM cancels", status == 1 and "terminated at user request" in out and
           "the contacts read so far are stored" in err, out + err)

    for name, sig in (("CANCEL", None), ("TERM", None), ("KILLED", signal.SIGKILL)):
        logbook = os.path.join(top, name)
        if sig is not None:
            status, out, err = interrupted(logbook, sig)
            expect("killed", status == -signal.SIGKILL, status)
        done = subprocess.run([keybuild, logbook], capture_output=True, text=True, env=env)
        expect(f"{name}: keybuild finds the keys whole",
               done.returncode == 0 and "are whole; nothing was rebuilt" in done.stdout + done.stderr,
               done.stdout + done.stderr)
        status, out, err = run("import", "adif", logbook, desktop)
        expect(f"{name}: the logbook opens and takes more contacts",
               status == 0 and "4 records imported" in out, out + err)

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("kestrel import: all checks passed")
