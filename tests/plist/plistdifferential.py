#!/usr/bin/env python3
# Random values of every type and depth, made and checked by plistlib, for the
# differential test of the property-list codec.
#   make FIRST COUNT: for each seed, one JSON line with the value in the test
#     support's canonical form and plistlib's binary or XML encoding of it.
#   load: reads encodings (one base64 line each) and prints what plistlib
#     makes of each, or an error.
import base64, datetime, json, os, plistlib, random, sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from plistcanon import canon  # noqa: E402
EPOCH = datetime.datetime(2001, 1, 1)
BOM = "\ufeff"

def text(r):
    pool = ["a", "Z", "0", " ", "&", "<", ">", "\"", "'", "é", "ß", "中", "ك", "\U0001F600",
            BOM, "\t", "\n", "]]>"]
    s = "".join(r.choice(pool) for _ in range(r.randrange(0, 8)))
    where = r.randrange(4)
    if where == 0: s = BOM + s
    elif where == 1: s = s[:len(s) // 2] + BOM + s[len(s) // 2:]
    return s

INTS = [0, 1, -1, 255, 256, 65535, 65536, 2**31, 2**32, 2**63 - 1, -2**63, 2**64 - 1, 2**63]
REALS = [0.0, -0.0, 1.5, -2.25, 1e300, 5e-324, float("inf"), float("-inf"), 3.141592653589793]

def scalar(r, xml):
    kind = r.randrange(7 if xml else 8)
    if kind == 0: return r.random() < 0.5
    if kind == 1: return r.choice(INTS + [r.randrange(-2**63, 2**64)])
    if kind == 2: return r.choice(REALS + [r.uniform(-1e9, 1e9)])
    if kind == 3: return text(r)
    if kind == 4: return bytes(r.randrange(256) for _ in range(r.randrange(0, 40)))
    if kind == 5:
        # The XML form keeps whole seconds only.
        seconds = r.randrange(-2**31, 2**31)
        micro = 0 if xml else r.randrange(1000000)
        return EPOCH + datetime.timedelta(seconds=seconds, microseconds=micro)
    if kind == 6: return text(r)
    return plistlib.UID(r.randrange(2**32))

def value(r, depth, xml):
    if depth < 4 and r.random() < 0.3:
        if r.random() < 0.5:
            return [value(r, depth + 1, xml) for _ in range(r.randrange(0, 6))]
        return {text(r): value(r, depth + 1, xml) for _ in range(r.randrange(0, 6))}
    return scalar(r, xml)

def root(r, xml):
    d = {text(r): value(r, 1, xml) for _ in range(r.randrange(1, 12))}
    # Two keys that differ only by a leading U+FEFF.
    key = text(r).lstrip(BOM)
    d[key] = 1
    d[BOM + key] = 2
    return d

if sys.argv[1] == "make":
    first, count = int(sys.argv[2]), int(sys.argv[3])
    for seed in range(first, first + count):
        for xml in (False, True):
            v = root(random.Random(seed * 2 + xml), xml)
            fmt = plistlib.FMT_XML if xml else plistlib.FMT_BINARY
            encoded = plistlib.dumps(v, fmt=fmt, sort_keys=False)
            print(json.dumps({"seed": seed, "form": "xml" if xml else "binary",
                              # What the file holds, as plistlib reads it: its
                              # binary writer stores 0.0 and -0.0 as one object.
                              "canonical": canon(plistlib.loads(encoded)),
                              "bytes": base64.b64encode(encoded).decode()}))
else:
    for line in sys.stdin.buffer.read().split(b"\n"):
        if not line: continue
        try:
            print(json.dumps(canon(plistlib.loads(base64.b64decode(line)))))
        except Exception as e:
            print(json.dumps({"error": str(e)}))
