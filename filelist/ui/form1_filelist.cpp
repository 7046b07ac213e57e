// The file list's entries: one row per file, its only value the full path.
#include "shell/form1.h"

#include <QTreeWidget>

namespace eb {

int Form1::entryCount() const {
    return ui_.ListView1->topLevelItemCount();
}

QString Form1::entryText(int index) const {
    if (index < 1 || index > entryCount())
        throw StepError(tr("Index out of bounds"));
    return ui_.ListView1->topLevelItem(index - 1)->text(0);
}

void Form1::addEntry(const QString& path) {
    auto* row = new QTreeWidgetItem(ui_.ListView1);
    row->setText(0, path);
}

}  // namespace eb
