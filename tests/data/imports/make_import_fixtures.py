#!/usr/bin/python3
# Writes the workbooks for the import tests of the screens: each layout once by openpyxl
# (NAME.openpyxl.xlsx), then opened and saved by LibreOffice Calc as .xls (BIFF8) and .xlsx
# (NAME.libreoffice.xls, NAME.libreoffice.xlsx). Needs python3-openpyxl and libreoffice-calc-nogui;
# run once with /usr/bin/python3, the results are kept in the repository. Names given on the
# command line write only those layouts.
import datetime
import os
import shutil
import subprocess
import sys
import tempfile

import openpyxl

here = os.path.dirname(os.path.abspath(__file__))
HEADER = ["收款人账户", "收款人名称", "金额"]


def book(rows_by_sheet, active=0):
    wb = openpyxl.Workbook()
    wb.remove(wb.active)
    for title, rows in rows_by_sheet:
        ws = wb.create_sheet(title)
        for (r, c), value in rows.items():
            ws.cell(row=r, column=c, value=value)
    wb.active = active
    return wb


def grid(first_row, lines, first_col=1):
    cells = {}
    for i, line in enumerate(lines):
        for j, value in enumerate(line):
            if value is not None:
                cells[(first_row + i, first_col + j)] = value
    return cells


def formats_book():
    wb = book([("Sheet1", grid(1, [["收款人账号", "收款人名称", "开户行", "联行号", "金额", "付款用途"],
                                   ["6222020200012345", "王珅", "", "104306114010", 1500, "工资"],
                                   ["6222020200012346", "赵弢", "", "104306114010", 5200.5, "工资"]]))])
    wb.active["E2"].number_format = '"¥"#,##0.00'
    wb.active["E3"].number_format = "0"
    return wb


layouts = {
    # header, a row, an empty row, a row
    "batch_rows": book([("Sheet1", grid(1, [HEADER, ["1234567890", "甲公司", "100"], [None, None, None],
                                            ["1234567891", "王珅", "12.5"]]))]),
    # no header, number cells: a 13-digit account and 5200.5 taken, 1234.567 refused by the amount rule,
    # a date that stops the import, a row after it never read
    "batch_number": book([("Sheet1", grid(1, [[1234567890123, "甲公司", 5200.5], ["1234567891", "乙公司", 1234.567],
                                              ["1234567892", "丙公司", datetime.date(2020, 12, 31)],
                                              ["1234567893", "丁公司", "4"]]))]),
    # the active sheet is the second one
    "batch_active_second": book([("第一页", grid(1, [HEADER, ["1111111111", "不该读到", "1"]])),
                                 ("第二页", grid(1, [HEADER, ["2222222222", "活动页", "2"]]))], active=1),
    # the used range begins in row 3: nothing in rows 1 and 2
    "batch_offset": book([("Sheet1", grid(3, [["1234567890", "甲公司", "1"], ["1234567891", "乙公司", "2"],
                                              ["1234567892", "丙公司", "3"]]))]),
    # the bank's template: marker in A1, anything in rows 2 to 12, lines from row 13
    "payroll_template": book([("Sheet1", {**{(1, 1): "JIAMBZ 跨行代发模板", (5, 2): 12345, (8, 3): "说明"},
                                          **grid(13, [["6222020200012345", "王珅", "中国银行海安支行", "104306114010",
                                                       "8500", "工资"],
                                                      ["6228480010012345678", "李晓梅", "", "103306114012",
                                                       "7200.5", ""]])})]),
    "payroll_template_short": book([("Sheet1", {(1, 1): "JIAMBZ", (10, 1): "6222020200012345"})]),
    # no marker: the header row is read like data
    "payroll_header": book([("Sheet1", grid(1, [["收款人账号", "收款人名称", "开户行", "联行号", "金额", "付款用途"],
                                                ["6222020200012345", "王珅", "中国银行", "104306114010", "1", "工资"],
                                                ["6222020200012346", "赵弢", "", "104306114010", "2", ""]]))]),
    # the payroll roster: account, amount, name, remark; a header row, an amount stored as a number,
    # then a date that stops the import
    "roster_number": book([("Sheet1", grid(1, [["收款人账号", "金额", "收款人名称", "备注"],
                                               ["6222020200012345", 100, "王珅", "一月"],
                                               ["6222020200012346", datetime.date(2020, 12, 31), "赵弢", ""],
                                               ["6222020200012347", "300", "钱七", ""]]))]),
    # no header; number cells as spreadsheet programs store them: a 15-digit account, a routing code
    # and 5200.5; 1234.567; an 18-digit account that is already 6.22202E+18
    "payroll_numbers": book([("Sheet1", grid(1, [[622202020001234, "王珅", "", 104306114010, 5200.5, "工资"],
                                                 ["6222020200012346", "赵弢", "", "104306114010", 1234.567, ""],
                                                 [6222020200012345678, "钱七", "", "104306114010", "100", ""],
                                                 ["6222020200012347", "孙八", "", "104306114010", "1", ""]]))]),
    # number formats: a currency amount as stored, then an amount whose format rounds it (5200.5 shown as 5201)
    "payroll_formats": formats_book(),
    "roster_rows": book([("Sheet1", grid(1, [["6222020200012345", "100", "王珅", "一月"],
                                             [None, None, None, None],
                                             ["123", "5", "短账号", ""],
                                             ["6222020200012347", "300", "钱七", ""]]))]),
}

wanted = sys.argv[1:] or list(layouts)
layouts = {name: wb for name, wb in layouts.items() if name in wanted}
for name, wb in layouts.items():
    wb.save(os.path.join(here, name + ".openpyxl.xlsx"))

with tempfile.TemporaryDirectory() as tmp:
    profile = "-env:UserInstallation=file://" + os.path.join(tmp, "profile")
    for name in layouts:
        source = os.path.join(here, name + ".openpyxl.xlsx")
        for fmt, ext in (("xls:MS Excel 97", "xls"), ("xlsx:Calc MS Excel 2007 XML", "xlsx")):
            out = os.path.join(tmp, ext)
            os.makedirs(out, exist_ok=True)
            subprocess.run(["soffice", profile, "--headless", "--convert-to", fmt, "--outdir", out, source],
                           check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            shutil.move(os.path.join(out, name + ".openpyxl." + ext),
                        os.path.join(here, name + ".libreoffice." + ext))
