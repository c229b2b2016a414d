#include "app/FileListModel.h"

#include "app/AppDelegate.h"

#include <QIcon>

FileListModel::FileListModel(AppDelegate& controller, QObject* parent)
    : QAbstractTableModel(parent), m_controller(controller)
{
}

void FileListModel::setColumns(const QList<Column>& columns)
{
    beginResetModel();
    m_columns = columns;
    m_rows = m_controller.numberOfRowsInTableView();
    endResetModel();
}

int FileListModel::columnWithIdentifier(const QString& identifier) const
{
    for (int column = 0; column < m_columns.size(); ++column) {
        if (m_columns[column].identifier == identifier)
            return column;
    }
    return -1;
}

void FileListModel::removeColumnWithIdentifier(const QString& identifier)
{
    const int column = columnWithIdentifier(identifier);
    if (column < 0)
        return;
    beginRemoveColumns({}, column, column);
    m_columns.removeAt(column);
    endRemoveColumns();
}

void FileListModel::setColumnIdentifier(int column, const QString& identifier, const QString& title)
{
    if (column < 0 || column >= m_columns.size())
        return;
    m_columns[column].identifier = identifier;
    m_columns[column].title = title;
    emit headerDataChanged(Qt::Horizontal, column, column);
    if (m_rows > 0)
        emit dataChanged(index(0, column), index(m_rows - 1, column));
}

void FileListModel::setSortKey(int column, const QString& key)
{
    if (column >= 0 && column < m_columns.size())
        m_columns[column].sortKey = key;
}

void FileListModel::noteNumberOfRowsChanged()
{
    const int rows = m_controller.numberOfRowsInTableView();
    if (rows > m_rows) {
        beginInsertRows({}, m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    } else if (rows < m_rows) {
        beginRemoveRows({}, rows, m_rows - 1);
        m_rows = rows;
        endRemoveRows();
    }
}

void FileListModel::reloadData()
{
    noteNumberOfRowsChanged();
    if (m_rows > 0 && !m_columns.isEmpty())
        emit dataChanged(index(0, 0), index(m_rows - 1, int(m_columns.size()) - 1));
}

void FileListModel::redrawRows(const QList<int>& rows, int column)
{
    const int first = column < 0 ? 0 : column;
    const int last = column < 0 ? int(m_columns.size()) - 1 : column;
    for (int row : rows) {
        if (row >= 0 && row < m_rows && last >= first)
            emit dataChanged(index(row, first), index(row, last));
    }
}

int FileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int FileListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.column() >= m_columns.size() || index.row() >= m_rows)
        return {};
    const QString& identifier = m_columns[index.column()].identifier;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: {
        const QVariant value = m_controller.objectValueForTableColumn(identifier, index.row());
        return value.typeId() == QMetaType::QString ? value : QVariant();
    }
    case Qt::DecorationRole:
        // The file's icon goes beside its path.
        if (identifier == QLatin1String("FilePath") || identifier == QLatin1String("Icon"))
            return m_controller.objectValueForTableColumn(QStringLiteral("Icon"), index.row());
        return {};
    case Qt::TextAlignmentRole:
        if (identifier == QLatin1String("FilePath") || identifier == QLatin1String("Kind"))
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        return int(Qt::AlignRight | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return {};
    if (role == Qt::DisplayRole)
        return m_columns[section].title;
    // A column with a sort prototype starts ascending.
    if (role == Qt::InitialSortOrderRole && !m_columns[section].sortKey.isEmpty())
        return int(Qt::AscendingOrder);
    return {};
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}
