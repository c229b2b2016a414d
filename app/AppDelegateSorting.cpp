// Sorting the list by a column header: the list itself is reordered, since
// its order is the export order.
#include "app/AppDelegate.h"

#include "Common UI Code/KLVUtil.h"
#include "app/FileListModel.h"

#include <QFileInfo>
#include <QHeaderView>

#include <algorithm>

namespace {

QString parentOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash);
}

QString lastComponentOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QVariant sortValue(const SourceFileEntry& entry, const QString& key)
{
    const QVariant value = entry->value(key);
    if (key == SourceFileKey::FilePath && value.isValid())
        return value.toUrl().toLocalFile();
    return value;
}

} // namespace

int ComparePathOrKind(const SourceFileEntry& a, const SourceFileEntry& b, const QString& key, bool ascending)
{
    const QVariant first = sortValue(a, key);
    const QVariant second = sortValue(b, key);
    // Entries without a value come last in either direction.
    if (!first.isValid() || !second.isValid())
        return first.isValid() == second.isValid() ? 0 : (first.isValid() ? -1 : 1);
    const QString x = first.toString();
    const QString y = second.toString();
    int result = FinderCompare(parentOf(x), parentOf(y));
    if (result == 0)
        result = FinderCompare(lastComponentOf(x), lastComponentOf(y));
    return ascending ? result : -result;
}

int CompareImageSize(const SourceFileEntry& a, const SourceFileEntry& b, bool useWidth, bool ascending)
{
    const QString& key = useWidth ? SourceFileKey::Width : SourceFileKey::Height;
    const double x = a->value(key).toDouble();
    const double y = b->value(key).toDouble();
    // Equal sizes keep their present order.
    const int result = x > y ? 1 : (x < y ? -1 : 0);
    return ascending ? result : -result;
}

int CompareIntegerValue(const SourceFileEntry& a, const SourceFileEntry& b, const QString& key, bool ascending)
{
    const qlonglong x = a->value(key).toLongLong();
    const qlonglong y = b->value(key).toLongLong();
    const int result = x > y ? 1 : (x < y ? -1 : 0);
    return ascending ? result : -result;
}

void AppDelegate::connectSorting()
{
    connect(imageListTable->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
            &AppDelegate::tableViewSortDescriptorsDidChange);
}

void AppDelegate::tableViewSortDescriptorsDidChange(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= tableModel->columnCount())
        return;
    const QString key = tableModel->columns()[column].sortKey;
    if (key.isEmpty()) {
        // A column without a sort prototype does not sort.
        const QSignalBlocker quiet(imageListTable->horizontalHeader());
        imageListTable->horizontalHeader()->setSortIndicator(m_sortColumn, m_sortOrder);
        return;
    }
    m_sortColumn = column;
    m_sortOrder = order;
    const bool ascending = order == Qt::AscendingOrder;
    std::function<int(const SourceFileEntry&, const SourceFileEntry&)> compare;
    if (key == SourceFileKey::FilePath || key == SourceFileKey::Kind) {
        compare = [=](const SourceFileEntry& a, const SourceFileEntry& b) {
            return ComparePathOrKind(a, b, key, ascending);
        };
    } else if (key == QLatin1String("Size")) {
        const bool byWidth = sortedBywidthFlag;
        sortedBywidthFlag = ascending ? byWidth : !byWidth;
        compare = [=](const SourceFileEntry& a, const SourceFileEntry& b) {
            return CompareImageSize(a, b, byWidth, ascending);
        };
    } else if (key == SourceFileKey::PageCount || key == SourceFileKey::Angle) {
        compare = [=](const SourceFileEntry& a, const SourceFileEntry& b) {
            return CompareIntegerValue(a, b, key, ascending);
        };
    } else {
        return;
    }
    SourceFileEntries sorted = imageArray;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&](const SourceFileEntry& a, const SourceFileEntry& b) { return compare(a, b) < 0; });
    imageArray = sorted;
    tableModel->reloadData();
}
