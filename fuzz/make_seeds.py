#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

Each seed is one literal case of the tests (stored bytes in both byte
orders, texts, formats), laid out as the target reads its input (see the
comment at the top of each fuzz/<target>.cpp). Run it again after changing
a layout; it replaces the seeds it wrote.
"""
import hashlib
import os
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")

# Type ids.
CHAR, SHORT, LONG, DOUBLE, FLOAT, WORD, DWORD, INT, UNSIGNED, ENUM, BYTE = range(11)
STRING, DATE, TIME, BLOCKID, OBJID, CLASSID, REF, BLOB, DATETIME = range(11, 20)
ISTRING, CASEISTRING, D_DATE, D_TIME, D_TIMESTAMP, D_INTERVAL, INT64, BOOL = range(20, 28)


def u16(n):
    return struct.pack("<H", n & 0xFFFF)


def u32(n):
    return struct.pack("<I", n & 0xFFFFFFFF)


def record(text, cs=1, language=1, order="<"):
    """A stored standard KvString record."""
    return struct.pack(order + "H", len(text) + 4) + bytes([cs, language]) + text + b"\x00\xff"


def legacy_block(*texts, order="<"):
    body = b"".join(t + b"\x00" for t in texts)
    return struct.pack(order + "H", len(body)) + body


def istring_block(*texts, marker=0x40, order="<"):
    body = b"".join(t + b"\x00" for t in texts)
    return bytes([marker]) + struct.pack(order + "H", len(body)) + body


def blob_block(*blobs, order="<"):
    body = b"".join(struct.pack(order + "I", len(b)) + b for b in blobs)
    return struct.pack(order + "I", len(body)) + body


def piece(text, first=1, second=1):
    """A value in memory form of the object rows: length, code set (or
    attributes), language, text."""
    return bytes([len(text), first, second]) + text


# Stored operands of the tests, as (type id, format, bytes).
STORED = [
    (CHAR, 1, b"\x80\x01\x7f"),
    (BYTE, 1, b"\x80\x01\x7f"),
    (SHORT, 1, struct.pack("<3h", 1, 2, 3)),
    (SHORT, 2, struct.pack(">3h", 1, 2, -3)),
    (WORD, 2, struct.pack(">2H", 65535, 1)),
    (LONG, 1, struct.pack("<2i", -5, 70000)),
    (DWORD, 2, struct.pack(">I", 4294967295)),
    (INT, 1, struct.pack("<i", 12345)),
    (INT, 2, b"\x00\x00\x30\x39"),
    (UNSIGNED, 2, struct.pack(">I", 3000000000)),
    (ENUM, 1, struct.pack("<i", 3)),
    (BLOCKID, 1, struct.pack("<I", 9)),
    (FLOAT, 1, struct.pack("<2f", 1.5, float("nan"))),
    (FLOAT, 2, struct.pack(">f", -0.0)),
    (DOUBLE, 1, struct.pack("<2d", 0.1, float("inf"))),
    (DOUBLE, 2, struct.pack(">d", -2.5)),
    (D_INTERVAL, 1, struct.pack("<f", 93600.0)),
    (DATE, 1, bytes([0xD0, 0x07, 0x01, 0x1F])),
    (DATE, 2, bytes([0x07, 0xD0, 0x01, 0x1F])),
    (DATE, 2, bytes([0xFF, 0xFF, 0xFF, 0xFF])),
    (TIME, 1, bytes([0x0D, 0x05, 0x09])),
    (DATETIME, 1, bytes([0xD0, 0x07, 0x01, 0x1F, 0x0D, 0x05, 0x09])),
    (DATETIME, 2, bytes([0x07, 0xD0, 0x01, 0x1F, 0x0D, 0x05, 0x09])),
    (D_DATE, 1, bytes([0x2E, 0x06, 0x0A, 0x0F])),
    (D_DATE, 2, bytes([0x06, 0x2E, 0xFF, 0xFF])),
    (D_TIME, 1, bytes([0x02, 0x00, 0x0C, 0x1E, 0x0F, 0x19])),
    (D_TIMESTAMP, 1, bytes([0xD0, 0x07, 0x02, 0x1D, 0x00, 0x00, 0x17, 0x3B, 0x3B, 0x32])),
    (INT64, 1, bytes([0xFF] * 4 + [0x7F, 0xFF, 0xFF, 0xFF])),
    (INT64, 2, bytes([0, 0, 0, 1, 0x80, 0, 0, 0])),
    (BOOL, 1, b"\x00\x01\x07"),
    (OBJID, 1, u32(7) + u32(5) + u16(1)),
    (OBJID, 2, struct.pack(">IIH", 7, 5, 1)),
    (CLASSID, 2, struct.pack(">HH", 12, 3)),
    (REF, 1, u32(4) + u32(9) + u16(0) + u16(2) + u16(30)),
    (BLOB, 1, blob_block(b"abc", b"")),
    (BLOB, 2, blob_block(b"\x00\xff", order=">")),
    (STRING, 1, record(b"abc")),
    (STRING, 2, record(b"ab", 1, 3, ">")),
    (STRING, 1, record("côte".encode("cp1252"))),
    (STRING, 1, record("Ł€".encode("utf-16-le"), 253)),
    (STRING, 2, record("Ł€".encode("utf-16-be"), 253, 1, ">")),
    (STRING, 1, record(b"abc*", 1, 1)),
    (STRING, 1, record(b"\x0c\x50\x10\x50", 254, 1)),
    (STRING, 1, legacy_block(b"a", b"b")),
    (ISTRING, 1, istring_block(b"ab", b"cd")),
    (ISTRING, 2, istring_block(b"Stra\xdfe", order=">")),
    (CASEISTRING, 1, istring_block(b"ABC", b"a*")),
    (CASEISTRING, 1, istring_block(b"\x54\x03", marker=0xC0)),
]

# Memory-form operands of the object rows, as (type id, pieces).
MEMORY = [
    (STRING, piece(b"cote") + piece("côté".encode("cp1252"))),
    (STRING, piece("Ærø".encode("utf-16-le"), 253, 3)),
    (STRING, piece(b"a*c", 0, 0)),
    (BLOB, piece(b"abc") + piece(b"")),
    (ISTRING, piece(b"abc", 0) + piece(b"ABD", 0)),
    (CASEISTRING, piece(b"Stra\xdfe", 0x20)),
]


def write(target, seeds):
    directory = os.path.join(CORPUS, target)
    shutil.rmtree(directory, ignore_errors=True)
    os.makedirs(directory)
    for seed in seeds:
        name = hashlib.sha1(seed).hexdigest()[:16]
        with open(os.path.join(directory, name), "wb") as f:
            f.write(seed)


def compare_seeds():
    seeds = []
    for i, (tid, fmt, data) in enumerate(STORED):
        cut = data[: max(1, len(data) - 1)]
        op, count = ((0x10, 1), (0x00, 2), (0x60, 3))[i % 3]
        seeds.append(bytes([0, tid, fmt]) + u16(op) + u32(count) + u16(len(data)) + data + cut)
        if tid == STRING:
            seeds.append(bytes([1, tid, fmt]) + u16(0) + u32(1) + u16(len(data)) + data + data)
    for tid, data in MEMORY:
        seeds.append(bytes([0, tid, 8]) + u16(0x10) + u32(2) + u16(len(data)) + data + data[::-1])
    seeds.append(bytes([2, INT, 1]) + u16(0) + u32(0) + u16(4) + u32(1) + u32(2))
    return seeds


def translate_seeds():
    seeds = []
    for i, (tid, fmt, data) in enumerate(STORED):
        other = 2 if fmt == 1 else 1
        tf, tl = ((fmt, len(data)), (8, 64), (fmt | 0x80, 64), (other, 3))[i % 4]
        seeds.append(bytes([0, tid, fmt, tf]) + u16(tl) + u32(2) + data)
        if tid == STRING:
            seeds.append(bytes([1, tid, fmt, fmt]) + u16(32) + u32(1) + data)
    for i, (tid, data) in enumerate(MEMORY):
        tf = (1, 2, 0x81, 8)[i % 4]
        seeds.append(bytes([0, tid, 8, tf]) + u16(40) + u32(2) + data)
    return seeds


def size_seeds():
    seeds = []
    for i, (tid, fmt, data) in enumerate(STORED):
        flags_fmt = (fmt, fmt | 0x80, fmt | 0x20)[i % 3]
        seeds.append(bytes([0, tid, flags_fmt]) + u32(2) + bytes([0]) + data)
    for tid, data in MEMORY:
        seeds.append(bytes([2, tid, 0x81]) + u32(2) + bytes([0]) + data)
    return seeds


SCANS = [
    (SHORT, b"12", b""), (LONG, b"-5", b"%ld"), (DOUBLE, b"2.5", b"%lf"),
    (FLOAT, b"0.25", b"%e"), (WORD, b"0x1F", b"%hx"), (DWORD, b"017", b"%lo"),
    (INT, b"1,2,3,", b"%d"), (UNSIGNED, b"4294967295", b"%u"), (BLOCKID, b"#12", b"#%lu"),
    (CHAR, b"ab0x41", b"%c"), (BYTE, b"\x01\x02", b"%c"),
    (STRING, b"a,b,", b"%-5.2s|"), (STRING, b"x", b"%1M"),
    (ISTRING, b"abc", b"%s"), (CASEISTRING, b"ABC\x01", b"%10s"),
    (DATE, b"Sat 01.Jan 2000", b"%a %e.%b %Y"),
    (DATE, b"2451545,", b"%A %d %B %Y"),
    (TIME, b"01:05:09 pm", b"%I:%M:%S %p"),
    (DATETIME, b"1999-12-31 23:59:58", b"%Y-%m-%d %H:%M:%S"),
    (D_DATE, b"Jan 02 2001", b"%b %e %Y"),
    (D_TIME, b"12:30:15", b"%H:%M:%S"),
    (D_TIMESTAMP, b"Tue Feb 29 2000 01:02:03 pm", b"%a %b %e %Y %I:%M:%S %p"),
    (D_INTERVAL, b"1 days, 2 hours, 3 minutes, 4 seconds", b""),
    (INT64, b"-9223372036854775808", b"%S"), (INT64, b"0x7fffffffffffffff", b"%x"),
    (BOOL, b"true", b""), (BLOB, b"abc", b"[BLOB,len=%L]"),
    (OBJID, b"(1-5#7)", b"(%H-%L#%B)"), (CLASSID, b"(12v3)", b"(%Cv%V)"),
    (REF, b"(2:0-9#4, 30)", b"(%D:%H-%L#%B, %C)"),
]


def scan_seeds():
    seeds = []
    for tid, text, fmt in SCANS:
        seeds.append(bytes([0, tid, 1, 1, 2, len(fmt)]) + fmt + text)
        seeds.append(bytes([2, tid, 253, 1, 1, 0]) + text.decode("latin-1").encode("utf-16-le"))
    return seeds


TEXTS = [
    (b"%S", b"-255"), (b"%x", b"-0xff"), (b"%o", b"017"), (b"%d|%i", b"12|0x1"),
    (b"%a %e.%b %Y", b"Sat 01.Jan 2000"), (b"%I:%M:%S %p", b"01:05:09 pm"),
    (b"%A%B%Y%Y%Y%p", b"Sa"), (b"%Y-%m-%d %H:%M:%S", b"1999-12-31 23:59:58"),
    (b"(%H-%L#%B)", b"(1-5#7)"), (b"(%D:%H-%L#%B, %C)", b"(2:0-9#4, 30)"),
    (b"%hd", b"  -12"), (b"%+08.3f", b"2.5e3"), (b"%#x", b"0X1f"), (b"%c%%", b"A%"),
    (b"%5hhu", b"300"), (b"%*d %n %s", b"1 2"), (b"%lu", b"-1"), (b"%a", b"0x1p-3"),
    (b"x%", b"x"), (b"", b"\xff\xfe\x80 12"),
]


def text_seeds():
    seeds = []
    for i, (fmt, text) in enumerate(TEXTS):
        flags = (i * 2) & 0x1E
        seeds.append(bytes([flags, len(fmt)]) + fmt + struct.pack("<q", -(i * 977)) + text)
    return seeds


UTF8 = [
    "grüß".encode("utf-8"), "Ærø €".encode("utf-8"), b"\xc0\xaf", b"\xe0\x80\xaf",
    b"\xf0\x90\x80\x80", b"\xf8\x88\x80\x80\x80", b"\xfc\x84\x80\x80\x80\x80", b"\xfe\xff",
    b"\x80", b"a\x00b", b"\xe2\x82", "côte".encode("cp1252"),
]


def mbs_seeds():
    seeds = []
    for i, data in enumerate(UTF8):
        for cs in (1, 253, 2):
            seeds.append(bytes([cs, 1]) + u16(i * 3) + bytes([i]) + data)
    return seeds


SPLITS = [(b"a, b,,c", b","), (b",a,b", b","), (b"x::y", b"::"), (b"one", b","),
          (b"", b","), (b"a;;", b";"), (b"a*b*c", b"*"), (b"ab?cd", b"?")]


def split_seeds():
    seeds = []
    for list_, sep in SPLITS:
        for op in (0x10, 0x00):
            seeds.append(bytes([1, 1, 1]) + u16(op) + u16(0) + bytes([len(sep)]) + sep + list_)
        wide_sep = sep.decode("latin-1").encode("utf-16-le")
        seeds.append(bytes([253, 253, 1]) + u16(0x10) + u16(1) + bytes([len(wide_sep)]) + wide_sep
                     + list_.decode("latin-1").encode("utf-16-le"))
    return seeds


PAIRS = [
    ("cote", "côte"), ("côte", "coté"), ("coté", "côté"), ("a", "A"), ("Ab", "aB"),
    ("É", "e"), ("ab", "a-b"), ("a-b", "a_b"), ("a b", "ab"), ("éz", "fa"), ("", "a"),
    ("ß", "ss"), ("abcxc", "a*c"), ("abc", "a*d"), ("abc", "a?c"), ("chico", "cinco"),
    ("llama", "luz"), ("Ærø", "aero"), ("Müller", "Mueller"), ("1", "a"),
]


def collate_seeds():
    seeds = []
    languages = (1, 2, 3, 4, 5)
    for i, (a, b) in enumerate(PAIRS):
        language = languages[i % 5]
        for cs, codec, op in ((1, "cp1252", 0x10), (253, "utf-16-le", 0x00), (0, "cp1252", 0x60)):
            ta, tb = a.encode(codec), b.encode(codec)
            seeds.append(bytes([cs, language, cs, language]) + u16(op) + u16(0xFFFF) + u16(0)
                         + bytes([i & 7, 0, 0x20]) + u16(len(ta)) + ta + tb)
    return seeds


def main():
    write("fuzz_compare", compare_seeds())
    write("fuzz_translate", translate_seeds())
    write("fuzz_size", size_seeds())
    write("fuzz_scan", scan_seeds())
    write("fuzz_text", text_seeds())
    write("fuzz_mbs", mbs_seeds())
    write("fuzz_split", split_seeds())
    write("fuzz_collate", collate_seeds())


if __name__ == "__main__":
    main()
