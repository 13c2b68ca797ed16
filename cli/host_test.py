"""kestrel host and a second process exchange messages: the answer to 1101
comes from KESTREL.INI, and a posted 1097 is printed by the host."""
import os
import subprocess
import sys
import tempfile

kestrel = sys.argv[1]
failures = []


def expect(label, condition, detail=""):
    if not condition:
        failures.append(f"{label}: {detail}")


with tempfile.TemporaryDirectory() as home, tempfile.TemporaryDirectory() as runtime:
    env = dict(os.environ, KESTREL_HOME=home, XDG_RUNTIME_DIR=runtime)
    with open(os.path.join(home, "KESTREL.INI"), "w") as ini:
        ini.write("[Settings]\nDateFormat=2\nTimeZone=9\nOtherZone=3\n")

    done = subprocess.run([kestrel, "host", "--send", "1101"], env=env, capture_output=True,
                          text=True)
    expect("no host yet", done.returncode == 1 and "no main logbook window" in done.stderr,
           done.stderr)

    host = subprocess.Popen([kestrel, "host", "--exit-after", "2"], env=env,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    ready = host.stdout.readline()
    expect("host ready", ready.startswith("main logbook window ready"), ready)

    second = subprocess.run([kestrel, "host"], env=env, capture_output=True, text=True)
    expect("one host at a time", second.returncode == 1, second.stderr)

    done = subprocess.run([kestrel, "host", "--send", "1101"], env=env, capture_output=True,
                          text=True)
    expect("1101 answered", done.returncode == 0 and "(low 2, high -9)" in done.stdout,
           done.stdout + done.stderr)
    done = subprocess.run([kestrel, "host", "--post", "1097", "0", "16777731"], env=env,
                          capture_output=True, text=True)
    expect("1097 posted", done.returncode == 0, done.stderr)

    try:
        out, err = host.communicate(timeout=20)
    except subprocess.TimeoutExpired:
        host.kill()
        out, err = host.communicate()
        failures.append("host did not end after two messages")
    expect("host saw 1101", "message 1101 wParam 0 lParam 0 -> " in out, out)
    expect("host saw 1097", "message 1097 wParam 0 lParam 16777731 -> 0" in out, out)
    expect("host ended cleanly", host.returncode == 0, err)

for failure in failures:
    print("FAIL", failure)
print(f"{0 if failures else 1} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
