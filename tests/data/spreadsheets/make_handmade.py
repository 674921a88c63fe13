#!/usr/bin/python3
# Writes handmade.xlsx from literal XML, to pin down what other writers (Excel among them) put in a
# workbook and openpyxl does not: shared strings with rich-text runs and phonetic runs, escaped
# characters (_xHHHH_), cells and rows without their r attribute, a prefixed main namespace,
# non-default part names resolved through the relationships, and a <dimension> that claims the
# whole sheet. Run once; the result is kept in the repository and is also the source of the
# LibreOffice files (make_libreoffice.py).
import os
import zipfile

here = os.path.dirname(os.path.abspath(__file__))

MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG = "http://schemas.openxmlformats.org/package/2006/relationships"

content_types = f"""<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>
<Override PartName="/xl/wb.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>
<Override PartName="/xl/sheets/alpha.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>
<Override PartName="/xl/sheets/zeta.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>
<Override PartName="/xl/sheets/empty.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>
<Override PartName="/xl/strings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>
<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>
</Types>"""

root_rels = f"""<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="{PKG}">
<Relationship Id="rId1" Type="{REL}/officeDocument" Target="xl/wb.xml"/>
</Relationships>"""

# Sheet order in the workbook differs from the order of the relationships and the part names.
wb_rels = f"""<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="{PKG}">
<Relationship Id="rId9" Type="{REL}/sharedStrings" Target="strings.xml"/>
<Relationship Id="rId7" Type="{REL}/worksheet" Target="/xl/sheets/zeta.xml"/>
<Relationship Id="rId5" Type="{REL}/worksheet" Target="sheets/empty.xml"/>
<Relationship Id="rId3" Type="{REL}/worksheet" Target="sheets/alpha.xml"/>
<Relationship Id="rId2" Type="{REL}/styles" Target="styles.xml"/>
</Relationships>"""

workbook = f"""<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<x:workbook xmlns:x="{MAIN}" xmlns:r="{REL}">
<x:bookViews><x:workbookView xWindow="0" yWindow="0" windowWidth="16000" windowHeight="9000" activeTab="1"/></x:bookViews>
<x:sheets>
<x:sheet name="封面" sheetId="1" r:id="rId3"/>
<x:sheet name="数据" sheetId="4" r:id="rId7"/>
<x:sheet name="空表" sheetId="2" r:id="rId5"/>
</x:sheets>
</x:workbook>"""

styles = f"""<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<styleSheet xmlns="{MAIN}">
<numFmts count="1"><numFmt numFmtId="164" formatCode="yyyy-mm-dd"/></numFmts>
<fonts count="2"><font><sz val="11"/><name val="Calibri"/></font><font><b/><sz val="11"/><name val="Calibri"/></font></fonts>
<fills count="3"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill>
<fill><patternFill patternType="solid"><fgColor rgb="FFFFFF00"/></patternFill></fill></fills>
<borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders>
<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>
<cellXfs count="4">
<xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/>
<xf numFmtId="49" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>
<xf numFmtId="0" fontId="0" fillId="2" borderId="0" xfId="0" applyFill="1"/>
<xf numFmtId="164" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>
</cellXfs>
</styleSheet>"""

# 0: rich text in two runs, with a phonetic run that is not part of the value
# 1: an escaped carriage return before a real line feed
# 2: spaces kept at both ends
# 3: an escaped underscore, so the text is literally _x0041_
shared = f"""<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<sst xmlns="{MAIN}" count="4" uniqueCount="4">
<si><r><rPr><b/><sz val="11"/></rPr><t>收款人</t></r><r><t>账户</t></r><rPh sb="0" eb="2"><t>ショウ</t></rPh><phoneticPr fontId="1"/></si>
<si><t>line1_x000D_
line2</t></si>
<si><t xml:space="preserve"> 两端空格 </t></si>
<si><t>_x005F_x0041_</t></si>
</sst>"""

cover = f"""<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="{MAIN}"><sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>cover</t></is></c></row></sheetData></worksheet>"""

empty = f"""<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="{MAIN}"><dimension ref="A1"/><sheetData/></worksheet>"""

# Values in B2:F7; formats alone elsewhere (the column format over the whole sheet, the styled D2,
# row 9 and H20) must not count.
data = f"""<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="{MAIN}">
<dimension ref="A1:XFD1048576"/>
<cols><col min="1" max="16384" width="9" style="1"/></cols>
<sheetData>
<row r="2"><c r="B2" t="s"><v>0</v></c><c r="C2" t="s"><v>1</v></c><c r="D2" s="2"/></row>
<row><c r="B3" t="inlineStr"><is><t>6222020200012345678</t></is></c><c t="str"><f>"abc"&amp;"def"</f><v>abcdef</v></c><c t="b"><v>0</v></c></row>
<row r="5"><c r="B5" t="e"><v>#DIV/0!</v></c><c r="C5" t="d"><v>2020-12-31T00:00:00</v></c><c r="D5" s="3"><v>44196</v></c><c r="E5" t="n"><v>1.5E3</v></c></row>
<row r="6"><c r="B6" t="inlineStr"><is><t>A&amp;B &lt;c&gt; &quot;q&quot; &#x6536;</t></is></c><c r="C6" t="s"><v>2</v></c><c r="D6" t="str"><f>NOW()</f></c></row>
<row r="7"><c r="F7" t="s"><v>3</v></c></row>
<row r="9" s="2" customFormat="1"/>
<row r="20"><c r="H20" s="2"/></row>
</sheetData>
</worksheet>"""

with zipfile.ZipFile(os.path.join(here, "handmade.xlsx"), "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("[Content_Types].xml", content_types)
    z.writestr("_rels/.rels", root_rels)
    z.writestr("xl/wb.xml", workbook)
    z.writestr("xl/_rels/wb.xml.rels", wb_rels)
    z.writestr("xl/styles.xml", styles)
    z.writestr("xl/strings.xml", shared)
    z.writestr("xl/sheets/alpha.xml", cover)
    z.writestr("xl/sheets/zeta.xml", data)
    z.writestr("xl/sheets/empty.xml", empty)
