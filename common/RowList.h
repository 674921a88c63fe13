#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QTableView>
#include <QVector>

// Rows of texts with centred columns; the model of every list in the program.
class RowListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit RowListModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    void setHeaders(const QStringList& headers);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const QStringList& row(int r) const { return m_rows.at(r); }
    QString text(int r, int c) const;
    void setText(int r, int c, const QString& text);
    void setRow(int r, const QStringList& values);
    void appendRow(const QStringList& values);
    void appendRows(const QVector<QStringList>& rows);
    void setRows(QVector<QStringList> rows);
    void removeRowAt(int r);
    void clear();

private:
    QStringList m_headers;
    QVector<QStringList> m_rows;
};

// Report-style list: single whole-row selection, grid lines, white background, no sorting,
// columns that can be dragged, the last column widened to fill the list.
class RowList : public QTableView
{
    Q_OBJECT
public:
    struct Column
    {
        QString caption;
        int width;
    };
    explicit RowList(QWidget* parent = nullptr);

    void setColumns(const QVector<Column>& columns);
    RowListModel* rows() const { return m_model; }
    int count() const { return m_model->rowCount(); }
    QString text(int r, int c) const { return m_model->text(r, c); }

    int selectedRow() const;
    // Removes row r and numbers the rows after it again ("序号" = position + 1). Returns the row to
    // select next: the one now at r, the new last row when r was the last, -1 when none is left.
    int removeRowRenumbered(int r);
    // Selects and focuses row r (or clears the selection for r < 0).
    void selectRow(int r);
    void clearRowSelection();

signals:
    void selectionChanged();
    void rowDoubleClicked(int row);

protected:
    // A cell too narrow for its text shows the whole text as a tooltip.
    bool viewportEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    RowListModel* m_model;
};
