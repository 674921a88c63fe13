#include "rosters/CGROUPDlg.h"

#include "common/Dialogs.h"
#include "common/EnterKeyHandler.h"
#include "common/RowList.h"
#include "common/Ui.h"
#include "common/core/AppInfo.h"
#include "common/core/CMyTool.h"
#include "common/core/Gbk.h"
#include "common/core/SafeWrite.h"
#include "rosters/CNewGroupDlg.h"
#include "rosters/RosterFiles.h"
#include "rosters/core/GroupNames.h"

#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace {
const QString kGroupFile = QStringLiteral("group.txt");
const QString kDefaultGroups = QStringLiteral("代发工资|其他代发|批量提现|");
const QString kDefaultGroup = QStringLiteral("代发工资");
} // namespace

CGROUPDlg::CGROUPDlg(bool importUse, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CGROUPDlg"));
    setWindowTitle(QStringLiteral("代发收款账户管理组列表"));
    Ui::setDialogBackground(this);
    m_list = new RowList(this);
    Ui::name(m_list, QStringLiteral("组列表"));
    m_list->setColumns({{QStringLiteral("序号"), 100}, {QStringLiteral("组名称"), 200}});
    QPushButton* open = Ui::button(this, QStringLiteral("打开"));
    QPushButton* cancel = Ui::button(this, QStringLiteral("取消"));
    QPushButton* add = Ui::button(this, QStringLiteral("新建组"));
    QPushButton* rename = Ui::button(this, QStringLiteral("更改组"));
    QPushButton* remove = Ui::button(this, QStringLiteral("删除组"));
    // Groups are kept in the full edition; the standard one creates these hidden.
    for (QPushButton* keeping : {add, rename, remove}) {
        keeping->setVisible(AppInfo::fullEdition());
    }
    auto* notice = new QLabel(QStringLiteral("代发账户名册只针对收款账户进行管理"), this);
    Ui::name(notice, QStringLiteral("说明"));
    auto* explanation = new QLabel(
        importUse ? QStringLiteral(
                        "用户选择需要导入名册的组名称，通过双击或点击“打开”按钮的方式将整组收款账户信息导入")
                  : QStringLiteral("用户选择需要维护的组名称，通过双击或者点击“打开”按钮的方式进入该组名册，"
                                   "来对该组收款账户进行管理"),
        this);
    Ui::name(explanation, QStringLiteral("用法"));
    explanation->setWordWrap(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_list, 0, 0, 6, 1);
    layout->addWidget(open, 0, 1);
    layout->addWidget(cancel, 1, 1);
    layout->addWidget(add, 2, 1);
    layout->addWidget(rename, 3, 1);
    layout->addWidget(remove, 4, 1);
    layout->addWidget(notice, 6, 0, 1, 2);
    layout->addWidget(explanation, 7, 0, 1, 2);
    resize(560, 330);

    connect(open, &QPushButton::clicked, this, &CGROUPDlg::onOpen);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(add, &QPushButton::clicked, this, &CGROUPDlg::NewGroup);
    connect(rename, &QPushButton::clicked, this, &CGROUPDlg::RenameGroup);
    connect(remove, &QPushButton::clicked, this, &CGROUPDlg::DeleteGroup);
    connect(m_list, &RowList::rowDoubleClicked, this, [this] { onOpen(); });
    // Enter anywhere opens the chosen group.
    auto* enter = new EnterKeyHandler(this, EnterKeyHandler::Mode::Swallow);
    enter->setAction(this, [this] { onOpen(); });
    for (QWidget* w : findChildren<QWidget*>()) {
        enter->setAction(w, [this] { onOpen(); });
    }
    load();
}

QString CGROUPDlg::rosterPath(const QString& group) const
{
    return CMyTool::DataFilePath(group + QStringLiteral(".txt"));
}

QStringList CGROUPDlg::groups() const
{
    QStringList names;
    for (int r = 0; r < m_list->count(); ++r) {
        names << m_list->text(r, 1);
    }
    return names;
}

void CGROUPDlg::load()
{
    m_list->rows()->clear();
    m_unreadable = false;
    const QString path = CMyTool::DataFilePath(kGroupFile);
    QByteArray data;
    switch (SafeWrite::read(path, &data)) {
    case SafeWrite::ReadResult::Missing:
        data = Gbk::encode(kDefaultGroups);
        if (!RosterFiles::writeFile(this, path, data)) {
            m_unreadable = true; // said once; the group commands say it again, nothing retries
            return;
        }
        break;
    case SafeWrite::ReadResult::Unreadable:
        Msg::show(this, RosterFormat::readFailedMessage(path));
        m_unreadable = true; // never replace a list that could not be read
        return;
    case SafeWrite::ReadResult::Read:
        break;
    }
    // Decoded whole before it is split: a name may hold a character whose second byte is "|".
    const Gbk::FileEncoding encoding = Gbk::detect(data);
    const std::optional<QString> text = Gbk::decode(data.mid(Gbk::markLength(encoding)), encoding);
    if (!text) {
        m_unreadable = true;
        return;
    }
    QStringList names = text->split(QLatin1Char('|'));
    names.removeLast(); // the text after the last "|"
    QVector<QStringList> rows;
    for (int i = 0; i < names.size(); ++i) {
        rows.append({QString::number(i + 1), names.at(i)});
    }
    m_list->rows()->setRows(std::move(rows));
    m_list->selectRow(0);
    m_list->setFocus();
}

