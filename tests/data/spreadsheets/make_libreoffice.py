#!/usr/bin/python3
# Writes the LibreOffice-made workbooks for the spreadsheet reader tests: handmade.xlsx opened in
# LibreOffice Calc and saved as libreoffice.xlsx and libreoffice.xls (BIFF8), and the .xls once more
# with the password "secret" to open as encrypted.xls (make_encrypted.py makes the encrypted .xlsx,
# LibreOffice's OOXML encryption does not work from a script). Needs the Debian packages
# libreoffice-calc-nogui and python3-uno; run once with /usr/bin/python3, the results are kept in
# the repository (the tests never start LibreOffice).
import os
import subprocess
import tempfile
import time

import uno
from com.sun.star.beans import PropertyValue

here = os.path.dirname(os.path.abspath(__file__))


def props(**values):
    result = []
    for name, value in values.items():
        p = PropertyValue()
        p.Name = name
        p.Value = value
        result.append(p)
    return tuple(result)


def url(name):
    return uno.systemPathToFileUrl(os.path.join(here, name))


with tempfile.TemporaryDirectory() as profile:
    pipe = "dxbk_make_%d" % os.getpid()
    office = subprocess.Popen([
        "soffice", "--headless", "--invisible", "--norestore", "--nologo",
        "-env:UserInstallation=" + uno.systemPathToFileUrl(profile),
        "--accept=pipe,name=%s;urp;" % pipe])
    try:
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
        for _ in range(100):
            try:
                ctx = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
                break
            except Exception:
                time.sleep(0.2)
        else:
            raise SystemExit("LibreOffice did not start")
        desktop = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)
        doc = desktop.loadComponentFromURL(url("handmade.xlsx"), "_blank", 0, props(Hidden=True))
        # Formulas that come with a saved result are not calculated on loading, and LibreOffice's
        # .xls export then saves 0 for text and truth results; entered again, they are calculated.
        data = doc.Sheets.getByName("数据")
        for name in ("C3", "D3", "D6"):
            cell = data.getCellRangeByName(name)
            formula = cell.getFormula()
            if formula.startswith("="):
                cell.setString("")
                cell.setFormula(formula)
        doc.calculateAll()
        doc.storeToURL(url("libreoffice.xlsx"), props(FilterName="Calc MS Excel 2007 XML"))
        doc.storeToURL(url("libreoffice.xls"), props(FilterName="MS Excel 97"))
        doc.storeToURL(url("encrypted.xls"), props(FilterName="MS Excel 97", Password="secret"))
        doc.close(True)
        try:
            desktop.terminate()
        except Exception:
            pass
    finally:
        try:
            office.wait(timeout=30)
        except subprocess.TimeoutExpired:
            office.kill()
