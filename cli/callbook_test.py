"""kestrel callbook from a shell, over a data set the generator writes with
the calls of MASTER.SCP: real calls found, counts that agree with the data
file, cross-references, e-mail addresses, and bad usage."""
import os
import re
import subprocess
import sys
import tempfile

kestrel, cbxgen = sys.argv[1], sys.argv[2]
MASTER = "/usr/share/hamradio-files/MASTER.SCP"
failures = []


def check(label, got, expected):
    if got != expected:
        failures.append(f"{label}: got {got!r}, expected {expected!r}")


def run(*args, env=None):
    return subprocess.run([kestrel, "callbook", *args], capture_output=True, text=True,
                          env=env, timeout=60)


def fits(call):  # one or two characters before the last digit, 1-3 letters after
    return re.fullmatch(r"[A-Z0-9]{1,2}[0-9][A-Z]{1,3}", call) is not None


if not os.path.exists(MASTER):
    print("MASTER.SCP is not installed (hamradio-files)")
    sys.exit(1)
calls = [line.strip() for line in open(MASTER) if line.strip() and not line.startswith("#")]
real = [c for c in calls if fits(c)]

with tempfile.TemporaryDirectory() as root:
    made = subprocess.run([cbxgen, "--count", "90000", "--seed", "3", root],
                          capture_output=True, text=True, timeout=300)
    check("cbxgen", made.returncode, 0)
    env = dict(os.environ, KESTREL_DRIVE_E=root)

    for call in (real[0], real[len(real) // 2], real[-1], "W1AW"):
        found = run("call", call.lower(), env=env)
        check(f"call {call}", (found.returncode, found.stdout.split(",")[0]), (0, call))

    # The ZIP range counted against the data file itself.
    zips = [line.split(",")[11] for line in open(os.path.join(root, "callbk", "callbkz.dat"),
                                                 newline="")]
    low, high = "30000", "30499"
    expected = sum(1 for z in zips if low <= z[:5] <= high)
    check("zip range holds some", expected > 100, True)
    counted = run("zip", low, high, "--count", env=env)
    check("zip count", (counted.returncode, counted.stdout.splitlines()[-1]),
          (0, f"{expected} matches"))

    # A call listed under another shows the other's record.
    crossed = [line.rstrip("\r\n") for line in open(os.path.join(root, "callbk", "callbkc.dat"),
                                                    newline="") if line.count(",") < 2]
    stored, listed = crossed[0].split(",")
    old = stored[:2].strip() + stored[2] + stored[3:].strip()
    shown = run("call", old, "--format", "2", env=env)
    check("cross-reference", shown.stdout.splitlines()[0].split(", ")[-1], listed)

    # The address file's first record, looked up by its call.
    record = open(os.path.join(root, "callbk", "netaddr.cbx"), "rb").read(60)
    call = record[:10].rstrip(b"\0").decode()
    address = record[10:].rstrip(b"\0").decode()
    mailed = run("call", call, "--email", env=env)
    check("email", mailed.stdout.splitlines()[-1], f"E-mail: {address}")

    nothing = run("call", "ZZ9ZZZ", env=env)
    check("no match", nothing.returncode, 1)
    further = run("name", "smith", "--next", "3", "--format", "3", env=env)
    check("next", (further.returncode, len(further.stdout.splitlines())), (0, 4))

for args in ([], ["phone", "X"], ["call"], ["call", "W1AW", "--format", "9"],
             ["street", "CT", "NEWINGTON"], ["call", "W1AW", "--bogus"]):
    check(f"usage {args}", run(*args).returncode, 2)
plain = {k: v for k, v in os.environ.items() if not k.startswith("KESTREL_DRIVE_")}
missing = run("call", "W1AW", env=plain)
check("no data set", (missing.returncode, "KESTREL_DRIVE_" in missing.stderr), (1, True))

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("kestrel callbook checked")
