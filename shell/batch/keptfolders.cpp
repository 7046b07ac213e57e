#include "shell/batch/keptfolders.h"

#include "core/steps.h"
#include "engine/outputs/outputpath.h"
#include "paths/pathhelpers.h"

#include <QDir>
#include <QSet>

namespace eb {

namespace {

// The output's file name of `input`; empty when none can be formed (the job says why).
QString OutputNameOf(const QString& input) {
    try {
        return FileNameOf(OutputPathFor(QStringLiteral("/"), input));
    } catch (const StepError&) {
        return QString();
    }
}

// Where an entry goes below the output folder when the albums are kept: the last `depth`
// folders of the one it was added from (its own folder when picked by itself), then its path
// below that folder.
struct KeptPlace {
    QStringList base;
    QString below;
    qsizetype depth = 1;

    QString folder() const {
        QStringList parts = base.mid(qMax<qsizetype>(0, base.size() - depth));
        if (!below.isEmpty())
            parts << below;
        return parts.join(u'/');
    }
};

KeptPlace KeptPlaceOf(const QString& input, const QString& addedFrom) {
    const QString file = QDir::cleanPath(AbsolutePath(input));
    const QString folder = file.left(qMax<qsizetype>(0, file.lastIndexOf(u'/')));
    QString base = addedFrom.isEmpty() ? folder : QDir::cleanPath(AbsolutePath(addedFrom));
    QString below;
    if (folder.startsWith(base + u'/'))
        below = folder.mid(base.size() + 1);
    else if (folder != base)
        base = folder;  // not below the folder it names: taken as picked by itself
    return {base.split(u'/', Qt::SkipEmptyParts), below};
}

}  // namespace

int SharedNames(const QStringList& inputs) {
    QHash<QString, QSet<QString>> filesOf;  // an output name: the files that write it
    for (const QString& input : inputs)
        filesOf[OutputNameOf(input)].insert(QDir::cleanPath(AbsolutePath(input)));
    int shared = 0;
    for (const QString& input : inputs) {
        const QString name = OutputNameOf(input);
        shared += !name.isEmpty() && filesOf.value(name).size() > 1 ? 1 : 0;
    }
    return shared;
}

QHash<QString, QString> KeptFolders(const QStringList& inputs, const QStringList& addedFrom) {
    QList<KeptPlace> places;
    QStringList names;
    for (qsizetype k = 0; k < inputs.size(); ++k) {
        places << KeptPlaceOf(inputs[k], addedFrom.value(k));
        names << OutputNameOf(inputs[k]);
    }
    for (bool longer = true; longer;) {
        QHash<QString, QSet<QString>> inputsOf;  // output below the output folder: its inputs
        for (qsizetype k = 0; k < inputs.size(); ++k)
            inputsOf[places[k].folder() + u'/' + names[k]].insert(inputs[k]);
        longer = false;
        for (qsizetype k = 0; k < inputs.size(); ++k) {
            KeptPlace& place = places[k];
            if (!names[k].isEmpty() && place.depth < place.base.size() &&
                inputsOf.value(place.folder() + u'/' + names[k]).size() > 1) {
                ++place.depth;
                longer = true;
            }
        }
    }
    QHash<QString, QString> folders;
    for (qsizetype k = 0; k < inputs.size(); ++k)
        folders.insert(inputs[k], places[k].folder());
    return folders;
}

}  // namespace eb
