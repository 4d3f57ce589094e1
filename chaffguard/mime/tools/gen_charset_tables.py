#!/usr/bin/env python3
"""Generate single-byte charset tables for the built-in charset converter.

Writes charset_tables.cpp: for every single-byte charset of the alias table,
the Unicode code point of each byte 0x80..0xFF (0 where the byte is unassigned),
plus the bytes below 0x80 that do not map to ASCII.

Sources, all on a Debian machine: Python's codecs module, the C library's
iconv program and Perl's Encode module. Two tables are computed from their
published definitions (JIS X 0201 katakana, MULE Lao) and the Kamenicky table
is listed here.

Usage: gen_charset_tables.py > ../charset_tables.cpp
"""
import codecs
import subprocess
import sys
import unicodedata

# (key as the first alias of the alias-table row, source kind, source name)
CHARSETS = [
    ("ISO-8859-1", "py", "latin_1"),
    ("US-ASCII", "ascii", ""),
    ("ISO-8859-2", "py", "iso8859_2"),
    ("ISO-8859-3", "py", "iso8859_3"),
    ("ISO-8859-4", "py", "iso8859_4"),
    ("ISO-8859-5", "py", "iso8859_5"),
    ("ISO-8859-6", "py", "iso8859_6"),
    ("ISO-8859-7", "py", "iso8859_7"),
    ("ISO_8859-8", "py", "iso8859_8"),
    ("ISO-8859-9", "py", "iso8859_9"),
    ("ISO-8859-10", "py", "iso8859_10"),
    ("ISO-8859-13", "py", "iso8859_13"),
    ("ISO-8859-14", "py", "iso8859_14"),
    ("ISO-8859-15", "py", "iso8859_15"),
    ("ISO-8859-16", "py", "iso8859_16"),
    ("KOI8-R", "py", "koi8_r"),
    ("KOI8-U", "py", "koi8_u"),
    ("KOI8-RU", "iconv", "KOI8-RU"),
    ("WINDOWS-1250", "py", "cp1250"),
    ("WINDOWS-1251", "py", "cp1251"),
    ("WINDOWS-1252", "py", "cp1252"),
    ("WINDOWS-1253", "py", "cp1253"),
    ("WINDOWS-1254", "py", "cp1254"),
    ("WINDOWS-1255", "py", "cp1255"),
    ("WINDOWS-1256", "py", "cp1256"),
    ("WINDOWS-1257", "py", "cp1257"),
    ("WINDOWS-1258", "py", "cp1258"),
    ("850", "py", "cp850"),
    ("862", "py", "cp862"),
    ("866", "py", "cp866"),
    ("MAC", "py", "mac_roman"),
    ("MACCENTRALEUROPE", "py", "mac_latin2"),
    ("MACICELAND", "py", "mac_iceland"),
    ("MACCROATIAN", "py", "mac_croatian"),
    ("MACROMANIA", "py", "mac_romanian"),
    ("MACCYRILLIC", "py", "mac_cyrillic"),
    ("MACUKRAINE", "iconv", "MAC-UK"),
    ("MACGREEK", "py", "mac_greek"),
    ("MACTURKISH", "py", "mac_turkish"),
    ("MACHEBREW", "perl", "MacHebrew"),
    ("MACARABIC", "perl", "MacArabic"),
    ("MACTHAI", "perl", "MacThai"),
    ("HP-ROMAN8", "py", "hp_roman8"),
    ("NEXTSTEP", "perl", "nextstep"),
    ("ARMSCII-8", "iconv", "ARMSCII-8"),
    ("GEORGIAN-ACADEMY", "iconv", "GEORGIAN-ACADEMY"),
    ("GEORGIAN-PS", "iconv", "GEORGIAN-PS"),
    ("KOI8-T", "py", "koi8_t"),
    ("MULELAO-1", "mulelao", ""),
    ("CP1133", "iconv", "IBM1133"),
    ("TIS-620", "py", "tis_620"),
    ("CP874", "py", "cp874"),
    ("VISCII", "iconv", "VISCII"),
    ("TCVN", "iconv", "TCVN5712-1"),
    ("ISO-IR-14", "iconv", "JIS_C6220-1969-RO"),
    ("JISX0201-1976", "jisx0201", ""),
    ("437", "py", "cp437"),
    ("CP737", "py", "cp737"),
    ("CP775", "py", "cp775"),
    ("852", "py", "cp852"),
    ("855", "py", "cp855"),
    ("857", "py", "cp857"),
    ("CP858", "py", "cp858"),
    ("860", "py", "cp860"),
    ("861", "py", "cp861"),
    ("863", "py", "cp863"),
    ("CP864", "py", "cp864"),
    ("865", "py", "cp865"),
    ("869", "py", "cp869"),
    ("CP1125", "py", "cp1125"),
    ("KAMENICKY", "kamenicky", ""),
]

