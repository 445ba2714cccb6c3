#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Generates Src/search/pinyintable.inc, the toneless pinyin readings of every
Han character that Unicode's Unihan database gives a Mandarin reading, and
Src/search/pinyinwords.inc, the words whose common reading is not their
characters' customary ones (重庆 chongqing, 银行 yinhang).

Source: Unihan_Readings.txt from Debian's unicode-data package (installed
here when missing and run as root), or a path given as the first argument
(.txt, .txt.bz2 or Unihan.zip). The build does not need it: the generated
table is committed.

Words and how often each reading is used: pinyin_simp.dict.yaml from Debian's
rime-data-pinyin-simp (Apache-2.0, derived from the Android Pinyin IME), or a
path given as the second argument.

Readings: kMandarin first (the customary reading), then every further modern
reading listed by kTGHZ2013, kXHC1983 and kHanyuPinlu, since current Unihan
gives only one reading in kMandarin even for characters such as 重 (zhong,
chong) or 行 (xing, hang). Tones are dropped; ü is written both "v" and "u"
(people type lv and lu for 绿), ê as "e". Where the word list uses another
reading of a character alone clearly more often (薄 bo, not bao), that one
comes first instead.

Layout of the table, all sorted by code point:
  kSyllables   NUL-separated toneless syllables, id = order
  kSets        reading sets: a count, then that many syllable ids
  kRanges      runs of consecutive code points: first, length, index into
               kSetOfCode of the run's first code point
  kSetOfCode   the offset in kSets of each code point's reading set
and of the word table, sorted by the words' UTF-16 text:
  kWordText    the words' characters, one after another (all in the BMP)
  kWords       per word: offset into kWordText and its readings (length from
               the next entry), each reading's index in its character's set
"""
import bz2
import io
import os
import re
import subprocess
import sys
import unicodedata
import zipfile

FIELDS = ("kMandarin", "kTGHZ2013", "kXHC1983", "kHanyuPinlu")
DEFAULT = "/usr/share/unicode/Unihan_Readings.txt.bz2"
WORDS = "/usr/share/rime-data/pinyin_simp.dict.yaml"
HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "Src", "search")
OUT = os.path.join(HERE, "pinyintable.inc")
OUT_WORDS = os.path.join(HERE, "pinyinwords.inc")
# Longer words add little: names are segmented greedily, longest word first.
MAX_WORD = 4


def open_source(path):
    if path.endswith(".zip"):
        with zipfile.ZipFile(path) as z:
            return io.StringIO(z.read("Unihan_Readings.txt").decode("utf-8"))
    if path.endswith(".bz2"):
        return io.TextIOWrapper(bz2.open(path), encoding="utf-8")
    return open(path, encoding="utf-8")


def toneless(reading):
    """'lǜ' -> ['lv', 'lu'], 'zhòng' -> ['zhong']."""
    out = []
    for c in unicodedata.normalize("NFD", reading.lower()):
        if c == "\u0308":  # diaeresis: the u before it was ü
            out[-1] = "v"
        elif unicodedata.combining(c):
            continue
        else:
            out.append(c)
    s = "".join(out)
    if not re.fullmatch(r"[a-z]+", s):
        return []
    return [s, s.replace("v", "u")] if "v" in s else [s]


def readings_of(field, value):
    if field == "kMandarin":
        return value.split()
    if field == "kHanyuPinlu":  # "zhòng(1823) chóng(329)"
        return re.findall(r"([^\s(]+)\(\d+\)", value)
    # kTGHZ2013 / kXHC1983: "0149.100:chóng 1502.040:zhòng" (entries may list several, comma-separated)
    found = []
    for entry in value.split():
        if ":" in entry:
            found.extend(entry.split(":", 1)[1].split(","))
    return found


def ensure(path, default, package):
    if path == default and not os.path.exists(path) and os.geteuid() == 0:
        subprocess.run(["apt-get", "install", "-y", "-qq", "--no-install-recommends", package], check=False)
    if not os.path.exists(path):
        sys.exit(f"{path} not found: install Debian's {package} package or pass the file")


def read_words(path):
    """{text: {reading: weight}} from a Rime dictionary: text, spaced syllables, weight."""
    words = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            parts = line.rstrip("\n").split("\t")
            if len(parts) != 3 or not parts[2].isdigit():
                continue
            text, reading, weight = parts[0], tuple(parts[1].split()), int(parts[2])
            if len(text) != len(reading) or len(text) > MAX_WORD or any(ord(c) > 0xFFFF for c in text):
                continue
            per = words.setdefault(text, {})
            per[reading] = max(weight, per.get(reading, 0))
    return words


def put_common_first(table, words):
    """A character's reading used clearly more often alone goes first."""
    moved = 0
    for text, readings in words.items():
        cp = ord(text[0])
        if len(text) != 1 or cp not in table:
            continue
        first = table[cp][0]
        top, weight = max(readings.items(), key=lambda kv: kv[1])
        top = top[0]
        if top != first and top in table[cp] and weight >= 50 and weight >= 2 * readings.get((first,), 0):
            table[cp].remove(top)
            table[cp].insert(0, top)
            moved += 1
    return moved


def word_overrides(table, words):
    """Words read otherwise than their characters' first readings: {text: [index in set]}."""
    out = {}
    for text, readings in words.items():
        if len(text) < 2:
            continue
        reading = max(readings.items(), key=lambda kv: kv[1])[0]
        if not all(ord(c) in table and s in table[ord(c)] for c, s in zip(text, reading)):
            continue
        picks = [table[ord(c)].index(s) for c, s in zip(text, reading)]
        if any(picks):
            out[text] = picks
    return out


