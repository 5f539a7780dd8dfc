# (d) Regular-expression word filter over chat lines.
import re, sys
pattern = re.compile(r"\b(frag|noob|camp[a-z]*)\b", re.IGNORECASE)
hits = 0
total = 0
with open(sys.argv[1], encoding="latin-1", newline="") as f:
    for line in f:
        line = line.rstrip("\r\n")
        if pattern.search(line):
            hits += 1
            line = pattern.sub("***", line)
        total += len(line)
print(hits, total)
