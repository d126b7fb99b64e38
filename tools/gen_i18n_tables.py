#!/usr/bin/env python3
"""Writes platform/src/kvi18n_tables.cpp: the code sets, their Unicode
mappings, case properties, collation order records and languages.

Usage: python3 tools/gen_i18n_tables.py > platform/src/kvi18n_tables.cpp

Only Python's unicodedata and codecs are used, so the output depends on the
Unicode version of the Python that runs it (named in the output).
"""

import codecs
import sys
import unicodedata

# ---- Code sets (ids are stored in databases: never renumber) ----

CODE_SETS_8 = [
    (1, "Windows-1252", "cp1252"),
    (2, "ISO-8859-1", "latin-1"),
    (3, "ISO-8859-15", "iso8859_15"),
    (4, "Windows-1250", "cp1250"),
    (5, "ISO-8859-2", "iso8859_2"),
]
UNICODE_ID = 253
SUBSTITUTE_8 = 0x1A


def to_unicode(codec):
    """The Unicode character of each byte. Bytes the code set leaves
    undefined are taken as the C1 control of the same value, as Windows
    does, so that every byte round-trips."""
    table = []
    for b in range(256):
        try:
            table.append(ord(bytes([b]).decode(codec)))
        except UnicodeDecodeError:
            table.append(b)
    return table


# ---- Collation orders ----

SPACE_ORDERS = {0x09: 9, 0x0A: 10, 0x0B: 11, 0x0C: 12, 0x0D: 14, 0x20: 32, 0xA0: 33}
UNDEFINED_ORDER = 13
DIGIT_BASE = 0x3F00

# The named symbols: number -> character.
NAMED_SYMBOLS = {
    32: "_", 34: "\u00af", 35: "\u00ad", 36: "-", 37: ",", 38: ";", 39: ":",
    40: "!", 41: "\u00a1", 42: "?", 44: "/", 46: ".", 49: "\u00b7", 50: "\u00b8",
    52: "'", 55: '"', 58: "\u00ab", 59: "\u00bb", 60: "(", 62: ")", 64: "[",
    65: "]", 66: "{", 67: "}", 68: "\u00a7", 69: "\u00b6", 70: "\u00a9",
    71: "\u00ae", 73: "@", 74: "\u00a4", 75: "\u00a2", 76: "$", 77: "\u00a3",
    78: "\u00a5", 79: "*", 80: "\\", 81: "&", 82: "#", 83: "%", 85: "+",
    87: "\u00b1", 88: "\u00b4", 89: "`", 91: "^", 94: "\u00a8", 96: "~",
    98: "\u00f7", 99: "\u00d7", 101: "<", 103: "=", 105: ">", 106: "\u00ac",
    107: "|", 108: "\u00a6", 109: "\u00b0", 110: "\u00b5", 139: "\u00bf",
}
FIRST_FREE_SYMBOL = 140
FRACTION_SLASH = 0x2044

ACCENTS = {
    "CEDILLA": 1, "ACUTE": 2, "GRAVE": 3, "CIRCUMFLEX": 4, "TILDE": 5,
    "DIAERESIS": 6, "RING ABOVE": 7, "STROKE": 8, "CARON": 9, "MACRON": 10,
    "BREVE": 11, "DOT ABOVE": 12, "OGONEK": 13, "DOUBLE ACUTE": 14,
}
COMBINING_ACCENTS = {
    0x0327: 1, 0x0301: 2, 0x0300: 3, 0x0302: 4, 0x0303: 5, 0x0308: 6,
    0x030A: 7, 0x030C: 9, 0x0304: 10, 0x0306: 11, 0x0307: 12, 0x0328: 13,
    0x030B: 14,
}
OTHER_ACCENT = 15

# Letters written as two letters: each element takes accent 15, so that the
# ligature equals its letters at the primary level and differs at the
# accent level.
LIGATURES = {
    0x00DF: "ss", 0x00C6: "AE", 0x00E6: "ae", 0x0152: "OE", 0x0153: "oe",
    0x0132: "IJ", 0x0133: "ij", 0x00DE: "TH", 0x00FE: "th",
    0x01C4: "DZ", 0x01C5: "Dz", 0x01C6: "dz", 0x01F1: "DZ", 0x01F2: "Dz",
    0x01F3: "dz", 0x01C7: "LJ", 0x01C8: "Lj", 0x01C9: "lj", 0x01CA: "NJ",
    0x01CB: "Nj", 0x01CC: "nj", 0x01A2: "OI", 0x01A3: "oi",
}

