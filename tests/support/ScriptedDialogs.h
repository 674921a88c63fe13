#pragma once

#include "common/Dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

// Test double of the dialog service: records every message and file dialog, answers from queues,
// and fails the running test on a message or dialog nobody expected.
class ScriptedDialogs : public DialogService
{
public:
    struct Message
    {
        QString text;
        QString caption;
        int buttons;
        Msg::Icon icon;
        int defaultButton;
        bool overrideCursor; // a cursor such as the wait cursor was set when it was shown
    };
    struct FileRequest
    {
        bool save;
        QString filter;
        QString defaultName;
        QString defaultSuffix;
    };

    ScriptedDialogs();           // installs itself
    ~ScriptedDialogs() override; // uninstalls

    // The next message must have this text (and caption, when given); it is answered with answer.
    void expect(const QString& text, int answer = Msg::Ok, const QString& caption = QString());
    // The next file dialog is answered with path (empty: cancelled).
    void expectFile(const QString& path);

    bool done() const { return m_expected.isEmpty() && m_files.isEmpty() && m_failures.isEmpty(); }
    QString pending() const;

    QList<Message> messages;
    QList<FileRequest> fileRequests;

    int message(QWidget* parent, const QString& text, const QString& caption, int buttons, Msg::Icon icon,
                int defaultButton) override;
    QString openFile(QWidget* parent, const QString& filter) override;
    QString saveFile(QWidget* parent, const QString& filter, const QString& defaultName,
                     const QString& defaultSuffix) override;

private:
    struct Expected
    {
        QString text;
        int answer;
        QString caption;
    };
    void failure(const QString& what);

    QList<Expected> m_expected;
    QStringList m_files;
    QStringList m_failures;
};

// Checks at the end of a test that every scripted answer was used and nothing unexpected came.
#define VERIFY_DIALOGS_DONE(d) QVERIFY2((d).done(), qPrintable((d).pending()))
