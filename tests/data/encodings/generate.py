#!/usr/bin/env python3
"""Writes the reference tables that the text tests compare the converters against.

The tables come from Python's own codecs, an implementation independent of the library's:
  macroman.txt            each Mac Roman byte and the Unicode character it stands for
  cp1252_to_macroman.txt  each Windows-1252 byte and the Mac Roman byte of the same
                          character, or "-" when the byte is undefined in Windows-1252 or
                          its character has no Mac Roman form

Older Python releases ship a 'mac_roman' codec that follows the Mac OS Roman table as it
stood before the euro sign was added: it maps 0xDB to U+00A4 CURRENCY SIGN. The current table
maps 0xDB to U+20AC EURO SIGN and has no currency sign at all. Where the codec still has the
old entry it is corrected below (the 3.11 release used for the committed tables already has
the euro sign); every other entry is taken from the codec unchanged.

  shift_jis.txt           each byte sequence of one or two bytes that the 'shift_jis' codec
                          decodes to one character, with that character; then, marked "=",
                          the characters that it encodes without decoding back to them. Every
                          other character of the Basic Multilingual Plane has no Shift-JIS form.

Run once from this folder: python3 generate.py
"""

MAC_ROMAN_FIXES = {0xDB: 0x20AC}


def mac_roman_table():
    table = {}
    for byte in range(256):
        table[byte] = ord(bytes([byte]).decode("mac_roman"))
    for byte, code in MAC_ROMAN_FIXES.items():
        assert table[byte] in (0x00A4, code), "unexpected codec entry; review the fix"
        table[byte] = code
    assert len(set(table.values())) == 256
    return table


def shift_jis_tables():
    decoded = {}
    for first in range(256):
        for tail in [b""] + [bytes([b]) for b in range(256)] if first >= 0x80 else [b""]:
            seq = bytes([first]) + tail
            try:
                text = seq.decode("shift_jis")
            except UnicodeDecodeError:
                continue
            if len(text) == 1:
                decoded[seq] = ord(text)
    back = {code: seq for seq, code in decoded.items()}
    assert len(back) == len(decoded), "two sequences decode to one character"
    encode_only = {}
    for code in range(0x10000):
        if 0xD800 <= code < 0xE000:
            continue
        try:
            seq = chr(code).encode("shift_jis")
        except UnicodeEncodeError:
            assert code not in back
            continue
        if back.get(code) != seq:
            assert code not in back, "a character encodes other than it decodes"
            encode_only[code] = seq
    return decoded, encode_only


def main():
    to_unicode = mac_roman_table()
    from_unicode = {code: byte for byte, code in to_unicode.items()}

    with open("macroman.txt", "w") as out:
        out.write("# Mac Roman byte, Unicode code point\n")
        for byte in range(256):
            out.write("%02X %04X\n" % (byte, to_unicode[byte]))

    with open("cp1252_to_macroman.txt", "w") as out:
        out.write("# Windows-1252 byte, Mac Roman byte or - when there is none\n")
        for byte in range(256):
            try:
                code = ord(bytes([byte]).decode("cp1252"))
            except UnicodeDecodeError:
                out.write("%02X -\n" % byte)
                continue
            mac = from_unicode.get(code)
            out.write("%02X %s\n" % (byte, "-" if mac is None else "%02X" % mac))

    decoded, encode_only = shift_jis_tables()
    with open("shift_jis.txt", "w") as out:
        out.write("# Shift-JIS bytes, Unicode code point\n")
        for seq in sorted(decoded, key=lambda b: (len(b), b)):
            out.write("%s %04X\n" % (seq.hex().upper(), decoded[seq]))
        out.write("# = Unicode code point, the Shift-JIS bytes it encodes to (decoding differs)\n")
        for code in sorted(encode_only):
            out.write("= %04X %s\n" % (code, encode_only[code].hex().upper()))


if __name__ == "__main__":
    main()
