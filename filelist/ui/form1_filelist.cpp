// The file list's entries as the handlers count them: one row per file, its text the full
// path, kept in the list's model.
#include "filelist/filelistmodel.h"
#include "shell/form1.h"

namespace eb {

int Form1::entryCount() const {
    return entries_->count();
}

QString Form1::entryText(int index) const {
    if (index < 1 || index > entryCount())
        throw StepError(tr("Index out of bounds"));
    return entries_->text(index - 1);
}

void Form1::addEntry(const QString& path) {
    entries_->append({path});
}

}  // namespace eb
