#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Generates Src/search/pinyintable.inc, the toneless pinyin readings of every
Han character that Unicode's Unihan database gives a Mandarin reading.

Source: Unihan_Readings.txt from Debian's unicode-data package (installed
here when missing and run as root), or a path given as the first argument
(.txt, .txt.bz2 or Unihan.zip). The build does not need it: the generated
table is committed.

Readings: kMandarin first (the customary reading), then every further modern
reading listed by kTGHZ2013, kXHC1983 and kHanyuPinlu, since current Unihan
gives only one reading in kMandarin even for characters such as 重 (zhong,
chong) or 行 (xing, hang). Tones are dropped; ü is written both "v" and "u"
(people type lv and lu for 绿), ê as "e".

Layout of the table, all sorted by code point:
  kSyllables   NUL-separated toneless syllables, id = order
  kSets        reading sets: a count, then that many syllable ids
  kRanges      runs of consecutive code points: first, length, index into
               kSetOfCode of the run's first code point
  kSetOfCode   the offset in kSets of each code point's reading set
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
OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "Src", "search", "pinyintable.inc")


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


def main():
    source = sys.argv[1] if len(sys.argv) > 1 else DEFAULT
    if source == DEFAULT and not os.path.exists(source) and os.geteuid() == 0:
        subprocess.run(["apt-get", "install", "-y", "-qq", "--no-install-recommends", "unicode-data"], check=False)
    if not os.path.exists(source):
        sys.exit(f"{source} not found: install Debian's unicode-data package or pass Unihan_Readings.txt")
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
          f"{len(ranges)} runs, ~{data_bytes} bytes of data")


if __name__ == "__main__":
    main()