def write_words(overrides):
    def utf16_key(text):
        return [ord(c) for c in text]

    texts = sorted(overrides, key=utf16_key)
    chars, entries = [], []
    for text in texts:
        entries.append((len(chars), overrides[text]))
        chars.extend(ord(c) for c in text)
    assert max(max(p) for p in overrides.values()) < 256 and len(chars) < 65536
    with open(OUT_WORDS, "w", encoding="utf-8") as out:
        out.write("// SPDX-License-Identifier: GPL-3.0-or-later\n")
        out.write("// Generated by scripts/gen_pinyin.py from Unihan and rime-data-pinyin-simp's pinyin_simp\n")
        out.write("// (Apache-2.0, derived from the Android Pinyin IME); do not edit.\n")
        out.write(f"// {len(texts)} words read otherwise than their characters' customary readings.\n\n")
        out.write(f"constexpr int kWordCount = {len(texts)};\n")
        out.write("constexpr char16_t kWordText[] = {\n")
        for i in range(0, len(chars), 12):
            out.write("    " + ", ".join(f"0x{c:04X}" for c in chars[i:i + 12]) + ",\n")
        out.write("};\n\n")
        out.write("constexpr Word kWords[] = {\n")
        for offset, picks in entries:
            picks = list(picks) + [0] * (MAX_WORD - len(picks))
            out.write(f"    {{{offset}, {{{', '.join(map(str, picks))}}}}},\n")
        out.write("};\n")
    print(f"{OUT_WORDS}: {len(texts)} words, {len(chars)} characters")


def main():
    source = sys.argv[1] if len(sys.argv) > 1 else DEFAULT
    word_source = sys.argv[2] if len(sys.argv) > 2 else WORDS
    ensure(source, DEFAULT, "unicode-data")
    ensure(word_source, WORDS, "rime-data-pinyin-simp")
    per_field = {}
    with open_source(source) as f:
        for line in f:
            if not line.startswith("U+"):
                continue
            code, field, value = line.rstrip("\n").split("\t", 2)
            if field in FIELDS:
                per_field.setdefault(int(code[2:], 16), {})[field] = value

    table = {}
    for cp, fields in per_field.items():
        if "kMandarin" not in fields:
            continue
        syllables = []
        for field in FIELDS:
            for r in readings_of(field, fields.get(field, "")):
                for s in toneless(r):
                    if s not in syllables:
                        syllables.append(s)
        if syllables:
            table[cp] = syllables
    words = read_words(word_source)
    moved = put_common_first(table, words)

    syllable_ids = {s: i for i, s in enumerate(sorted({s for v in table.values() for s in v}))}
    set_offsets, sets = {}, []
    set_of_code = []
    codes = sorted(table)
    for cp in codes:
        key = tuple(syllable_ids[s] for s in table[cp])
        if key not in set_offsets:
            set_offsets[key] = len(sets)
            sets.append(len(key))
            sets.extend(key)
        set_of_code.append(set_offsets[key])
    ranges = []
    for i, cp in enumerate(codes):
        if ranges and ranges[-1][0] + ranges[-1][1] == cp:
            ranges[-1][1] += 1
        else:
            ranges.append([cp, 1, i])
    # A set's id is its offset in kSets + 1; the index keeps it in 12 bits.
    assert len(sets) < 4095 and len(codes) < 65536 and max(syllable_ids.values()) < 65536

    def rows(values, per_line=16):
        vals = [str(v) for v in values]
        return "\n".join("    " + ", ".join(vals[i:i + per_line]) + "," for i in range(0, len(vals), per_line))

    syllable_blob = "".join(s + "\\0" for s in sorted(syllable_ids, key=syllable_ids.get))
    with open(OUT, "w", encoding="utf-8") as out:
        out.write("// SPDX-License-Identifier: GPL-3.0-or-later\n")
        out.write(f"// Generated by scripts/gen_pinyin.py from Unihan ({', '.join(FIELDS)}); do not edit.\n")
        out.write(f"// {len(codes)} code points, {len(syllable_ids)} syllables, "
                  f"{len(set_offsets)} reading sets, {len(ranges)} runs.\n\n")
        out.write(f"constexpr int kSyllableCount = {len(syllable_ids)};\n")
        out.write(f'constexpr char kSyllables[] = "{syllable_blob}";\n\n')
        out.write(f"constexpr std::uint16_t kSets[] = {{\n{rows(sets)}\n}};\n\n")
        out.write("constexpr Run kRanges[] = {\n")
        out.write("\n".join(f"    {{0x{a:X}, {n}, {i}}}," for a, n, i in ranges))
        out.write("\n};\n\n")
        out.write(f"constexpr std::uint16_t kSetOfCode[] = {{\n{rows(set_of_code)}\n}};\n")
    data_bytes = len(syllable_blob.replace("\\0", "0")) + 2 * len(sets) + 8 * len(ranges) + 2 * len(set_of_code)
    print(f"{OUT}: {len(codes)} code points, {len(syllable_ids)} syllables, {len(set_offsets)} sets, "
          f"{len(ranges)} runs, ~{data_bytes} bytes of data, {moved} with another reading first")
    write_words(word_overrides(table, words))


if __name__ == "__main__":
    main()
