"""kitapi32 from outside: exactly the export of its header's table, FindCall
called through its C signature, and kestrel kit over a data set written by
kitdata from a record list."""
import ctypes as C
import os
import re
import subprocess
import sys
import tempfile

kestrel, kitdata, library, header_path = sys.argv[1:5]
failures = []


def check(label, got, expected):
    if got != expected:
        failures.append(f"{label}: got {got!r}, expected {expected!r}")


header = open(header_path).read()
table = header[header.index("ordinal order"): header.index("The first call")]
ordinals = {int(n): name for n, name in re.findall(r"\b(\d+) (\w+)", table)}
check("ordinals", ordinals, {1: "FindCall"})
exported = set(
    line.split()[-1]
    for line in subprocess.run(["nm", "-D", "--defined-only", library],
                               capture_output=True, text=True, check=True).stdout.splitlines()
    if line.split()[1:2] and line.split()[1] in "TtWiV")
check("exported names", sorted(exported), ["FindCall"])

RECORDS = """# call class zip year day first middle last street city state
W1AW\tE\t06111\t71\t60\tPERCY\tM\tHIRAM\t225 MAIN ST\tNEWINGTON\tCT
KA1ABC\tG\t02134\t80\t366\tANNE\t\tMC'DONALD\t22ND ST\tBOSTON\tMA
VE3ABC\t\tK1A0B1\t0\t0\tLUC\t\tTREMBLAY\t12 RUE PRINCIPALE\tOTTAWA\tON
"""

with tempfile.TemporaryDirectory(prefix="kit-") as top:
    data = os.path.join(top, "set")
    os.mkdir(data)
    listing = os.path.join(top, "records.tsv")
    open(listing, "w").write(RECORDS)
    done = subprocess.run([kitdata, data, listing], capture_output=True, text=True)
    check("kitdata", (done.returncode, done.stderr), (0, ""))

    env = dict(os.environ, KITDIR=data, PATH="/nonexistent")
    run = lambda *args, **kw: subprocess.run([kestrel, "kit", *args], capture_output=True,
                                             text=True, env=kw.get("env", env))
    done = run("w1aw")
    check("kit W1AW", (done.returncode, done.stdout),
          (0, "W1AW      Class: E  Born: 71\nPERCY M HIRAM\n225 MAIN ST\nNEWINGTON, CT 06111\n"))
    done = run("KA1ABC", "VE3ABC", "--template", "[CL]: [UC1][LN], [AD][UC0] [ZI] [BE]")
    check("kit two calls", (done.returncode, done.stdout),
          (0, "KA1ABC: Mc'Donald, 22nd St 02134 12/31/80\n\nVE3ABC: Tremblay, 12 Rue Principale K1A 0B1 00\n"))
    done = run("W1AW", "K1XYZ", "--template", "[CL]")
    check("kit not found", (done.returncode, done.stdout), (1, "W1AW\n\nK1XYZ: not found\n"))
    check("kit usage", run().returncode, 2)
    check("kit bad option", run("W1AW", "--bogus").returncode, 2)
    done = run("W1AW", env=dict(env, KITDIR=os.path.join(top, "none")))
    check("kit without data set", (done.returncode, "Cannot find KITDB1.DAT" in done.stderr),
          (1, True))

    # The library itself, as the main logbook program calls it.
    os.environ["KITDIR"] = data
    os.environ["PATH"] = "/nonexistent"
    lib = C.CDLL(library)
    lib.FindCall.restype = C.c_int
    lib.FindCall.argtypes = [C.c_char_p, C.c_char_p, C.c_int, C.c_char_p]
    out = C.create_string_buffer(64)
    check("FindCall", lib.FindCall(b"  W1AW", out, 64, b"[CA]|[CL]|[RN]"), 0)
    check("FindCall text", out.value, b" W1AW |W1AW|0000001")
    tiny = C.create_string_buffer(b"xyz", 4)
    check("FindCall length 1", (lib.FindCall(b"W1AW", tiny, 1, None), tiny.value), (0, b""))
    check("FindCall not found", lib.FindCall(b"W1AWX", out, 64, None), 1)

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
