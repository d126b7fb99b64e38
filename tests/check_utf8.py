#!/usr/bin/env python3
"""Checks the library's UTF-8 conversions against Python's own codecs.

Usage: check_utf8.py [EMULATOR...] PATH_TO_MBS_PROBE

(a) Every BMP character, in strings of code set 253, encodes to exactly the
    bytes Python's UTF-8 codec gives (surrogates through 'surrogatepass'),
    character by character too, and decodes back; every byte of the 8-bit
    code sets 1 to 5 encodes as Python's codec of that code page decodes it.
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

failures = []


def hexof(data, digits=2):
    return "".join("%0*x" % (digits, b) for b in data) or "-"


def character(data, i):
    """(length, value) of the sequence at data[i], or None where it is refused."""
    ones = 8 - ((~data[i]) & 0xFF).bit_length()  # leading one bits of the lead
    length = 1 if ones == 0 else ones if 2 <= ones <= 6 else 0  # 0: a continuation byte, 0xFE, 0xFF
    tail = data[i + 1:i + length]
    if length == 0 or len(tail) < length - 1 or any(b & 0xC0 != 0x80 for b in tail):
        return None
    value = data[i] & (0x7F >> ones)
    for b in tail:
        value = value * 64 + (b & 0x3F)
    shortest = next(n for n, top in ((1, 0x7F), (2, 0x7FF), (3, 0xFFFF), (4, 0x1FFFFF), (5, 0x3FFFFFF), (6, 1 << 31))
                    if value <= top)
    if shortest != length or (value > 0xFFFF and value & 0xFFFF < 0x80):
        return None  # overlong, or a second spelling of an ASCII character
    return length, value


def rfc2279(data):
    """(result, units, beyond, used) of decoding data up to its first zero
    byte: result the bytes used or -1, units those decoded before any fault
    from the first used bytes, beyond whether a value lies outside today's UTF-8."""
    units, i, beyond = [], 0, False
    while i < len(data) and data[i] != 0:
        found = character(data, i)
        if found is None:
            return -1, units, beyond, i
        beyond |= found[0] > 4 or found[1] > 0x10FFFF or 0xD800 <= found[1] <= 0xDFFF
        units.append(found[1] & 0xFFFF)
        i += found[0]
    return i, units, beyond, i


def python_decode(data, errors):
    """What the library must give by Python's codec, or None where it rejects the text."""
    try:
        text = data.split(b"\0")[0].decode("utf-8", errors)
    except UnicodeDecodeError:
        return None
    units, used = [], 0
    for ch in text:
        if ord(ch) > 0xFFFF and ord(ch) & 0xFFFF < 0x80:
            return -1, units
        units.append(ord(ch) & 0xFFFF)
        used += len(ch.encode("utf-8", "surrogatepass"))
    return used, units


requests = []  # (request line, expected answer)


def encoding(request, expected, units, wide):
    n = str(len(expected))
    requests.append((request, " ".join((n, hexof(expected), "1", n, n, hexof(units, 4), hexof(expected) if wide else "-"))))


# (a) Every BMP character, 256 at a time (U+0000 is the terminator).
for start in range(0, 0x10000, 256):
    units = [c for c in range(start, start + 256) if c != 0]
    encoding("u " + hexof(units, 4), "".join(map(chr, units)).encode("utf-8", "surrogatepass"), units, True)
# Every byte of the 8-bit code sets (0: the native one); a byte a code page
# leaves undefined is the C1 control of the same value, as Windows maps it.
# ASCII-only text takes the shortcut that copies it.
for code_set, codec in ((0, "cp1252"), (1, "cp1252"), (2, "latin-1"), (3, "iso8859-15"), (4, "cp1250"), (5, "iso8859-2")):
    for first, last in ((1, 127), (1, 255), (128, 255)):
        data = bytes(range(first, last + 1))
        text = "".join(bytes([b]).decode(codec, "ignore") or chr(b) for b in data)
        encoding("b %d %s" % (code_set, hexof(data)), text.encode("utf-8"), [ord(c) for c in text], False)


def sequence(value, length):
    """value in a sequence of length bytes, shortest form or not."""
    tail = [0x80 | (value >> 6 * k) & 0x3F for k in range(length - 2, -1, -1)]
    return bytes([value] if length == 1 else [(0xFF00 >> length) & 0xFF | value >> 6 * (length - 1)] + tail)


