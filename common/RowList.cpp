#include "common/RowList.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QToolTip>
#include <algorithm>

void RowListModel::setHeaders(const QStringList& headers)
{
    beginResetModel();
    m_headers = headers;
    endResetModel();
}

int RowListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int RowListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant RowListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid()) {
        return QVariant();
    }
    if (role == Qt::DisplayRole) {
        return text(index.row(), index.column());
    }
    if (role == Qt::TextAlignmentRole) {
        return int(Qt::AlignCenter);
    }
    return QVariant();
}

QVariant RowListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section < m_headers.size()) {
        if (role == Qt::DisplayRole) {
            return m_headers.at(section);
        }
        if (role == Qt::TextAlignmentRole) {
            return int(Qt::AlignCenter);
        }
    }
    return QVariant();
}

QString RowListModel::text(int r, int c) const
{
    if (r < 0 || r >= m_rows.size()) {
        return QString();
    }
    const QStringList& row = m_rows.at(r);
    return c >= 0 && c < row.size() ? row.at(c) : QString();
}

void RowListModel::setText(int r, int c, const QString& text)
{
    QStringList& row = m_rows[r];
    while (row.size() <= c) {
        row.append(QString());
    }
    row[c] = text;
    emit dataChanged(index(r, c), index(r, c));
}

void RowListModel::setRow(int r, const QStringList& values)
{
    m_rows[r] = values;
    emit dataChanged(index(r, 0), index(r, columnCount() - 1));
}

void RowListModel::appendRow(const QStringList& values)
{
    const int r = int(m_rows.size());
    beginInsertRows(QModelIndex(), r, r);
    m_rows.append(values);
    endInsertRows();
}

void RowListModel::appendRows(const QVector<QStringList>& rows)
{
    if (rows.isEmpty()) {
        return;
    }
    const int r = int(m_rows.size());
    beginInsertRows(QModelIndex(), r, r + int(rows.size()) - 1);
    m_rows += rows;
    endInsertRows();
}

void RowListModel::setRows(QVector<QStringList> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void RowListModel::removeRowAt(int r)
{
    beginRemoveRows(QModelIndex(), r, r);
    m_rows.removeAt(r);
    endRemoveRows();
}

void RowListModel::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

RowList::RowList(QWidget* parent) : QTableView(parent), m_model(new RowListModel(this))
{
    setModel(m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setSortingEnabled(false);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setAlternatingRowColors(false);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::white);
    // The selection stays visible when the list has no focus.
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(pal);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { emit selectionChanged(); });
}

void RowList::setColumns(const QVector<Column>& columns)
{
    QStringList headers;
    for (const Column& c : columns) {
        headers << c.caption;
    }
    m_model->setHeaders(headers);
    for (int i = 0; i < columns.size(); ++i) {
        setColumnWidth(i, columns.at(i).width);
    }
}

int RowList::removeRowRenumbered(int r)
{
    m_model->removeRowAt(r);
    const int n = count();
    for (int i = r; i < n; ++i) {
        m_model->setText(i, 0, QString::number(i + 1));
    }
    return n == 0 ? -1 : std::min(r, n - 1);
}

int RowList::selectedRow() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.constFirst().row();
}

void RowList::selectRow(int r)
{
    if (r < 0 || r >= count()) {
        clearRowSelection();
        return;
    }
    const bool already = selectedRow() == r;
    const QModelIndex idx = m_model->index(r, 0);
    selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(idx);
    // Rows removed above or at the selection shift it without notice: the screens are told
    // about the row now selected all the same.
    if (already) {
        emit selectionChanged();
    }
}

void RowList::clearRowSelection()
{
    selectionModel()->clearSelection();
}

bool RowList::viewportEvent(QEvent* e)
{
    if (e->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(e);
        const QModelIndex index = indexAt(help->pos());
        const QString text = index.isValid() ? m_model->text(index.row(), index.column()) : QString();
        const QRect cell = visualRect(index);
        // The room the delegate leaves for the text, a few pixels of margin on each side.
        const int room =
            cell.width() - 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
        if (!text.isEmpty() && viewport()->fontMetrics().horizontalAdvance(text) > room) {
            QToolTip::showText(help->globalPos(), text, viewport(), cell);
        } else {
            QToolTip::hideText();
            e->ignore();
        }
        return true;
    }
    return QTableView::viewportEvent(e);
}

void RowList::mousePressEvent(QMouseEvent* e)
{
    if (!indexAt(e->position().toPoint()).isValid()) {
        clearRowSelection(); // a click into empty list space leaves no line selected
        return;
    }
    QTableView::mousePressEvent(e);
}

void RowList::mouseDoubleClickEvent(QMouseEvent* e)
{
    QTableView::mouseDoubleClickEvent(e);
    emit rowDoubleClicked(selectedRow());
}
