#pragma once

#include "common/RowList.h"

#include <QApplication>
#include <QDialog>
#include <QInputMethodEvent>
#include <QPointer>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <functional>

namespace LookupTest {

inline QPoint rowCenter(RowList* list, int row)
{
    return list->visualRect(list->rows()->index(row, 0)).center();
}

inline void doubleClickRow(RowList* list, int row)
{
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rowCenter(list, row));
}

// A double-click below the last row, where there is no row to select.
inline void doubleClickEmptySpace(RowList* list)
{
    const QPoint below(10, list->viewport()->height() - 4);
    QVERIFY(!list->indexAt(below).isValid());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, below);
}

// Types text as an operator would: Latin-1 characters as key presses, Chinese through the input
// method (QTest::keyClicks takes Latin-1 only).
inline void typeText(QWidget* w, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(w, c.toLatin1());
        } else {
            QInputMethodEvent e;
            e.setCommitString(QString(c));
            QApplication::sendEvent(w, &e);
        }
    }
}

inline QStringList column(RowList* list, int c)
{
    QStringList out;
    for (int r = 0; r < list->count(); ++r) {
        out << list->text(r, c);
    }
    return out;
}

// Whether column c of list shows text whole: the cell leaves the delegate's margins and the grid
// line beside the text, and the column stands inside the list.
inline bool shownWhole(RowList* list, int c, const QString& text)
{
    const int margins = 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1) + 1;
    return list->columnWidth(c) >= list->viewport()->fontMetrics().horizontalAdvance(text) + margins &&
           list->columnViewportPosition(c) + list->columnWidth(c) <= list->viewport()->width();
}

// Runs dialog modally; steps are run inside its event loop against the active modal widget.
// A dialog still open after a while is rejected so that a broken step cannot hang the test.
inline int runModal(QDialog& dialog, const std::function<void(QDialog*)>& steps)
{
    QTimer::singleShot(0, &dialog, [&dialog, steps] {
        auto* active = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QCOMPARE(active, &dialog);
        steps(active);
    });
    QPointer<QDialog> guard(&dialog);
    QTimer::singleShot(10000, &dialog, [guard] {
        if (guard && guard->isVisible()) {
            guard->done(-1);
        }
    });
    return dialog.exec();
}

} // namespace LookupTest
