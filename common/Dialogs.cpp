#include "common/Dialogs.h"

#include "common/core/AppInfo.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace {

class QtDialogService : public DialogService
{
public:
    int message(QWidget* parent, const QString& text, const QString& caption, int buttons, Msg::Icon icon,
                int defaultButton) override
    {
        QMessageBox box(parent);
        box.setWindowTitle(caption);
        box.setTextFormat(Qt::PlainText);
        QString shown = text;
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        box.setText(shown);
        switch (icon) {
        case Msg::Icon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case Msg::Icon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case Msg::Icon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        case Msg::Icon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case Msg::Icon::None:
            break;
        }
        QMessageBox::StandardButtons std;
        if (buttons & Msg::Yes) {
            std |= QMessageBox::Yes;
        }
        if (buttons & Msg::No) {
            std |= QMessageBox::No;
        }
        if (buttons & Msg::Ok) {
            std |= QMessageBox::Ok;
        }
        if (buttons & Msg::Cancel) {
            std |= QMessageBox::Cancel;
        }
        box.setStandardButtons(std);
        if (defaultButton != 0) {
            box.setDefaultButton(toStd(defaultButton));
        }
        if (buttons & Msg::Cancel) {
            box.setEscapeButton(QMessageBox::Cancel);
        }
        switch (box.exec()) {
        case QMessageBox::Yes:
            return Msg::Yes;
        case QMessageBox::No:
            return Msg::No;
        case QMessageBox::Ok:
            return Msg::Ok;
        default:
            return Msg::Cancel;
        }
    }

    QString openFile(QWidget* parent, const QString& filter) override
    {
        return QFileDialog::getOpenFileName(parent, QString(), QString(), toQtFilter(filter));
    }

    QString saveFile(QWidget* parent, const QString& filter, const QString& defaultName,
                     const QString& defaultSuffix) override
    {
        QFileDialog dialog(parent);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter(toQtFilter(filter));
        dialog.setDefaultSuffix(defaultSuffix);
        dialog.selectFile(defaultName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return QString();
        }
        return dialog.selectedFiles().constFirst();
    }

private:
    static QMessageBox::StandardButton toStd(int button)
    {
        switch (button) {
        case Msg::Yes:
            return QMessageBox::Yes;
        case Msg::No:
            return QMessageBox::No;
        case Msg::Cancel:
            return QMessageBox::Cancel;
        default:
            return QMessageBox::Ok;
        }
    }
};

DialogService* g_installed = nullptr;

} // namespace

DialogService& DialogService::current()
{
    static QtDialogService real;
    return g_installed ? *g_installed : real;
}

void DialogService::install(DialogService* service)
{
    g_installed = service;
}

QString DialogService::toQtFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString desc = parts.at(i);
        const QString patterns = QString(parts.at(i + 1)).replace(QLatin1Char(';'), QLatin1Char(' '));
        const int paren = desc.indexOf(QLatin1Char('('));
        if (paren >= 0) {
            desc = desc.left(paren).trimmed();
        }
        out << QStringLiteral("%1 (%2)").arg(desc, patterns);
    }
    return out.join(QStringLiteral(";;"));
}

namespace Msg {

int show(QWidget* parent, const QString& text, const QString& caption, int buttons, Icon icon,
         int defaultButton)
{
    if (icon == Icon::None) {
        // A question shows the question mark; a message with OK alone tells of a refusal or a
        // failure, unless its caller marks it as good news (Icon::Information).
        icon = (buttons & (Yes | No | Cancel)) ? Icon::Question : Icon::Warning;
    }
    return DialogService::current().message(parent, text, caption.isEmpty() ? AppInfo::appTitle() : caption,
                                            buttons, icon, defaultButton);
}

} // namespace Msg

namespace FileDialogs {

QString open(QWidget* parent, const QString& filter)
{
    return DialogService::current().openFile(parent, filter);
}

QString save(QWidget* parent, const QString& filter, const QString& defaultName, const QString& defaultSuffix)
{
    return DialogService::current().saveFile(parent, filter, defaultName, defaultSuffix);
}

} // namespace FileDialogs
