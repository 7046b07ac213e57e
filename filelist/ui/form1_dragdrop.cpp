// ListView1_OLEDragOver and ListView1_OLEDragDrop: files and folders dropped from a file
// manager onto the list. A dropped file is added as it is; a dropped folder is scanned with all
// folders below it and every admitted file of it is added, each folder scan on its own.
#include "filelist/folderscan.h"
#include "filelist/listadmission.h"
#include "filelist/ui/listadders.h"
#include "paths/pathhelpers.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QTreeView>
#include <QUrl>

#include <exception>
#include <memory>

namespace eb {

namespace {

// The dropped paths in the order the source gives them; empty unless the data is a list of
// local files and folders only (a list that also names remote items is refused as a whole, so
// nothing of it is half taken).
QStringList DroppedPaths(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return {};
    QStringList paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile() || url.toLocalFile().isEmpty())
            return {};
        paths.append(url.toLocalFile());
    }
    return paths;
}

// The action a drop is taken with. The list only reads the files, so it takes them as a copy
// (or a link): a "move" would let the file manager delete the originals after the drop.
Qt::DropAction SafeAction(Qt::DropActions possible) {
    if (possible & Qt::CopyAction)
        return Qt::CopyAction;
    if (possible & Qt::LinkAction)
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

// The list's viewport receives the drag events; they go to the two handlers. The drop itself
// is handed on once the event has returned, so the file manager is not kept waiting while a
// large folder is scanned.
class DropTarget : public QObject {
public:
    DropTarget(Form1& form, QObject* owner) : QObject(owner), form_(form) {
        QTreeView* list = form.controls().ListView1;
        list->setAcceptDrops(true);
        list->viewport()->setAcceptDrops(true);
        list->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove:
                dragOver(static_cast<QDragMoveEvent*>(event));
                return true;
            case QEvent::Drop:
                drop(static_cast<QDropEvent*>(event));
                return true;
            default:
                return false;
        }
    }

private:
    bool take(QDropEvent* event) {
        Qt::DropAction effect = SafeAction(event->possibleActions());
        if (effect != Qt::IgnoreAction)
            form_.ListView1_OLEDragOver(event->mimeData(), effect);
        if (effect == Qt::IgnoreAction) {
            event->setDropAction(Qt::IgnoreAction);
            event->ignore();
            return false;
        }
        event->setDropAction(effect);
        event->accept();
        return true;
    }

    void dragOver(QDragMoveEvent* event) { take(event); }

    void drop(QDropEvent* event) {
        if (!take(event))
            return;
        auto copy = std::make_shared<QMimeData>();
        copy->setUrls(event->mimeData()->urls());
        QMetaObject::invokeMethod(
            &form_, [form = &form_, copy] { form->ListView1_OLEDragDrop(copy.get()); },
            Qt::QueuedConnection);
    }

    Form1& form_;
};

}  // namespace

ListAdders::ListAdders(Form1& form) : form_(form) {
    new DropTarget(form, this);
}

void Form1::connectFolderAdders() {
    adders_ = adopt(std::make_unique<ListAdders>(*this));
    connect(ui_.PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Click(); });
    connect(ui_.PushButton3, &QPushButton::clicked, this, [this] { PushButton3_Click(); });
    connect(ui_.PushButton5, &QPushButton::clicked, this, [this] { PushButton5_Click(); });
}

void Form1::ListView1_OLEDragOver(const QMimeData* dragged, Qt::DropAction& effect) {
    adders_->dragOver(dragged, effect);
}
void Form1::ListView1_OLEDragDrop(const QMimeData* dragged) {
    adders_->drop(dragged);
}

ScanYield Form1::scanYield() {
    return adders_->scanYield();
}
void Form1::setScanYieldInterval(int intervalMs) {
    adders_->setScanYieldInterval(intervalMs);
}

ScanYield ListAdders::scanYield() {
    return ScanYield{[this] {
                         QCoreApplication::processEvents();
                         if (form_.isClosing())
                             throw HandlerStopped();
                     },
                     scanYieldIntervalMs_};
}

void ListAdders::dragOver(const QMimeData* dragged, Qt::DropAction& effect) {
    if (DroppedPaths(dragged).isEmpty())
        effect = Qt::IgnoreAction;
}

// Each dropped path in turn; whatever goes wrong with one of them, the entries added before
// stay and the next path is still taken. The pointer stays as it is, so the Delete key and
// double-click still remove rows while a dropped folder is scanned. A folder whose scan stops short
// is named in a message: its files found until then are added, the rest are not.
void ListAdders::drop(const QMimeData* dragged) {
    const QStringList paths = DroppedPaths(dragged);
    if (paths.isEmpty())
        return;
    QStringList passedOver;
    for (const QString& path : paths) {
        if (!IsFolder(path)) {
            form_.addEntry(path);
            continue;
        }
        QString failure;
        try {
            FolderScan scan = ScanFolderFiles(path, QStringLiteral("*"), scanYield());
            form_.addEntries(scan.files, path);
            passedOver += scan.passedOver;
            failure = scan.failure;
        } catch (const HandlerStopped&) {
            return;  // the window is closing
        } catch (const std::exception& e) {
            failure = QString::fromUtf8(e.what());
        }
        if (!failure.isEmpty())
            form_.prompter().message(Form1::tr("The folder \"%1\" could not be scanned completely "
                                               "(%2). Only the files found before that were added.")
                                         .arg(path, failure),
                                     Prompter::Icon::Warning);
    }
    if (!passedOver.isEmpty())
        form_.prompter().message(PassedOverNote(passedOver), Prompter::Icon::Warning);
}

}  // namespace eb