# Letters with no Latin base, by the letter they are written like (they
# take accent 15).
WRITTEN_LIKE = {
    0x018F: "E", 0x0259: "e",  # schwa
    0x018E: "E", 0x01DD: "e",  # reversed / turned e
    0x0190: "E", 0x025B: "e",  # open e
    0x0186: "O", 0x0254: "o",  # open o
    0x01A9: "S", 0x0283: "s",  # esh
    0x01AA: "s",               # reversed esh loop
    0x01B7: "Z", 0x0292: "z",  # ezh
    0x01B8: "Z", 0x01B9: "z",  # ezh reversed
    0x01BA: "z",               # ezh with tail
    0x01EE: "Z", 0x01EF: "z",  # ezh with caron
    0x014A: "N", 0x014B: "n",  # eng
    0x0138: "k",               # kra
    0x0194: "G", 0x0263: "g",  # gamma
    0x0196: "I", 0x0269: "i",  # iota
    0x01B1: "U", 0x028A: "u",  # upsilon
    0x01A6: "R",               # yr
    0x01A7: "S", 0x01A8: "s",  # tone two
    0x01BC: "S", 0x01BD: "s",  # tone five
    0x0184: "B", 0x0185: "b",  # tone six
    0x01BB: "z",               # two with stroke
    0x01BE: "q",               # inverted glottal stop with stroke
    0x01C0: "i", 0x01C1: "i", 0x01C2: "i", 0x01C3: "i",  # clicks
    0x018D: "d",               # turned delta
    0x019B: "l",               # lambda with stroke
    0x0195: "h", 0x01F6: "H",  # hv, hwair
    0x01BF: "w", 0x01F7: "W",  # wynn
}


def letter_index(letter):
    return ord(letter.upper()) - ord("A") + 3


def letter_order(letter, accent=0, extension=0, lower=None):
    """The order value of a letter A-Z (its case from the letter unless
    given)."""
    if lower is None:
        lower = letter.islower()
    return (0x4000 | (1 if lower else 0) << 12 | accent << 7
            | letter_index(letter) << 2 | extension)


def is_lower_case(ch):
    cat = unicodedata.category(chr(ch))
    if cat in ("Lu", "Lt"):
        return False
    if cat == "Ll":
        return True
    name = unicodedata.name(chr(ch), "")
    if " CAPITAL " in name:
        return False
    return True


def accent_of_phrase(phrase):
    return ACCENTS.get(phrase, OTHER_ACCENT)


def letter_from_name(ch):
    """(letter, accent) from a name such as LATIN SMALL LETTER D WITH
    STROKE, or None."""
    name = unicodedata.name(chr(ch), "")
    if ch in (0x00D0, 0x00F0):  # eth: D with stroke
        return ("D" if ch == 0x00D0 else "d"), 8
    if not name.startswith("LATIN ") or " LETTER " not in name:
        return None
    rest = name.split(" LETTER ", 1)[1]
    words, _, mark = rest.partition(" WITH ")
    singles = [w for w in words.split() if len(w) == 1 and w.isalpha()]
    if len(singles) != 1:
        return None
    letter = singles[0]
    if mark:
        accent = accent_of_phrase(mark)
    elif len(words.split()) > 1:
        accent = OTHER_ACCENT
    else:
        accent = 0
    return (letter.lower() if is_lower_case(ch) else letter.upper()), accent


def full_decomposition(ch):
    """Canonical decomposition, applied recursively: [base, marks...]."""
    d = unicodedata.decomposition(chr(ch))
    if not d or d.startswith("<"):
        return [ch]
    parts = [int(x, 16) for x in d.split()]
    return full_decomposition(parts[0]) + parts[1:]


def outer_mark(ch):
    """The mark of the top level of a canonical decomposition, or None."""
    d = unicodedata.decomposition(chr(ch))
    if not d or d.startswith("<"):
        return None
    parts = [int(x, 16) for x in d.split()]
    return parts[-1] if len(parts) > 1 else None


def is_ascii_letter(ch):
    return (0x41 <= ch <= 0x5A) or (0x61 <= ch <= 0x7A)


