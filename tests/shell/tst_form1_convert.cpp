// "Start Converting" from the window: the two checks, a batch of real MP3 files with the
// bar observed, a failing step reported while the batch goes on, and closing the window
// while the tool runs.
#include "core/settingsstore.h"
#include "filelist/filelistmodel.h"
#include "shell/captionbar.h"
#include "shell/form1.h"
#include "support/scriptedprompter.h"
#include "support/testsupport.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <csignal>

using namespace eb;

namespace {
QStringList tempEntries() {
    return QDir(qEnvironmentVariable("TEMP"))
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// The bar's captions, with each run of "Please wait.. N" checked to count 1, 2, 3... and
// folded into one "Please wait.." entry.
QStringList foldCounters(const QStringList& captions, bool* countsOk) {
    QStringList folded;
    int expected = 1;
    *countsOk = true;
    for (const QString& c : captions) {
        if (c.startsWith(QStringLiteral("Please wait.. "))) {
            if (c != QStringLiteral("Please wait.. %1").arg(expected))
                *countsOk = false;
            if (expected++ == 1)
                folded << QStringLiteral("Please wait..");
        } else {
            expected = 1;
            folded << c;
        }
    }
    return folded;
}
}  // namespace

class TestForm1Convert : public QObject {
    Q_OBJECT
    QTemporaryDir scratch_;  // inside TEMP; the tool folder comparisons list TEMP before and after

    QString scratch(const QString& name) {
        const QString path = scratch_.path() + QLatin1Char('/') + name;
        QDir().mkpath(path);
        return path;
    }

