#!/usr/bin/env python3
# python3's plistlib as an independent reference for the tests. Values cross
# the process boundary in a tagged JSON form that keeps every type apart and
# every number exact (reals as their bit pattern, dates in whole
# microseconds).
#   load: reads a property list on standard input, prints its JSON form.
#   dump binary|xml: reads the JSON form, prints plistlib's encoding.
import base64, datetime, json, plistlib, struct, sys
EPOCH = datetime.datetime(2001, 1, 1)

def canon(v):
    if isinstance(v, bool): return {"bool": v}
    if isinstance(v, int): return {"int": str(v)}
    if isinstance(v, float): return {"real": struct.pack(">d", v).hex()}
    if isinstance(v, str): return {"string": v}
    if isinstance(v, bytes): return {"data": base64.b64encode(v).decode()}
    if isinstance(v, datetime.datetime):
        return {"date": str((v - EPOCH) // datetime.timedelta(microseconds=1))}
    if isinstance(v, plistlib.UID): return {"uid": str(v.data)}
    if isinstance(v, list): return {"array": [canon(x) for x in v]}
    if isinstance(v, dict): return {"dict": {k: canon(x) for k, x in v.items()}}
    raise TypeError(type(v))

def build(j):
    (tag, v), = j.items()
    if tag == "bool": return v
    if tag == "int": return int(v)
    if tag == "real": return struct.unpack(">d", bytes.fromhex(v))[0]
    if tag == "string": return v
    if tag == "data": return base64.b64decode(v)
    if tag == "date": return EPOCH + datetime.timedelta(microseconds=int(v))
    if tag == "uid": return plistlib.UID(int(v))
    if tag == "array": return [build(x) for x in v]
    if tag == "dict": return {k: build(x) for k, x in v.items()}
    raise ValueError(tag)

def main():
    mode = sys.argv[1]
    data = sys.stdin.buffer.read()
    if mode == "load":
        sys.stdout.write(json.dumps(canon(plistlib.loads(data))))
    else:
        fmt = plistlib.FMT_BINARY if sys.argv[2] == "binary" else plistlib.FMT_XML
        sys.stdout.buffer.write(plistlib.dumps(build(json.loads(data)), fmt=fmt, sort_keys=False))

if __name__ == "__main__":
    main()
