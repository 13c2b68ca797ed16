"""The prefix library as another language sees it: every export of its
header's table called through its C signature over
a task holding a logbook (database 0) and the shipped country database."""
import ctypes as C
import os
import shutil
import subprocess
import sys
import tempfile

import exports

kestrel, librecdb, libksprefix, header_path = sys.argv[1:5]
failures = []


def check(label, got, expected):
    if got != expected:
        failures.append(f"{label}: got {got!r}, expected {expected!r}")


# The export table of the header (what is exported, exactly, the library's
# exports test checks); here every name is called.
ordinals = exports.table(header_path)
check("ordinals", sorted(ordinals), list(range(1, 14)))

with tempfile.TemporaryDirectory() as top:
    home, dictdir = os.path.join(top, "home"), os.path.join(top, "dict")
    done = subprocess.run([kestrel, "setup", dictdir], capture_output=True, text=True,
                          env=dict(os.environ, KESTREL_HOME=home))
    check("setup", done.returncode, 0)

    # A logbook from the skeletons, as the import program makes one.
    base = os.path.join(top, "LOG")
    dbd = bytearray(open(os.path.join(dictdir, "LOGDBD.SKL"), "rb").read())
    for offset, ext in ((22, ".DAT"), (82, ".KEY"), (142, ".K01"), (202, ".DA1"), (262, ".K02")):
        name = b"LOG" + ext.encode()
        dbd[offset:offset + 60] = name + bytes(60 - len(name))
    open(base + ".DBD", "wb").write(dbd)
    for ext in ("DAT", "DA1", "KEY", "K01", "K02"):
        shutil.copyfile(os.path.join(dictdir, f"LOG{ext}.SKL"), f"{base}.{ext}")

    db = C.CDLL(librecdb)
    lib = C.CDLL(libksprefix)
    P, I, S, B = C.c_void_p, C.c_int, C.c_char_p, C.c_char_p
    for name, result, args in (
            ("OpenCountryDb", I, [P, S, P, C.POINTER(I), C.POINTER(I), B]),
            ("CloseCountryDb", I, [P]), ("GetPrefix", C.c_char_p, [B, S, P]),
            ("SearchPrefix", I, [B, S, I, P, B]), ("SearchSharedPrefix", I, [B, S, I, P, B]),
            ("SearchDeletedPrefix", I, [B, S, I, P, B]), ("isPrefix", I, [I, S, P]),
            ("GetBand", I, [C.c_double]), ("WEP", I, [I]), ("CorrectZone", I, [B, S, I]),
            ("CorrectITUZone", I, [B, S, I]), ("GetIotaPrefix", C.c_char_p, [B, S, P]),
            ("SearchIotaPrefix", I, [B, S, I, P, B])):
        function = getattr(lib, name)
        function.restype, function.argtypes = result, args
    db.dbOpenTask.argtypes = [C.POINTER(P)]
    db.dbOpen.argtypes = [S, S, P]
    db.dbInitFile.argtypes = [I, P, I]
    db.dbClose.argtypes = db.dbCloseTask.argtypes = [P]
    db.dbRecordFirst.argtypes = [I, P, I]
    db.dbRecordNext.argtypes = [P, I]

    task = P()
    check("dbOpenTask", db.dbOpenTask(C.byref(task)), 0)
    check("dbOpen logbook", db.dbOpen(base.encode(), b"o", task), 0)
    for n in (0, 1, 2, 4, 3):
        check(f"dbInitFile {n}", db.dbInitFile(n, task, 0), 0)
    active, deleted = I(-1), I(-1)
    head = C.create_string_buffer(52)
    country = os.path.join(dictdir, "COUNTRY").encode()
    check("OpenCountryDb", lib.OpenCountryDb(None, country, task, C.byref(active),
                                             C.byref(deleted), head), 1)
    check("active count", active.value, 340)
    check("deleted count", deleted.value, 32)
    tallies = 0
    rc = db.dbRecordFirst(10002, task, 0)
    while rc == 0:
        tallies += 1
        rc = db.dbRecordNext(task, 0)
    check("country tallies", tallies, 372)

    out = C.create_string_buffer(16)
    check("GetPrefix", lib.GetPrefix(out, b"EA8/W1AW", task), b"EA8")
    name = C.create_string_buffer(21)
    day = 45000  # in March 2024
    check("SearchDeletedPrefix", lib.SearchDeletedPrefix(name, b"W1AW", day, task, head), 0)
    check("SearchSharedPrefix", lib.SearchSharedPrefix(name, b"W1AW", day, task, head), 0)
    check("SearchPrefix", lib.SearchPrefix(name, b"W6AW", day, task, head), 1)
    check("country name", name.value, b"United States")
    check("head prefix", head.raw[:2], b"K\0")
    check("head zones", (int.from_bytes(head.raw[48:50], "little"),
                         int.from_bytes(head.raw[50:52], "little")), (3, 6))
    check("CorrectZone", lib.CorrectZone(head, b"W1AW", 5), 5)
    check("CorrectITUZone", lib.CorrectITUZone(head, b"W0AW", 8), 7)
    check("isPrefix", (lib.isPrefix(0, b"K", task), lib.isPrefix(0, b"QQ", task)), (1, 0))
    check("GetBand", (lib.GetBand(14.025), lib.GetBand(1000.0)), (20, 0))
    check("WEP", lib.WEP(0), 1)
    check("GetIotaPrefix", lib.GetIotaPrefix(out, b"W1ABC/P", task), b"W1ABC/P")
    record = C.create_string_buffer(586)
    check("SearchIotaPrefix without database 5", lib.SearchIotaPrefix(name, b"W1AW", day, task,
                                                                      record), 0)
    check("CloseCountryDb", lib.CloseCountryDb(task), 1)
    check("dbCloseTask", db.dbCloseTask(task), 0)

for failure in failures:
    print("FAIL", failure)
sys.exit(1 if failures else 0)
