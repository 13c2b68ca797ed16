"""The grayline library as the main program loads it: its window class is
there as soon as it is loaded, and each export answers through its C
signature."""
import ctypes as C
import sys

library = sys.argv[1]
failures = []


def check(label, got, expected):
    if got != expected:
        failures.append(f"{label}: got {got!r}, expected {expected!r}")


lib = C.CDLL(library)
lib.WEP.restype, lib.WEP.argtypes = C.c_int, [C.c_int]
lib.CreateGraylineWnd.restype = C.c_void_p
lib.CreateGraylineWnd.argtypes = [C.c_void_p, C.c_void_p]
lib.InitGrayline.restype, lib.InitGrayline.argtypes = C.c_int, [C.c_int]
check("WEP", lib.WEP(0), 1)
check("InitGrayline before a window", lib.InitGrayline(0), 0)
window = lib.CreateGraylineWnd(None, None)  # needs the class registered at load
check("window made", window is not None, True)
check("the same window again", lib.CreateGraylineWnd(None, None), window)
check("InitGrayline", lib.InitGrayline(0), 1)

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("grayline calls: ok")
