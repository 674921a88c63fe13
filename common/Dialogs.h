#pragma once

#include <QString>

class QWidget;

// Message boxes and file dialogs of every screen go through this one service, so that tests can
// answer them. Filters are written the way the screens name them: "Text Files (*.txt)|*.txt||".
namespace Msg {
enum Button : int
{
    Ok = 0x1,
    Cancel = 0x2,
    Yes = 0x4,
    No = 0x8
};
enum class Icon
{
    None,
    Information,
    Warning,
    Critical,
    Question
};

// Shows a modal message and returns the button pressed. An empty caption means the
// application title; Icon::None picks the usual icon: the question mark for a question, the
// warning sign for a message with OK alone. Success messages pass Icon::Information.
int show(QWidget* parent, const QString& text, const QString& caption = QString(), int buttons = Ok,
         Icon icon = Icon::None, int defaultButton = 0);
} // namespace Msg

class DialogService
{
public:
    virtual ~DialogService() = default;

    virtual int message(QWidget* parent, const QString& text, const QString& caption, int buttons,
                        Msg::Icon icon, int defaultButton) = 0;
    // Returns the chosen path, or an empty string when the operator cancelled.
    virtual QString openFile(QWidget* parent, const QString& filter) = 0;
    // defaultSuffix is added to a name typed without one when it is not empty.
    virtual QString saveFile(QWidget* parent, const QString& filter, const QString& defaultName,
                             const QString& defaultSuffix) = 0;

    static DialogService& current();
    // Installs a replacement (tests); nullptr restores the real dialogs.
    static void install(DialogService* service);

    // "Desc (*.a;*.b)|*.a;*.b||" into the form Qt's file dialog takes.
    static QString toQtFilter(const QString& filter);
};

namespace FileDialogs {
QString open(QWidget* parent, const QString& filter);
QString save(QWidget* parent, const QString& filter, const QString& defaultName,
             const QString& defaultSuffix = QString());
} // namespace FileDialogs
