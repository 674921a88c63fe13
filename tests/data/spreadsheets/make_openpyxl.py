#!/usr/bin/python3
# Writes openpyxl.xlsx, a workbook as openpyxl saves it (inline strings, a formula without a saved
# result, a whole-column text format, a styled cell without a value), for the spreadsheet reader tests.
# Run once with /usr/bin/python3 (Debian's python3-openpyxl); the result is kept in the repository.
import datetime
import os

import openpyxl
from openpyxl.styles import PatternFill

here = os.path.dirname(os.path.abspath(__file__))
wb = openpyxl.Workbook()
cover = wb.active
cover.title = "说明"
cover["A1"] = "first sheet, never read"

ws = wb.create_sheet("名单")
ws["C3"] = "收款人账户"
ws["D3"] = "收款人名称"
ws["E3"] = "金额"
ws["C4"] = "6222020200012345678"
ws["D4"] = "张三"
ws["E4"] = "100.00"
ws["C5"] = 12.5
ws["D5"] = True
ws["E5"] = datetime.date(2020, 12, 31)
ws["C6"] = '=C4&"x"'
ws["D6"] = "  前后空格  "
ws["E6"] = 'A&B <c> "q"'
ws["F8"] = "末格"
# Formats without values must not widen the used range.
ws["H12"].fill = PatternFill("solid", fgColor="FFFF00")
ws.column_dimensions["J"].number_format = "@"

wb.active = 1
wb.save(os.path.join(here, "openpyxl.xlsx"))
