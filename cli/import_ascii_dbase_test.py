"""kestrel import of the ASCII file and the dBASE logs from a shell: tables
of the suite's own writer and, with --independent, tables written by another
program (Debian's python3-dbf), with deleted records; bad arguments."""
import datetime
import os
import subprocess
import sys
import tempfile

kestrel, dbftable = sys.argv[1:3]
independent = "--independent" in sys.argv
SKIP = 77

if independent:
    try:
        import dbf  # noqa: F401  (python3-dbf)
    except ImportError:
        # The interpreter the build found may not be the system's one, which
        # is where Debian's package lives.
        system = "/usr/bin/python3"
        if os.path.exists(system) and os.path.realpath(sys.executable) != system \
                and not os.environ.get("KESTREL_DBF_REEXEC"):
            os.environ["KESTREL_DBF_REEXEC"] = "1"
            os.execv(system, [system, *sys.argv])
        print("python3-dbf is not installed: skipped")
        sys.exit(SKIP)
    import warnings
    warnings.simplefilter("ignore")
    import dbf

failures = []


def expect(label, condition, detail=""):
    if not condition:
        failures.append(f"{label}: {detail}")


FORMATS = {"dxlog": "DXLog File Import Complete.\n", "dxdesktop": "DX Desktop Import Complete.\n",
           "logplus": "LogPlus! Import Complete.\n", "secondop": "Q6QB 2nd Op Import Complete.\n"}


def layout(fmt):
    out = subprocess.run([dbftable, "layout", fmt], capture_output=True, text=True, check=True)
    return [line.split() for line in out.stdout.splitlines()]


def write_independent(fmt, path, rows, deleted):
    """A table of the format's layout written by python3-dbf; rows give values
    by what the column means."""
    columns = layout(fmt)
    fields = []
    for name, kind, length, decimals, _use in columns:
        if kind == "C":
            fields.append(f"{name} C({length})")
        elif kind == "N":
            fields.append(f"{name} N({length},{decimals})")
        else:
            fields.append(f"{name} {kind}")
    table = dbf.Table(path, "; ".join(fields), dbf_type="db3")
    table.open(mode=dbf.READ_WRITE)
    for row in rows:
        values = []
        for name, kind, length, decimals, use in columns:
            value = row.get(use)
            if kind == "D":
                values.append(value)
            elif kind == "L":
                values.append(bool(value))
            elif kind == "N":
                values.append(value if value is not None else 0)
            else:
                values.append(value or "")
        table.append(tuple(values))
    for index in deleted:
        dbf.delete(table[index])
    table.close()


