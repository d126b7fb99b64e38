#!/usr/bin/env python3
"""Checks the library's UTF-8 conversions against Python's own codecs.

Usage: check_utf8.py [EMULATOR...] PATH_TO_MBS_PROBE

(a) Every BMP character, in strings of code set 253, encodes to exactly the
    bytes Python's UTF-8 codec gives (surrogates through 'surrogatepass'),
    and decodes back; every byte of the 8-bit code sets 1 to 5 encodes as
    Python's codec of that code page decodes it.
(b) Random and hostile byte strings decode as Python's strict decoder
    decodes them wherever it accepts them (a character above U+FFFF gives
    its low 16 bits), and elsewhere as the original UTF-8 definition (RFC
    2279) makes them: surrogates are 3-byte forms like any other, 4-byte
    values up to 0x1FFFFF and 5- and 6-byte forms are accepted, overlong
    forms are not. In both, a value above 0xFFFF whose low 16 bits are
    ASCII is refused: it would be a second spelling of an ASCII character.
    A zero byte ends the text.
"""
import random
import subprocess
import sys

# The probe, behind the emulator that runs it where the host cannot.
probe = sys.argv[1:]
failures = []


def fail(message):
    failures.append(message)


def hexof(data):
    return data.hex() if data else "-"


def unitshex(units):
    return "".join("%04x" % u for u in units) if units else "-"


# ---- The reference decoding ----

def shortest_length(value):
    for length, largest in ((1, 0x7F), (2, 0x7FF), (3, 0xFFFF), (4, 0x1FFFFF), (5, 0x3FFFFFF)):
        if value <= largest:
            return length
    return 6


def rfc2279_character(data, i):
    """(length, value) of the sequence at data[i], or None when invalid."""
    lead = data[i]
    ones = 8 - ((~lead) & 0xFF).bit_length()  # leading one bits of the lead
    if ones == 0:
        length = 1
    elif 2 <= ones <= 6:
        length = ones
    else:
        return None  # a continuation byte, 0xFE or 0xFF
    tail = data[i + 1:i + length]
    if len(tail) < length - 1 or any(b & 0xC0 != 0x80 for b in tail):
        return None
    value = lead & (0x7F >> ones)
    for b in tail:
        value = value * 64 + (b & 0x3F)
    if shortest_length(value) != length:
        return None  # overlong
    return length, value


def library_unit(value):
    """The 16-bit unit of a decoded value, or None when it is refused."""
    if value > 0xFFFF and value & 0xFFFF < 0x80:
        return None
    return value & 0xFFFF


def reference_decode(data):
    """(result, units, beyond, used) of KvMBS2KvString with n the length;
    beyond tells whether a value accepted lies outside today's UTF-8, used
    how many bytes the units came from."""
    units, i, beyond = [], 0, False
    while i < len(data) and data[i] != 0:
        found = rfc2279_character(data, i)
        if found is None:
            return -1, units, beyond, i
        length, value = found
        unit = library_unit(value)
        if unit is None:
            return -1, units, beyond, i
        if length > 4 or value > 0x10FFFF or 0xD800 <= value <= 0xDFFF:
            beyond = True
        units.append(unit)
        i += length
    return i, units, beyond, i


def reference_first(data):
    """(result, unit) of KvMultiByte2WChar at data[0] with n the length."""
    if not data:
        return -1, 0
    found = rfc2279_character(data, 0)
    if found is None:
        return -1, 0
    unit = library_unit(found[1])
    return (-1, 0) if unit is None else (found[0], unit)


def python_decode(data, errors):
    """What the library must give by Python's codec, or None when Python
    rejects the text before the first zero byte."""
    text_bytes = data.split(b"\0")[0]
    try:
        text = text_bytes.decode("utf-8", errors)
    except UnicodeDecodeError:
        return None
    units, used = [], 0
    for ch in text:
        unit = library_unit(ord(ch))
        if unit is None:
            return -1, units
        units.append(unit)
        used += len(ch.encode("utf-8", "surrogatepass"))
    return used, units


# ---- Requests ----

requests = []  # (line, check(answer fields))


