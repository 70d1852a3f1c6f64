#!/usr/bin/env python3
"""Collocates worked out independently: the texts cut into words by the word count's rules
(as documented), every token equal to the node taken as a hit, windows, the 2x2 table and the
seven measures from their formulas. Prints the same TSV as `lexmora-cli collocates --format tsv`.
It checks the program's figures and is the benchmark's anchor.

usage: collocates_check.py NODE FILE... [--span L,R] [--stop-at-sentence] [--wordlist X.lst]
       [--corpus FILE ...] [--measure M] [--min-freq N] [--min-coll-freq N] [--min-range N]
       [--language english|french|german|italian|spanish] [--significant] [--top N]
       [--format tsv|json]
"""
import bisect
import math
import re
import struct
import sys

FIXED = b',' b' .?/:;()!&*[]{}<>=%#+\\@_`~' + bytes([161, ord('$'), 163, 167, 171, 187, 191, 215,
        164, 166, 168, 169, 173, 174, 175, 176, 177, 183, 185, 186])
SYMBOLS = bytes([130, 131, 132, 133, 134, 135, 136, 137, 139, 145, 146, 147, 148, 149, 150, 151,
                 152, 153, 155, 160, 161, 166, 171, 172, 173, 177, 187, 191, 215, 247])
OTHER = bytes([127, 128, 129, 141, 142, 143, 144, 157, 158, 160, 0])
DELIMS = set(FIXED + b'"' + SYMBOLS + bytes(range(1, 32)) + OTHER)
SINGLE = {'english': b'aAI', 'french': b'a\xe0c\xe7djlmn\xf4styA\xc0C\xc7DJLMNO\xd4STY',
          'german': b'oO', 'italian': b'acde\xe8ilosvACDE\xc8ILOSV', 'spanish': b'aeouyAEOUY'}
LETTER_FIRST = set(b'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz') | set(
    [224, 225, 226, 228, 192, 193, 194, 196, 198, 230, 231, 199, 232, 233, 234, 235, 200, 201,
     202, 203, 236, 237, 238, 239, 204, 205, 206, 207, 241, 209, 242, 243, 244, 246, 210, 211,
     212, 214, 249, 250, 251, 252, 217, 218, 219, 220, 140, 156])
DIGITS = set(b'0123456789')


LOWER = bytes(c + 32 if 65 <= c <= 90 or (192 <= c <= 222 and c != 215) else
               c + 16 if c in (138, 140, 142) else 255 if c == 159 else c for c in range(256))


def lower(word):
    return word.translate(LOWER)


def read_text(path):
    data = open(path, 'rb').read()
    if data[:2] in (b'\xff\xfe', b'\xfe\xff'):
        return data[2:].decode('utf-16-be' if data[0] == 0xfe else 'utf-16-le').encode(
            'cp1252', 'replace')
    head = data[:31744]
    if any(c > 127 for c in head):
        try:
            head.decode('utf-8') if len(data) <= 31744 else head[:-4].decode('utf-8')
            body = data[3:] if data[:3] == b'\xef\xbb\xbf' else data
            return body.decode('utf-8').encode('cp1252', 'replace')
        except UnicodeDecodeError:
            pass
    return data


def join_hyphens(text):
    sep = b'\r\n' if b'\r\n' in text[:1 << 18] else b'\n' if b'\n' in text[:1 << 18] else b'\r'
    out, r, j = bytearray(), 0, len(sep)
    while j < len(text):
        i, x = j - len(sep), j + 1
        if text[j] == sep[-1] and i >= r and text[i] == 45 and text[i + 1:j + 1] == sep and x < len(text):
            capital = 65 <= text[x] <= 90 or (192 <= text[x] <= 221 and text[x] != 215)
            out += text[r:i + 1 if capital else i]
            r = x
        j += 1
    return bytes(out + text[r:])


