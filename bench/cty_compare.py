#!/usr/bin/python3
"""Callsign-to-country figures beside cty.dat and a widely used peer.

  cty_compare.py peer  [MASTER.SCP [CTY.DAT]]
      pyhamtools' country-file lookup (Debian python3-pyhamtools) over the
      same calls: calls per second, after loading.
  cty_compare.py agree KESTREL [MASTER.SCP [CTY.DAT]]
      runs `KESTREL lookup -` over the calls and counts how often its entity
      agrees with cty.dat's own answer (exact-call entries first, then the
      longest prefix), with the differences by kind.
"""
import os
import plistlib
import subprocess
import sys
import tempfile
import time

MASTER = "/usr/share/hamradio-files/MASTER.SCP"
CTY = "/usr/share/hamradio-files/cty.dat"


def read_calls(path):
    with open(path) as f:
        return [line.strip() for line in f if line.strip() and not line.startswith("#")]


def read_cty(path):
    """Entities in file order; prefixes and exact calls -> (entity key, overridden cq)."""
    text = open(path, encoding="latin-1").read()
    entities, prefixes, exact = [], {}, {}
    for record in text.split(";"):
        fields = record.split(":")
        if len(fields) < 9:
            continue
        key = fields[7].strip().lstrip("*")
        entity = dict(key=key, name=fields[0].strip(), cq=int(fields[1]), itu=int(fields[2]),
                      continent=fields[3].strip(), lat=float(fields[4]), lon=float(fields[5]))
        entities.append(entity)
        for alias in fields[8].replace("\n", "").split(","):
            alias = alias.strip()
            if not alias:
                continue
            cut = min([alias.find(c) for c in "([<{~" if c in alias] or [len(alias)])
            name = alias[:cut]
            if name.startswith("="):
                exact.setdefault(name[1:], key)
            else:
                prefixes.setdefault(name, key)
    return entities, prefixes, exact


SUFFIXES = {"P", "M", "MM", "AM", "QRP", "A", "B"}


def cty_answer(call, prefixes, exact):
    """cty.dat's answer: the exact call, else the longest prefix of the call's
    base (portable suffixes dropped, else the shorter side of a slash)."""
    if call in exact:
        return exact[call], "exact"
    base = call
    parts = base.split("/")
    while len(parts) > 1 and (parts[-1] in SUFFIXES or parts[-1].isdigit()):
        parts.pop()
    if len(parts) > 1:
        base = min(parts[:2], key=len)
    else:
        base = parts[0]
    for n in range(len(base), 0, -1):
        if base[:n] in prefixes:
            return prefixes[base[:n]], "prefix"
    return None, "none"


def peer(calls, cty_path):
    sys.path.insert(0, "/usr/lib/python3/dist-packages")
    from pyhamtools import LookupLib, Callinfo

    entities, prefixes, exact = read_cty(cty_path)
    mapping_path = os.path.join(os.path.dirname(__import__("pyhamtools").__file__),
                                "countryfilemapping.json")
    # pyhamtools maps entity names to ADIF numbers from its own list, which
    # lacks a few names of newer country files: give those a number of 0.
    mapping = __import__("json").load(open(mapping_path))
    by_key = {e["key"]: e for e in entities}
    plist = {}
    for table, is_exact in ((prefixes, False), (exact, True)):
        for name, key in table.items():
            e = by_key[key]
            mapping.setdefault(e["name"], 0)
            plist[name] = {"Country": e["name"], "Prefix": key, "CQZone": e["cq"],
                           "ITUZone": e["itu"], "Continent": e["continent"],
                           "Latitude": e["lat"], "Longitude": e["lon"],
                           "GMTOffset": 0.0, "ExactCallsign": is_exact}
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "cty.plist")
        with open(os.path.join(tmp, "countryfilemapping.json"), "w") as f:
            __import__("json").dump(mapping, f)
        os.chdir(tmp)  # pyhamtools reads the mapping from the working directory first
        with open(path, "wb") as f:
            plistlib.dump(plist, f)
        started = time.perf_counter()
        lib = LookupLib(lookuptype="countryfile", filename=path)
        info = Callinfo(lib)
        loaded = time.perf_counter()
        found = 0
        for call in calls:
            try:
                info.get_country_name(call)
                found += 1
            except (KeyError, AttributeError, ValueError):
                pass  # calls pyhamtools cannot take apart
        done = time.perf_counter()
    print(f"pyhamtools {__import__('pyhamtools.version').version.__version__}: load {1000 * (loaded - started):.0f} ms,"
          f" {len(calls)} calls in {done - loaded:.2f} s = {len(calls) / (done - loaded):,.0f}"
          f" calls/s, {found} resolved")


def agree(kestrel, calls, cty_path):
    entities, prefixes, exact = read_cty(cty_path)
    out = subprocess.run([kestrel, "lookup", "-"], input="\n".join(calls) + "\n",
                         capture_output=True, text=True)
    lines = out.stdout.splitlines()
    if len(lines) != len(calls):
        sys.exit(f"kestrel lookup gave {len(lines)} lines for {len(calls)} calls:\n{out.stderr}")
    kinds, examples, same = {}, {}, 0
    for call, line in zip(calls, lines):
        fields = line.split("\t")
        ours = fields[1] if len(fields) > 1 and fields[1] else None
        theirs, how = cty_answer(call, prefixes, exact)
        if ours == theirs:
            same += 1
            continue
        if how == "exact":
            kind = "exact-call entry of cty.dat"
        elif "/" in call:
            kind = "slash form read differently"
        elif ours is None:
            kind = "not resolved by us"
        else:
            kind = f"prefix {theirs} -> {ours}"
        kinds[kind] = kinds.get(kind, 0) + 1
        examples.setdefault(kind, []).append(call)
    print(f"agreement: {same} of {len(calls)} calls ({100.0 * same / len(calls):.2f} %)")
    for kind, count in sorted(kinds.items(), key=lambda kv: -kv[1]):
        print(f"  {count:6d}  {kind}  e.g. {' '.join(examples[kind][:4])}")


def main():
    if len(sys.argv) < 2 or sys.argv[1] not in ("peer", "agree"):
        sys.exit(__doc__)
    if sys.argv[1] == "peer":
        args = sys.argv[2:]
        peer(read_calls(args[0] if args else MASTER), args[1] if len(args) > 1 else CTY)
    else:
        if len(sys.argv) < 3:
            sys.exit(__doc__)
        args = sys.argv[3:]
        agree(sys.argv[2], read_calls(args[0] if args else MASTER),
              args[1] if len(args) > 1 else CTY)


if __name__ == "__main__":
    main()
