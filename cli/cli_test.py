"""The kestrel front end as a user meets it: help, dispatch, exit statuses
and the output of the date and vocabulary commands."""
import subprocess
import sys

kestrel = sys.argv[1]
failures = []


def run(*args, stdin=None):
    done = subprocess.run([kestrel, *args], capture_output=True, text=True, input=stdin)
    return done.returncode, done.stdout, done.stderr


def expect(label, condition, detail=""):
    if not condition:
        failures.append(f"{label}: {detail}")


status, out, err = run("--help")
expect("--help exits 0", status == 0, err)
for name in ("date", "time", "now", "band", "mode", "state"):
    expect(f"--help lists {name}", f"\n  {name} " in out, out)

status, out, err = run()
expect("no command is a usage error", status == 2 and "usage: kestrel" in err, err)
status, out, err = run("frobnicate")
expect("unknown command", status == 2 and "no command 'frobnicate'" in err, err)
status, out, err = run("help", "date")
expect("help date", status == 0 and "usage: kestrel date DATE..." in out, out)
status, out, err = run("date", "--help")
expect("date --help", status == 0 and "Two-digit years 00-44" in out, out)

status, out, err = run("date", "12-31-99")
expect("date USA", status == 0, err)
for text in ("USA form", "1999-12-31", "day number  36159", "Intl        31/12/99",
             "Euro        99.12.31"):
    expect(f"date shows {text!r}", text in out, out)
status, out, err = run("date", "07/12/26")
expect("date Intl", status == 0 and "2026-12-07" in out and "USA         12-07-26" in out, out)
status, out, err = run("date", "12/31/99", "01-01-45")
expect("bad date fails", status == 1 and "'12/31/99' is not a valid date" in err, err)
expect("good date after a bad one", "1945-01-01" in out, out)
status, out, err = run("date", "2024-02-29")
expect("date ISO", status == 0 and "ISO form" in out and "USA         02-29-24" in out, out + err)
status, out, err = run("date", "1939-06-15", "2024-02-30")
expect("ISO date outside the log's years", status == 1 and "outside 1945-2044" in err, err)
expect("ISO date that does not exist", "'2024-02-30' is not a valid date" in err, err)
status, out, err = run("--version")
expect("--version ends its line", status == 0 and out.startswith("kestrel ") and
       out.endswith("\n"), out)
status, out, err = run("band", "60", "4")
expect("60 m and 4 m", status == 0 and "60 m  default frequency 5.357.00  HF" in out and
       "4 m  default frequency 70.200.00  VHF/UHF" in out, out + err)
status, out, err = run("date")
expect("date without argument", status == 2, err)

status, out, err = run("time", "2359", "24:00")
expect("time", status == 1 and "form 5, HHMM" in out and "'24:00' is not" in err, out + err)
status, out, err = run("now", "--format", "2", "--offset", "-5")
expect("now", status == 0 and len(out.split()[0]) == 8 and out.split()[0][2] == ".", out)
status, out, err = run("now", "--format", "7")
expect("now bad format", status == 2, err)

status, out, err = run("band", "12", "1296")
expect("band", status == 1 and "24.890" in out and "'1296' is not" in err, out + err)
status, out, err = run("mode", "FT8", "USB", "cw")
expect("mode", status == 1 and "FT8  FSK/digital" in out and "USB  SSB, phone" in out
       and "'cw' is not" in err, out + err)
status, out, err = run("state", "SJV", "HI", "DC")
expect("state", status == 1 and "SJV  ARRL section in CA" in out
       and "HI  US state, CQ zone 31, ITU zone 61" in out and "'DC'" in err, out + err)

if failures:
    print("\n".join(failures))
    print(f"0 passed, {len(failures)} failed")
    sys.exit(1)
print("front end checks passed")
