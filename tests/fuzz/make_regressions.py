#!/usr/bin/python3
# Writes the hostile workbooks under regressions/ that the ordinary tests import and the fuzz
# targets replay, and the seeds/ that give the .xlsx fuzzer packages whose parts are stored
# uncompressed (so that its mutations reach the XML). Run once with /usr/bin/python3 from any
# folder; the results are kept in the repository.
#
#   zip-bomb.xlsx             a 1.5 MB package whose sheet inflates to 1.5 GB (sizes declared)
#   zip-bomb-small-size.xlsx  the same sheet, its declared size patched to 2 KB
#   many-cells.xlsx           a 70 KB package whose sheet holds 2.5 million number cells
#   fat-amplified-16k.xls     compound files whose FAT sector is listed hundreds of times and
#   fat-amplified-64k.xls       whose directory chain loops through itself (16, 64, 256 KB)
#   fat-amplified-256k.xls
#   huge-dimensions.xls       3 KB: a DIMENSIONS record of 65536 rows by 256 columns over two
#                             cells, and the FAT sector listed twice in the header. The FreeXL-based
#                             reader accepted it after 1.8 s and 300 MB (it sized its cell grid by
#                             DIMENSIONS); a sector listed twice is damage.
#
# Sound files of shapes other programs save, which every reader must take:
#   short-last-sector.xls     the file ends with the Workbook stream, inside its last 512-byte
#                             sector (exports that do not pad the file); A300 holds 300
#   old-formula-id.xls        FORMULA records under the BIFF3/4 id 0x0406 inside a BIFF8 stream: A1
#                             holds the number 42, B1 the text "旧公式"
#   empty-shared-string.xlsx  <c t="s"><v/></c> in A1 (an empty cell), B1 shared string 0 "x"
#   nested-entities.xlsx      5 KB: a sheet whose DTD nests empty entities five deep, ten of
#                             each in the next; refused at once, whatever the depth
import os
import struct
import sys
import zipfile
import zlib

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "data", "spreadsheets"))
from compound import compound_file  # noqa: E402

MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG = "http://schemas.openxmlformats.org/package/2006/relationships"

CONTENT_TYPES = (
    '<?xml version="1.0" encoding="UTF-8"?>'
    '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
    '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
    '<Default Extension="xml" ContentType="application/xml"/>'
    '<Override PartName="/xl/workbook.xml" '
    'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
    '<Override PartName="/xl/worksheets/sheet1.xml" '
    'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
    '</Types>')
ROOT_RELS = ('<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="%s">'
             '<Relationship Id="rId1" Type="%s/officeDocument" Target="xl/workbook.xml"/>'
             '</Relationships>' % (PKG, REL))
WORKBOOK = ('<?xml version="1.0" encoding="UTF-8"?><workbook xmlns="%s" xmlns:r="%s">'
            '<sheets><sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets></workbook>' % (MAIN, REL))
WORKBOOK_RELS = ('<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="%s">'
                 '<Relationship Id="rId1" Type="%s/worksheet" Target="worksheets/sheet1.xml"/>'
                 '</Relationships>' % (PKG, REL))
SHEET_HEAD = '<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="%s"><sheetData>' % MAIN
SHEET_TAIL = '</sheetData></worksheet>'


def package(path, sheet_chunks, compression=zipfile.ZIP_DEFLATED):
    with zipfile.ZipFile(path, "w", compression, compresslevel=9) as z:
        z.writestr("[Content_Types].xml", CONTENT_TYPES)
        z.writestr("_rels/.rels", ROOT_RELS)
        z.writestr("xl/workbook.xml", WORKBOOK)
        z.writestr("xl/_rels/workbook.xml.rels", WORKBOOK_RELS)
        with z.open("xl/worksheets/sheet1.xml", "w") as part:
            for chunk in sheet_chunks:
                part.write(chunk)


def bomb_chunks(total):
    # A first row with a text cell, then rows of whitespace: nothing a reader could keep, so
    # only a bound on the bytes read ends the work.
    yield (SHEET_HEAD + '<row r="1"><c r="A1" t="inlineStr"><is><t>x</t></is></c></row>').encode()
    block = b" " * (1 << 20)
    written = 0
    while written < total:
        yield block
        written += len(block)
    yield SHEET_TAIL.encode()


