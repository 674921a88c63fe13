#!/usr/bin/python3
# Writes handmade.xls, a BIFF8 workbook built record by record, for what the LibreOffice .xls does
# not hold: saved text results of formulas (FORMULA followed by STRING, one of them continued in a
# CONTINUE record that switches from 8-bit to UTF-16 characters), truth, error and empty-text
# results, BOOLERR constants, a LABEL and a LABELSST cell, and a second sheet active (WINDOW1).
# Its Workbook stream is small enough to sit in the compound file's mini stream. Run once with
# /usr/bin/python3; the result is kept in the repository.
import os
import struct

from compound import compound_file

here = os.path.dirname(os.path.abspath(__file__))


def record(rid, body=b""):
    return struct.pack("<HH", rid, len(body)) + body


def wide(text):
    """XLUnicodeString with a 16-bit count, UTF-16 characters."""
    return struct.pack("<HB", len(text), 1) + text.encode("utf-16-le")


def short_wide(text):
    """ShortXLUnicodeString (8-bit count), as sheet names are stored."""
    return struct.pack("<BB", len(text), 1) + text.encode("utf-16-le")


def bof(kind):
    return record(0x0809, struct.pack("<HHHHII", 0x0600, kind, 0x0DBB, 0x07CC, 0, 6))


def cell(row, col, xf=15):
    return struct.pack("<HHH", row, col, xf)


def formula(row, col, value, rgce):
    # value: the 8 bytes of FormulaValue; grbit 0, chn 0, then the parsed expression.
    return record(0x0006, cell(row, col) + value + struct.pack("<HI", 0, 0) + struct.pack("<H", len(rgce)) + rgce)


def special(kind, data=0):
    """FormulaValue of a non-numeric result: 0 text (a STRING record follows), 1 truth, 2 error, 3 empty text."""
    return struct.pack("<BBBBBBH", kind, 0, data, 0, 0, 0, 0xFFFF)


def tstr(text):
    return struct.pack("<BBB", 0x17, len(text), 1) + text.encode("utf-16-le")


def dimensions(rows, cols):
    return record(0x0200, struct.pack("<IIHHH", 0, rows, 0, cols, 0))


def first_sheet():
    return (bof(0x0010) + dimensions(1, 1)
            + record(0x0204, cell(0, 0) + wide("first"))
            + record(0x000A))


def second_sheet():
    body = bof(0x0010) + dimensions(5, 6)
    body += record(0x00FD, cell(1, 1) + struct.pack("<I", 0))          # B2: 收款人账户 (shared string)
    body += record(0x0204, cell(1, 2) + wide("标签"))                   # C2: LABEL
    body += formula(2, 1, special(0), tstr("公式结果"))                  # B3: text result
    body += record(0x0207, wide("公式结果"))
    body += formula(2, 2, special(0), tstr("abcdefghij"))
    # C3: "abcd" as 8-bit characters, then "efghij" in a CONTINUE record as UTF-16.
    body += record(0x0207, struct.pack("<HB", 10, 0) + b"abcd")
    body += record(0x003C, b"\x01" + "efghij".encode("utf-16-le"))
    body += formula(2, 3, special(1, 1), b"\x1d\x01")                 # D3: TRUE
    body += formula(2, 4, special(2, 0x07), b"\x1c\x07")              # E3: #DIV/0!
    body += formula(2, 5, special(3), tstr(""))                        # F3: empty text
    body += record(0x0205, cell(3, 1) + struct.pack("<BB", 1, 0))      # B4: TRUE
    body += record(0x0205, cell(3, 2) + struct.pack("<BB", 0x2A, 1))   # C4: #N/A
    body += record(0x0203, cell(3, 3) + struct.pack("<d", 12.5))       # D4: 12.5
    body += record(0x027E, cell(3, 4) + struct.pack("<I", (100 << 2) | 2))  # E4: 100 as RK
    body += formula(4, 1, struct.pack("<d", 42.0), b"\x1e\x2a\x00")    # B5: 42
    body += record(0x0201, cell(4, 5))                                  # F5: BLANK (a format only)
    return body + record(0x000A)


def globals_stream(offsets):
    body = bof(0x0005)
    body += record(0x0042, struct.pack("<H", 1200))                      # CODEPAGE: UTF-16
    body += record(0x003D, struct.pack("<HHHHHHHHH", 0, 0, 16000, 9000, 0x38, 1, 0, 1, 600))  # WINDOW1
    body += record(0x0031, struct.pack("<HHHHHBBBB", 200, 0, 400, 0, 0, 0, 0, 0, 0) + short_wide("Arial"))
    for _ in range(16):
        body += record(0x00E0, struct.pack("<HHHBBBBIIH", 0, 0, 0xFFF5, 0x20, 0, 0, 0, 0, 0, 0x20C0))
    body += record(0x00E0, struct.pack("<HHHBBBBIIH", 0, 0, 0x0001, 0x20, 0, 0, 0, 0, 0, 0x20C0))
    for name, offset in zip(("第一页", "第二页"), offsets):
        body += record(0x0085, struct.pack("<IBB", offset, 0, 0) + short_wide(name))
    body += record(0x00FC, struct.pack("<II", 1, 1) + wide("收款人账户"))  # SST
    return body + record(0x000A)


# Two passes: the sheet offsets in BOUNDSHEET depend on the size of the globals.
size = len(globals_stream((0, 0)))
sheets = [first_sheet(), second_sheet()]
offsets = (size, size + len(sheets[0]))
workbook = globals_stream(offsets) + b"".join(sheets)
assert len(workbook) < 4096
with open(os.path.join(here, "handmade.xls"), "wb") as f:
    f.write(compound_file([("Workbook", workbook)]))