# (b) Byte strings to decode: every one- and two-byte string, three- and
# four-byte leads with telling continuations, each form at its edges and cut
# at every length, random ones, and valid text of every length of character.
inputs = {bytes([b1, b2][:n]) for b1 in range(256) for b2 in range(256) for n in (1, 2)}
inputs |= {bytes([lead, second, third]) for lead in range(0xE0, 0xF0) for second in range(256)
           for third in (0x00, 0x41, 0x80, 0xBF, 0xC3)}
inputs |= {bytes([lead, second, third, fourth]) for lead in range(0xF0, 0xF8) for second in range(0x80, 0xC0)
           for third in (0x80, 0xBF) for fourth in (0x80, 0x81, 0xAF, 0xBF, 0x41)}
inputs |= {bytes([lead, second, third] + [0x81, 0x81, 0x80, 0x80] if third == 0x80 else [0xBF] * 4)
           for lead in range(0xF8, 0x100) for second in range(0x80, 0xC0, 3) for third in (0x80, 0xBF)}
smallest = {2: 0x80, 3: 0x800, 4: 0x10000, 5: 0x200000, 6: 0x4000000}
for length in range(2, 7):
    for value in {smallest[length] - 1, smallest[length], smallest.get(length + 1, 1 << 31) - 1, 0xD7FF, 0xD800, 0xDBFF,
                  0xDC00, 0xDFFF, 0xE000, 0xFFFD, 0x10000, 0x1007F, 0x10080, 0x1002F, 0x10FFFF, 0x110000, 0x20041,
                  0x2000E4, 0x4000000, 0x4000080} | {smallest[length] + k for k in range(0, 0x100, 7)}:
        if value < smallest.get(length + 1, 1 << 31):
            form = sequence(value, length)
            inputs |= {form[:cut] for cut in range(len(form) + 1)} | {b"x" + form[:cut] + b"y" for cut in range(len(form) + 1)}
            inputs |= {form + b"\0" + form, b"x" + form + b"\0"}
inputs |= {sequence(value, 3) for value in range(0xD800, 0xE000)} | {b"\xed\xa0\x80\xed\xb0\x80"}
rng = random.Random(20240611)
palette = [0x00, 0x41, 0x7F, 0x80, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xF7,
           0xF8, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF]
inputs |= {bytes(rng.randrange(256) if rng.random() < 0.3 else rng.choice(palette) for _ in range(rng.randrange(16)))
           for _ in range(20000)}
inputs |= {"".join(chr(rng.choice((rng.randrange(1, 0x80), rng.randrange(0x80, 0x800), rng.randrange(0x800, 0x10000),
                                   rng.randrange(0x10000, 0x110000)))) for _ in range(rng.randrange(1, 8)))
           .encode("utf-8", "surrogatepass") for _ in range(3000)}
for data in sorted(inputs):
    result, units, beyond, used = rfc2279(data)
    # The reference agrees with Python wherever Python's strict decoder
    # accepts the text (or, for surrogates, with surrogatepass), goes beyond
    # it only as RFC 2279 does, and before a fault finds what Python finds.
    for errors in ("strict", "surrogatepass"):
        python = python_decode(data, errors)
        if python is not None:
            if python != (result, units):
                failures.append("reference %s differs from Python's %s %s for %s" % ((result, units), errors, python, data.hex()))
            break
    else:
        if result >= 0 and not beyond:
            failures.append("reference accepts %s, which Python rejects" % data.hex())
    before = python_decode(data[:used], "surrogatepass")
    if result < 0 and before != (used, units) and not (before is None and beyond):
        failures.append("reference %s differs from Python %s before the fault of %s" % (units, before, data.hex()))
    first = character(data, 0) if data else None
    requests.append(("d " + hexof(data), "%d %s %s" % (result, hexof(units, 4), "%d %04x" % (first[0], first[1] & 0xFFFF) if first else "-1 0000")))

run = subprocess.run(sys.argv[1:], input="\n".join(line for line, _ in requests) + "\n", capture_output=True, text=True)
answers = run.stdout.splitlines()
if run.returncode != 0 or len(answers) != len(requests):
    sys.exit("mbs_probe failed (%d) or answered %d of %d requests: %s" % (run.returncode, len(answers), len(requests), run.stderr))
for (line, expected), answer in zip(requests, answers):
    if answer != expected:
        failures.append("%s: library %s, expected %s" % (line[:60], answer[:120], expected[:120]))
for message in failures[:20]:
    print(message)
if failures:
    sys.exit("%d of %d checks failed" % (len(failures), len(requests)))
print("%d checks: %d encodings, %d decodings" % (len(requests), len(requests) - len(inputs), len(inputs)))