def many_cells_chunks(count):
    yield SHEET_HEAD.encode()
    row = b"<row>" + b"<c><v>1</v></c>" * 16 + b"</row>"
    for _ in range(count // 16):
        yield row * 1
    yield SHEET_TAIL.encode()


def patch_declared_size(path, part, size):
    """Rewrites the uncompressed size of one entry in its local header and the central directory."""
    data = bytearray(open(path, "rb").read())
    name = part.encode()
    with zipfile.ZipFile(path) as z:
        info = z.getinfo(part)
    struct.pack_into("<I", data, info.header_offset + 22, size)
    pos = data.find(b"PK\x01\x02")
    while pos >= 0:
        name_length = struct.unpack_from("<H", data, pos + 28)[0]
        if bytes(data[pos + 46:pos + 46 + name_length]) == name:
            struct.pack_into("<I", data, pos + 24, size)
        pos = data.find(b"PK\x01\x02", pos + 4)
    open(path, "wb").write(bytes(data))


def fat_amplified(path, size):
    """A compound file of size bytes: sector 0 is the only FAT sector, listed in the header's
    109 DIFAT slots and 127 times in every one of the DIFAT sectors 2..n-1; the directory in
    sector 1 is a chain whose FAT entry points back at itself."""
    sectors = size // 512 - 1
    END, FREE, FATSECT, DIFSECT = 0xFFFFFFFE, 0xFFFFFFFF, 0xFFFFFFFD, 0xFFFFFFFC
    fat = [FATSECT, 1] + [DIFSECT] * (sectors - 2)
    fat += [FREE] * (128 - len(fat) % 128 if len(fat) % 128 else 0)
    fat_sector = b"".join(struct.pack("<I", v) for v in fat[:128])
    root = ("Root Entry".encode("utf-16-le") + b"\0\0").ljust(64, b"\0")
    root += struct.pack("<HBB", 22, 5, 1) + struct.pack("<III", FREE, FREE, 1) + b"\0" * 36
    root += struct.pack("<III", END, 0, 0)
    book = ("Workbook".encode("utf-16-le") + b"\0\0").ljust(64, b"\0")
    book += struct.pack("<HBB", 18, 2, 1) + struct.pack("<III", FREE, FREE, FREE) + b"\0" * 36
    book += struct.pack("<III", 1, 512, 0)
    directory = (root + book).ljust(512, b"\0")
    difat = []
    for i in range(2, sectors):
        following = i + 1 if i + 1 < sectors else END
        difat.append(struct.pack("<I", 0) * 127 + struct.pack("<I", following))
    fat_count = 109 + 127 * len(difat)
    head = (b"\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1" + b"\0" * 16
            + struct.pack("<HHHHH", 0x3E, 3, 0xFFFE, 9, 6) + b"\0" * 6
            + struct.pack("<IIIIIIIII", 0, fat_count, 1, 0, 4096, END, 0, 2 if difat else END, len(difat))
            + struct.pack("<I", 0) * 109)
    data = head + fat_sector + directory + b"".join(difat)
    assert len(data) == size, (len(data), size)
    open(path, "wb").write(data)


def record(rid, body=b""):
    return struct.pack("<HH", rid, len(body)) + body


def bof(kind):
    return record(0x0809, struct.pack("<HHHHII", 0x0600, kind, 0x0DBB, 0x07CC, 0, 6))


def short_wide(text):
    return struct.pack("<BB", len(text), 1) + text.encode("utf-16-le")


def biff_globals(offset, extra=b""):
    """The globals of a BIFF8 workbook whose one sheet starts at offset; extra goes before EOF."""
    body = bof(0x0005)
    body += record(0x0042, struct.pack("<H", 1200))
    body += record(0x003D, struct.pack("<HHHHHHHHH", 0, 0, 16000, 9000, 0x38, 0, 0, 1, 600))
    body += record(0x0031, struct.pack("<HHHHHBBBB", 200, 0, 400, 0, 0, 0, 0, 0, 0) + short_wide("Arial"))
    for _ in range(16):
        body += record(0x00E0, struct.pack("<HHHBBBBIIH", 0, 0, 0xFFF5, 0x20, 0, 0, 0, 0, 0, 0x20C0))
    body += record(0x00E0, struct.pack("<HHHBBBBIIH", 0, 0, 0x0001, 0x20, 0, 0, 0, 0, 0, 0x20C0))
    body += record(0x0085, struct.pack("<IBB", offset, 0, 0) + short_wide("Sheet1"))
    return body + extra + record(0x000A)


def biff_workbook(sheet_records, extra=b""):
    """A Workbook stream: the globals, then one worksheet of the given cell records."""
    sheet = bof(0x0010) + sheet_records + record(0x000A)
    return biff_globals(len(biff_globals(0, extra)), extra) + sheet


def huge_dimensions(path):
    sheet = record(0x0200, struct.pack("<IIHHH", 0, 65536, 0, 256, 0))  # DIMENSIONS
    sheet += record(0x00FD, struct.pack("<HHHI", 0, 0, 15, 0))          # A1: string 0
    sheet += record(0x0203, struct.pack("<HHHd", 65535, 255, 15, 1.0))  # IV65536: 1
    workbook = biff_workbook(sheet, record(0x00FC, struct.pack("<II", 1, 1) + struct.pack("<HB", 1, 0) + b"x"))
    data = bytearray(compound_file([("Workbook", workbook)]))
    struct.pack_into("<I", data, 0x4C + 4, struct.unpack_from("<I", data, 0x4C)[0])
    struct.pack_into("<I", data, 0x2C, 2)
    open(path, "wb").write(bytes(data))


def short_last_sector(path):
    """FAT in sector 0, directory in 1, the Workbook stream from sector 2 to the end of the file,
    which stops where the stream does."""
    END, FREE, FATSECT = 0xFFFFFFFE, 0xFFFFFFFF, 0xFFFFFFFD
    cells = b"".join(record(0x0203, struct.pack("<HHHd", r, 0, 15, float(r + 1))) for r in range(300))
    workbook = biff_workbook(cells)
    assert len(workbook) > 4096 and len(workbook) % 512
    count = (len(workbook) + 511) // 512
    fat = [FATSECT, END] + [3 + i for i in range(count - 1)] + [END]
    fat += [FREE] * (128 - len(fat))
    root = ("Root Entry".encode("utf-16-le") + b"\0\0").ljust(64, b"\0")
    root += struct.pack("<HBB", 22, 5, 1) + struct.pack("<III", FREE, FREE, 1) + b"\0" * 36
    root += struct.pack("<III", END, 0, 0)
    book = ("Workbook".encode("utf-16-le") + b"\0\0").ljust(64, b"\0")
    book += struct.pack("<HBB", 18, 2, 1) + struct.pack("<III", FREE, FREE, FREE) + b"\0" * 36
    book += struct.pack("<III", 2, len(workbook), 0)
    head = (b"\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1" + b"\0" * 16
            + struct.pack("<HHHHH", 0x3E, 3, 0xFFFE, 9, 6) + b"\0" * 6
            + struct.pack("<IIIIIIIII", 0, 1, 1, 0, 4096, END, 0, END, 0)
            + struct.pack("<I", 0) + struct.pack("<I", FREE) * 108)
    data = head + b"".join(struct.pack("<I", v) for v in fat) + (root + book).ljust(512, b"\0") + workbook
    open(path, "wb").write(data)


def old_formula_id(path):
    ptg_int = b"\x1e\x2a\x00"  # =42
    number = record(0x0406, struct.pack("<HHHdHIH", 0, 0, 15, 42.0, 0, 0, len(ptg_int)) + ptg_int)
    text_result = struct.pack("<HHHBBBBHHIH", 0, 1, 15, 0, 0, 0, 0, 0, 0xFFFF, 0, len(ptg_int)) + ptg_int
    text = "旧公式"
    string = record(0x0207, struct.pack("<HB", len(text), 1) + text.encode("utf-16-le"))
    open(path, "wb").write(compound_file([("Workbook", biff_workbook(number + record(0x0406, text_result) + string))]))


def xlsx_parts(path, parts):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, text in parts:
            z.writestr(name, text)


def empty_shared_string(path):
    rels = WORKBOOK_RELS.replace("</Relationships>", '<Relationship Id="rId2" Type="%s/sharedStrings" '
                                 'Target="sharedStrings.xml"/></Relationships>' % REL)
    sheet = SHEET_HEAD + '<row r="1"><c r="A1" t="s"><v/></c><c r="B1" t="s"><v>0</v></c></row>' + SHEET_TAIL
    strings = '<?xml version="1.0" encoding="UTF-8"?><sst xmlns="%s" count="1" uniqueCount="1"><si><t>x</t></si></sst>' % MAIN
    xlsx_parts(path, [("[Content_Types].xml", CONTENT_TYPES), ("_rels/.rels", ROOT_RELS),
                      ("xl/workbook.xml", WORKBOOK), ("xl/_rels/workbook.xml.rels", rels),
                      ("xl/worksheets/sheet1.xml", sheet), ("xl/sharedStrings.xml", strings)])


def nested_entities(path):
    names = "abcdef"
    dtd = '<!ENTITY a "">' + "".join('<!ENTITY %s "%s">' % (n, ("&%s;" % p) * 10) for p, n in zip(names, names[1:]))
    sheet = SHEET_HEAD.replace("<worksheet", "<!DOCTYPE worksheet [%s]><worksheet" % dtd)
    sheet += ('<row r="1"><c r="A1" t="inlineStr"><is><t>&f;</t></is></c></row>' * 40) + SHEET_TAIL
    xlsx_parts(path, [("[Content_Types].xml", CONTENT_TYPES), ("_rels/.rels", ROOT_RELS),
                      ("xl/workbook.xml", WORKBOOK), ("xl/_rels/workbook.xml.rels", WORKBOOK_RELS),
                      ("xl/worksheets/sheet1.xml", sheet)])


def stored_copy(source, target):
    """The same package with every part stored uncompressed."""
    with zipfile.ZipFile(source) as src, zipfile.ZipFile(target, "w", zipfile.ZIP_STORED) as dst:
        for info in src.infolist():
            dst.writestr(info.filename, src.read(info.filename))


def main():
    xlsx_dir = os.path.join(here, "regressions", "fuzz_xlsx_reader")
    xls_dir = os.path.join(here, "regressions", "fuzz_xls_reader")
    os.makedirs(xlsx_dir, exist_ok=True)
    os.makedirs(xls_dir, exist_ok=True)

    bomb = os.path.join(xlsx_dir, "zip-bomb.xlsx")
    package(bomb, bomb_chunks(1536 * 1024 * 1024))
    small = os.path.join(xlsx_dir, "zip-bomb-small-size.xlsx")
    package(small, bomb_chunks(1536 * 1024 * 1024))
    patch_declared_size(small, "xl/worksheets/sheet1.xml", 2048)
    package(os.path.join(xlsx_dir, "many-cells.xlsx"), many_cells_chunks(2500000))

    for kb in (16, 64, 256):
        fat_amplified(os.path.join(xls_dir, "fat-amplified-%dk.xls" % kb), kb * 1024)
    huge_dimensions(os.path.join(xls_dir, "huge-dimensions.xls"))
    short_last_sector(os.path.join(xls_dir, "short-last-sector.xls"))
    old_formula_id(os.path.join(xls_dir, "old-formula-id.xls"))
    empty_shared_string(os.path.join(xlsx_dir, "empty-shared-string.xlsx"))
    nested_entities(os.path.join(xlsx_dir, "nested-entities.xlsx"))

    seeds = os.path.join(here, "seeds", "fuzz_xlsx_reader")
    os.makedirs(seeds, exist_ok=True)
    data = os.path.join(here, "..", "data")
    for folder in ("spreadsheets", "imports"):
        for name in sorted(os.listdir(os.path.join(data, folder))):
            if name.endswith(".xlsx") and not name.startswith("encrypted"):
                stored_copy(os.path.join(data, folder, name), os.path.join(seeds, "stored-" + name))


if __name__ == "__main__":
    main()
