#!/usr/bin/env python3
"""Writes a deterministic alias source of N lines (mixed case, duplicates,
comments) and, with --expect, the alias file a stable in-memory sort by the
alias order must give for it."""
import random
import sys

def lines(n, seed=1234):
    rng = random.Random(seed)
    words = ["sales", "Info", "support", "admin", "noreply", "team", "list", "Ops", "hr", "dev"]
    for i in range(n):
        if i % 50 == 49:
            yield "; comment line %d" % i
            continue
        w = rng.choice(words)
        num = rng.randrange(n // 3 + 1)
        alias = "%s%d%s" % (w, num, rng.choice(["", "_x", ".y", "-z"]))
        if rng.random() < 0.3:
            alias = alias.upper()
        yield "%s == %s@example.com" % (alias, alias.lower())

def record(line):
    alias, target = line.split("==", 1)
    a = alias.strip().encode()[:179]
    t = target.strip().encode()[:179]
    return a + b"\0" * (180 - len(a)) + t + b"\0" * (180 - len(t))

def main():
    n = int(sys.argv[1])
    src = sys.argv[2]
    with open(src, "w", newline="\n") as f:
        for l in lines(n):
            f.write(l + "\n")
    if len(sys.argv) > 3:
        recs = [record(l) for l in lines(n) if not l.startswith(";")]
        recs.sort(key=lambda r: r[:180].split(b"\0", 1)[0].upper())
        header = b"v1.0 Corvane Alias File.\r\n\x1a" + b"\0" * 101
        with open(sys.argv[3], "wb") as f:
            f.write(header)
            f.writelines(recs)

main()
