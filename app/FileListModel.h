#pragma once
// The file table's model: columns by identifier, cells and rows asked of the
// controller, which keeps the list itself (its order is the export order).
// Like a table view that is told of changes, it shows the controller's rows
// only when reloaded or told that their number changed; the selection keeps
// its row numbers across a reload.
#include <QAbstractTableModel>
#include <QList>
#include <QString>

class AppDelegate;

class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column {
        QString identifier; // the entry key the column shows
        QString title;      // header text
        QString sortKey;    // key of the column's sort prototype; empty: not sortable
    };

    explicit FileListModel(AppDelegate& controller, QObject* parent = nullptr);

    void setColumns(const QList<Column>& columns);
    const QList<Column>& columns() const { return m_columns; }
    // -1 when no column has the identifier.
    int columnWithIdentifier(const QString& identifier) const;
    void removeColumnWithIdentifier(const QString& identifier);
    void setColumnIdentifier(int column, const QString& identifier, const QString& title);
    void setSortKey(int column, const QString& key);

    // Takes the controller's rows and redraws every cell.
    void reloadData();
    // Takes the controller's number of rows (rows come and go at the end).
    void noteNumberOfRowsChanged();
    // Redraws the cells of rows in the column (every column for -1).
    void redrawRows(const QList<int>& rows, int column = -1);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    AppDelegate& m_controller;
    QList<Column> m_columns;
    int m_rows = 0;
};
