"""The browser library as another language sees it: its class registered
and the data table control loaded as it is loaded, and the line exports
called through their C signatures with a contact record laid out by hand
(228 bytes), the way a host that is not C++ would build one."""
import ctypes as C
import struct
import sys

libksbrowse = sys.argv[1]
failures = []


def check(label, got, expected):
    if got != expected:
        failures.append(f"{label}: got {got!r}, expected {expected!r}")


lib = C.CDLL(libksbrowse)
P, I = C.c_void_p, C.c_int
for name, result, args in (
        ("CreateBrowseWnd", P, [I, I]), ("WEP", I, [I]), ("InitBrowser", None, [I, P]),
        ("FillBrowserLine", None, [I, C.c_char_p, I, I]),
        ("UpdateBrowserLine", I, [I, C.c_char_p, I])):
    function = getattr(lib, name)
    function.restype, function.argtypes = result, args


def contact(call, band, zone):
    record = bytearray(228)
    record[0:len(call)] = call          # call at 0
    record[15:23] = b"01-02-99"         # date at 15
    struct.pack_into("<i", record, 24, 35796)  # day number at 24
    record[40:43] = b"SSB"              # mode at 40
    record[171:173] = b"DL"             # prefix at 171
    struct.pack_into("<HHH", record, 200, zone, 14, band)  # CQ, ITU zones, band at 200
    return bytes(record)


check("WEP", lib.WEP(3), 1)
window = lib.CreateBrowseWnd(8, 16)
check("window of the class registered at load", window is not None, True)
lib.InitBrowser(0, None)
lib.FillBrowserLine(0, contact(b"DL1ABC", 20, 14), 101, 0)
lib.FillBrowserLine(0, contact(b"DL2XYZ", 40, 14), 102, 1)
check("update of a listed contact", lib.UpdateBrowserLine(0, contact(b"DL9NEW", 40, 14), 102), 1)
check("update of an unknown key", lib.UpdateBrowserLine(0, contact(b"DL9NEW", 40, 14), 7), 0)
check("null record", lib.UpdateBrowserLine(0, None, 101), 0)
lib.FillBrowserLine(0, None, 103, 0)  # ignored, not a crash

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("ksbrowse exports: all checks passed")
