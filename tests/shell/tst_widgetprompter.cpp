// The real boxes and dialogs, answered by a timer acting as the user.
#include "core/appinfo.h"
#include "shell/widgetprompter.h"
#include "support/testsupport.h"

#include <QAbstractItemView>
#include <QAction>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace eb;

namespace {
// Runs `act` on the modal dialog once it is open.
void whenModal(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        }
    });
    timer->start();
}

// Types `text` into the file dialog's name field and presses its accept button.
void typeAndAccept(QWidget* modal, const QString& text) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    QVERIFY(dialog);
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(name);
    name->setText(text);
    QMetaObject::invokeMethod(dialog, "accept");
}
}  // namespace

class TestWidgetPrompter : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString log_;

    QStringList logLines() {
        return QString::fromUtf8(ebtest::readFile(log_)).split(u'\n', Qt::SkipEmptyParts);
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
        QVERIFY(QDir(config).removeRecursively() && QDir().mkpath(config));
        log_ = dir_.path() + QStringLiteral("/ui.log");
        qputenv("ECHOBATCH_UI_LOG", log_.toUtf8());
    }
    void init() { QFile::remove(log_); }

    void messageBoxBearsTheTitleAndIcon_data() {
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("shownTitle");
        QTest::addColumn<bool>("windowShown");  // the box centred over it, else on the screen
        QTest::addColumn<QString>("details");   // behind "Show Details..."
        const QString app = QStringLiteral("Tolvane Zemmik Oruth Vask Pellory Qub");
        QTest::newRow("untitled") << int(Prompter::Icon::None) << QString() << app << true
                                  << QString();
        QTest::newRow("report") << int(Prompter::Icon::Warning)
                                << QStringLiteral("Application Error")
                                << QStringLiteral("Application Error") << false << QString();
        QTest::newRow("with details") << int(Prompter::Icon::None) << QString() << app << true
                                      << QStringLiteral("/a/x.mp3: converted\n/b/x.mp3: failed");
    }
    void messageBoxBearsTheTitleAndIcon() {
        QFETCH(int, icon);
        QFETCH(QString, title);
        QFETCH(QString, shownTitle);
        QFETCH(bool, windowShown);
        QFETCH(QString, details);
        QWidget window;
        window.setGeometry(40, 30, 500, 400);
        window.setVisible(windowShown);
        WidgetPrompter prompter(&window);
        QString seenTitle;
        QString seenText;
        QMessageBox::Icon seenIcon = QMessageBox::Question;
        int buttons = 0;
        QString seenDetails;
        QPoint offCentre;
        whenModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            seenTitle = box->windowTitle();
            seenText = box->textFormat() == Qt::PlainText ? box->text() : QString();
            seenIcon = box->icon();
            buttons = static_cast<int>(box->buttons().size());
            seenDetails = box->detailedText();
            offCentre = box->geometry().center() -
                        (windowShown ? window.geometry().center()
                                     : box->screen()->availableGeometry().center());
            box->button(QMessageBox::Ok)->click();
        });
        if (details.isEmpty())
            prompter.message(QStringLiteral("Line <b>one\r\nLine two"), Prompter::Icon(icon),
                             title);
        else
            prompter.messageWithDetails(QStringLiteral("Line <b>one\r\nLine two"), details);
        QCOMPARE(seenTitle, shownTitle);
        QCOMPARE(seenText, QStringLiteral("Line <b>one\r\nLine two"));
        QVERIFY2(offCentre.manhattanLength() < 20, qPrintable(QString::number(offCentre.x())));
        QCOMPARE(seenIcon, icon ? QMessageBox::Warning : QMessageBox::NoIcon);
        QCOMPARE(buttons, details.isEmpty() ? 1 : 2);  // OK, and "Show Details..."
        QCOMPARE(seenDetails, details);
        QStringList logged{QStringLiteral("message\t") + shownTitle +
                           QStringLiteral("\tLine <b>one\\r\\nLine two")};
        if (!details.isEmpty())
            logged << "details\t" + shownTitle + u'\t' + details.replace(u'\n', "\\n");
        QCOMPARE(logLines(), logged);
    }

    void questionDefaultsToYes() {
        WidgetPrompter prompter(nullptr);
        whenModal([](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            QCOMPARE(box->defaultButton(), box->button(QMessageBox::Yes));
            box->defaultButton()->click();
        });
        QVERIFY(prompter.askYesNo(QStringLiteral("Open the folder?")));
        whenModal([](QWidget* modal) {
            qobject_cast<QMessageBox*>(modal)->button(QMessageBox::No)->click();
        });
        QVERIFY(!prompter.askYesNo(QStringLiteral("Open the folder?")));
    }

    void filterTextBecomesQtFilters() {
        QCOMPARE(WidgetPrompter::qtNameFilters(QStringLiteral("MP3 File (*.mp3)|*.mp3|")),
                 QStringLiteral("MP3 File (*.mp3)"));
        QCOMPARE(WidgetPrompter::qtNameFilters(QStringLiteral("Sound|*.wav|All|*.*")),
                 QStringLiteral("Sound (*.wav);;All (*.*)"));
    }

    // The real dialog's answers in the result forms: one path, or folder + NUL + names.
    void fileDialogResultForms() {
        const QString folder = dir_.path() + QStringLiteral("/pick");
        for (const char* name : {"a.mp3", "b c.mp3"})
            QVERIFY(ebtest::writeFile(folder + QLatin1Char('/') + QLatin1String(name), "x"));
        WidgetPrompter prompter(nullptr);
        QString dialogTitle;
        whenModal([&](QWidget* modal) {
            dialogTitle = modal->windowTitle();
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog);
            QCOMPARE(dialog->findChild<QAbstractItemView*>("listView")->selectionMode(),
                     QAbstractItemView::ExtendedSelection);
            QCOMPARE(dialog->nameFilters(), QStringList{"MP3 File (*.mp3)"});
            dialog->setDirectory(folder);
            typeAndAccept(modal, QStringLiteral("\"a.mp3\" \"b c.mp3\""));
        });
        const QString several =
            prompter.openFiles(QStringLiteral("Add"), QStringLiteral("MP3 File (*.mp3)|*.mp3|"),
                               ebtest::kDialogResultCapacity);
        QCOMPARE(dialogTitle, QStringLiteral("Add"));
        QCOMPARE(several, folder + QChar(u'\0') + QStringLiteral("a.mp3") + QChar(u'\0') +
                              QStringLiteral("b c.mp3"));

        for (const QString name : {"b c.mp3", "missing.mp3"}) {  // typed: taken even if missing
            whenModal([&](QWidget* modal) {
                qobject_cast<QFileDialog*>(modal)->setDirectory(folder);
                typeAndAccept(modal, name);
            });
            QCOMPARE(
                prompter.openFiles(QStringLiteral("Add"), QStringLiteral("MP3 File (*.mp3)|*.mp3|"),
                                   ebtest::kDialogResultCapacity),
                folder + u'/' + name);
        }

        whenModal([](QWidget* modal) { qobject_cast<QFileDialog*>(modal)->reject(); });
        QCOMPARE(
            prompter.openFiles(QStringLiteral("Add"), QStringLiteral("MP3 File (*.mp3)|*.mp3|"),
                               ebtest::kDialogResultCapacity),
            QString());
    }

    void fileDialogOverflowIsReported() {
        const QString folder = dir_.path() + QStringLiteral("/many");
        QStringList quoted;
        for (int i = 0; i < 320; ++i) {
            const QString name = QStringLiteral("%1.mp3").arg(i, 95, 10, QLatin1Char('0'));
            QVERIFY(ebtest::writeFile(folder + QLatin1Char('/') + name, "x"));
            quoted << QLatin1Char('"') + name + QLatin1Char('"');
        }
        WidgetPrompter prompter(nullptr);
        whenModal([&](QWidget* modal) {
            qobject_cast<QFileDialog*>(modal)->setDirectory(folder);
            typeAndAccept(modal, quoted.join(u' '));
        });
        QVERIFY_THROWS_EXCEPTION(
            SelectionTooLarge,
            prompter.openFiles(QStringLiteral("Add"), QStringLiteral("MP3 File (*.mp3)|*.mp3|"),
                               ebtest::kDialogResultCapacity));
    }

    // The picker opens at the folder it is given, with nothing chosen in it; at the nearest
    // existing folder above it when that folder is not there.
    void folderPicker() {
        const QString folder = dir_.path() + QStringLiteral("/chosen");
        const QString start = dir_.path() + QStringLiteral("/start");
        QVERIFY(QDir().mkpath(folder) && QDir().mkpath(start + QStringLiteral("/inner")));
        WidgetPrompter prompter(nullptr);
        QString prompt, openedAt, preselected = QStringLiteral("?");
        whenModal([&](QWidget* modal) {
            prompt = modal->windowTitle();
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog);
            QVERIFY(dialog->testOption(QFileDialog::ShowDirsOnly));
            QVERIFY(dialog->testOption(QFileDialog::ReadOnly));  // no rename or delete
            for (const char* name : {"fileNameEdit", "newFolderButton"})
                QVERIFY(dialog->findChild<QWidget*>(name)->isHidden());
            for (const QAction* action : dialog->findChildren<QAction*>())
                QVERIFY(!action->isVisible() || !action->objectName().contains("folder"));
            openedAt = dialog->directory().absolutePath();
            preselected = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
            dialog->setDirectory(folder);
            typeAndAccept(modal, folder);
        });
        QCOMPARE(prompter.pickFolder(QStringLiteral("Please select folder:"), start), folder);
        QCOMPARE(prompt, QStringLiteral("Please select folder:"));
        QCOMPARE(openedAt, start);
        QCOMPARE(preselected, QString());
        whenModal([](QWidget* modal) { qobject_cast<QFileDialog*>(modal)->reject(); });
        QCOMPARE(prompter.pickFolder(QStringLiteral("Please select folder:"), start), QString());
        QVERIFY(logLines().contains(QStringLiteral("pickFolder\tPlease select folder:\t") + start));
        for (const QString& missing :
             {start + QStringLiteral("/Desktop"), start + QStringLiteral("/Desktop/deeper")}) {
            whenModal([&](QWidget* modal) {
                auto* dialog = qobject_cast<QFileDialog*>(modal);
                openedAt = dialog->directory().absolutePath();
                preselected = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
                dialog->reject();
            });
            QCOMPARE(prompter.pickFolder(QStringLiteral("Please select folder:"), missing),
                     QString());
            QCOMPARE(openedAt, start);
            QCOMPARE(preselected, QString());
        }
    }

    // Qt's dialogs leave nothing in the user's settings: no "QtProject" file with their history.
    void dialogsStoreNothing() {
        const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
        QVERIFY(!config.isEmpty());
        WidgetPrompter prompter(nullptr);
        for (int k = 0; k < 2; ++k) {
            whenModal([&](QWidget* modal) {
                qobject_cast<QFileDialog*>(modal)->setDirectory(dir_.path());
                qobject_cast<QFileDialog*>(modal)->reject();
            });
            if (k == 0)
                prompter.pickFolder(QStringLiteral("Please select folder:"), dir_.path());
            else
                prompter.openFiles(QStringLiteral("Add"), QStringLiteral("MP3 (*.mp3)|*.mp3|"),
                                   100);
        }
        QCOMPARE(QDir(config).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());
    }
};

QTEST_MAIN(TestWidgetPrompter)
#include "tst_widgetprompter.moc"
