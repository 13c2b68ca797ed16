"""kestrel browse as a user meets it over the sample logbook: the whole log
in date order, queries against the whole listing, refusals, the saved list,
the printed PDF, and tagging seen through the ADIF export."""
import os
import re
import shutil
import subprocess
import sys
import tempfile

kestrel, sample = sys.argv[1:3]
failures = []


def expect(label, condition, detail=""):
    if not condition:
        failures.append(f"{label}: {detail}")


# Columns of a listed line (the browser's text line).
def band(line):
    return int(line[33:36])


def mode(line):
    return line[28:32].strip()


def received(line):
    return line[62]


def sent(line):
    return line[60]


def day(line):
    month, dom, year = int(line[0:2]), int(line[3:5]), int(line[6:8])
    return (year + (2000 if year < 45 else 1900), month, dom)


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

    status, out, err = run("browse", log)
    whole = out.splitlines()
    expect("whole log", status == 0 and len(whole) > 20, (status, err))
    expect("whole log in date order", [day(l) for l in whole] == sorted(day(l) for l in whole))
    expect("nothing but lines on standard output",
           all(re.match(r"\d\d-\d\d-\d\d \d\d:\d\d ", l) for l in whole), whole[:3])

    def query(*args):
        status, out, err = run("browse", log, *args)
        expect(f"{args} runs", status in (0, 1), (status, err))
        return sorted(out.splitlines())

    for metres in (20, 40, 2):
        got = query("--band", str(metres))
        expect(f"band {metres}", got == sorted(l for l in whole if band(l) == metres), got)
    phone = {"USB", "LSB", "AM", "FM", "SSB", "DV"}
    expect("mode Phone", query("--mode", "Phone") == sorted(l for l in whole if mode(l) in phone))
    expect("QSL Cfm", query("--qsl", "cfm") == sorted(l for l in whole if received(l) == "Y"))
    got = query("--band", "20", "--prefix", "k")
    expect("prefix and band", got == sorted(l for l in whole if band(l) == 20 and l[64:69].strip() == "K")
           and got, got)
    first = day(whole[0])
    date = f"{first[1]:02d}-{first[2]:02d}-{first[0] % 100:02d}"
    expect("one day", query("--date", date) == sorted(l for l in whole if day(l) == first))
    # A query is exactly its flags: the prefix of the run before is not kept.
    run("browse", log, "--prefix", "DL")
    expect("criteria not kept", query("--band", "20") == sorted(l for l in whole if band(l) == 20))
    status, out, err = run("browse", log, "--sort", "call", "--band", "20")
    calls = [l[15:27].strip().upper() for l in out.splitlines()]
    expect("sorted by call", calls == sorted(calls), calls)

    # Refusals: the browser's own message, exit status 2, nothing listed.
    for args, text in [(["--date", "12-31-20,01-01-20"], "'from' date must be less than 'to' date"),
                       (["--prefix", "QQ"], "Illegal or unknown query prefix."),
                       (["--zone", "41"], "CQ Zone must be between 1 and 40."),
                       (["--exclude", "DL"], "No query defined."),
                       (["--band", "21"], "no band '21'"),
                       (["--qsl", "maybe"], "no QSL state"),
                       (["--frobnicate"], "unknown flag")]:
        status, out, err = run("browse", log, *args)
        expect(f"{args} refused", status == 2 and text in err and out == "", (status, out, err))
    status, out, err = run("browse", log, "--state", "WY", "--band", "160")
    expect("nothing found", status == 1 and "No records found!" in err and out == "",
           (status, err))

    # The saved list is the listed lines with CR LF; the PDF has pages.
    listing = os.path.join(top, "BROWSER.TXT")
    pdf = os.path.join(top, "list.pdf")
    status, out, err = run("browse", log, "--save", listing, "--print", pdf)
    expect("save and print", status == 0, err)
    saved = open(listing, "rb").read().decode()
    expect("saved list", saved == "".join(l + "\r\n" for l in out.splitlines()), saved[:200])
    document = open(pdf, "rb").read()
    pages = re.search(rb"/Count (\d+)", document)
    expect("printed PDF", document.startswith(b"%PDF-") and pages and
           int(pages.group(1)) == (len(whole) + 64) // 65, document[:20])

    # Tagging: the listed contacts are tagged in the logbook (the export of
    # tagged contacts finds them) and shown as QSL sent.
    status, out, err = run("browse", log, "--band", "40", "--tag")
    tagged = out.splitlines()
    expect("tag", status == 0 and tagged and all(sent(l) == "Y" for l in tagged), (status, err))
    exported = os.path.join(top, "tagged.adi")
    status, out, err = run("export", "adif", log, exported, "--tagged")
    records = open(exported).read().upper().count("<EOR>") if status == 0 else -1
    expect("tagged contacts exported", records == len(tagged), (records, len(tagged), err))

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("kestrel browse: all checks passed")
