"""The reference database editors from a shell: kestrel country, iota and
qslmgr over the dictionary kestrel setup makes. A change saved in the
country editor is seen by a lookup that is already running; an import that
would replace the database under it is refused; export and import give the
same records; the editors tell a running main program when they end."""
import os
import subprocess
import sys
import tempfile

kestrel, atlasw, ksqslmgr = sys.argv[1], sys.argv[2], sys.argv[3]
failures = []


def expect(label, condition, detail=""):
    if not condition:
        failures.append(f"{label}: {detail}")


def run(*args, env, program=None):
    done = subprocess.run([program or kestrel, *args], env=env, capture_output=True, text=True,
                          timeout=120)
    return done.returncode, done.stdout, done.stderr


with tempfile.TemporaryDirectory() as home, tempfile.TemporaryDirectory() as runtime:
    env = dict(os.environ, KESTREL_HOME=home, XDG_RUNTIME_DIR=runtime)
    status, out, err = run("setup", env=env)
    expect("setup", status == 0, out + err)

    # The shipped QSL manager list.
    status, out, err = run("qslmgr", "find", "8P1W", env=env)
    expect("a listed manager is found", status == 0 and "QSL Via: KU9C" in out, out + err)
    status, out, err = run("8P1W", env=env, program=ksqslmgr)
    expect("ksqslmgr CALL shows the call's record", status == 0 and "QSL Via: KU9C" in out,
           out + err)
    status, out, err = run("N0SUCH", env=env, program=ksqslmgr)
    expect("... and nothing for an unknown call", status == 0 and err == "" and
           "QSL Via: \n" in out, out + err)
    status, out, err = run("qslmgr", "list", env=env)
    expect("the whole list is there", status == 0 and len(out.splitlines()) > 4000,
           str(len(out.splitlines())))

    # A lookup running beside the editor sees the saved change at its next
    # search, and keeps the editor from replacing the database under it.
    lookup = subprocess.Popen([kestrel, "lookup", "-"], env=env, stdin=subprocess.PIPE,
                              stdout=subprocess.PIPE, text=True)
    lookup.stdin.write("W1AW\n")
    lookup.stdin.flush()
    before = lookup.stdout.readline()
    expect("lookup before", "\tUnited States\t" in before, before)
    status, out, err = run("country", "save", "prefix=k", "country=Testing Land", "--quiet",
                           env=env)
    expect("save an existing country", status == 0, err)
    lookup.stdin.write("W1AW\n")
    lookup.stdin.flush()
    after = lookup.stdout.readline()
    expect("the running lookup sees the change", "\tTesting Land\t" in after, after)

    export = os.path.join(home, "countries.txt")
    status, out, err = run("country", "export", export, env=env)
    expect("export", status == 0 and "records written." in err, err)
    count = open(export, "rb").read().count(b"\r\n") - 1
    status, out, err = run("country", "import", export, env=env)
    expect("import refused beside the lookup", status == 1 and "open in another program" in err,
           err)
    lookup.stdin.close()
    lookup.wait(timeout=30)
    status, out, err = run("country", "list", env=env)
    expect("the refused import left every country", len(out.splitlines()) == count,
           f"{len(out.splitlines())} of {count}")

    # Export, import, export: the same file.
    status, out, err = run("country", "import", export, env=env)
    expect("import", status == 0 and "Import Done." in err, err)
    again = os.path.join(home, "again.txt")
    run("country", "export", again, env=env)
    expect("export after import reads the same", open(again, "rb").read() == open(export, "rb").read())
    status, out, err = run("country", "import", os.path.join(home, "none.txt"), env=env)
    expect("a missing file is refused", status == 1 and "Error opening" in err, err)
    status, out, err = run("country", "list", env=env)
    expect("... and the database kept", len(out.splitlines()) == count, str(len(out.splitlines())))

    # The form's checks, and delete asking first.
    status, out, err = run("country", "save", "prefix=ZZ9", "country=Nowhere", "cont=EU",
                           "latitude=40.60N", "longitude=1.00E", "cq=14", "itu=28", "status=A",
                           "date=01-01-01", "table=ZZ9", env=env)
    expect("minutes checked", status == 1 and "Minutes Out of Range (0 to 59)." in err, err)
    status, out, err = run("country", "save", "prefix=ZZ9", "country=Nowhere", "cont=EU",
                           "latitude=40.59N", "longitude=1.00E", "cq=14", "itu=28", "status=a",
                           "date=01-01-01", "table=ZZ9", env=env)
    expect("a new country stored", status == 0 and "Record stored sucessfully!" in err, err)
    status, out, err = run("country", "find", "zz9", env=env)
    expect("status stored in capitals", "Status: A" in out, out)
    status, out, err = run("country", "delete", "ZZ9", "--no", env=env)
    expect("delete declined", status == 1 and "Do you wish to delete ZZ9?" in err, err)
    status, out, err = run("country", "delete", "ZZ9", "--yes", env=env)
    status, out, err = run("country", "find", "ZZ9", env=env)
    expect("deleted", status == 1 and "Prefix not found!" in err, err)
    status, out, err = run("country", "save", "nosuchfield=1", env=env)
    expect("an unknown field is bad usage", status == 2, err)

    # IOTA references.
    status, out, err = run("iota", "find", "EU-005", env=env)
    expect("an island group is found", status == 0 and "IOTA: EU-005" in out, out + err)
    fields = dict(line.split(": ", 1) for line in out.splitlines() if ": " in line)
    status, out, err = run("iota", "save", "iota=EU-5", f"prefix={fields['Prefix']}",
                           "country=X", "cont=EU", "latitude=50.00N", "longitude=1.00W",
                           "cq=14", "itu=27", "status=A", "date=01-01-01", "table=G", env=env)
    expect("EU-5 refused", status == 1 and "Invalid IOTA NUM" in err, err)

    # QSL managers: an append keeps existing calls; trailing blanks go.
    extra = os.path.join(home, "qsl.txt")
    with open(extra, "w", newline="") as f:
        f.write('"8P1W","XX9XX","","","","",""\r\n"K0TEST","W1AW","Joe   ","","","",""\r\n')
    status, out, err = run("qslmgr", "import", extra, "--append", env=env)
    expect("append", status == 0 and "Import Done." in err, err)
    status, out, err = run("qslmgr", "find", "8P1W", env=env)
    expect("the existing manager kept", "QSL Via: KU9C" in out, out)
    status, out, err = run("qslmgr", "save", "call=k0test", "name=Joseph   ", env=env)
    qslout = os.path.join(home, "qslout.txt")
    run("qslmgr", "export", qslout, env=env)
    text = open(qslout, "rb").read()
    expect("saved without trailing blanks", b'"K0TEST","W1AW","Joseph",' in text, text[-300:])
    status, out, err = run("country", "import", extra, "--append", env=env)
    expect("--append only for QSL managers", status == 2, err)

    # Printing to a PDF file.
    pdf = os.path.join(home, "countries.pdf")
    status, out, err = run("country", "print", pdf, env=env)
    expect("printed", status == 0 and open(pdf, "rb").read(5) == b"%PDF-", err)

    # The editors tell a running main program when they end.
    host = subprocess.Popen([kestrel, "host", "--exit-after", "2"], env=env,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    ready = host.stdout.readline()
    expect("host ready", ready.startswith("main logbook window ready"), ready)
    status, out, err = run("find", "K", env=env, program=atlasw)
    expect("atlasw is kestrel country", status == 0 and "Country: Testing Land" in out, out + err)
    run("qslmgr", "list", env=env)
    try:
        out, err = host.communicate(timeout=30)
    except subprocess.TimeoutExpired:
        host.kill()
        out, err = host.communicate()
    expect("1096 from the country editor", "message 1096 wParam 0 lParam 0" in out, out)
    expect("1105 from the QSL manager editor", "message 1105 wParam 0 lParam 0" in out, out)

for failure in failures:
    print("FAIL", failure)
print(f"{0 if failures else 1} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