# Kamenicky (code page 895): code page 437 with Czech and Slovak letters in 0x80..0xAF.
KAMENICKY_80_AF = (
    "\u010c\u00fc\u00e9\u010f\u00e4\u010e\u0164\u010d\u011b\u011a\u0139\u00cd\u013e\u013a\u00c4\u00c1"
    "\u00c9\u017e\u017d\u00f4\u00f6\u00d3\u016f\u00da\u00fd\u00d6\u00dc\u0160\u013d\u00dd\u0158\u0165"
    "\u00e1\u00ed\u00f3\u00fa\u0148\u0147\u016e\u00d4\u0161\u0159\u0155\u0154\u00bc\u00a7\u00ab\u00bb"
)


def single(cp):
    return cp if len(cp) == 1 else None


def table_py(name):
    out = []
    for b in range(256):
        try:
            s = bytes([b]).decode(name)
            out.append(ord(s) if len(s) == 1 else 0)
        except UnicodeDecodeError:
            out.append(0)
    return out


def table_iconv(name):
    out = []
    for b in range(256):
        r = subprocess.run(["iconv", "-f", name, "-t", "UTF-32LE"], input=bytes([b]),
                           capture_output=True)
        if r.returncode == 0 and len(r.stdout) == 4:
            out.append(int.from_bytes(r.stdout, "little"))
        else:
            out.append(0)
    return out


def table_perl(name):
    # Apple's right-to-left tables wrap some characters in direction marks;
    # the marks are dropped and only the character is kept.
    script = ('use Encode; for my $b (0..255) { my $s = chr($b); '
              'my $u = decode("%s", $s, Encode::FB_QUIET); '
              '$u =~ s/[\\x{200E}\\x{200F}\\x{202A}-\\x{202E}]//g; '
              'print length($u) == 1 ? ord($u) : 0, "\\n"; }' % name)
    r = subprocess.run(["perl", "-e", script], capture_output=True, check=True, text=True)
    values = [int(x) for x in r.stdout.split()]
    # Apple's tables keep ASCII in the lower half; Encode leaves some of those
    # bytes out of its right-to-left tables.
    return list(range(128)) + values[128:]


def table_ascii():
    return list(range(128)) + [0] * 128


def table_jisx0201():
    t = list(range(128)) + [0] * 128
    t[0x5C] = 0x00A5
    t[0x7E] = 0x203E
    for b in range(0xA1, 0xE0):
        t[b] = 0xFF61 + (b - 0xA1)
    return t


def table_mulelao():
    t = list(range(128)) + [0] * 128
    t[0xA0] = 0x00A0
    for b in range(0xA1, 0x100):
        cp = 0x0E80 + (b - 0xA0)
        if unicodedata.category(chr(cp)) != "Cn":
            t[b] = cp
    return t


def table_kamenicky():
    t = table_py("cp437")
    for i, ch in enumerate(KAMENICKY_80_AF):
        t[0x80 + i] = ord(ch)
    return t


def build(kind, name):
    if kind == "py":
        return table_py(name)
    if kind == "iconv":
        return table_iconv(name)
    if kind == "perl":
        return table_perl(name)
    return {"ascii": table_ascii, "jisx0201": table_jisx0201,
            "mulelao": table_mulelao, "kamenicky": table_kamenicky}[kind]()


def main():
    w = sys.stdout.write
    w("// Generated by tools/gen_charset_tables.py; do not edit by hand.\n")
    w("// Upper halves (bytes 0x80..0xFF) of the single-byte charsets, as Unicode\n")
    w("// code points, 0 where a byte is unassigned; and the lower-half bytes that\n")
    w("// do not map to ASCII.\n\n")
    w('#include "charset_tables.h"\n\n')
    w("namespace chaffguard::mime::detail {\n\n")
    w("const SingleByteTable kSingleByteTables[] = {\n")
    lows = []
    for key, kind, name in CHARSETS:
        t = build(kind, name)
        for b in range(128):
            if t[b] != b:
                lows.append((key, b, t[b]))
        w('    {"%s",\n     {' % key)
        for i in range(128, 256):
            if i > 128 and (i - 128) % 8 == 0:
                w("\n      ")
            w("0x%04X," % t[i] if i < 255 else "0x%04X" % t[i])
        w("}},\n")
    w("};\n\n")
    w("const std::size_t kSingleByteTableCount = sizeof kSingleByteTables / sizeof kSingleByteTables[0];\n\n")
    w("const LowerHalfException kLowerHalfExceptions[] = {\n")
    for key, b, cp in lows:
        w('    {"%s", 0x%02X, 0x%04X},\n' % (key, b, cp))
    w("};\n\n")
    w("const std::size_t kLowerHalfExceptionCount =\n"
      "    sizeof kLowerHalfExceptions / sizeof kLowerHalfExceptions[0];\n\n")
    w("}  // namespace chaffguard::mime::detail\n")


if __name__ == "__main__":
    main()