with tempfile.TemporaryDirectory() as top:
    env = dict(os.environ, KESTREL_HOME=os.path.join(top, "home"), KESTREL_QUIET_DB="1")
    env.pop("VISUAL", None)
    env.pop("EDITOR", None)

    def run(*args):
        done = subprocess.run([kestrel, *args], capture_output=True, text=True, env=env,
                              stdin=subprocess.DEVNULL)
        return done.returncode, done.stdout, done.stderr

    subprocess.run([kestrel, "setup"], env=env, check=True, capture_output=True)
    log = os.path.join(top, "LOG")

    if independent:
        contacts = [
            {"call": "W1AW", "date": datetime.date(1999, 12, 31), "time": "1423",
             "frequency": 14.025, "mode": "CW", "rst-sent": "599", "rst-received": "579",
             "qsl-sent": True, "name": "Hiram", "remarks": "first"},
            {"call": "DL1ABC", "date": datetime.date(2024, 2, 29), "time": "0905",
             "frequency": 7.01, "mode": "SSB"},
            {"call": "G4XYZ", "date": datetime.date(2010, 6, 1), "time": "1200",
             "frequency": 21.05, "mode": "PSK31"},
            {"call": "", "date": datetime.date(2010, 6, 1), "time": "1200",
             "frequency": 21.05, "mode": "CW"},
        ]
        for fmt, complete in FORMATS.items():
            table = os.path.join(top, f"{fmt}.dbf")
            write_independent(fmt, table, contacts, deleted=[2])
            dump = subprocess.run([dbftable, "dump", table], capture_output=True, text=True)
            lines = dump.stdout.splitlines()
            expect(f"{fmt}: reader lists the table", dump.returncode == 0 and len(lines) == 5,
                   dump.stdout + dump.stderr)
            expect(f"{fmt}: deletion mark", len(lines) == 5 and lines[3].startswith("*"),
                   dump.stdout)
            expect(f"{fmt}: date field", "1999-12-31" in dump.stdout, dump.stdout)
            status, out, err = run("import", fmt, log, table)
            expect(f"{fmt}: import", status == 0 and complete in out, out + err)
            expect(f"{fmt}: deleted record skipped", "1 deleted records skipped.\n" in out, out)
            expect(f"{fmt}: summary", "2 records imported.\n1 records not imported.\n" in out, out)
            errors = open(os.path.join(top, f"{fmt}.ERR")).read()
            expect(f"{fmt}: error log", errors.startswith(" 06-01-10 12:00 CW ") and
                   "; Missing call sign\n" in errors, errors)
    else:
        for fmt, complete in FORMATS.items():
            table = os.path.join(top, f"{fmt}.dbf")
            subprocess.run([dbftable, "sample", fmt, "200", table], check=True)
            status, out, err = run("import", fmt, log, table)
            expect(f"{fmt}: sample import", status == 0 and complete in out, out + err)
            expect(f"{fmt}: all stored", "No Errors.\n200 records imported.\n" in out, out)

        damaged = os.path.join(top, "damaged.dbf")
        with open(os.path.join(top, "dxlog.dbf"), "rb") as f:
            data = bytearray(f.read())
        data[10] += 1  # a record length the fields do not add up to
        with open(damaged, "wb") as f:
            f.write(data)
        status, out, err = run("import", "dxlog", log, damaged)
        expect("damaged table refused", status != 0 and
               "field lengths do not add up" in out and "Error Opening File" in err, out + err)
        status, out, err = run("import", "logplus", log, os.path.join(top, "dxlog.dbf"))
        expect("another logger's table refused", status != 0 and
               "does not hold the fields of a LogPlus! log" in out, out + err)

        ascii_file = os.path.join(top, "log.txt")
        with open(ascii_file, "w", newline="") as f:
            f.write("; call, date, mode, band, remarks\n"
                    "W1AW,31/12/1999,CW,14,\"Newington, CT\"\r\n"
                    "K1ABC,01/02/2024,FT8,50,")
        status, out, err = run("import", "ascii", log, ascii_file, "--columns",
                               "call, Date,Mode ,Band,Remarks", "--date-order", "dmy")
        expect("ascii import", status == 0 and "Beginning ASCII File Import.\n" in out and
               "No Errors.\n2 records imported.\n" in out, out + err)
        status, out, err = run("import", "ascii", log, ascii_file)
        expect("ascii without columns", status == 2 and "--columns" in err, err)
        status, out, err = run("import", "ascii", log, ascii_file, "--columns", "Call,Colour")
        expect("unknown column", status == 2 and "Colour" in err, err)
        status, out, err = run("import", "ascii", log, ascii_file, "--columns", "Call",
                               "--date-order", "dym")
        expect("bad date order", status == 2, err)
        with open(ascii_file, "w") as f:
            f.write("W1AW,12-31-99,CW,14\nW2AW,12-31-99\n")
        status, out, err = run("import", "ascii", log, ascii_file, "--columns",
                               "Call,Date,Mode,Band")
        expect("too few fields", status != 0 and
               "Not enough fields to complete at line 2" in err, out + err)

for failure in failures:
    print("FAIL", failure)
sys.exit(1 if failures else 0)