class Orders:
    """The collation orders of the characters of every code set."""

    def __init__(self, union):
        self.symbols = {ord(c): n for n, c in NAMED_SYMBOLS.items()}
        assert len(NAMED_SYMBOLS) == 57
        free = FIRST_FREE_SYMBOL
        for ch in sorted(union | {FRACTION_SLASH}):
            if self.kind(ch) == "symbol" and ch not in self.symbols:
                self.symbols[ch] = free
                free += 1

    @staticmethod
    def kind(ch):
        if ch in SPACE_ORDERS:
            return "space"
        c = chr(ch)
        cat = unicodedata.category(c)
        if ch == 0xB5:
            return "symbol"  # the micro sign is a named symbol, not a letter
        if cat == "Nd" or ch in (0xB9, 0xB2, 0xB3, 0xBC, 0xBD, 0xBE):
            return "digit"
        if cat[0] == "L" and cat != "Lm":
            return "letter"
        if cat[0] in "PS" or cat in ("Lm", "Cf", "No", "Zs"):
            return "symbol"
        return "undefined"

    def symbol_order(self, ch):
        return 80 + self.symbols[ch]

    def letter(self, ch):
        """[orders] of a letter: one order, or an expansion."""
        if ch in LIGATURES:
            return [letter_order(l, OTHER_ACCENT) for l in LIGATURES[ch]]
        if ch in WRITTEN_LIKE:
            return [letter_order(WRITTEN_LIKE[ch], OTHER_ACCENT)]
        decomposed = full_decomposition(ch)
        if len(decomposed) > 1:
            base = decomposed[0]
            mark = outer_mark(ch)
            accent = COMBINING_ACCENTS.get(mark, OTHER_ACCENT)
            if is_ascii_letter(base):
                return [letter_order(chr(base), accent, lower=is_lower_case(ch))]
            orders = self.letter(base)
            if base in LIGATURES:
                first = orders[0] & ~(0x1F << 7) | accent << 7
                return [first] + orders[1:]
            return orders
        named = letter_from_name(ch)
        if named is not None:
            letter, accent = named
            return [letter_order(letter, accent)]
        compat = unicodedata.normalize("NFKD", chr(ch))
        letters = [c for c in compat if is_ascii_letter(ord(c))]
        if letters:
            return [letter_order(letters[0], OTHER_ACCENT, lower=is_lower_case(ch))]
        raise SystemExit("no collation for letter U+%04X %s" % (ch, unicodedata.name(chr(ch), "")))

    def orders(self, ch):
        """The order values a character collates as (more than one for an
        expansion)."""
        kind = self.kind(ch)
        if ch == 0:
            return [0]
        if kind == "space":
            return [SPACE_ORDERS[ch]]
        if kind == "undefined":
            return [UNDEFINED_ORDER]
        if kind == "symbol":
            return [self.symbol_order(ch)]
        if kind == "digit":
            if ch in (0xBC, 0xBD, 0xBE):
                text = unicodedata.normalize("NFKD", chr(ch))
                first, second = int(text[0]), int(text[-1])
                return [DIGIT_BASE + 10 * first | 1, self.symbol_order(FRACTION_SLASH),
                        DIGIT_BASE + 10 * second]
            value = unicodedata.digit(chr(ch))
            expanded = 1 if unicodedata.category(chr(ch)) != "Nd" else 0
            return [DIGIT_BASE + 10 * value | expanded]
        return self.letter(ch)


# ---- Language variants ----

LANGUAGES = [
    (1, 0, "neutral"),
    (2, 1, "Spanish (traditional)"),
    (3, 1, "Danish and Norwegian"),
    (4, 1, "Swedish and Finnish"),
    (5, 1, "German phone book"),
]


class Record:
    """A collation record as the generator builds it; characters in
    successors are Unicode until a code set renders them."""

    def __init__(self, orders, contractions=None, variants=None):
        self.orders = list(orders)
        self.contractions = contractions or []  # [(successor char, Record)]
        self.variants = variants or []          # [(language id, Record)]


