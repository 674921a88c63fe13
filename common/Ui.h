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
// The object name, and for controls the accessible name too. A label's accessible name is always
// the text it shows, so that a screen reader reads what is on the screen.
void name(QWidget* w, const QString& name);
QPushButton* button(QWidget* parent, const QString& caption);
// A caption ("收款人名称："); its object name is the text without the colon and "标签".
QLabel* label(QWidget* parent, const QString& text);
// A label that shows a value (a count, a total, the capital amount), tied to its caption so that
// "总笔数 3" is what a screen reader reads.
QLabel* valueLabel(QWidget* parent, const QString& objectName, const QString& text, QLabel* caption);
// Disabled fields still show the selected line: their text stays dark enough to read.
void readableWhenDisabled(QWidget* w);
// An entry field named after its label (the label's colon left out).
CMyEditCtrl* field(QWidget* parent, const QString& label, int typingLimit);
// The amount field's companions: the capital amount shown beside it on every change, leading zeros
// tidied when it loses the focus, and "金额格式错误" for a refused key.
void bindAmountField(CMyEditCtrl* amount, QLabel* capital, QWidget* screen);
// Shows the first failure of a check, unless it passed or was silent; returns whether it passed.
bool showCheck(QWidget* parent, const CheckReporter& check);

} // namespace Ui
