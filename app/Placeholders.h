#pragma once

#include "common/Ui.h"

#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

// Stand-ins for the screens that are not built yet. They offer the operations the screen host
// calls, so that every switching rule works already.
class PlaceholderScreen : public QWidget
{
    Q_OBJECT
public:
    explicit PlaceholderScreen(const QString& title, QWidget* parent = nullptr) : QWidget(parent)
    {
        Ui::name(this, title);
        Ui::setDialogBackground(this);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel(title, this), 0, Qt::AlignCenter);
    }

    // Order screen operations.
    bool unsaved() const { return m_unsaved; }
    void setUnsavedForTests(bool on) { m_unsaved = on; }
    bool ExportLines() { return m_exportResult; }
    void setExportResultForTests(bool ok) { m_exportResult = ok; }
    void ClearLines() { m_unsaved = false; }
    void ResetEntry(bool) {}

    // Payroll roster screen operations.
    bool LoadDefaultGroup() { return m_loadResult; }
    void setLoadResultForTests(bool ok) { m_loadResult = ok; }
    void PrepareRoster() {}

    // Account-book host operation.
    void SelectFirstBook() {}

private:
    bool m_unsaved = false;
    bool m_exportResult = false;
    bool m_loadResult = true;
};