def variant_records(orders):
    """{char: [(language, Record)]} of the language variants."""
    v = {}

    def add(ch, language, record):
        v.setdefault(ch, []).append((language, record))

    # Spanish: ch and ll are letters of their own after c and l; ñ follows n.
    for first, second in (("c", "h"), ("C", "h"), ("l", "l"), ("L", "l")):
        contraction = Record([letter_order(first, 0, 1)])
        successors = [(ord(second), contraction), (ord(second.upper()), contraction)]
        add(ord(first), 2, Record(orders.orders(ord(first)), successors))
    add(0xF1, 2, Record([letter_order("n", 0, 1)]))
    add(0xD1, 2, Record([letter_order("N", 0, 1)]))

    def after_z(index, lower, accent=0):
        return 0x4000 | (1 if lower else 0) << 12 | accent << 7 | index << 2

    # Danish and Norwegian: æ ø å after z; aa is å.
    for ch, index in ((0xE6, 29), (0xF8, 30), (0xE5, 31)):
        add(ch, 3, Record([after_z(index, True)]))
        add(ord(chr(ch).upper()), 3, Record([after_z(index, False)]))
    aa_lower = Record([after_z(31, True)])
    aa_upper = Record([after_z(31, False)])
    add(ord("a"), 3, Record(orders.orders(ord("a")), [(ord("a"), aa_lower)]))
    add(ord("A"), 3, Record(orders.orders(ord("A")), [(ord("a"), aa_upper), (ord("A"), aa_upper)]))

    # Swedish and Finnish: å ä ö after z; æ as ä and ø as ö.
    for ch, index, accent in ((0xE5, 29, 0), (0xE4, 30, 0), (0xF6, 31, 0),
                              (0xE6, 30, OTHER_ACCENT), (0xF8, 31, OTHER_ACCENT)):
        add(ch, 4, Record([after_z(index, True, accent)]))
        add(ord(chr(ch).upper()), 4, Record([after_z(index, False, accent)]))

    # German phone book: ä ö ü as ae oe ue (the diaeresis kept as the first
    # element's accent, so that ä follows ae only at the accent level).
    for ch, letter in ((0xE4, "a"), (0xF6, "o"), (0xFC, "u")):
        add(ch, 5, Record([letter_order(letter, 6), letter_order("e")]))
        up = letter.upper()
        add(ord(chr(ch).upper()), 5, Record([letter_order(up, 6), letter_order("E")]))
    return v


# ---- Case properties ----

def case_props(ch, present=None):
    """(upper, lower, [more]) of a Unicode character, restricted to the
    characters `present` (a set) when given; None when it has none."""
    c = chr(ch)
    full = c.upper()
    simple_upper = full if len(full) == 1 else None
    # The simple mapping of a character whose full mapping has several
    # characters is the first of them, in either direction: ß and ŉ upper
    # to 'S' and U+02BC (the rest follows as a list), İ (U+0130) lowers to
    # 'i' (its combining dot above is dropped, as in the simple mapping).
    lower = c.lower()
    lower = ord(lower[0]) if lower != c else 0
    upper, more = 0, []
    if len(full) > 1:
        upper, more = ord(full[0]), [ord(x) for x in full[1:]]
    elif simple_upper is not None and simple_upper != c:
        upper = ord(simple_upper)
    if present is not None:
        if upper and not all(u in present for u in [upper] + more):
            upper, more = 0, []
        if lower and lower not in present:
            lower = 0
    if not upper and not lower:
        return None
    return upper, lower, more


# ---- Output ----

