#!/usr/bin/python3
# Writes records.xls, a BIFF8 workbook for the record kinds that neither handmade.xls nor the
# LibreOffice file holds: a shared string table over three CONTINUE records (one string's
# characters switch from 8-bit to UTF-16 at a record boundary, one string's formatting runs and
# phonetic block are split by a boundary), RSTRING, MULRK, MULBLANK, a chart substream inside the
# sheet whose cell records must be ignored, DIMENSIONS that lie, and WINDOW1 naming a chart sheet
# (so the first worksheet is read). Its Workbook stream is larger than 4096 bytes, so it lives in
# regular sectors. Run once with /usr/bin/python3; the result is kept in the repository.
import os
import struct

from compound import compound_file

here = os.path.dirname(os.path.abspath(__file__))


def record(rid, body=b""):
    return struct.pack("<HH", rid, len(body)) + body


def bof(kind):
    return record(0x0809, struct.pack("<HHHHII", 0x0600, kind, 0x0DBB, 0x07CC, 0, 6))


def short_wide(text):
    return struct.pack("<BB", len(text), 1) + text.encode("utf-16-le")


def cell(row, col, xf=15):
    return struct.pack("<HHH", row, col, xf)


def rk_int(value):
    return (value << 2) | 2


def sst():
    """The table as the bodies of SST and its CONTINUE records."""
    # String 0: 300 8-bit characters, the last 100 of them in the next record as UTF-16.
    first = struct.pack("<II", 4, 4) + struct.pack("<HB", 300, 0) + b"a" * 200
    cont1 = b"\x01" + ("b" * 99 + "收").encode("utf-16-le")
    # String 1: rich text with 2 runs and a 6-byte phonetic block, split inside the runs.
    cont1 += struct.pack("<HBHI", 3, 0x0D, 2, 6) + "张三丰".encode("utf-16-le") + b"\x00\x00\x01\x00"
    cont2 = b"\x02\x00\x02\x00" + b"PHONET"
    # String 2: empty; string 3: plain 8-bit.
    cont2 += struct.pack("<HB", 0, 0) + struct.pack("<HB", 5, 0) + b"hello"
    return [first, cont1, cont2]


def worksheet():
    body = bof(0x0010)
    body += record(0x0200, struct.pack("<IIHHH", 0, 2, 0, 2, 0))  # DIMENSIONS: A1:B2, a lie
    body += record(0x00FD, cell(0, 0) + struct.pack("<I", 0))     # A1: string 0
    body += record(0x00FD, cell(0, 1) + struct.pack("<I", 1))     # B1: string 1
    body += record(0x00FD, cell(0, 2) + struct.pack("<I", 2))     # C1: empty string
    body += record(0x00FD, cell(0, 3) + struct.pack("<I", 3))     # D1: hello
    rstring = struct.pack("<HB", 4, 1) + "富文本格".encode("utf-16-le") + struct.pack("<H", 1) + b"\0\0\0\0"
    body += record(0x00D6, cell(1, 0) + rstring)                  # A2: RSTRING
    # B3:D3 numbers in one MULRK, E3:G3 formats only in one MULBLANK.
    mulrk = struct.pack("<HH", 2, 1) + b"".join(struct.pack("<HI", 15, rk_int(v)) for v in (7, 8, 9))
    body += record(0x00BD, mulrk + struct.pack("<H", 3))
    body += record(0x00BE, struct.pack("<HH", 2, 4) + struct.pack("<HHH", 15, 15, 15) + struct.pack("<H", 6))
    # An embedded chart: its own BOF/EOF with a LABEL that is not a cell of the sheet.
    body += bof(0x0020) + record(0x0204, cell(5, 5) + struct.pack("<HB", 5, 0) + b"chart") + record(0x000A)
    # A long LABEL (3000 UTF-16 characters) continued in a CONTINUE record, in H20.
    text = ("长" * 3000).encode("utf-16-le")
    label = cell(19, 7) + struct.pack("<HB", 3000, 1) + text[:4000]
    body += record(0x0204, label) + record(0x003C, b"\x01" + text[4000:])
    return body + record(0x000A)


def chart_sheet():
    return bof(0x0020) + record(0x000A)


def globals_stream(offsets):
    body = bof(0x0005)
    body += record(0x0042, struct.pack("<H", 1200))
    body += record(0x003D, struct.pack("<HHHHHHHHH", 0, 0, 16000, 9000, 0x38, 1, 0, 1, 600))  # tab 1: the chart
    body += record(0x0031, struct.pack("<HHHHHBBBB", 200, 0, 400, 0, 0, 0, 0, 0, 0) + short_wide("Arial"))
    for _ in range(16):
        body += record(0x00E0, struct.pack("<HHHBBBBIIH", 0, 0, 0xFFF5, 0x20, 0, 0, 0, 0, 0, 0x20C0))
    body += record(0x00E0, struct.pack("<HHHBBBBIIH", 0, 0, 0x0001, 0x20, 0, 0, 0, 0, 0, 0x20C0))
    body += record(0x0085, struct.pack("<IBB", offsets[0], 0, 0) + short_wide("数据"))
    body += record(0x0085, struct.pack("<IBB", offsets[1], 0, 2) + short_wide("图表"))
    parts = sst()
    body += record(0x00FC, parts[0])
    for part in parts[1:]:
        body += record(0x003C, part)
    return body + record(0x000A)


size = len(globals_stream((0, 0)))
sheets = [worksheet(), chart_sheet()]
offsets = (size, size + len(sheets[0]))
workbook = globals_stream(offsets) + b"".join(sheets)
assert len(workbook) > 4096
with open(os.path.join(here, "records.xls"), "wb") as f:
    f.write(compound_file([("Workbook", workbook)]))
