"""Writes the manual page of kestrel from the program's own help texts:
`kestrel --help` for the synopsis and the list of commands, `kestrel help
NAME` for each command's section. Usage: manpage.py KESTREL OUTPUT"""
import re
import subprocess
import sys

kestrel, output = sys.argv[1], sys.argv[2]


def run(*args):
    return subprocess.run([kestrel, *args], capture_output=True, text=True, check=True).stdout


def roff(text):
    """Plain text as roff: backslashes and leading dots and quotes escaped."""
    lines = []
    for line in text.replace("\\", "\\e").splitlines():
        if line[:1] in (".", "'"):
            line = "\\&" + line
        lines.append(line)
    return "\n".join(lines)


overview = run("--help")
version = run("--version").split()[-1]
names = re.findall(r"^  (\S+) ", overview.split("Commands:", 1)[1], flags=re.M)
page = [
    f'.TH KESTREL 1 "" "kestrel {version}" "Kestrel logbook companion suite"',
    ".SH NAME",
    "kestrel \\- the Kestrel logbook companion suite on the command line",
    ".SH SYNOPSIS",
    ".nf",
    roff(overview.split("\n\n", 1)[0]),
    ".fi",
    ".SH DESCRIPTION",
    roff(overview.split("\n\n", 2)[1]),
    ".SH COMMANDS",
]
for name in names:
    text = run("help", name)
    usage, _, rest = text.partition("\n\n")
    page += [f".SS {name}", ".nf", roff(usage), "", roff(rest.rstrip()), ".fi"]
page += [
    ".SH FILES",
    "Settings in $KESTREL_HOME, else ~/.kestrel (KESTREL.INI); the dictionary",
    "directory named there; the shipped reference data in share/kestrel beside",
    "the programs' folder.",
]
with open(output, "w") as out:
    out.write("\n".join(page) + "\n")
