#!/usr/bin/env python3
"""Keyness worked out from its formulas, independently of the C++ engine.

    keyness_check.py --worked
        checks the figures worked out by hand (a = 50, c = 100,000, b = 20, d = 200,000 ...).
    keyness_check.py TARGET.lst REFERENCE [--measure M] [--k K] [--p P] [--correct C]
                     [--min-target N] [--min-ref N] [--show S] [--top N] [--compare OUT.tsv]
        prints the keyness table as TSV (the benchmark's anchor), or, with --compare, checks
        lexmora-cli's TSV output against it row by row and prints "ok" or the differences.

For every word: a, b its frequencies in the target and the reference, c, d the token totals,
N = c + d, E1 = c(a+b)/N, E2 = d(a+b)/N.
"""
import argparse
import math
import os
import re
import struct
import sys

MEASURES = {"ll": "LL", "chi2": "chi2", "logratio": "LogRatio", "pctdiff": "PctDiff",
            "bic": "BIC", "smp": "SMP"}
COLUMNS = ["word", "freq_target", "freq_ref", "norm_target", "norm_ref", "LL", "p", "chi2",
           "LogRatio", "PctDiff", "BIC", "SMP", "direction"]


def xlnx(o, e):
    return 0.0 if o == 0 else o * math.log(o / e)


def scores(a, b, c, d, k=1.0):
    n = c + d
    e1 = c * (a + b) / n
    e2 = d * (a + b) / n
    cells = [(a, e1), (b, e2), (c - a, c - e1), (d - b, d - e2)]
    ll = 2 * sum(xlnx(o, e) for o, e in cells)
    ll = max(ll, 0.0)
    chi2 = sum((o - e) ** 2 / e for o, e in cells if e > 0)
    a1 = a if a > 0 else 0.5
    b1 = b if b > 0 else 0.5
    log_ratio = math.log2((a1 / c) / (b1 / d))
    pct = math.inf if b == 0 else (a / c - b / d) * 100 / (b / d)
    return {
        "norm_target": a / c * 1e6, "norm_ref": b / d * 1e6, "LL": ll,
        "p": math.erfc(math.sqrt(ll / 2)), "chi2": chi2, "LogRatio": log_ratio, "PctDiff": pct,
        "BIC": ll - math.log(n), "SMP": (a / c * 1e6 + k) / (b / d * 1e6 + k),
        "direction": "+" if a / c > b / d else "-",
    }


def worked():
    bad = 0

    def check(name, got, want, tol=5e-7):
        nonlocal bad
        ok = abs(got - want) <= tol * max(1.0, abs(want))
        print(f"{name:28} {got:.6f} {'ok' if ok else 'WRONG, want %.6f' % want}")
        bad += not ok

    s = scores(50, 20, 100000, 200000)
    check("LL", s["LL"], 42.332760)
    check("chi2", s["chi2"], 45.724955)
    check("LogRatio", s["LogRatio"], 2.321928)
    check("PctDiff", s["PctDiff"], 400)
    check("BIC", s["BIC"], 29.721223)
    check("SMP", s["SMP"], 4.960396)
    check("p (x 1e11)", s["p"] * 1e11, 7.70, 0.01)
    s = scores(10, 0, 100000, 200000)
    check("b = 0: LogRatio", s["LogRatio"], 5.321928)
    check("b = 0: LL", s["LL"], 21.972912)
    check("b = 0: SMP", s["SMP"], 101)
    print("PctDiff with b = 0:", s["PctDiff"])
    return bad


def fold(word):
    return word.lower()


def read_lst(path):
    with open(path, "rb") as f:
        data = f.read()
    header = data[:44].decode("cp1252")
    tokens = int(header[7:16])
    types = int(header[22:31])
    with open(path[:-4] + ".sta", "rb") as f:
        index = f.read()
    words = {}
    for i in range(types):
        pos, count = struct.unpack_from("<ii", index, (26 + i) * 8)
        end = data.index(b"\r", pos - 1)
        word = data[pos - 1:end].decode("cp1252")
        words.setdefault(fold(word), [word, 0])[1] += count
    return words, tokens


def read_plain(path):
    with open(path, "rb") as f:
        data = f.read()
    try:
        text = data.decode("utf-8-sig")
    except UnicodeDecodeError:
        text = data.decode("cp1252", errors="replace")
    words, total, given = {}, 0, None
    for line in text.splitlines():
        if not line.strip():
            continue
        if line.startswith("#"):
            m = re.match(r"#\s*tokens:\s*(\d+)\s*$", line, re.I)
            if m:
                given = int(m.group(1))
            continue
        fields = line.split("\t")
        word, freq = (fields[0], fields[1]) if len(fields) == 2 else (fields[2], fields[1])
        word, freq = word.strip(), int(freq)
        if freq:
            words.setdefault(fold(word), [word, 0])[1] += freq
            total += freq
    return words, (given if given is not None else total)


