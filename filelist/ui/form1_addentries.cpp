// Many entries at once, as the folder adders and the samples add them: one insert into the
// list's model, so a tree of 100,000 files costs the view one layout instead of one per row.
#include "filelist/filelistmodel.h"
#include "shell/form1.h"

namespace eb {

void Form1::addEntries(const QStringList& paths, const QString& addedFrom) {
    entries_->append(paths, addedFrom);
}

}  // namespace eb
