#!/usr/bin/env python3
"""An independent word count of Windows-1252 files (and of UTF-8 files, recognised by their first
block and read as Windows-1252 with "?" for characters it lacks), written from the counter's word
rules (not from its code): prints the N most frequent listed types as "frequency word" (word in lower
case, UTF-8). Test helper for bench/wordcount/run.sh, not part of the program.

usage: independent_count.py LANGUAGE N FILE...   (LANGUAGE english|french|german|italian|spanish)
"""
import collections
import sys

FIXED = ", .?/:;()!&*[]{}<>=%#+\\@_`~\u00a1$\u00a3\u00a7\u00ab\u00bb\u00bf\u00d7\u00a4\u00a6\u00a8\u00a9"
SYMBOLS = [130, 131, 132, 133, 134, 135, 136, 137, 139, 145, 146, 147, 148, 149, 150, 151, 152,
           153, 155, 160, 161, 166, 171, 172, 173, 177, 187, 191, 215, 247]
SINGLE = {"english": "aAI", "french": "a\u00e0c\u00e7djlmn\u00f4styA\u00c0C\u00c7DJLMNO\u00d4STY",
          "german": "oO", "italian": "acde\u00e8ilosvACDE\u00c8ILOSV", "spanish": "aeouyAEOUY"}


def delimiters():
    d = set(FIXED.encode("cp1252"))
    d |= {173, 174, 175, 176, 177, 183, 185, 186, 34}
    d |= set(SYMBOLS) | set(range(1, 32)) | {127, 128, 129, 141, 142, 143, 144, 157, 158, 160, 0}
    return d


def first_letter_ok(c):
    return (65 <= c <= 90 or 97 <= c <= 122 or c in (140, 156) or
            c in (224, 225, 226, 228, 192, 193, 194, 196, 198, 230, 231, 199) or
            232 <= c <= 239 or 200 <= c <= 207 or c in (241, 209) or
            c in (242, 243, 244, 246, 210, 211, 212, 214) or 249 <= c <= 252 or 217 <= c <= 220)


DETECT_BLOCK = 31744  # the first block, in which a file is recognised as UTF-8


def is_utf8(data):
    head = data[:DETECT_BLOCK]
    if head.startswith(b"\xef\xbb\xbf"):
        return True
    if max(head, default=0) < 128:
        return False
    try:
        head.decode("utf-8")
        return True
    except UnicodeDecodeError as e:
        # a sequence cut by the end of the block is no fault when the file goes on
        return len(data) > DETECT_BLOCK and e.reason == "unexpected end of data"


def utf8_as_cp1252(data):
    if data.startswith(b"\xef\xbb\xbf"):
        data = data[3:]
    out = bytearray()
    for ch in data.decode("utf-8", "surrogateescape"):
        o = ord(ch)
        if 0xDC80 <= o <= 0xDCFF:  # a byte that is no UTF-8 stays as it is
            out.append(o - 0xDC00)
        elif o < 0x80 or 0xA0 <= o <= 0xFF or o in (0x81, 0x8D, 0x8F, 0x90, 0x9D):
            out.append(o)
        else:
            try:
                out += ch.encode("cp1252")
            except UnicodeEncodeError:
                out += b"?"
    return bytes(out)


def lower(word):
    return word.decode("cp1252", "replace").lower()


def main():
    language, top, files = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
    delim = delimiters()
    apostrophe = language in ("french", "italian")
    if apostrophe:
        delim.discard(146)
    single = set(SINGLE[language].encode("cp1252"))
    late = set(b"123456789")
    counts = collections.Counter()
    for name in files:
        data = open(name, "rb").read()
        if not data or b"\0" in data[:min(len(data) - 1, 32767)]:
            continue
        if is_utf8(data):
            data = utf8_as_cp1252(data)
        if language == "french":
            data = data.replace(b"\x9c", b"oe").replace(b"\x8c", b"OE")
        if apostrophe:
            data = data.replace(b"\x92", b"'")
        # line-end hyphens (the files are CR LF)
        out, i = bytearray(), 0
        while True:
            j = data.find(b"-\r\n", i)
            if j < 0 or j + 3 >= len(data):
                out += data[i:]
                break
            x = data[j + 3]
            keep = 65 <= x <= 90 or (192 <= x <= 221 and x != 215)
            out += data[i:j + 1] if keep else data[i:j]
            i = j + 3
        data = bytes(out)
        word = bytearray()
        words = []
        for c in data:
            if c in delim or (c in late and len(word) >= 3):
                if word:
                    words.append(bytes(word))
                word = bytearray()
                if c in delim:
                    continue
            word.append(c)
        if word:
            words.append(bytes(word))
        for w in words:
            parts = [w]
            if language == "french" and apostrophe and b"'" in w:
                parts, rest = [], w
                while b"'" in rest:
                    p = rest.index(b"'")
                    if p == 7 and rest[:7].lower() == b"aujourd":
                        break
                    if p > 0:
                        parts.append(rest[:p])
                    rest = rest[p + 1:]
                if rest:
                    parts.append(rest)
            for part in parts:
                if len(part) == 1 and part[0] not in single:
                    continue
                if not first_letter_ok(part[0]):
                    continue
                if part[0] in (140, 156):
                    part = b"oe" + part[1:]
                counts[lower(part)] += 1
    for word, n in sorted(counts.items(), key=lambda kv: (-kv[1], kv[0]))[:top]:
        print(n, word)


if __name__ == "__main__":
    main()