WORD_RE = re.compile(b'[^' + b''.join(re.escape(bytes([c])) for c in sorted(DELIMS)) + b']+')
SENTENCE_END_RE = re.compile(rb'[.?!](?=[ \t\r\n]|\Z)')
LATE_DIGITS = set(b'123456789')


def pieces(word):
    """A run of word bytes cut where a digit 1-9 stands fourth or later in a word."""
    if not any(c in LATE_DIGITS for c in word[3:]):
        yield word
        return
    start = 0
    for i in range(len(word)):
        if i - start >= 3 and word[i] in LATE_DIGITS:
            yield word[start:i]
            start = i
    yield word[start:]


def cut(text, language):
    """(folded word, sentence number) pairs."""
    single = SINGLE[language]
    ends = [m.start() for m in SENTENCE_END_RE.finditer(text)]
    words = []
    for m in WORD_RE.finditer(text):
        sentence = bisect.bisect_left(ends, m.start())
        for word in pieces(m.group()):
            if len(word) == 1 and word[0] not in single:
                continue
            if word[0] not in LETTER_FIRST and word[0] not in DIGITS:
                continue
            words.append((lower(word), sentence))
    return words


def read_wordlist(path):
    lst = open(path, 'rb').read()
    sta = open(path[:-4] + '.sta', 'rb').read()
    tokens = int(lst[7:15])
    freq = {}
    for k in range(26 * 8, len(sta), 8):
        pos, count = struct.unpack('<ii', sta[k:k + 8])
        end = lst.index(b'\r\n', pos - 1)
        word = lower(lst[pos - 1:end])
        freq[word] = freq.get(word, 0) + count
    return tokens, freq


def scores(o, fc, fn, r1, n, overlapped=False):
    """overlapped: O passes f_c only through overlapping windows; O21 is then taken as 0."""
    r2 = n - r1
    o21 = max(0, fc - o) if overlapped else fc - o
    cells = [(o, r1, fc), (r1 - o, r1, n - fc), (o21, r2, fc), (r2 - o21, r2, n - fc)]
    if any(c[0] < 0 for c in cells):
        return None
    e = r1 * fc / n
    g2 = 2 * sum(obs * math.log(obs / (row * col / n)) for obs, row, col in cells if obs > 0)
    return {'expected': e, 'MI': math.log2(o / e), 'MI3': math.log2(o ** 3 / e),
            'T': (o - e) / math.sqrt(o), 'Z': (o - e) / math.sqrt(e),
            'LL': math.copysign(g2, o - e) if o != e else 0.0,
            'logDice': 14 + math.log2(2 * o / (fn + fc)),
            'LogRatio': math.log2((o / r1) / ((o21 if o21 > 0 else 0.5) / r2)) if r2 > 0
            else -math.inf}


def real(value):
    """Six decimals; a value that rounds to zero has no sign; inf as such."""
    if math.isinf(value):
        return 'inf' if value > 0 else '-inf'
    text = '%.6f' % value
    return text[1:] if text.startswith('-') and not text.strip('-0.') else text