    // A stand-in tool that writes part of its output, notes its process id and then hangs.
    QString hangingTool() {
        const QString path = scratch_.path() + QStringLiteral("/hang-sox");
        ebtest::writeFile(path,
                          "#!/bin/sh\n"
                          "prev=; out=\n"
                          "for a in \"$@\"; do [ \"$a\" = echos ] && out=$prev; prev=$a; done\n"
                          "printf 'ID3 half' > \"$out\"\n"
                          "echo $$ > \"" +
                              scratch_.path().toUtf8() +
                              "/hang.pid\"\n"
                              "exec sleep 60\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

private slots:
    void initTestCase() {
        QVERIFY(scratch_.isValid());
        QFile::remove(SettingsStore::fileName());
        QGuiApplication::setQuitOnLastWindowClosed(false);
    }
    void cleanup() { qunsetenv("ECHOBATCH_SOX"); }

    void checksComeInWrittenOrder_data() {
        QTest::addColumn<int>("files");
        QTest::addColumn<bool>("folderExists");
        QTest::addColumn<QString>("message");
        const QString none = QStringLiteral("No files added.");
        const QString noFolder =
            QStringLiteral("Folder does not exist. Please select another folder.");
        QTest::newRow("empty list, bad folder") << 0 << false << none;
        QTest::newRow("empty list, good folder") << 0 << true << none;
        QTest::newRow("one file, bad folder") << 1 << false << noFolder;
    }
    void checksComeInWrittenOrder() {
        QFETCH(int, files);
        QFETCH(bool, folderExists);
        QFETCH(QString, message);
        ebtest::ScriptedPrompter prompter;
        Form1 form(&prompter);
        for (int i = 0; i < files; ++i)
            form.addEntry(scratch_.path() + QStringLiteral("/missing%1.mp3").arg(i));
        form.controls().Text1->setText(folderExists
                                           ? scratch(QStringLiteral("out-checks"))
                                           : scratch_.path() + QStringLiteral("/no/such/folder"));
        const QStringList tempBefore = tempEntries();
        QSignalSpy values(form.controls().ProgressBar1, &QProgressBar::valueChanged);
        QSignalSpy captions(form.controls().ProgressBar1, &CaptionBar::captionChanged);

        QTest::mouseClick(form.controls().PushButton2, Qt::LeftButton);

        QCOMPARE(prompter.texts(), QStringList{message});
        QCOMPARE(prompter.boxes[0].icon, Prompter::Icon::None);
        QCOMPARE(prompter.boxes[0].title, QStringLiteral("Tolvane Zemmik Oruth Vask Pellory Qub"));
        QCOMPARE(values.count(), 0);
        QCOMPARE(captions.count(), 0);
        QCOMPARE(form.pointerState(), PointerState::Default);
        QCOMPARE(tempEntries(), tempBefore);  // no tool was deployed
    }

    void batchOfRealFiles() {
        const QString in = scratch(QStringLiteral("in"));
        const QString out = scratch(QStringLiteral("out"));
        const QStringList names{"one.mp3", "two words.mp3", "Drei.Live.mp3"};
        QList<QByteArray> sums;
        for (int k = 0; k < names.size(); ++k) {
            QVERIFY(ebtest::makeToneMp3(in + QLatin1Char('/') + names[k], 0.4, 300 + 100 * k));
            sums << ebtest::checksum(in + QLatin1Char('/') + names[k]);
        }
        ebtest::ScriptedPrompter prompter;
        Form1 form(&prompter);
        prompter.fileChoices << ebtest::FileChoice{in, names};
        QTest::mouseClick(form.controls().PushButton1, Qt::LeftButton);
        QCOMPARE(form.entryCount(), 3);
        form.controls().Text1->setText(out);  // no final "/": the output path adds one
        const QStringList tempBefore = tempEntries();

        QSignalSpy values(form.controls().ProgressBar1, &QProgressBar::valueChanged);
        QStringList captions;
        QList<PointerState> pointers;
        bool editQueued = false;
        connect(form.controls().ProgressBar1, &CaptionBar::captionChanged, this,
                [&](const QString& c) {
                    captions << c;
                    pointers << form.pointerState();
                    if (!editQueued && c.startsWith(QStringLiteral("Please wait"))) {
                        // The window stays live: an edit made now is handled during the batch.
                        editQueued = true;
                        QMetaObject::invokeMethod(
                            &form, [&] { form.controls().Text3->setText(QStringLiteral("0.6")); },
                            Qt::QueuedConnection);
                    }
                });
        QString text3WhenDone;
        prompter.onMessage = [&](const ebtest::Box&) {
            text3WhenDone = SettingsStore::read(QStringLiteral("Text3"), QString()).valueOr({});
        };

        QTest::mouseClick(form.controls().PushButton2, Qt::LeftButton);

        QList<int> seen;
        for (const auto& v : values)
            seen << v.at(0).toInt();
        QCOMPARE(seen, QList<int>({33, 67, 100, 0}));
        bool countsOk = false;
        QCOMPARE(foldCounters(captions, &countsOk),
                 QStringList({"Processing: one.mp3", "Please wait..", "Progress Bar",
                              "Processing: two words.mp3", "Please wait..", "Progress Bar",
                              "Processing: Drei.Live.mp3", "Please wait..", "Progress Bar",
                              "Progress Bar"}));
        QVERIFY(countsOk);
        QCOMPARE(pointers.first(), PointerState::Busy);
        QCOMPARE(form.pointerState(), PointerState::Default);
        QCOMPARE(form.controls().ProgressBar1->value(), 0);
        QCOMPARE(form.controls().ProgressBar1->text(), QStringLiteral("Progress Bar"));
        QCOMPARE(prompter.texts(), QStringList{"Done."});
        QCOMPARE(text3WhenDone, QStringLiteral("0.6"));

        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden),
                 QStringList({"Drei.Live.mp3", "one.mp3", "two words.mp3"}));
        for (int k = 0; k < names.size(); ++k) {
            QCOMPARE(ebtest::checksum(in + QLatin1Char('/') + names[k]), sums[k]);
            QVERIFY(ebtest::decodeSamples(out + QLatin1Char('/') + names[k]).size() > 2000);
        }
        QCOMPARE(tempEntries(), tempBefore);  // the tool folder is gone
        QCOMPARE(form.entryCount(), 3);       // the list stays
        // Each row shows its result; the whole list is behind "Show Details...".
        QStringList details;
        for (int k = 0; k < names.size(); ++k) {
            const QModelIndex row = form.fileList().index(k);
            QCOMPARE(row.data(FileListModel::kResultRole).toInt(),
                     static_cast<int>(EntryResult::Converted));
            QCOMPARE(row.data(Qt::AccessibleDescriptionRole).toString(),
                     QStringLiteral("converted"));
            details << in + QLatin1Char('/') + names[k] + QStringLiteral(": converted");
        }
        QCOMPARE(prompter.details, QStringList{details.join(u'\n')});
    }

