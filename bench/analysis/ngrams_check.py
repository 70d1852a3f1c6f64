#!/usr/bin/env python3
"""N-grams of files with collections.Counter over zipped word lists, the words cut by the word
count's rules as bench/wordcount/independent_count.py cuts them (digit-first words kept: they are
tokens), folded to lower case. Prints "ngram TAB freq TAB range" for every n-gram of the sizes
asked with at least MIN_FREQ occurrences, UTF-8, in no particular order. Test helper for
bench/analysis/ngrams.sh (the anchor it times, and the check of lexmora-cli's counts).

usage: ngrams_check.py LANGUAGE LOW HIGH MIN_FREQ FILE...
"""
import collections
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "wordcount"))
import independent_count as ic  # noqa: E402


def words_of(data, language, delim, single, late, apostrophe):
    if not data or b"\0" in data[:min(len(data) - 1, 32767)]:
        return None
    if ic.is_utf8(data):
        data = ic.utf8_as_cp1252(data)
    if apostrophe:
        data = data.replace(b"\x92", b"'")
    out, i = bytearray(), 0
    while True:  # line-end hyphens (the files are CR LF)
        j = data.find(b"-\r\n", i)
        if j < 0 or j + 3 >= len(data):
            out += data[i:]
            break
        x = data[j + 3]
        keep = 65 <= x <= 90 or (192 <= x <= 221 and x != 215)
        out += data[i:j + 1] if keep else data[i:j]
        i = j + 3
    words, word = [], bytearray()
    for c in bytes(out):
        if c in delim or (c in late and len(word) >= 3):
            if word:
                words.append(bytes(word))
            word = bytearray()
            if c in delim:
                continue
        word.append(c)
    if word:
        words.append(bytes(word))
    folded = []
    for w in words:
        if len(w) == 1 and w[0] not in single:
            continue
        if not (ic.first_letter_ok(w[0]) or 48 <= w[0] <= 57):
            continue
        if w[0] in (140, 156):
            w = b"oe" + w[1:]
        folded.append(ic.lower(w))
    return folded


def main():
    language, low, high, min_freq = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
    delim = ic.delimiters()
    apostrophe = language in ("french", "italian")
    if apostrophe:
        delim.discard(146)
    single = set(ic.SINGLE[language].encode("cp1252"))
    late = set(b"123456789")
    freq = collections.Counter()
    rng = collections.Counter()
    for name in sys.argv[5:]:
        with open(name, "rb") as f:
            words = words_of(f.read(), language, delim, single, late, apostrophe)
        if words is None:
            continue
        for n in range(low, high + 1):
            grams = collections.Counter(zip(*(words[k:] for k in range(n))))
            freq.update(grams)
            rng.update(grams.keys())
    out = sys.stdout
    for gram, n in freq.items():
        if n >= min_freq:
            out.write("%s\t%d\t%d\n" % (" ".join(gram), n, rng[gram]))


if __name__ == "__main__":
    main()
