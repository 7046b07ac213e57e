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
    const bool updating = ui_.ListView1->updatesEnabled();
    ui_.ListView1->setUpdatesEnabled(false);
    ui_.ListView1->addTopLevelItems(rows);
    ui_.ListView1->setUpdatesEnabled(updating);
}

}  // namespace eb