class Writer:
    def __init__(self):
        self.lines = []
        self.lists = {}
        self.records = {}
        self.next_record = 0

    def emit(self, text=""):
        self.lines.append(text)

    def wlist(self, values):
        """The name of a KvWCharList holding values (shared by content)."""
        key = tuple(values)
        if key not in self.lists:
            n = len(self.lists)
            items = ", ".join("0x%04X" % v for v in values)
            self.emit("const uint16_t kItems%d[] = {%s};" % (n, items))
            self.emit("const KvWCharList kList%d = {%d, kItems%d};" % (n, len(values), n))
            self.lists[key] = "kList%d" % n
        return self.lists[key]

    def record_fields(self, record, encode):
        """The initializer of a KvCollationRecord; successor characters are
        encoded with `encode` (Unicode -> unit of the code set)."""
        contraction_flag, successors, contraction_records = 0, "nullptr", "nullptr"
        if record.contractions:
            units = [encode(c) for c, _ in record.contractions]
            successors = "&" + self.wlist(units)
            names = [self.named_record(r, encode) for _, r in record.contractions]
            contraction_records = self.pointer_array(names)
            contraction_flag = 1
        variant_flag, variant_count, languages, variant_records = 0, 0, "nullptr", "nullptr"
        if record.variants:
            variant_flag, variant_count = 1, len(record.variants)
            languages = self.pointer_array(["&kLanguage%d" % l for l, _ in record.variants],
                                           "KvLanguage")
            variant_records = self.pointer_array(
                [self.named_record(r, encode) for _, r in record.variants])
        expansion_count, expansion = 0, "nullptr"
        if len(record.orders) > 1:
            expansion_count = len(record.orders) - 1
            expansion = "&" + self.wlist(record.orders[1:])
        return "{%d, %s, %s, %d, %d, %s, %s, 0x%04X, %d, %s, nullptr}" % (
            contraction_flag, successors, contraction_records, variant_flag, variant_count,
            languages, variant_records, record.orders[0], expansion_count, expansion)

    def named_record(self, record, encode):
        fields = self.record_fields(record, encode)
        if fields not in self.records:
            name = "kRecord%d" % self.next_record
            self.next_record += 1
            self.emit("const KvCollationRecord %s = %s;" % (name, fields))
            self.records[fields] = "&" + name
        return self.records[fields]

    def pointer_array(self, names, kind="KvCollationRecord"):
        key = (kind, tuple(names))
        if key not in self.records:
            name = "kPointers%d" % self.next_record
            self.next_record += 1
            self.emit("const %s* const %s[] = {%s};" % (kind, name, ", ".join(names)))
            self.records[key] = name
        return self.records[key]


