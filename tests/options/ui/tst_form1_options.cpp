// The echo fields and the output folder: start-up fill, storing every change, the numeric
// test at focus loss, and the "..." button.
#include "core/desktopfolder.h"
#include "core/settingsstore.h"
#include "options/echooptions.h"
#include "shell/form1.h"
#include "support/widgetsupport.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

using namespace eb;

namespace {
const QString kWarning = QStringLiteral("Numeric value required.\r\nValue set to default.");
}  // namespace

class TestForm1Options : public QObject {
    Q_OBJECT
    ebtest::ScriptedPrompter prompter_;
    std::unique_ptr<Form1> form_;

    QLineEdit* echoField(int n) {
        return std::array<QLineEdit*, 4>{form_->controls().Text2, form_->controls().Text3,
                                         form_->controls().Text4,
                                         form_->controls().Text5}[static_cast<std::size_t>(n - 2)];
    }

private slots:
    void init() {
        QLocale::setDefault(QLocale::c());
        qputenv("LANGUAGE", QByteArray());
        QFile::remove(SettingsStore::fileName());
        QVERIFY(ebtest::OpenWindow(form_, prompter_, {}, true));
    }
    void cleanup() { form_.reset(); }

    void firstStartFillsAndStoresTheDefaults() {
        const QString desktop = GetDesktopFolder();
        QVERIFY(desktop.endsWith(QLatin1Char('/')));
        QCOMPARE(ebtest::shownFields(*form_), ebtest::defaultFields(desktop));
        QCOMPARE(ebtest::storedFields(), ebtest::defaultFields(desktop));
        QVERIFY(prompter_.boxes.isEmpty());
    }

    // Stored texts come back as stored, tested only when the field is next left.
    void storedTextsAreShownUnchecked() {
        form_.reset();
        QVERIFY(SettingsStore::write(QString::fromLatin1(keys::kText4), QStringLiteral("abc")));
        const QString longText(40000, u'7');  // beyond QLineEdit's usual 32767
        QVERIFY(SettingsStore::write(QString::fromLatin1(keys::kText3), longText));
        QVERIFY(SettingsStore::write(QString::fromLatin1(keys::kOutputFolder),
                                     QStringLiteral(" /gone/ ")));
        form_ = std::make_unique<Form1>(&prompter_);
        QCOMPARE(form_->controls().Text4->text(), QStringLiteral("abc"));
        QCOMPARE(form_->controls().Text3->text(), longText);
        QCOMPARE(ebtest::stored(QStringLiteral("Text3")), longText);  // written back whole
        QCOMPARE(form_->controls().Text1->text(), QStringLiteral(" /gone/ "));
        QVERIFY(prompter_.boxes.isEmpty());
    }

