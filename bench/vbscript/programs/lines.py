# (a) Console-line handler: prefix before the first colon, counted in a dict.
import sys
d = {}
total = 0
n = 0
with open(sys.argv[1], encoding="latin-1", newline="") as f:
    for line in f:
        line = line.rstrip("\r\n")
        p = line.find(":")
        if p >= 0:
            prefix = line[:p].lower()
            rest = line[p + 2:]
            parts = rest.split(" ")
            d[prefix] = d.get(prefix, 0) + 1
            msg = "[" + prefix + "] " + parts[0] + " (" + str(len(parts)) + ")"
            total += len(msg)
        n += 1
print(n, len(d), total)