def main():
    out = Writer()
    tables8 = {cs: to_unicode(codec) for cs, _, codec in CODE_SETS_8}
    union = set(range(512))
    for table in tables8.values():
        union |= set(table)
    orders = Orders(union)
    variants = variant_records(orders)

    def record_of(ch):
        record = Record(orders.orders(ch))
        record.variants = variants.get(ch, [])
        return record

    out.emit("// Generated by tools/gen_i18n_tables.py from Unicode %s; do not edit." %
             unicodedata.unidata_version)
    out.emit("// Regenerate: python3 tools/gen_i18n_tables.py > platform/src/kvi18n_tables.cpp")
    out.emit('#include "kvi18n_tables.h"')
    out.emit()
    out.emit('const char kvUnicodeVersion[] = "%s";' % unicodedata.unidata_version)
    out.emit()
    out.emit("namespace {")
    out.emit()
    for language, has_variants, name in LANGUAGES:
        out.emit('const KvLanguage kLanguage%d = {%d, %d, "%s"};' % (language, language,
                                                                     has_variants, name))
    out.emit()

    def emit_cases(prefix, entries):
        rows = []
        for unit, (upper, lower, more) in entries:
            more_name = "&" + out.wlist(more) if more else "nullptr"
            rows.append("    {0x%04X, {0x%04X, 0x%04X, %s}}," % (unit, upper, lower, more_name))
        out.emit("const KvCaseEntry %sCases[] = {" % prefix)
        out.lines.extend(rows)
        out.emit("};")

    def plain_weight(record):
        # The weight of a plain significant element in collation class 1, as
        # the collation engine computes it; 0 for anything else.
        if len(record.orders) != 1 or record.contractions:
            return 0
        order = record.orders[0]
        if order <= 0x3EFF:
            return 0
        weight = 1 << 24
        if order & 0x8000 or not order & 0x4000:
            weight |= order << 8
        else:
            weight |= (order & 0x407F) << 8 | (order >> 7) & 0x7F
        return weight | (0x80000000 if record.variants else 0)

    def emit_orders(prefix, limit, char_of, encode):
        records = [record_of(char_of(u)) for u in range(limit)]
        rows = ["    %s," % out.record_fields(r, encode) for r in records]
        out.emit("const KvCollationRecord %sRecords[%d] = {" % (prefix, limit))
        out.lines.extend(rows)
        out.emit("};")
        weights = [plain_weight(r) if u != 0 else 0 for u, r in enumerate(records)]
        out.emit("const uint32_t %sPlainWeights[%d] = {" % (prefix, limit))
        for row in range(0, limit, 8):
            out.emit("    " + ", ".join("0x%08X" % w for w in weights[row:row + 8]) + ",")
        out.emit("};")
        out.emit("const KvOrderTable %sOrders = {%d, %sRecords, %sPlainWeights};" %
                 (prefix, limit, prefix, prefix))

    # The 8-bit code sets.
    for cs, name, _ in CODE_SETS_8:
        table = tables8[cs]
        inverse = {}
        for b, u in enumerate(table):
            inverse.setdefault(u, b)
        prefix = "kCodeSet%d" % cs
        out.emit("// %s" % name)
        out.emit("const uint16_t %sToUnicode[256] = {" % prefix)
        for row in range(0, 256, 8):
            out.emit("    " + ", ".join("0x%04X" % u for u in table[row:row + 8]) + ",")
        out.emit("};")
        pages = sorted({u >> 8 for u in inverse})
        for page in pages:
            values = [inverse.get(page << 8 | low, SUBSTITUTE_8) for low in range(256)]
            out.emit("const uint8_t %sPage%02X[256] = {" % (prefix, page))
            for row in range(0, 256, 16):
                out.emit("    " + ", ".join("0x%02X" % v for v in values[row:row + 16]) + ",")
            out.emit("};")
        page_names = ["%sPage%02X" % (prefix, p) if p in pages else "nullptr" for p in range(256)]
        out.emit("const uint8_t* const %sFromUnicode[256] = {" % prefix)
        for row in range(0, 256, 4):
            out.emit("    " + ", ".join(page_names[row:row + 4]) + ",")
        out.emit("};")
        present = set(table)

        def encode(u, inverse=inverse):
            return inverse.get(u, SUBSTITUTE_8)

        entries = []
        for b in range(256):
            props = case_props(table[b], present)
            if props is not None:
                upper, lower, more = props
                entries.append((b, (upper, lower, [encode(m) for m in more])))
        emit_cases(prefix, entries)
        emit_orders(prefix, 256, lambda b, table=table: table[b], encode)
        out.emit("const KvCodeSetTables %sTables = {\"%s\", %sToUnicode, %sFromUnicode, "
                 "%sCases, %d, &%sOrders};" % (prefix, name, prefix, prefix, prefix,
                                               len(entries), prefix))
        out.emit()

    # Code set 253: Unicode itself.
    prefix = "kCodeSet253"
    out.emit("// Unicode, Basic Multilingual Plane")
    entries = []
    for ch in range(0x10000):
        if 0xD800 <= ch <= 0xDFFF:
            continue
        props = case_props(ch)
        if props is not None:
            upper, lower, more = props
            if max([upper, lower] + more) < 0x10000:
                entries.append((ch, props))
    emit_cases(prefix, entries)
    emit_orders(prefix, 512, lambda u: u, lambda u: u)
    out.emit("const KvCodeSetTables %sTables = {\"Unicode BMP\", nullptr, nullptr, %sCases, %d, "
             "&%sOrders};" % (prefix, prefix, len(entries), prefix))
    out.emit()
    out.emit("}  // namespace")
    out.emit()

    ids = {cs: "&kCodeSet%dTables" % cs for cs, _, _ in CODE_SETS_8}
    ids[UNICODE_ID] = "&kCodeSet253Tables"
    out.emit("const KvCodeSetTables* const kvCodeSetTables[256] = {")
    names = [ids.get(i, "nullptr") for i in range(256)]
    for row in range(0, 256, 4):
        out.emit("    " + ", ".join(names[row:row + 4]) + ",")
    out.emit("};")
    out.emit()
    objects = []
    for i in range(256):
        behaves_as = i if i in ids else (UNICODE_ID if i > 224 else 2)
        tables = "kCodeSet%dTables" % behaves_as
        objects.append("KvCodeSet(%d, &%s, %s.orders)" % (i, tables, tables))
    out.emit("const KvCodeSet kvCodeSets[256] = {")
    for row in range(0, 256, 2):
        out.emit("    " + ", ".join(objects[row:row + 2]) + ",")
    out.emit("};")
    out.emit()
    langs = {l: "&kLanguage%d" % l for l, _, _ in LANGUAGES}
    out.emit("const KvLanguage* const kvLanguages[256] = {")
    names = [langs.get(i, "nullptr") for i in range(256)]
    for row in range(0, 256, 4):
        out.emit("    " + ", ".join(names[row:row + 4]) + ",")
    out.emit("};")
    sys.stdout.write("\n".join(out.lines) + "\n")


if __name__ == "__main__":
    main()