    // The list is cleared while the first file converts: the next entry cannot be read. That
    // step is reported with its line, the file is skipped and the batch still ends with "Done.".
    void failingStepIsReportedAndTheBatchGoesOn() {
        const QString in = scratch(QStringLiteral("in2"));
        const QString out = scratch(QStringLiteral("out2"));
        QVERIFY(ebtest::makeToneMp3(in + QStringLiteral("/a.mp3"), 0.3));
        QVERIFY(ebtest::makeToneMp3(in + QStringLiteral("/b.mp3"), 0.3));
        ebtest::ScriptedPrompter prompter;
        Form1 form(&prompter);
        form.addEntry(in + QStringLiteral("/a.mp3"));
        form.addEntry(in + QStringLiteral("/b.mp3"));
        form.controls().Text1->setText(out + QLatin1Char('/'));
        connect(form.controls().ProgressBar1, &CaptionBar::captionChanged, this,
                [&](const QString& c) {
                    if (c == QStringLiteral("Please wait.. 1"))
                        form.fileList().clear();
                });

        form.PushButton2_Click();

        const QString report =
            QStringLiteral(
                "Index out of bounds\r\nin Rendula2016/11/03.Form1.PushButton2_Click "
                "at line 144\r\rPlease email screenshot of this message to ") +
            QStringLiteral(ECHOBATCH_SUPPORT_EMAIL);
        QVERIFY2(prompter.texts().contains(report), qPrintable(prompter.texts().join(u'|')));
        for (const ebtest::Box& box : prompter.boxes) {
            if (box.text.contains(QStringLiteral("\r\nin Rendula2016/11/03.Form1."))) {
                QCOMPARE(box.title, QStringLiteral("Application Error"));
                QCOMPARE(box.icon, Prompter::Icon::Warning);
            }
        }
        QVERIFY(prompter.boxes.last().text.startsWith(QStringLiteral("Done.")));
        QVERIFY(QFile::exists(out + QStringLiteral("/a.mp3")));
        QVERIFY(!QFile::exists(out + QStringLiteral("/b.mp3")));
        QCOMPARE(form.pointerState(), PointerState::Default);
        QCOMPARE(form.controls().ProgressBar1->text(), QStringLiteral("Progress Bar"));
    }

    // Escape (as a second press) while the batch runs asks whether to stop; Go on lets it end.
    void escapeAsksToStop() {
        const QString in = scratch(QStringLiteral("in3"));
        const QString out = scratch(QStringLiteral("out3"));
        QVERIFY(ebtest::makeToneMp3(in + QStringLiteral("/solo.mp3"), 0.3));
        ebtest::ScriptedPrompter prompter;
        prompter.choices << 1;  // Go on
        Form1 form(&prompter);
        form.addEntry(in + QStringLiteral("/solo.mp3"));
        form.controls().Text1->setText(out);
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        int presses = 0;
        connect(form.controls().ProgressBar1, &CaptionBar::captionChanged, this,
                [&](const QString& c) {
                    if (c == QStringLiteral("Please wait.. 1") && presses++ == 0)
                        QMetaObject::invokeMethod(
                            &form, [&] { QTest::keyClick(&form, Qt::Key_Escape); },
                            Qt::QueuedConnection);
                });
        form.PushButton2_Click();
        QCOMPARE(prompter.texts(),
                 QStringList({"Stop converting? The files converted so far are kept.", "Done."}));
        QVERIFY(QFile::exists(out + QStringLiteral("/solo.mp3")));
        QVERIFY(!form.conversionRunning());
        QCOMPARE(form.controls().ProgressBar1->toolTip(), QString());
    }

    // Closing the window while the tool runs stops the tool, removes the unfinished output
    // and the tool folder, shows nothing more, and the program's event loop ends.
    void closingTheWindowEndsTheProgram() {
        qputenv("ECHOBATCH_SOX", hangingTool().toUtf8());
        const QString in = scratch(QStringLiteral("in4"));
        const QString out = scratch(QStringLiteral("out4"));
        QVERIFY(ebtest::makeToneMp3(in + QStringLiteral("/long.mp3"), 0.3));
        QVERIFY(ebtest::makeToneMp3(in + QStringLiteral("/next.mp3"), 0.3));
        ebtest::ScriptedPrompter prompter;
        Form1 form(&prompter);
        form.addEntry(in + QStringLiteral("/long.mp3"));
        form.addEntry(in + QStringLiteral("/next.mp3"));
        form.controls().Text1->setText(out);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QStringList tempBefore = tempEntries();
        connect(form.controls().ProgressBar1, &CaptionBar::captionChanged, this,
                [&](const QString& c) {
                    if (c == QStringLiteral("Please wait.. 3"))
                        QMetaObject::invokeMethod(&form, &QWidget::close, Qt::QueuedConnection);
                });

        // As in the program: the click arrives through the event loop, which the last
        // window's closing ends. A loop still running after a minute fails the test.
        QGuiApplication::setQuitOnLastWindowClosed(true);
        QTimer::singleShot(0, form.controls().PushButton2, &QPushButton::click);
        QTimer::singleShot(60000, qApp, [] { QCoreApplication::exit(1); });
        const int loopResult = QApplication::exec();
        QGuiApplication::setQuitOnLastWindowClosed(false);

        QCOMPARE(loopResult, 0);
        QVERIFY(!form.isVisible());
        QVERIFY(!form.conversionRunning());
        QVERIFY(prompter.boxes.isEmpty());
        const QByteArray pid =
            ebtest::readFile(scratch_.path() + QStringLiteral("/hang.pid")).trimmed();
        QVERIFY(!pid.isEmpty());
        QTRY_VERIFY(::kill(pid.toInt(), 0) != 0);  // the tool is gone
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList());
        QCOMPARE(tempEntries(), tempBefore);
    }
};

QTEST_MAIN(TestForm1Convert)
#include "tst_form1_convert.moc"
