// The file list's entries as data: what each row shows, the folder it came from and what the
// last batch made of it. The window's list shows this model; the adders, the list's editing
// and the batch change and read it, never the widget.
#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>
#include <QStringList>

namespace eb {

// What the last batch made of an entry; None until a batch has reached it.
enum class EntryResult { None, Converted, Warning, Failed, Skipped };

struct FileEntry {
    QString path;       // the text the row shows, as it was added
    QString addedFrom;  // the folder of "Add All" or a drop that found it; empty when picked
    EntryResult result = EntryResult::None;
    QString reason;  // why it failed, was skipped or converted with a warning
};

// What the batch made of an entry in words: "converted", "failed: <reason>", the reason itself
// for a skipped entry (it says "skipped"); empty for None.
QString ResultText(EntryResult result, const QString& reason);

// One column, one row per entry, rows 0-based. Every change of the entries (added, removed,
// moved, cleared) starts a new generation; a result does not, as the batch sets one after each
// file and must not count its own bookkeeping as a change of the list.
class FileListModel : public QAbstractListModel {
public:
    explicit FileListModel(QObject* parent = nullptr) : QAbstractListModel(parent) {}

    // A row's EntryResult as an int, for the view's icon; the row's accessible description is
    // its ResultText.
    static constexpr int kResultRole = Qt::UserRole + 1;

    int count() const { return static_cast<int>(entries_.size()); }
    QString text(int row) const { return entries_.at(row).path; }
    const FileEntry& entry(int row) const { return entries_.at(row); }
    quint64 generation() const { return generation_; }

    // `paths` in one insert at the end (one layout of the view for any number of rows).
    void append(const QStringList& paths, const QString& addedFrom = QString());
    void insert(int row, const QString& path, const QString& addedFrom = QString());
    void remove(int row);
    // The entry at `from` goes to `to` (both 0-based, `to` its place afterwards); the entries
    // between close up. An entry keeps its folder and its result wherever it goes.
    void move(int from, int to);
    void clear();

    void setResult(int row, EntryResult result, const QString& reason = QString());
    // Every entry back to None, as a new batch starts.
    void clearResults();

    void setHeaderText(const QString& text);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QList<FileEntry> entries_;
    QString header_;
    quint64 generation_ = 0;
};

}  // namespace eb
