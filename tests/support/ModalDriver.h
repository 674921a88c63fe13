#pragma once

#include "common/RowList.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <functional>

// Runs step on the modal dialog that the next action opens, once it is on screen.
inline void onNextModal(std::function<void(QWidget*)> step)
{
    QTimer::singleShot(0, [step] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        step(modal);
    });
}

// Double-clicks a row of a list as the operator would.
inline void doubleClickRow(RowList* list, int row)
{
    list->selectRow(row);
    const QRect cell = list->visualRect(list->model()->index(row, 1));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell.center());
}
