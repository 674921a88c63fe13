#pragma once

#include "TestEnv.h"

#include <QStringList>
#include <QTest>

// The import fixtures under tests/data/imports, in the three forms they were saved in.
inline void addWorkbookRows(const QString& layout)
{
    QTest::addColumn<QString>("path");
    for (const char* form : {"openpyxl.xlsx", "libreoffice.xlsx", "libreoffice.xls"}) {
        QTest::newRow(form) << testData(QStringLiteral("imports/%1.%2").arg(layout, QLatin1String(form)));
    }
}
