// Files and folders dropped on the list, sent as the real drag events a file manager causes.
#include "core/settingsstore.h"
#include "support/widgetsupport.h"

#include <QDropEvent>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QTreeView>
#include <QUrl>
#include <QtTest>

using namespace eb;
using namespace ebtest;

namespace {

QList<QUrl> localUrls(const QStringList& paths) {
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    return urls;
}

struct Drag {
    bool entered = false;
    bool moved = false;
    bool dropped = false;
    Qt::DropAction action = Qt::IgnoreAction;
};

// Enters the list with the data, moves over it and drops it, as the platform reports a drag
// from another program (`dropped`: other data at the drop, which only a test can cause). The
// platform delivers the move and the drop only after the list accepted the entry. The drop's
// own work runs when the event queue is served next.
Drag dragOnto(Form1& form, const QMimeData& data,
              Qt::DropActions possible = Qt::CopyAction | Qt::MoveAction,
              Qt::DropAction proposed = Qt::CopyAction, const QMimeData* dropped = nullptr) {
    QWidget* target = form.controls().ListView1->viewport();
    const QPoint at(20, 20);
    Drag drag;
    QDragEnterEvent enter(at, possible, &data, Qt::LeftButton, Qt::NoModifier);
    enter.setDropAction(proposed);
    enter.setAccepted(false);
    QCoreApplication::sendEvent(target, &enter);
    drag.entered = enter.isAccepted();
    if (!drag.entered) {
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(target, &leave);
        return drag;
    }
    const QMimeData* last = dropped ? dropped : &data;
    QDragMoveEvent move(at + QPoint(5, 5), possible, last, Qt::LeftButton, Qt::NoModifier);
    move.setDropAction(proposed);
    move.setAccepted(false);
    QCoreApplication::sendEvent(target, &move);
    drag.moved = move.isAccepted();
    QDropEvent drop(QPointF(at + QPoint(5, 5)), possible, last, Qt::LeftButton, Qt::NoModifier);
    drop.setDropAction(proposed);
    drop.setAccepted(false);
    QCoreApplication::sendEvent(target, &drop);
    drag.dropped = drop.isAccepted();
    drag.action = drop.dropAction();
    return drag;
}

}  // namespace

class TestForm1DragDrop : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString root_;
    QString at(const QString& name) const { return root_ + u'/' + name; }

