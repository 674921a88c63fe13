#pragma once

#include <QString>

class QWidget;
class QPushButton;
class QLabel;
class CMyEditCtrl;
class CheckReporter;

// Small helpers so that every screen builds its controls the same way: object and accessible
// names equal to the caption, buttons that never act on Enter by themselves, one background.
namespace Ui {

void setDialogBackground(QWidget* w);
void name(QWidget* w, const QString& name);
QPushButton* button(QWidget* parent, const QString& caption);
QLabel* label(QWidget* parent, const QString& text);
// An entry field named after its label (the label's colon left out).
CMyEditCtrl* field(QWidget* parent, const QString& label, int typingLimit);
// The amount field's companions: the capital amount shown beside it on every change, leading zeros
// tidied when it loses the focus, and "金额格式错误" for a refused key.
void bindAmountField(CMyEditCtrl* amount, QLabel* capital, QWidget* screen);
// Shows the first failure of a check, unless it passed or was silent; returns whether it passed.
bool showCheck(QWidget* parent, const CheckReporter& check);

} // namespace Ui
