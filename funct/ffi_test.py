"""The common function library as another language sees it: every export of
its header's table callable through its C signature."""
import ctypes as C
import os
import sys
import tempfile

import exports

library_path, header_path = sys.argv[1], sys.argv[2]
failures = []


def check(label, got, expected):
    if got != expected:
        failures.append(f"{label}: got {got!r}, expected {expected!r}")


# The export table of the header (what is exported, exactly, the library's
# exports test checks); here every name is called.
ordinals = exports.table(header_path)
check("ordinals", sorted(ordinals), list(range(1, 42)))

lib = C.CDLL(library_path)
P, I, L, S = C.c_void_p, C.c_int, C.c_long, C.c_char_p


class DateInfo(C.Structure):
    _fields_ = [(n, C.c_int32) for n in
                ("day", "month", "year", "yearDay", "result", "isLeap", "invalid")]


signatures = {
    "WEP": (I, [I]), "KSCopyFile": (I, [P, S, S]), "CopyDictionary": (I, [P, S, S]),
    "KSDeleteFile": (I, [S]), "FileExists": (I, [S]), "CheckTime": (I, [S]),
    "CheckDate": (I, [S]), "CalcJulianDate": (I, [S]), "isConfirmed": (I, [S]),
    "FindModule": (I, [S]), "CalcYearDays": (I, [C.POINTER(DateInfo)]),
    "CheckValidDate": (None, [C.POINTER(DateInfo)]), "DateToEuro": (None, [C.c_char_p]),
    "MakeFileName": (None, [S, S, C.c_char_p]), "ARRLSectToState": (C.c_char_p, [C.c_char_p, S]),
    "isVHFUHF": (I, [I]), "isBand": (I, [I]), "BandToFreq": (None, [I, C.c_char_p]),
    "FileSize": (L, [P, S]), "FreeDiskSpace": (L, [S]),
    "GetDateTime": (None, [I, I, C.c_char_p, C.c_char_p]), "WaitCursor": (None, [P, I]),
    "Strip": (I, [C.c_char_p]), "CopyNoteDictionary": (I, [P, S, S, S]),
    "StateToITUZone": (I, [S]), "StateToCQZone": (I, [S]),
    "IsLeapYear": (None, [C.POINTER(DateInfo)]), "DateToIntl": (None, [C.c_char_p]),
    "DateToUSA": (None, [C.c_char_p]),
}
for word in ("isPhone", "isSSB", "isCW", "isFSK", "isMode", "isSSTV", "isSAT", "isState",
             "isContinent", "isGrid", "isUSA", "isMobile"):
    signatures[word] = (I, [S])
check("signatures cover the table", sorted(signatures), sorted(ordinals.values()))
for name, (restype, argtypes) in signatures.items():
    function = getattr(lib, name)
    function.restype, function.argtypes = restype, argtypes

f = lib
check("WEP", f.WEP(0), 1)
for name, word, expected in [("isPhone", b"FM", 1), ("isSSB", b"LSB", 1), ("isCW", b"CW", 1),
                             ("isFSK", b"FT8", 1), ("isMode", b"USB", 1), ("isSSTV", b"ATV", 1),
                             ("isSAT", b"SAT", 1), ("isConfirmed", b"Y", 1),
                             ("isState", b"CT", 1), ("isContinent", b"OC", 1),
                             ("isGrid", b"FN31", 0), ("isUSA", b"KH6", 1),
                             ("isMobile", b"MM", 1), ("CheckTime", b"23:59:59", 2),
                             ("CheckDate", b"31/12/99", 2), ("CalcJulianDate", b"01-01-01", 36526),
                             ("StateToITUZone", b"HI", 61), ("StateToCQZone", b"HI", 31),
                             ("FindModule", b"KSFUNCT", 1)]:
    check(name, getattr(f, name)(word), expected)
check("isVHFUHF", f.isVHFUHF(6), 1)
check("isBand", f.isBand(1296), 0)
out = C.create_string_buffer(16)
f.BandToFreq(12, out)
check("BandToFreq", out.value, b"24.890")
check("ARRLSectToState", f.ARRLSectToState(out, b"SJV"), b"CA")
info = DateInfo(31, 12, 2000, 0, 0, 0, 0)
check("CalcYearDays", f.CalcYearDays(C.byref(info)), 366)
f.IsLeapYear(C.byref(info))
check("IsLeapYear", info.isLeap, 1)
info = DateInfo(1, 3, 2100, 0, 0, 0, 0)
f.CheckValidDate(C.byref(info))
check("CheckValidDate", info.invalid, 1)
for name, expected in [("DateToEuro", b"99.12.31"), ("DateToIntl", b"31/12/99"),
                       ("DateToUSA", b"12-31-99")]:
    date = C.create_string_buffer(b"12-31-99", 9)
    getattr(f, name)(date)
    check(name, date.value, expected)
text = C.create_string_buffer(b"W1AW  ")
check("Strip", f.Strip(text), 3)
date, time = C.create_string_buffer(9), C.create_string_buffer(6)
f.GetDateTime(0, 0, date, time)
check("GetDateTime date", f.CheckDate(date.value), 1)
check("GetDateTime time", f.CheckTime(time.value), 1)
f.WaitCursor(None, 1)
f.WaitCursor(None, 0)

with tempfile.TemporaryDirectory() as scratch:
    source = os.path.join(scratch, "LOGDBD.SKL").encode()
    with open(source, "wb") as handle:
        handle.write(bytes(range(256)) * 4)
    copy = os.path.join(scratch, "COPY").encode()
    check("KSCopyFile", f.KSCopyFile(None, source, copy), 1)
    check("FileExists", f.FileExists(copy), 1)
    check("FileSize", f.FileSize(None, copy), 1024)
    check("FreeDiskSpace > 0", f.FreeDiskSpace(scratch.encode()) > 0, True)
    dbd = os.path.join(scratch, "MYLOG.DBD").encode()
    check("CopyDictionary", f.CopyDictionary(None, source, dbd), 1)
    check("CopyDictionary slot", open(dbd, "rb").read()[22:32], b"MYLOG.DAT\0")
    check("CopyNoteDictionary", f.CopyNoteDictionary(None, source, dbd, b"NOTES"), 1)
    check("CopyNoteDictionary slot", open(dbd, "rb").read()[82:92], b"NOTES.K03\0")
    name = C.create_string_buffer(128)
    f.MakeFileName(dbd, b"ERR", name)
    check("MakeFileName", name.value, os.path.join(scratch, "MYLOG.ERR").encode())
    check("KSDeleteFile", f.KSDeleteFile(copy), 0)
    check("KSDeleteFile again", f.KSDeleteFile(copy), 1)

if failures:
    print("\n".join(failures))
    print(f"0 passed, {len(failures)} failed")
    sys.exit(1)
print(f"{len(ordinals)} exports checked")