def keyness(args):
    target, c = read_lst(args.target)
    if args.reference.lower().endswith(".lst"):
        reference, d = read_lst(args.reference)
    else:
        reference, d = read_plain(args.reference)
    tested = []
    for key in target.keys() | reference.keys():
        a = target[key][1] if key in target else 0
        b = reference[key][1] if key in reference else 0
        if a >= args.min_target and b >= args.min_ref:
            word = target[key][0] if key in target else reference[key][0]
            tested.append((word, a, b))
    m = len(tested)
    level = None
    if args.p != "none":
        alpha = float(args.p)
        level = {"none": alpha, "bonferroni": alpha / m if m else alpha,
                 "sidak": 1 - (1 - alpha) ** (1 / m) if m else alpha}[args.correct]
    measure = MEASURES[args.measure]
    groups = {"+": [], "-": []}
    for word, a, b in tested:
        s = scores(a, b, c, d, args.k)
        if level is not None and not s["p"] < level:
            continue
        signed = measure in ("LogRatio", "PctDiff", "SMP") and s["direction"] == "-"
        groups[s["direction"]].append((-s[measure] if signed else s[measure], word, a, b, s))
    shows = {"positive": "+", "negative": "-", "both": "+-"}[args.show]
    rows = []
    for direction in shows:
        group = sorted(groups[direction], key=lambda r: -r[0])
        if args.top is not None:
            group = group[:args.top]
        rows += group
    return rows


def cell(value):
    if isinstance(value, float):
        return "inf" if math.isinf(value) else repr(value)
    return str(value)


def compare(rows, path):
    """Rows are matched by word: words of equal strength may stand in either order."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    if lines[0].split("\t") != COLUMNS:
        print("header differs:", lines[0])
        return 1
    got = [line.split("\t") for line in lines[1:]]
    expected = {(r[4]["direction"], fold(r[1])): r for r in rows}
    bad = 0
    if len(got) != len(rows):
        print(f"{len(got)} rows, expected {len(rows)}")
        bad += 1
    keys = []
    for i, fields in enumerate(got):
        row = expected.get((fields[-1], fold(fields[0])))
        if row is None:
            print(f"row {i + 1}: {fields[0]} is not expected")
            bad += 1
            continue
        key, word, a, b, s = row
        keys.append((fields[-1], key))
        want = [word, a, b] + [s[c] for c in COLUMNS[3:]]
        for name, g, w in zip(COLUMNS[1:], fields[1:], want[1:]):
            if isinstance(w, (str, int)):
                ok = str(w) == g
            elif math.isinf(w):
                ok = g == "inf"
            elif name == "p":
                ok = abs(float(g) - w) <= 1e-6 * w + 1e-300
            else:
                ok = abs(float(g) - w) <= 1e-6 * max(1.0, abs(w))
            if not ok:
                bad += 1
                if bad <= 20:
                    print(f"row {i + 1} ({word}): {name} {g}, expected {w}")
    if keys != [(r[4]["direction"], r[0]) for r in rows][:len(keys)]:
        print("the rows are not in the order of the measure")
        bad += 1
    print("ok" if bad == 0 else f"{bad} differences")
    return 1 if bad else 0


def main():
    if sys.argv[1:] == ["--worked"]:
        return 1 if worked() else 0
    p = argparse.ArgumentParser()
    p.add_argument("target")
    p.add_argument("reference")
    p.add_argument("--measure", default="ll", choices=MEASURES)
    p.add_argument("--k", type=float, default=1.0)
    p.add_argument("--p", default="0.05")
    p.add_argument("--correct", default="none")
    p.add_argument("--min-target", type=int, default=5)
    p.add_argument("--min-ref", type=int, default=0)
    p.add_argument("--show", default="both")
    p.add_argument("--top", type=int)
    p.add_argument("--compare")
    args = p.parse_args()
    rows = keyness(args)
    if args.compare:
        return compare(rows, args.compare)
    out = sys.stdout
    out.write("\t".join(COLUMNS) + "\n")
    for _, word, a, b, s in rows:
        out.write("\t".join([word, str(a), str(b)] + [cell(s[c]) for c in COLUMNS[3:]]) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
