#!/usr/bin/env python3
"""Dispersion measures worked out from their formulas, apart from the program's code.

    dispersion_check.py                  checks the worked figures only
    dispersion_check.py ROWS.tsv MEASURES.tsv
        recomputes range, Juilland's D, DP and DPnorm from the rows of `lexmora-cli plot
        --format tsv` and compares them with `plot --measures --format tsv`.

Juilland's D = 1 - (sd/mean)/sqrt(k - 1) over T_i/W_i (sd: population standard deviation),
DP = 1/2 sum |T_i/sum T - W_i/sum W|, DPnorm = DP / (1 - min_i W_i/sum W); parts of 0 words are
no parts. Exit status 0 when everything agrees to 1e-6.
"""
import csv
import math
import sys


def measures(parts):
    """parts: list of (words, hits). Returns (hits, k, range, D, DP, DPnorm); None = undefined."""
    parts = [(w, t) for w, t in parts if w > 0]
    k = len(parts)
    total_t = sum(t for _, t in parts)
    total_w = sum(w for w, _ in parts)
    rng = sum(1 for _, t in parts if t > 0)
    d = dp = dpnorm = None
    if k >= 2 and total_t > 0:
        rel = [t / w for w, t in parts]
        mean = sum(rel) / k
        sd = math.sqrt(sum((r - mean) ** 2 for r in rel) / k)
        d = 1 - (sd / mean) / math.sqrt(k - 1)
    if k >= 1 and total_t > 0 and total_w > 0:
        dp = 0.5 * sum(abs(t / total_t - w / total_w) for w, t in parts)
        divisor = 1 - min(w for w, _ in parts) / total_w
        if divisor > 0:
            dpnorm = dp / divisor
    return total_t, k, rng, d, dp, dpnorm


def close(a, b):
    if a is None or b is None:
        return a is None and b is None
    return abs(a - b) <= 1e-6


def check_worked():
    cases = [
        ([(9, 1), (10, 2), (10, 3), (10, 4), (11, 5)], 5, 0.785150, 0.18, 0.2195122),
        ([(1000, 0), (1000, 0), (1000, 1), (1000, 2), (1000, 5)], 3, 0.420399, 0.475, 0.59375),
    ]
    ok = True
    for parts, rng, d, dp, dpnorm in cases:
        _, _, r, md, mdp, mdpn = measures(parts)
        good = r == rng and abs(md - d) < 5e-7 and close(mdp, dp) and abs(mdpn - dpnorm) < 5e-7
        print(("ok  " if good else "BAD ") + f"range {r} D {md:.6f} DP {mdp:.6f} DPnorm {mdpn:.7f}")
        ok = ok and good
    return ok


def number(text):
    return None if text == "" else float(text)


def check_files(rows_path, measures_path):
    parts = {}
    with open(rows_path, newline="", encoding="utf-8") as f:
        for row in csv.DictReader(f, delimiter="\t", quoting=csv.QUOTE_NONE):
            parts.setdefault(row["keyword"], []).append((int(row["tokens"]), int(row["hits"])))
    ok = True
    with open(measures_path, newline="", encoding="utf-8") as f:
        for row in csv.DictReader(f, delimiter="\t", quoting=csv.QUOTE_NONE):
            hits, k, rng, d, dp, dpnorm = measures(parts[row["keyword"]])
            good = (int(row["hits"]) == hits and int(row["files"]) == k and int(row["range"]) == rng
                    and close(number(row["juilland_D"]), d) and close(number(row["DP"]), dp)
                    and close(number(row["DPnorm"]), dpnorm))
            print(("ok  " if good else "BAD ") + f"{row['keyword']}: hits {hits} files {k} "
                  f"range {rng} D {d} DP {dp} DPnorm {dpnorm}")
            ok = ok and good
    return ok


def main():
    ok = check_worked()
    if len(sys.argv) == 3:
        ok = check_files(sys.argv[1], sys.argv[2]) and ok
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
