"""kestrel import of the other loggers' files as a user meets it: every
format from a file of our writer into the shipped country data, the CT and
RTTY dialogs answered by flags, and a broken file that keeps what came
before its break."""
import os
import subprocess
import sys
import tempfile

kestrel, foreigngen = sys.argv[1:3]
failures = []


def expect(label, condition, detail=""):
    if not condition:
        failures.append(f"{label}: {detail}")


with tempfile.TemporaryDirectory() as top:
    env = dict(os.environ, KESTREL_HOME=os.path.join(top, "home"), KESTREL_QUIET_DB="1")
    env.pop("VISUAL", None)
    env.pop("EDITOR", None)

    def run(*args):
        done = subprocess.run([kestrel, *args], capture_output=True, text=True, env=env,
                              stdin=subprocess.DEVNULL)
        return done.returncode, done.stdout, done.stderr

    subprocess.run([kestrel, "setup"], env=env, check=True, capture_output=True)
    begins = {"ct": "Beginning CT File Import.\n", "dxbase": "Beginning DXBase File Import.\n",
              "easydx": "Beginning Easy-DX Import.\n", "logview": "Beginning Log View File Import.",
              "logmaster": "Beginning LogMaster Import.\n",
              "hyperlog": "Beginning HyperLog File Import.\n",
              "pakratt": "Beginning PakRatt File Import.\n",
              "rtty": "Beginning RTTY by Q1QA File Import.\n"}
    for fmt, begin in begins.items():
        path = os.path.join(top, fmt + ".in")
        subprocess.run([foreigngen, fmt, path, "50"], check=True)
        status, out, err = run("import", fmt, os.path.join(top, "LOG_" + fmt), path)
        expect(fmt, status == 0 and out.startswith(begin) and
               "No Errors.\n50 records imported.\n" in out, out + err)
    # CT and RTTY write the value report; the contest and power come from flags.
    expect("ct report", os.path.exists(os.path.join(top, "ct.VAL")))
    ct = os.path.join(top, "ct.in")
    status, out, err = run("import", "ct", os.path.join(top, "LOG_ct2"), ct,
                           "--other", "Club Sprint", "--power", "5")
    expect("ct other contest", status == 0, out + err)
    status, out, err = run("import", "ct", os.path.join(top, "LOG_ct3"), ct, "--contest", "nope")
    expect("unknown contest", status == 2 and "no contest 'nope'" in err, err)
    status, out, err = run("import", "hyperlog", os.path.join(top, "LOG_h2"),
                           os.path.join(top, "hyperlog.in"), "--date-order", "sideways")
    expect("bad date order", status == 2, err)

    # An Easy-DX file cut inside its last record.
    easy = os.path.join(top, "easydx.in")
    with open(easy, "rb") as f:
        data = f.read()
    with open(easy, "wb") as f:
        f.write(data[:-3])
    status, out, err = run("import", "easydx", os.path.join(top, "LOG_e2"), easy)
    expect("broken easydx", status == 1 and "at record 50: the file ends inside it" in out and
           "Easy-DX File Import terminated due to an error.\n" in out and
           "49 records imported.\n" in out, out + err)

if failures:
    print("\n".join(failures))
    sys.exit(1)
