#pragma once

#include "ModalDriver.h"
#include "common/ReviewDialog.h"
#include "common/RowList.h"

#include <QPushButton>
#include <QStringList>

// What the review dialog lists, one "行号 提醒" text per row.
inline QStringList reviewRows(const ReviewDialog* review)
{
    QStringList out;
    const RowList* list = review->findChild<RowList*>(QStringLiteral("提醒列表"));
    for (int r = 0; r < list->count(); ++r) {
        out << list->text(r, 0) + QLatin1Char(' ') + list->text(r, 1);
    }
    return out;
}

// The next action opens the review dialog: what it lists goes to listed, then button is clicked.
inline void answerReview(const QString& button, QStringList* listed = nullptr)
{
    onNextModal([button, listed](QWidget* modal) {
        auto* review = qobject_cast<ReviewDialog*>(modal);
        QVERIFY2(review, "the review dialog should have opened");
        if (listed) {
            *listed = reviewRows(review);
        }
        QTest::mouseClick(review->findChild<QPushButton*>(button), Qt::LeftButton);
    });
}