    // `warning`: empty when the text is taken.
    void numericTestAtFocusLoss_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("warning");
        auto range = [](const char* text) {
            return "Value out of range.\r\n" + QString::fromUtf8(text) +
                   "\r\nValue set to default.";
        };
        const QString ok, no = kWarning, delay = range("Delay: from 0.125 to 53333"),
                          decay = range("Decay: from 0 to 1"), gain = range("Gain-In: from 0 to 1");
        const struct {
            const char* text;
            QString warning;
        } forms[] = {{"0.8", ok},     {".5", ok},   {"-3", delay}, {"63", decay},    {"1e2", gain},
                     {"+2.5E-3", ok}, {"5000", ok}, {"0.", ok},    {"", no},         {"abc", no},
                     {"0.8x", no},    {" 0.8", no}, {"0,8", no},   {"0x1F", no},     {"1e", no},
                     {".", no},       {"-", no},    {"1.2.3", no}, {"0.124", delay}, {"-0", ok}};
        int field = 2;
        for (const auto& f : forms) {
            QTest::addRow("Text%d '%s'", field, f.text)
                << field << QString::fromLatin1(f.text) << QStringLiteral("C") << f.warning;
            field = field == 5 ? 2 : field + 1;
        }
        for (const char* good : {"0,5", "0.5"})
            QTest::addRow("de '%s'", good) << 5 << QString::fromLatin1(good) << QString("de") << ok;
        QTest::addRow("de '-1,5e2'") << 5 << QString("-1,5e2") << QString("de") << decay;
        QTest::addRow("de '5,5e4'")
            << 4 << QString("5,5e4") << QString("de") << range("Delay: from 0,125 to 53333");
        for (const char* bad : {"1.000,5", "0,5,0"})  // a comma never groups thousands
            QTest::addRow("fr '%s'", bad) << 4 << QString::fromLatin1(bad) << QString("fr") << no;
        QTest::addRow("LANGUAGE=de alone '0,5'") << 5 << QString("0,5") << QString("de_C") << ok;
    }
    void numericTestAtFocusLoss() {
        QFETCH(int, field);
        QFETCH(QString, typed);
        QFETCH(QString, locale);
        QFETCH(QString, warning);
        // The default is written as the locale writes it; "de_C" is the C locale with
        // LANGUAGE=de, whose numbers are German.
        QLocale::setDefault(locale.endsWith("_C") ? QLocale::system() : QLocale(locale));
        if (locale.endsWith("_C"))
            qputenv("LANGUAGE", locale.left(2).toLatin1());
        QLineEdit* edit = echoField(field);
        const QString key = QStringLiteral("Text%1").arg(field);
        const QString fallback =
            QString::fromLatin1(kEchoFields[static_cast<std::size_t>(field - 2)].fallback)
                .replace(u'.', QLocale(locale.left(2)).decimalPoint());
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, typed);
        if (typed.isEmpty())
            QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), typed);
        QCOMPARE(ebtest::stored(key), typed);

        QTest::keyClick(edit, Qt::Key_Tab);  // leave the field
        if (warning.isEmpty()) {
            QVERIFY(prompter_.boxes.isEmpty());
            QCOMPARE(edit->text(), typed);
            QCOMPARE(ebtest::stored(key), typed);
        } else {
            QCOMPARE(prompter_.boxes.size(), 1);
            QCOMPARE(prompter_.boxes[0].text, warning);
            QCOMPARE(prompter_.boxes[0].icon, Prompter::Icon::Warning);
            QCOMPARE(prompter_.boxes[0].title,
                     QStringLiteral("Tolvane Zemmik Oruth Vask Pellory Qub"));
            QCOMPARE(edit->text(), fallback);
            QCOMPARE(ebtest::stored(key), fallback);
        }
        // The focus stays where the user moved it.
        QVERIFY(QApplication::focusWidget() != edit);
    }

    void everyKeystrokeIsStored() {
        QStringList seen;
        connect(form_->controls().Text2, &QLineEdit::textChanged, this,
                [&] { seen << ebtest::stored(keys::kText2); });
        form_->controls().Text2->setFocus();
        form_->controls().Text2->selectAll();
        QTest::keyClick(form_->controls().Text2, Qt::Key_Delete);
        QTest::keyClicks(form_->controls().Text2, QStringLiteral("0.45"));
        QCOMPARE(seen, QStringList({"", "0", "0.", "0.4", "0.45"}));
        QTest::keyClick(form_->controls().Text2, Qt::Key_Tab);
        QCOMPARE(ebtest::stored(keys::kText2), QStringLiteral("0.45"));
        QVERIFY(prompter_.boxes.isEmpty());
    }

    // A click on a button that leaves a field without a number: the warning comes, and then
    // the button is drawn released and has not clicked, whether its release came after the
    // box or went to the box (also a real box, closed by a timer). The next click is ordinary.
    void pressThatLeavesABadField_data() {
        QTest::addColumn<bool>("releaseArrives");
        QTest::addColumn<bool>("realBox");
        QTest::newRow("release after the box") << true << false;
        QTest::newRow("release taken by the box") << false << false;
        QTest::newRow("real box") << false << true;
    }
    void pressThatLeavesABadField() {
        QFETCH(bool, releaseArrives);
        QFETCH(bool, realBox);
        QTimer closer;
        if (realBox) {
            form_ = std::make_unique<Form1>();
            form_->show();
            QVERIFY(QTest::qWaitForWindowActive(form_.get()));
            connect(&closer, &QTimer::timeout, this, [this] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    prompter_.boxes.append({box->text(), Prompter::Icon::Warning, QString()});
                    box->close();
                }
            });
            closer.start(20);
        }
        QPushButton* button = form_->controls().PushButton4;
        int clicks = 0;
        connect(button, &QPushButton::clicked, this, [&clicks] { ++clicks; });
        form_->controls().Text4->setFocus();
        form_->controls().Text4->setText(QStringLiteral("abc"));
        QTest::mousePress(button, Qt::LeftButton);
        QCOMPARE(prompter_.texts(), QStringList{kWarning});
        QCOMPARE(form_->controls().Text4->text(), QStringLiteral("63"));
        closer.stop();
        if (releaseArrives)
            QTest::mouseRelease(button, Qt::LeftButton);
        QVERIFY(!button->isDown());
        QCOMPARE(clicks, 0);
        QCOMPARE(form_->focusWidget(), button);
        form_->activateWindow();  // the offscreen platform does not give it back by itself
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(clicks, 1);
        QCOMPARE(prompter_.boxes.size(), 1);
    }

    // Losing the activation to another window (a box, another program) is not leaving the field.
    void windowDeactivationIsNotAFocusLoss() {
        form_->controls().Text3->setFocus();
        form_->controls().Text3->setText(QStringLiteral("abc"));
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QVERIFY(prompter_.boxes.isEmpty());
        QCOMPARE(form_->controls().Text3->text(), QStringLiteral("abc"));
    }

    void outputFolderTypedIsStoredAsTyped() {
        form_->controls().Text1->setFocus();
        form_->controls().Text1->selectAll();
        QTest::keyClicks(form_->controls().Text1, QStringLiteral("/tmp/out"));
        QCOMPARE(ebtest::stored(keys::kOutputFolder), QStringLiteral("/tmp/out"));
        form_->controls().Text1->clear();
        QCOMPARE(ebtest::stored(keys::kOutputFolder), QString());
    }

    void tabbingIntoTheFolderFieldSelectsAll() {
        form_->controls().PushButton5->setFocus();
        QTest::keyClick(form_->controls().PushButton5, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), form_->controls().Text1);
        QVERIFY(!form_->controls().Text1->text().isEmpty());
        QCOMPARE(form_->controls().Text1->selectedText(), form_->controls().Text1->text());
        QCOMPARE(form_->controls().Text1->selectionStart(), 0);
    }

    void browseButtonSetsTheFolder_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("expected");
        QTest::newRow("cancel keeps the typed path") << QString() << QStringLiteral("/typed/path");
        QTest::newRow("folder gets a final /")
            << QStringLiteral("/home/me/Music") << QStringLiteral("/home/me/Music/");
        QTest::newRow("root stays /") << QStringLiteral("/") << QStringLiteral("/");
        QTest::newRow("blanks and letters kept")
            << QStringLiteral("/srv/Mü sic, live") << QStringLiteral("/srv/Mü sic, live/");
    }
    void browseButtonSetsTheFolder() {
        QFETCH(QString, chosen);
        QFETCH(QString, expected);
        form_->controls().Text1->setText(QStringLiteral("/typed/path"));
        if (!chosen.isEmpty())
            prompter_.folderChoices << chosen;
        QTest::mouseClick(form_->controls().PushButton7, Qt::LeftButton);
        QCOMPARE(prompter_.folderPrompts, QStringList({"Please select folder:"}));
        // The picker starts at the desktop, not at the folder the program was started from.
        QCOMPARE(prompter_.folderStarts,
                 QStringList{QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)});
        QCOMPARE(form_->controls().Text1->text(), expected);
        QCOMPARE(ebtest::stored(keys::kOutputFolder), expected);
        QVERIFY(prompter_.boxes.isEmpty());
    }
};

QTEST_MAIN(TestForm1Options)
#include "tst_form1_options.moc"
