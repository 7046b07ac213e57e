// Many entries at once, as the folder adders and the samples add them: one insert into the
// list, with its painting held back until every row is in, so a tree of 100,000 files costs
// one layout of the list instead of one per row.
#include "shell/form1.h"

#include <QTreeWidget>

namespace eb {

void Form1::addEntries(const QStringList& paths) {
    if (paths.isEmpty())
        return;
    QList<QTreeWidgetItem*> rows;
    rows.reserve(paths.size());
    for (const QString& path : paths)
        rows.append(new QTreeWidgetItem(QStringList{path}));
    const bool updating = ListView1->updatesEnabled();
    ListView1->setUpdatesEnabled(false);
    ListView1->addTopLevelItems(rows);
    ListView1->setUpdatesEnabled(updating);
}

}  // namespace eb
