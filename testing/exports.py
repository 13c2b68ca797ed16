"""What a library of the suite exports, against what it says it exports.

Usage: exports.py LIBRARY VERSION_SCRIPT [--header HEADER] [--cxx NAMESPACE]

The C names the shared library defines must be exactly the global names of
its version script and, with --header, exactly the names of the export table
in the header's leading comment ("Export table ..." followed by rows of
"ordinal Name"). C++ names are allowed only with --cxx, and then only the
namespace's own (functions, vtables, type information), never its detail
namespace nor the standard library's templates.

Also importable: exported_names(), table(), table_names(), script_names()."""
import re
import subprocess
import sys


def exported_names(library):
    """The names of the symbols the library defines in its dynamic table."""
    out = subprocess.run(["nm", "-D", "--defined-only", library],
                         capture_output=True, text=True, check=True).stdout
    names = set()
    for line in out.splitlines():
        parts = line.split()
        if len(parts) >= 3 and parts[1] in "TtWwiVvDdBbRr":
            names.add(parts[2].split("@")[0])
    return names


def table(header):
    """The export table in the header's leading comment: ordinal -> name."""
    text = open(header).read()
    start = text.index("Export table")
    first_row = start + re.search(r"\n \*\s+\d+ +\w", text[start:]).start()
    block = text[first_row:text.index("\n *\n", first_row + 1)]
    return {int(n): name for n, name in re.findall(r"\b(\d+) +(\w+)", block)}


def table_names(header):
    """The export names of the header's table."""
    return set(table(header).values())


def script_names(script):
    """The C names of a version script's global section."""
    text = re.sub(r"/\*.*?\*/", "", open(script).read(), flags=re.S)
    text = re.sub(r'extern\s+"C\+\+"\s*\{[^}]*\}\s*;', "", text)
    glob = text[text.index("global:") + len("global:"):text.index("local:")]
    return {name.strip() for name in glob.split(";") if name.strip()}


def demangle(names):
    if not names:
        return {}
    out = subprocess.run(["c++filt"], input="\n".join(names), capture_output=True,
                         text=True, check=True).stdout.splitlines()
    return dict(zip(names, out))


def main(argv):
    library, script = argv[1], argv[2]
    header = argv[argv.index("--header") + 1] if "--header" in argv else None
    namespace = argv[argv.index("--cxx") + 1] if "--cxx" in argv else None
    failures = []
    names = exported_names(library)
    c_names = {n for n in names if not n.startswith("_Z")}
    expected = script_names(script)
    if c_names != expected:
        failures.append(f"C names: missing {sorted(expected - c_names)}, "
                        f"unexpected {sorted(c_names - expected)}")
    if header is not None and table_names(header) != expected:
        table = table_names(header)
        failures.append(f"header table and version script differ: only in the table "
                        f"{sorted(table - expected)}, only in the script {sorted(expected - table)}")
    own = ("", "vtable for ", "typeinfo for ", "typeinfo name for ")
    for mangled, plain in demangle(sorted(n for n in names if n.startswith("_Z"))).items():
        ours = namespace is not None and any(plain.startswith(p + namespace + "::") for p in own)
        if not ours or f"{namespace}::detail::" in plain:
            failures.append(f"exports {plain}")
    for failure in failures:
        print(failure)
    print(f"{library}: {len(names)} names checked, {len(failures)} problems")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
