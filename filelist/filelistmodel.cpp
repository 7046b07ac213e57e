#include "filelist/filelistmodel.h"

#include "core/usertext.h"

namespace eb {

QString ResultText(EntryResult result, const QString& reason) {
    switch (result) {
        case EntryResult::None:
            return QString();
        case EntryResult::Converted:
            return UserText::tr("converted");
        case EntryResult::Warning:
            return UserText::tr("converted with a warning: %1").arg(reason);
        case EntryResult::Failed:
            return UserText::tr("failed: %1").arg(reason);
        case EntryResult::Skipped:
            return reason;
    }
    return QString();
}

void FileListModel::append(const QStringList& paths, const QString& addedFrom) {
    if (paths.isEmpty())
        return;
    beginInsertRows(QModelIndex(), count(), count() + static_cast<int>(paths.size()) - 1);
    entries_.reserve(entries_.size() + paths.size());
    for (const QString& path : paths)
        entries_.append(FileEntry{path, addedFrom, EntryResult::None, QString()});
    ++generation_;
    endInsertRows();
}

void FileListModel::insert(int row, const QString& path, const QString& addedFrom) {
    row = qBound(0, row, count());
    beginInsertRows(QModelIndex(), row, row);
    entries_.insert(row, FileEntry{path, addedFrom, EntryResult::None, QString()});
    ++generation_;
    endInsertRows();
}

void FileListModel::remove(int row) {
    if (row < 0 || row >= count())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    entries_.removeAt(row);
    ++generation_;
    endRemoveRows();
}

void FileListModel::move(int from, int to) {
    if (from < 0 || from >= count() || to < 0 || to >= count() || from == to)
        return;
    // The view's destination is the row the entry goes before, counted before the move.
    if (!beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to))
        return;
    entries_.move(from, to);
    ++generation_;
    endMoveRows();
}

void FileListModel::clear() {
    beginResetModel();
    entries_.clear();
    ++generation_;
    endResetModel();
}

void FileListModel::setResult(int row, EntryResult result, const QString& reason) {
    if (row < 0 || row >= count())
        return;
    entries_[row].result = result;
    entries_[row].reason = result == EntryResult::None ? QString() : reason;
    emit dataChanged(index(row), index(row));
}

void FileListModel::clearResults() {
    for (FileEntry& entry : entries_) {
        entry.result = EntryResult::None;
        entry.reason.clear();
    }
    if (!entries_.isEmpty())
        emit dataChanged(index(0), index(count() - 1));
}

void FileListModel::setHeaderText(const QString& text) {
    header_ = text;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count() || index.column() != 0)
        return {};
    const FileEntry& entry = entries_.at(index.row());
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return entry.path;
    if (role == kResultRole)
        return static_cast<int>(entry.result);
    if (role == Qt::AccessibleDescriptionRole && entry.result != EntryResult::None)
        return ResultText(entry.result, entry.reason);
    return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && section == 0 && role == Qt::DisplayRole &&
        !header_.isEmpty())
        return header_;
    return QAbstractListModel::headerData(section, orientation, role);
}

// A row's flags as the list has always given them, so that screen readers see the same
// states: selectable and enabled; checkable, drag- and drop-enabled without effect (no check
// state is kept, the view never drags, drops go to the list's own handlers).
Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled |
           Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

}  // namespace eb
