#include "ScriptedDialogs.h"

#include <QGuiApplication>
#include <QTest>

ScriptedDialogs::ScriptedDialogs()
{
    DialogService::install(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    DialogService::install(nullptr);
}

void ScriptedDialogs::expect(const QString& text, int answer, const QString& caption)
{
    m_expected.append({text, answer, caption});
}

void ScriptedDialogs::expectFile(const QString& path)
{
    m_files.append(path);
}

QString ScriptedDialogs::pending() const
{
    QStringList out = m_failures;
    for (const Expected& e : m_expected) {
        out << QStringLiteral("message never shown: %1").arg(e.text);
    }
    for (const QString& f : m_files) {
        out << QStringLiteral("file dialog never opened: %1").arg(f);
    }
    return out.join(QLatin1Char('\n'));
}

void ScriptedDialogs::failure(const QString& what)
{
    m_failures << what;
    QTest::qFail(qPrintable(what), __FILE__, __LINE__);
}

int ScriptedDialogs::message(QWidget*, const QString& text, const QString& caption, int buttons,
                             Msg::Icon icon, int defaultButton)
{
    messages.append(
        {text, caption, buttons, icon, defaultButton, QGuiApplication::overrideCursor() != nullptr});
    if (m_expected.isEmpty()) {
        failure(QStringLiteral("unexpected message: \"%1\" (caption \"%2\")").arg(text, caption));
        return (buttons & Msg::Cancel) ? Msg::Cancel : (buttons & Msg::No) ? Msg::No : Msg::Ok;
    }
    const Expected e = m_expected.takeFirst();
    if (e.text != text || (!e.caption.isEmpty() && e.caption != caption)) {
        failure(QStringLiteral("expected message \"%1\" (caption \"%2\"), got \"%3\" (caption \"%4\")")
                    .arg(e.text, e.caption, text, caption));
    }
    return e.answer;
}

QString ScriptedDialogs::openFile(QWidget*, const QString& filter)
{
    fileRequests.append({false, filter, QString(), QString()});
    if (m_files.isEmpty()) {
        failure(QStringLiteral("unexpected open-file dialog"));
        return QString();
    }
    return m_files.takeFirst();
}

QString ScriptedDialogs::saveFile(QWidget*, const QString& filter, const QString& defaultName,
                                  const QString& defaultSuffix)
{
    fileRequests.append({true, filter, defaultName, defaultSuffix});
    if (m_files.isEmpty()) {
        failure(QStringLiteral("unexpected save-file dialog"));
        return QString();
    }
    return m_files.takeFirst();
}
