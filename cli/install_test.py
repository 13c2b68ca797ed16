"""The suite installed under a prefix and moved elsewhere, with nothing of the
build or source tree in reach: kestrel setup finds the shipped data beside
the installed programs, a sample ADIF file imports, the programs load the
installed libraries, and the headers and the manual page are there.

Usage: install_test.py CMAKE BUILD_DIR SAMPLE_ADIF"""
import os
import shutil
import subprocess
import sys
import tempfile

cmake, build, sample = sys.argv[1], sys.argv[2], sys.argv[3]
failures = []


def check(label, ok, detail=""):
    if not ok:
        failures.append(f"{label}: {detail}")


with tempfile.TemporaryDirectory() as tmp:
    staged = os.path.join(tmp, "staged")
    subprocess.run([cmake, "--install", build, "--prefix", staged], check=True,
                   stdout=subprocess.DEVNULL)
    prefix = os.path.join(tmp, "elsewhere")
    shutil.move(staged, prefix)  # nothing may remember where it was installed
    env = {k: v for k, v in os.environ.items() if not k.startswith("KESTREL_")}
    env["KESTREL_HOME"] = os.path.join(tmp, "home")
    kestrel = os.path.join(prefix, "bin", "kestrel")

    setup = subprocess.run([kestrel, "setup"], env=env, capture_output=True, text=True)
    check("setup exit", setup.returncode == 0, setup.stderr)
    check("setup loads the installed data",
          os.path.join(prefix, "bin", "..", "share", "kestrel") in setup.stdout, setup.stdout)

    shutil.copy(sample, os.path.join(tmp, "sample.adi"))
    imported = subprocess.run(
        [kestrel, "import", "adif", os.path.join(tmp, "LOG"), os.path.join(tmp, "sample.adi"),
         "--new", "--yes"], env=env, capture_output=True, text=True)
    check("import exit", imported.returncode == 0, imported.stderr)
    check("import stored contacts", "records imported" in imported.stdout, imported.stdout)

    for program in ("kestrel", "ksimport", "keybuild"):
        path = os.path.join(prefix, "bin", program)
        libs = subprocess.run(["ldd", path], capture_output=True, text=True).stdout
        for line in libs.splitlines():
            name = line.split()[0]
            if name.startswith(("libks", "librecdb")):
                check(f"{program} loads {name} from the prefix",
                      os.path.join(prefix, "bin", "..", "lib") in line
                      or os.path.join(prefix, "lib") in line, line)
            check(f"{program} resolves {name}", "not found" not in line, line)

    for wanted in ("include/kestrel/funct/ksfunct.h", "include/kestrel/recdb/dbengine.h",
                   "include/kestrel/winlayer/winlayer.h", "share/kestrel/COUNTRY.TXT",
                   "share/man/man1/kestrel.1"):
        check("installed", os.path.exists(os.path.join(prefix, wanted)), wanted)
    for unwanted in ("include/kestrel/funct/internal.h", "include/kestrel/recdb/engine.h"):
        check("private header not installed", not os.path.exists(os.path.join(prefix, unwanted)),
              unwanted)

for failure in failures:
    print(failure)
print(f"{0 if failures else 1} passed, {1 if failures else 0} failed")
sys.exit(1 if failures else 0)
