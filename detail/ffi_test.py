"""The detail library as another language sees it: exactly the export names
of its header's table, the window class registered as the library is
loaded, and the exports that need no logbook called through their C
signatures."""
import ctypes as C
import re
import subprocess
import sys

libksdetail, header_path = sys.argv[1:3]
failures = []


def check(label, got, expected):
    if got != expected:
        failures.append(f"{label}: got {got!r}, expected {expected!r}")


header = open(header_path).read()
table = header[header.index("ordinal order"): header.index("*/")]
ordinals = {int(n): name for n, name in re.findall(r"\b(\d+)  ?(\w+)", table)}
check("ordinals", sorted(ordinals), list(range(1, 20)))
exported = set(
    line.split()[-1]
    for line in subprocess.run(["nm", "-D", "--defined-only", libksdetail],
                               capture_output=True, text=True, check=True).stdout.splitlines()
    if line.split()[1:2] and line.split()[1] in "TtWiV")
check("exported names", sorted(exported), sorted(ordinals.values()))

lib = C.CDLL(libksdetail)
P, I, S = C.c_void_p, C.c_int, C.c_char_p
for name, result, args in (
        ("CreateDetailWnd", P, [I, I]), ("SetWindowTitleOptions", S, [C.c_char_p, I]),
        ("GetDetailTableCount", I, []), ("GetDetailTableLine", I, [I, C.c_char_p]),
        ("GetDXCCReportDetailTableLine", I, [I, C.c_char_p]), ("WEP", I, [I]),
        ("ProgressYield", I, [P]), ("GetDXCCDetailsDLL", I, [P, I, P, I, I])):
    function = getattr(lib, name)
    function.restype, function.argtypes = result, args

title = C.create_string_buffer(b"WAS Mixed", 64)
check("title", lib.SetWindowTitleOptions(title, 304), b"WAS Mixed - QSL's Needed")
line = C.create_string_buffer(b"kept", 200)
check("line before any award", lib.GetDetailTableLine(0, line), -2)
check("line untouched", line.value, b"kept")
check("submission line before any award", lib.GetDXCCReportDetailTableLine(0, line), -2)
check("WEP", lib.WEP(7), 1)
check("yield", lib.ProgressYield(None), 0)
check("no task", lib.GetDXCCDetailsDLL(None, 200, None, 301, 0), 0)
check("window of the class registered at load", lib.CreateDetailWnd(8, 16) is not None, True)
check("empty table", lib.GetDetailTableCount(), 0)

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("ksdetail exports: all checks passed")