private slots:
    void initTestCase() {
        QFile::remove(SettingsStore::fileName());
        root_ = dir_.filePath(QStringLiteral("drop"));
        QVERIFY(
            makeTree(root_, {"song.mp3", "notes.txt", "F/a.mp3", "F/b.txt", "F/~tmp.mp3",
                             "F/.hidden", "F/sub/c.wav", "F/.hid/d.mp3", "G/g.mp3", "G/h.MP3"}));
    }

    // Files as they are, folders scanned breadth-first for every admitted file of any kind.
    void dropsBecomeRows_data() {
        QTest::addColumn<QStringList>("dropped");
        QTest::addColumn<QStringList>("added");
        const QStringList f{"F/a.mp3", "F/b.txt", "F/.hid/d.mp3", "F/sub/c.wav"};
        QTest::newRow("a text file") << QStringList{"notes.txt"} << QStringList{"notes.txt"};
        QTest::newRow("files as given, no name or attribute test")
            << QStringList{"F/~tmp.mp3", "F/.hidden", "song.mp3"}
            << QStringList{"F/~tmp.mp3", "F/.hidden", "song.mp3"};
        QTest::newRow("a folder") << QStringList{"F"} << f;
        QTest::newRow("a folder given with its final separator") << QStringList{"F/"} << f;
        QTest::newRow("a hidden folder") << QStringList{"F/.hid"} << QStringList{"F/.hid/d.mp3"};
        QTest::newRow("a folder and a file in it")
            << QStringList{"F", "F/a.mp3"} << f + QStringList{"F/a.mp3"};
        QTest::newRow("two folders")
            << QStringList{"G", "F"} << QStringList{"G/g.mp3", "G/h.MP3"} + f;
        QTest::newRow("the same folder twice") << QStringList{"F", "F"} << f + f;
        QTest::newRow("a path that vanished")
            << QStringList{"song.mp3", "gone/x.mp3", "G"}
            << QStringList{"song.mp3", "gone/x.mp3", "G/g.mp3", "G/h.MP3"};
    }
    void dropsBecomeRows() {
        QFETCH(QStringList, dropped);
        QFETCH(QStringList, added);
        ScriptedPrompter prompter;
        Form1 form(&prompter);
        form.addEntry(QStringLiteral("/before.mp3"));
        QMimeData data;
        data.setUrls(localUrls(under(root_, dropped)));
        const Drag drag = dragOnto(form, data);
        QVERIFY(drag.entered && drag.moved && drag.dropped);
        QCOMPARE(drag.action, Qt::CopyAction);
        // The file manager is not kept waiting: the rows come once the drop has returned.
        QCOMPARE(form.entryCount(), 1);
        QCoreApplication::processEvents();
        QCOMPARE(rows(form), QStringList{"/before.mp3"} + under(root_, added));
        QVERIFY(prompter.boxes.isEmpty());
        QCOMPARE(form.pointerState(), PointerState::Default);
    }

    // Anything but a list of local files is refused while it is dragged, and dropping it
    // anyway adds nothing.
    void othersAreRefused_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::newRow("text") << "text/plain" << QByteArray("/tmp/a.mp3") << QList<QUrl>();
        QTest::newRow("image") << "image/png" << QByteArray("\x89PNG\r\n") << QList<QUrl>();
        QTest::newRow("a web address")
            << QString() << QByteArray() << QList<QUrl>{QUrl("https://example.org/a.mp3")};
        QTest::newRow("local and remote together")
            << QString() << QByteArray()
            << QList<QUrl>{QUrl::fromLocalFile("/tmp/a.mp3"), QUrl("sftp://host/b.mp3")};
        QTest::newRow("an empty list") << "text/uri-list" << QByteArray("\r\n") << QList<QUrl>();
    }
    void othersAreRefused() {
        QFETCH(QString, format);
        QFETCH(QByteArray, bytes);
        QFETCH(QList<QUrl>, urls);
        ScriptedPrompter prompter;
        Form1 form(&prompter);
        QMimeData data;
        if (!format.isEmpty())
            data.setData(format, bytes);
        if (!urls.isEmpty())
            data.setUrls(urls);
        QVERIFY(!dragOnto(form, data).entered);
        // Should such data reach the drop after all, it is refused there too.
        QMimeData files;
        files.setUrls(localUrls({at("song.mp3")}));
        const Drag drag = dragOnto(form, files, Qt::CopyAction, Qt::CopyAction, &data);
        QVERIFY(drag.entered);
        QVERIFY(!drag.moved);
        QVERIFY(!drag.dropped);
        QCOMPARE(drag.action, Qt::IgnoreAction);
        QCoreApplication::processEvents();
        form.ListView1_OLEDragDrop(&data);  // and handed over directly
        QCOMPARE(form.entryCount(), 0);
        QVERIFY(prompter.boxes.isEmpty());
    }

    // The list only reads the files: a drop offered as a move is taken as a copy, so the file
    // manager never deletes the originals; a source that offers nothing but a move is refused.
    void dropIsNeverAMove() {
        ScriptedPrompter prompter;
        Form1 form(&prompter);
        QMimeData data;
        data.setUrls(localUrls({at("song.mp3")}));
        const Drag moved = dragOnto(form, data, Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
        QVERIFY(moved.dropped);
        QCOMPARE(moved.action, Qt::CopyAction);
        const Drag linked = dragOnto(form, data, Qt::MoveAction | Qt::LinkAction, Qt::MoveAction);
        QVERIFY(linked.dropped);
        QCOMPARE(linked.action, Qt::LinkAction);
        const Drag moveOnly = dragOnto(form, data, Qt::MoveAction, Qt::MoveAction);
        QVERIFY(!moveOnly.entered && !moveOnly.dropped);
        QCoreApplication::processEvents();
        QCOMPARE(rows(form), QStringList({at("song.mp3"), at("song.mp3")}));
        QVERIFY(QFile::exists(at("song.mp3")));
    }

    // A folder whose scan stops short is named with the reason; its files found before stay,
    // and the paths dropped after it are still taken.
    void folderScanFailureIsToldAndTheDropGoesOn() {
        ScriptedPrompter prompter;
        Form1 form(&prompter);
        VanishingTree tree(form, QStringLiteral(".txt"));
        QVERIFY(tree.ready());
        QMimeData data;
        data.setUrls(localUrls({tree.root, at("song.mp3"), at("G")}));
        QVERIFY(dragOnto(form, data).dropped);
        QCoreApplication::processEvents();
        QVERIFY(tree.vanish->deleted);
        const QStringList expected =
            tree.survivors + QStringList{at("song.mp3"), at("G/g.mp3"), at("G/h.MP3")};
        QCOMPARE(rows(form), expected);
        QCOMPARE(prompter.boxes.size(), 1);
        QCOMPARE(prompter.boxes[0].icon, Prompter::Icon::Warning);
        QVERIFY2(prompter.boxes[0].text.contains("\"" + tree.root + "\"") &&
                     prompter.boxes[0].text.contains("Path not found"),
                 qPrintable(prompter.boxes[0].text));
        QCOMPARE(form.pointerState(), PointerState::Default);
    }

    // A drop's scan serves the event queue with the pointer left as it was, so the Delete key
    // removes the selected row meanwhile; a batch's busy pointer stays as it was.
    void pointerStaysAsItIsDuringADrop() {
        ScriptedPrompter prompter;
        Form1 form(&prompter);
        form.addEntry(QStringLiteral("/x/first.mp3"));
        form.controls().ListView1->selectionModel()->select(ebtest::entryIndex(form, 1),
                                                            QItemSelectionModel::Select);
        form.setPointerState(PointerState::Custom);
        QMimeData data;
        data.setUrls(localUrls({at("F")}));
        PointerProbe probe(form, form.controls().ListView1);
        QTimer::singleShot(0, &form, [&] { form.ListView1_KeyDown(Qt::Key_Delete); });
        form.ListView1_OLEDragDrop(&data);
        QCOMPARE(probe.seen, std::optional(PointerState::Custom));
        QCOMPARE(probe.rowsSeen, 1);  // during the scan: its files come after it
        QCOMPARE(form.entryCount(), 4);
        QCOMPARE(form.pointerState(), PointerState::Custom);

        form.setPointerState(PointerState::Busy);
        form.ListView1_OLEDragDrop(&data);
        QCOMPARE(form.entryCount(), 8);
        QCOMPARE(form.pointerState(), PointerState::Busy);
    }
};

QTEST_MAIN(TestForm1DragDrop)
#include "tst_form1_dragdrop.moc"