bool CGROUPDlg::saveGroups()
{
    if (m_unreadable) {
        return false;
    }
    QString text;
    for (const QString& name : groups()) {
        text += name + QLatin1Char('|');
    }
    if (RosterFiles::writeFile(this, CMyTool::DataFilePath(kGroupFile), Gbk::encode(text))) {
        return true;
    }
    // The change did not reach group.txt: list what the file holds.
    load();
    return false;
}

void CGROUPDlg::onOpen()
{
    const int r = m_list->selectedRow();
    if (r < 0) {
        Msg::show(this, QStringLiteral("请选择组"));
        return;
    }
    const QString name = m_list->text(r, 1);
    // A name that an earlier version or an editor put into group.txt may name no roster file of
    // this program directory: it is never opened.
    const QString problem = GroupNames::problemWith(name);
    if (name != kDefaultGroup && !problem.isEmpty()) {
        Msg::show(this, problem);
        return;
    }
    m_chosen = name;
    accept();
}

std::optional<QString> CGROUPDlg::askName(const QStringList& otherNames, bool freeFileOnly)
{
    // A rename may not take the file of a roster that is already there.
    CNewGroupDlg dialog(otherNames, this,
                        freeFileOnly ? std::function<bool(const QString&)>([this](const QString& name) {
                            return QFile::exists(rosterPath(name));
                        })
                                     : std::function<bool(const QString&)>());
    if (dialog.exec() != QDialog::Accepted || dialog.name().isEmpty()) {
        return std::nullopt;
    }
    return dialog.name();
}

bool CGROUPDlg::groupsWritable()
{
    if (m_unreadable) {
        // The list could not be read: it must not be replaced, and the operator must know.
        Msg::show(this, RosterFormat::saveFailedMessage(CMyTool::DataFilePath(kGroupFile)));
        return false;
    }
    return true;
}

void CGROUPDlg::NewGroup()
{
    if (!groupsWritable()) {
        return;
    }
    const std::optional<QString> name = askName(groups(), false);
    if (!name) {
        return;
    }
    m_list->rows()->appendRow({QString::number(m_list->count() + 1), *name});
    if (!saveGroups()) {
        return; // no group, so no roster for it
    }
    // Never empty a roster that is already there.
    if (!QFile::exists(rosterPath(*name))) {
        RosterFiles::writeFile(this, rosterPath(*name), QByteArray());
    }
}

void CGROUPDlg::RenameGroup()
{
    if (!groupsWritable()) {
        return;
    }
    const int r = m_list->selectedRow();
    if (r < 0) {
        Msg::show(this, QStringLiteral("请选择组"));
        return;
    }
    const QString old = m_list->text(r, 1);
    if (GroupNames::isProtected(old)) {
        Msg::show(this, QStringLiteral("默认组不能更改或删除"));
        return;
    }
    QStringList others = groups();
    others.removeAt(r);
    const std::optional<QString> name = askName(others, true);
    if (!name) {
        return;
    }
    m_list->rows()->setText(r, 1, *name);
    if (!saveGroups()) {
        return; // group.txt still names the old group: its roster keeps its name
    }
    // A group must never name another file than its own: when its roster cannot follow, the
    // group goes back to its old name and the operator is told. group.txt may list a group twice;
    // a roster that another entry still names stays where it is.
    if (!groups().contains(old) && QFile::exists(rosterPath(old)) &&
        !SafeWrite::moveFile(rosterPath(old), rosterPath(*name))) {
        m_list->rows()->setText(r, 1, old);
        saveGroups();
        Msg::show(this, RosterFormat::saveFailedMessage(rosterPath(*name)));
    }
}

void CGROUPDlg::DeleteGroup()
{
    if (!groupsWritable()) {
        return;
    }
    const int p = m_list->selectedRow();
    if (p < 0) {
        Msg::show(this, QStringLiteral("请选择组"));
        return;
    }
    const QString name = m_list->text(p, 1);
    if (GroupNames::isProtected(name)) {
        Msg::show(this, QStringLiteral("默认组不能更改或删除"));
        return;
    }
    if (Msg::show(this, QStringLiteral("确认删除此条信息？"), QStringLiteral("删除"), Msg::Yes | Msg::No) !=
        Msg::Yes) {
        return;
    }
    m_list->selectRow(m_list->removeRowRenumbered(p));
    // The roster goes only once group.txt no longer lists the group (it may list it twice).
    if (saveGroups() && !groups().contains(name)) {
        QFile::remove(rosterPath(name));
    }
}