def main(argv):
    opts = {'span': '5,5', 'measure': 'll', 'min-freq': '3', 'min-coll-freq': '3',
            'min-range': '1', 'language': 'english', 'top': None, 'wordlist': None}
    files, corpus, flags, node = [], [], set(), None
    i = 0
    while i < len(argv):
        a = argv[i]
        if a in ('--stop-at-sentence', '--significant'):
            flags.add(a[2:])
        elif a == '--corpus':
            i += 1
            corpus.append(argv[i])
        elif a.startswith('--'):
            i += 1
            opts[a[2:]] = argv[i]
        elif node is None:
            node = lower(a.encode('cp1252'))
        else:
            files.append(a)
        i += 1
    left, right = (int(x) for x in opts['span'].split(','))
    o, side, rng, seen_file, places = {}, {}, {}, {}, {}
    r1 = fn = tokens = 0
    freq = {}
    for fileno, path in enumerate(files):
        words = cut(join_hyphens(read_text(path)), opts['language'])
        counted = set()  # positions of this file already in a window
        tokens += len(words)
        for w, _ in words:
            freq[w] = freq.get(w, 0) + 1
        for k, (w, s) in enumerate(words):
            if w != node:
                continue
            fn += 1
            lo = max(0, k - left)
            hi = min(len(words), k + 1 + right)
            for j in list(range(lo, k)) + list(range(k + 1, hi)):
                if 'stop-at-sentence' in flags and words[j][1] != s:
                    continue
                c = words[j][0]
                r1 += 1
                o[c] = o.get(c, 0) + 1
                lr = side.setdefault(c, [0, 0])
                lr[0 if j < k else 1] += 1
                if j not in counted:
                    counted.add(j)
                    places[c] = places.get(c, 0) + 1
                if seen_file.get(c) != fileno:
                    seen_file[c] = fileno
                    rng[c] = rng.get(c, 0) + 1
    if opts['wordlist']:
        tokens, freq = read_wordlist(opts['wordlist'])
    elif corpus:
        tokens, freq = 0, {}
        for path in corpus:
            words = cut(join_hyphens(read_text(path)), opts['language'])
            tokens += len(words)
            for w, _ in words:
                freq[w] = freq.get(w, 0) + 1
    rows = []
    for c, count in o.items():
        if c[0] in DIGITS:
            continue
        fc = freq.get(c, 0)
        s = scores(count, fc, fn, r1, tokens, count > fc and places[c] <= fc)
        if s is None:
            continue
        if count < int(opts['min-freq']) or fc < int(opts['min-coll-freq']) or \
                rng[c] < int(opts['min-range']):
            continue
        if 'significant' in flags and s['LL'] < 3.84:
            continue
        rows.append((c, count, fc, s))
    key = {'mi': 'MI', 'mi3': 'MI3', 't': 'T', 'z': 'Z', 'll': 'LL', 'logdice': 'logDice',
           'logratio': 'LogRatio', 'freq': None}[opts['measure']]
    # ties by O; the last key is plain byte order here (the samples' collocates are ASCII)
    rows.sort(key=lambda r: (-(r[3][key] if key else r[1]), -r[1], r[0]))
    if opts['top']:
        rows = rows[:int(opts['top'])]
    names = ['collocate', 'freq', 'freq_left', 'freq_right', 'range', 'coll_freq', 'expected',
             'MI', 'MI3', 'T', 'Z', 'LL', 'logDice', 'LogRatio']
    table = []
    for c, count, fc, s in rows:
        figures = [s[k] for k in ('expected', 'MI', 'MI3', 'T', 'Z', 'LL', 'logDice', 'LogRatio')]
        table.append([c.decode('cp1252'), count, side[c][0], side[c][1], rng[c], fc] + figures)
    if opts.get('format') == 'json':
        objects = []
        for row in table:
            fields = []
            for name, value in zip(names, row):
                if isinstance(value, str):
                    text = '"' + value.replace('\\', '\\\\').replace('"', '\\"') + '"'
                elif isinstance(value, float):
                    text = real(value) if math.isfinite(value) else 'null'
                else:
                    text = str(value)
                fields.append('"%s": %s' % (name, text))
            objects.append('{' + ', '.join(fields) + '}')
        sys.stdout.write('[' + ('\n' + ',\n'.join(objects) + '\n' if objects else '') + ']\n')
        sys.stderr.write('N=%d R1=%d f_n=%d\n' % (tokens, r1, fn))
        return
    out = ['\t'.join(names)]
    for row in table:
        out.append('\t'.join(real(v) if isinstance(v, float) else str(v) for v in row))
    sys.stdout.write('\n'.join(out) + '\n')
    sys.stderr.write('N=%d R1=%d f_n=%d\n' % (tokens, r1, fn))


if __name__ == '__main__':
    main(sys.argv[1:])
