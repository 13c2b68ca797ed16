"""The grayline library as another program loads it: exactly the export
names of its header's table, each callable through its C signature."""
import ctypes as C
import re
import subprocess
import sys

library, header_path = sys.argv[1:3]
failures = []


def check(label, got, expected):
    if got != expected:
        failures.append(f"{label}: got {got!r}, expected {expected!r}")


header = open(header_path).read()
table = header[header.index("ordinal order"): header.index("Loading the library")]
ordinals = {int(n): name for n, name in re.findall(r"\b(\d+) (\w+)", table)}
check("ordinals", sorted(ordinals), [1, 2, 3, 4])
check("WEP is ordinal 1", ordinals.get(1), "WEP")
exported = set(
    line.split()[-1]
    for line in subprocess.run(["nm", "-D", "--defined-only", library],
                               capture_output=True, text=True, check=True).stdout.splitlines()
    if line.split()[1:2] and line.split()[1] in "TtWiV")
check("exported names", sorted(exported), sorted(ordinals.values()))

lib = C.CDLL(library)
lib.WEP.restype, lib.WEP.argtypes = C.c_int, [C.c_int]
lib.CreateGraylineWnd.restype, lib.CreateGraylineWnd.argtypes = C.c_void_p, [C.c_void_p, C.c_void_p]
lib.InitGrayline.restype, lib.InitGrayline.argtypes = C.c_int, [C.c_int]
check("WEP", lib.WEP(0), 1)
check("InitGrayline before a window", lib.InitGrayline(0), 0)
window = lib.CreateGraylineWnd(None, None)
check("window made", window is not None, True)
check("same window again", lib.CreateGraylineWnd(None, None), window)
check("InitGrayline", lib.InitGrayline(0), 1)

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("grayline exports: ok")