def difference(got, want, width):
    """Where two hex texts of width-digit items first differ, and from there."""
    at = next((i for i in range(0, max(len(got), len(want)), width)
               if got[i:i + width] != want[i:i + width]), 0)
    return "from item %d on: %s... instead of %s..." % (at // width, got[at:at + 24], want[at:at + 24])


def check_encoding(label, expected_bytes, expected_units):
    def check(fields):
        t, data, k, kdata, length, r, back = fields
        want_hex = hexof(expected_bytes)
        n = str(len(expected_bytes))
        if (t, k, length) != (n, n, n):
            fail("%s: %s bytes, %s bounded, length %s; Python: %s" % (label, t, k, length, n))
        for name, got in (("new buffer", data), ("bounded", kdata)):
            if got != want_hex:
                fail("%s: %s differs from Python %s" % (label, name, difference(got, want_hex, 2)))
        want_back = unitshex(expected_units)
        if r != n or back != want_back:
            fail("%s: decoded back %s, %s" % (label, r, difference(back, want_back, 4)))
    return check


# (a) Every BMP character, 256 at a time (U+0000 is the terminator).
for start in range(0, 0x10000, 256):
    units = [c for c in range(start, start + 256) if c != 0]
    expected = "".join(map(chr, units)).encode("utf-8", "surrogatepass")
    requests.append(("u " + unitshex(units),
                     check_encoding("U+%04X..U+%04X" % (units[0], units[-1]), expected, units)))

# Every byte of the 8-bit code sets; a byte a code page leaves undefined is
# the C1 control of the same value, as Windows maps it. ASCII-only text takes
# the shortcut that copies it.
for code_set, codec in ((0, "cp1252"), (1, "cp1252"), (2, "latin-1"), (3, "iso8859-15"),
                        (4, "cp1250"), (5, "iso8859-2")):
    for first, last in ((1, 127), (1, 255), (128, 255)):
        data = bytes(range(first, last + 1))
        text = ""
        for b in data:
            try:
                text += bytes([b]).decode(codec)
            except UnicodeDecodeError:
                text += chr(b)
        expected = text.encode("utf-8")
        requests.append(("b %d %s" % (code_set, hexof(data)),
                         check_encoding("code set %d bytes %02X..%02X" % (code_set, first, last),
                                        expected, [ord(c) for c in text])))


# (b) Byte strings to decode.
decode_inputs = set()


def sequence(value, length):
    """value in a sequence of length bytes, shortest form or not."""
    if length == 1:
        return bytes([value])
    tail = []
    for _ in range(length - 1):
        tail.append(0x80 | (value & 0x3F))
        value >>= 6
    return bytes([(0xFF00 >> length) & 0xFF | value] + tail[::-1])


for b in range(256):
    decode_inputs.add(bytes([b]))
for b1 in range(256):
    for b2 in range(256):
        decode_inputs.add(bytes([b1, b2]))
for lead in range(0xE0, 0xF0):
    for second in range(256):
        for third in (0x00, 0x41, 0x80, 0xBF, 0xC3):
            decode_inputs.add(bytes([lead, second, third]))
for lead in range(0xF0, 0xF8):
    for second in range(0x80, 0xC0):
        for third in (0x80, 0xBF):
            for fourth in (0x80, 0x81, 0xAF, 0xBF, 0x41):
                decode_inputs.add(bytes([lead, second, third, fourth]))
for lead in range(0xF8, 0x100):
    for second in range(0x80, 0xC0, 3):
        decode_inputs.add(bytes([lead, second, 0x80, 0x81, 0x81, 0x80, 0x80]))
        decode_inputs.add(bytes([lead, second, 0xBF, 0xBF, 0xBF, 0xBF, 0xBF]))
smallest = {2: 0x80, 3: 0x800, 4: 0x10000, 5: 0x200000, 6: 0x4000000}
largest = {2: 0x7FF, 3: 0xFFFF, 4: 0x1FFFFF, 5: 0x3FFFFFF, 6: 0x7FFFFFFF}
for length in range(2, 7):
    values = {smallest[length] - 1, smallest[length], largest[length], 0xD7FF, 0xD800, 0xDBFF,
              0xDC00, 0xDFFF, 0xE000, 0xFFFD, 0x10000, 0x1007F, 0x10080, 0x1002F, 0x10FFFF,
              0x110000, 0x20041, 0x2000E4, 0x4000000, 0x4000080}
    values |= {smallest[length] + k for k in range(0, 0x100, 7)}
    for value in values:
        if value > largest[length]:
            continue
        form = sequence(value, length)
        for cut in range(len(form) + 1):
            decode_inputs.add(form[:cut])
            decode_inputs.add(b"x" + form[:cut] + b"y")
        decode_inputs.add(form + b"\0" + form)
for value in range(0xD800, 0xE000):
    decode_inputs.add(sequence(value, 3))
decode_inputs.add(b"\xed\xa0\x80\xed\xb0\x80")  # a surrogate pair, each half alone
rng = random.Random(20240611)
palette = [0x00, 0x41, 0x7F, 0x80, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xED, 0xEF,
           0xF0, 0xF4, 0xF5, 0xF7, 0xF8, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF]
for _ in range(20000):
    length = rng.randrange(0, 16)
    decode_inputs.add(bytes(rng.randrange(256) if rng.random() < 0.3 else rng.choice(palette)
                            for _ in range(length)))
for _ in range(3000):  # valid text of every length of character, random characters
    text = "".join(chr(rng.choice((rng.randrange(1, 0x80), rng.randrange(0x80, 0x800),
                                   rng.randrange(0x800, 0x10000), rng.randrange(0x10000, 0x110000))))
                   for _ in range(rng.randrange(1, 8)))
    decode_inputs.add(text.encode("utf-8", "surrogatepass"))

counts = {"python": 0, "surrogatepass": 0, "rfc2279": 0}


def check_decoding(data):
    result, units, beyond, used = reference_decode(data)
    # The characters before a refused sequence are those Python finds there.
    if result < 0:
        before = python_decode(data[:used], "surrogatepass")
        if before != (used, units) and not (before is None and beyond):
            fail("reference %s differs from Python %s before the fault of %s"
                 % (units, before, data.hex()))
    strict = python_decode(data, "strict")
    # The reference agrees with Python wherever Python's strict decoder
    # accepts the text, and goes beyond it only as RFC 2279 does.
    if strict is not None:
        counts["python"] += 1
        if strict != (result, units):
            fail("reference %s differs from Python %s for %s" % ((result, units), strict, data.hex()))
    else:
        passing = python_decode(data, "surrogatepass")
        if passing is not None:
            counts["surrogatepass"] += 1
            if passing != (result, units):
                fail("reference %s differs from Python's surrogatepass %s for %s"
                     % ((result, units), passing, data.hex()))
        else:
            counts["rfc2279"] += 1
            if result >= 0 and not beyond:
                fail("reference accepts %s, which Python rejects" % data.hex())
    first, unit = reference_first(data)

    def check(fields):
        r, got, w, wc = fields
        want = (str(result), unitshex(units), str(first), "%04x" % unit)
        if (r, got, w, wc) != want:
            fail("decoding %s: library %s, expected %s" % (hexof(data)[:64], (r, got[:64], w, wc),
                                                           (want[0], want[1][:64]) + want[2:]))
    return check


for data in sorted(decode_inputs):
    requests.append(("d " + hexof(data), check_decoding(data)))

run = subprocess.run(probe, input="\n".join(line for line, _ in requests) + "\n",
                     capture_output=True, text=True)
if run.returncode != 0:
    print("mbs_probe failed (%d): %s" % (run.returncode, run.stderr))
    sys.exit(1)
answers = run.stdout.splitlines()
if len(answers) != len(requests):
    print("mbs_probe answered %d of %d requests" % (len(answers), len(requests)))
    sys.exit(1)
for (_, check), answer in zip(requests, answers):
    check(answer.split(" "))

for message in failures[:20]:
    print(message)
if failures:
    print("%d of %d checks failed" % (len(failures), len(requests)))
    sys.exit(1)
print("%d checks: %d encodings, %d decodings (%d as Python decodes them, %d as with "
      "surrogatepass, %d by RFC 2279 alone)"
      % (len(requests), len(requests) - len(decode_inputs), len(decode_inputs), counts["python"],
         counts["surrogatepass"], counts["rfc2279"]))
