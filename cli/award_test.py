"""kestrel award and kestrel tally as a user meets them: every report of the
sample logbook, the needed list kept up to date by the import, a second
import rated against the first, CSV, and bad arguments."""
import csv
import io
import os
import shutil
import subprocess
import sys
import tempfile

kestrel, sample = sys.argv[1:3]
failures = []


def expect(label, condition, detail=""):
    if not condition:
        failures.append(f"{label}: {detail}")


with tempfile.TemporaryDirectory() as top:
    env = dict(os.environ, KESTREL_HOME=os.path.join(top, "home"), KESTREL_QUIET_DB="1")

    def run(*args):
        done = subprocess.run([kestrel, *args], capture_output=True, text=True, env=env,
                              stdin=subprocess.DEVNULL)
        return done.returncode, done.stdout, done.stderr

    subprocess.run([kestrel, "setup"], env=env, check=True, capture_output=True)
    log = os.path.join(top, "SAMPLE")
    adi = os.path.join(top, "sample.adi")
    shutil.copy(sample, adi)
    status, out, err = run("import", "adif", log, adi, "--new", "--no")
    expect("import", status == 0, out + err)

    # Every report of the sample logbook: the title, the rows, a blank row
    # and the total.
    reports = [
        (["dxcc"], "DXCC Mixed - Full Report"),
        (["dxcc", "--type", "cw", "--variant", "worked"], "DXCC CW - Worked"),
        (["dxcc", "--band", "20", "--variant", "needed"], "20 Meter DXCC - Needed"),
        (["dxcc", "--sort", "status", "--submission", "--variant", "306"], "DXCC Mixed - Worked"),
        (["dxcc2000"], "DXCC 2000 - Full Report"),
        (["was", "--type", "phone"], "WAS SSB - Full Report"),
        (["was", "--band", "40"], "40 Meter WAS - Full Report"),
        (["cq", "--variant", "needed"], "CQ Mixed - Needed"),
        (["cq", "--type", "sat"], "CQ Satellite - Full Report"),
        (["vucc", "--band", "2"], "144 MHz VUCC - Full Report"),
        (["usca", "--variant", "needed"], "USCA Counties - Needed"),
        (["iota"], "IOTA"),
    ]
    outputs = {}
    for args, title in reports:
        status, out, err = run("award", args[0], log, *args[1:])
        lines = out.split("\n")
        expect(f"{args} runs", status == 0, err)
        expect(f"{args} title", lines[0] == title, lines[:1])
        expect(f"{args} blank row and total", len(lines) >= 4 and lines[-1] == "", lines[-4:])
        if args[0] in ("dxcc", "dxcc2000", "cq", "usca", "iota"):
            expect(f"{args} total", "Total: " in lines[-2], lines[-2:])
        outputs[" ".join(args)] = out

    full = outputs["dxcc"].split("\n")
    expect("dxcc total", "Total: " in full[-2], full[-2:])
    worked = [l for l in full[1:-3] if l.startswith("*")]
    expect("countries of the sample are worked", len(worked) > 10, len(worked))
    # The import brought the tallies up to date: a worked country is not needed.
    status, out, err = run("award", "dxcc", log, "--variant", "needed")
    needed = {l.split()[0] for l in out.split("\n")[1:-3] if l.strip()}
    worked_prefixes = {l.split()[1] for l in worked}
    expect("needed list leaves out worked countries", not (needed & worked_prefixes),
           needed & worked_prefixes)
    expect("needed list is not empty", len(needed) > 100, len(needed))
    submission = outputs["dxcc --sort status --submission --variant 306"].split("\n")
    expect("submission line", submission[1].startswith("         1     "), submission[1])

    # A second import of the same contacts: nothing is new any more.
    again = os.path.join(top, "again.adi")
    shutil.copy(sample, again)
    status, out, err = run("import", "adif", log, again, "--report", "--no")
    report = open(os.path.join(top, "again.VAL"), newline="").read()
    expect("second import rated against the first", "New DXCC Country." not in report, report[:400])

    status, out, err = run("tally", log)
    expect("tally", status == 0 and "country" in out, out + err)

    status, out, err = run("award", "dxcc", log, "--csv")
    rows = list(csv.reader(io.StringIO(out)))
    expect("csv header", rows and rows[0] == ["", "Prefix", "Country", "Call Sign", "Date", "Time",
                                              "Band", "Mode", "Rcv", "QSL", "QSL Date"], rows[:1])
    expect("csv rows", len(rows) == len(full) - 1 and rows[-1][2].startswith("Total: "), rows[-1:])

    for args, text in [
        (("award", "bogus", log), "no award kind 'bogus'"),
        (("award", "dxcc", log, "--band", "11"), "no band '11'"),
        (("award", "vucc", log), "vucc needs --band"),
        (("award", "dxcc", log, "--variant", "nice"), "no variant 'nice'"),
        (("award", "dxcc", log, "--type", "am"), "no award type 'am'"),
        (("tally",), "needs LOGBOOK"),
    ]:
        status, out, err = run(*args)
        expect(f"{args} is refused", status == 2 and text in err, (status, err))
    status, out, err = run("award", "dxcc", os.path.join(top, "NOTHERE"))
    expect("missing logbook", status == 1 and "cannot open the logbook" in err, err)

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("kestrel award: all checks passed")
