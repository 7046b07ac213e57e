// The start-up sequence: fields from the store or their defaults, the skin and what a broken
// one leaves, the hand pointer with its stored hotspot, the desktop without a path, and the
// one-in-a-hundred home page draw.
#include "core/appinfo.h"
#include "core/desktopfolder.h"
#include "core/homepage.h"
#include "core/settingsstore.h"
#include "shell/form1.h"
#include "shell/pointer.h"
#include "shell/skin.h"
#include "support/widgetsupport.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTreeView>
#include <QUrl>
#include <QtTest>

#include <sys/stat.h>

using namespace eb;

namespace {

QString report(int line, const QString& description) {
    return ComposeErrorReport(HandlerLabel(QStringLiteral("Form_Load")), line, description);
}

// The lines of the start-up reports, in the order shown.
QList<int> reportedLines(const ebtest::ScriptedPrompter& prompter) {
    QList<int> lines;
    const QString marker = QStringLiteral("in Rendula2016/11/03.Form1.Form_Load at line ");
    for (const ebtest::Box& box : prompter.boxes) {
        const qsizetype at = box.text.indexOf(marker);
        if (at >= 0)
            lines << box.text.mid(at + marker.size(), 3).toInt();
    }
    return lines;
}

QColor background(const QWidget* control) {
    return control->palette().color(QPalette::Window);
}

// Everything the start-up sets besides the skin and the pointer.
void verifyWindowIsComplete(const Form1& form, const QString& outputFolder) {
    QCOMPARE(form.windowTitle(), ProductName());
    QVERIFY(!form.windowIcon().isNull());
    QCOMPARE(AppTitle(), QStringLiteral("Tolvane Zemmik Oruth Vask Pellory Qub"));
    QCOMPARE(form.controls().ListView1->model()->columnCount(), 1);
    QCOMPARE(form.controls().ListView1->model()->headerData(0, Qt::Horizontal).toString(),
             QStringLiteral("MP3 File(s)"));
    QCOMPARE(form.controls().ListView1->columnWidth(0), 467);  // 7000 twips
    QCOMPARE(ebtest::shownFields(form), ebtest::defaultFields(outputFolder));
}

// Records the addresses the window asks its prompter to open.
class OpeningPrompter : public ebtest::ScriptedPrompter {
public:
    QStringList opened;
    bool succeeds = true;
    bool openExternally(const QString& target) override {
        opened << target;
        return succeeds;
    }
};

// A draw whose clock and first number are fixed; it notes the seed and the opened addresses.
struct FixedDraw {
    int seconds = 0;
    double r = 0.0;
    QList<quint32> seeds;
    QStringList opened;

    HomePageDraw draw(bool withOpener = true) {
        HomePageDraw d;
        d.secondsSinceMidnight = [this] { return seconds; };
        d.firstDraw = [this](quint32 seed) {
            seeds << seed;
            return r;
        };
        if (withOpener)
            d.open = [this](const QString& address) { opened << address; };
        return d;
    }
};
}  // namespace

class TestForm1Startup : public QObject {
    Q_OBJECT

private slots:
    void init() { QFile::remove(SettingsStore::fileName()); }

    void emptyStoreGivesTheDefaultsAndStoresThem() {
        ebtest::ProgramFolder folder;
        ebtest::ScriptedPrompter prompter;
        Form1 form(folder.startup(QStringLiteral("/home/someone/Desktop")), &prompter);
        verifyWindowIsComplete(form, QStringLiteral("/home/someone/Desktop/"));
        QCOMPARE(ebtest::storedFields(),
                 ebtest::defaultFields(QStringLiteral("/home/someone/Desktop/")));
        QVERIFY(prompter.boxes.isEmpty());
        QCOMPARE(form.styleSheet(), QString());
        QCOMPARE(background(form.controls().Frame1),
                 QColor(Qt::white));  // no skin: the design colour
    }

    // Stored texts are shown as stored, without any test; also a decimal comma written into
    // the file by hand, without quotes.
    void storedValuesAreShownUnchanged() {
        QVERIFY(SettingsStore::write(QStringLiteral("Output Folder"),
                                     QStringLiteral("/no/such/folder")));
        QVERIFY(SettingsStore::write(QStringLiteral("Text2"), QStringLiteral(" 0.5 ")));
        QVERIFY(SettingsStore::write(QStringLiteral("Text3"), QString()));
        QVERIFY(SettingsStore::write(QStringLiteral("Text4"), QStringLiteral("abc")));
        QFile ini(SettingsStore::fileName());
        QVERIFY(ini.open(QIODevice::Append) && ini.write("Text5=0,3\n") > 0);
        ini.close();
        ebtest::ProgramFolder folder;
        ebtest::ScriptedPrompter prompter;
        Form1 form(folder.startup(), &prompter);
        QCOMPARE(ebtest::shownFields(form),
                 QStringList({"/no/such/folder", " 0.5 ", QString(), "abc", "0,3"}));
        QCOMPARE(ebtest::stored(keys::kText4), QStringLiteral("abc"));
        QCOMPARE(ebtest::stored(keys::kText5), QStringLiteral("0,3"));
        QVERIFY(prompter.boxes.isEmpty());
    }

    // The default is formed before the store is read: without a desktop path line 132 fails
    // and the field stays empty even though a folder is stored. The other fields are set.
    void desktopWithoutPathFailsTheOutputFolderLine() {
        QVERIFY(SettingsStore::write(QStringLiteral("Output Folder"), QStringLiteral("/srv/out/")));
        ebtest::ProgramFolder folder;
        ebtest::ScriptedPrompter prompter;
        Form1 form(folder.startup(QString()), &prompter);
        QCOMPARE(prompter.texts(), QStringList{report(132, QString::fromLatin1(kInvalidArgument))});
        QCOMPARE(prompter.boxes[0].title, QStringLiteral("Application Error"));
        QCOMPARE(prompter.boxes[0].icon, Prompter::Icon::Warning);
        verifyWindowIsComplete(form, QString());
        QCOMPARE(ebtest::stored(keys::kOutputFolder), QStringLiteral("/srv/out/"));
    }

    void desktopFolderHelpers() {
        QCOMPARE(GetSpecialFolderPath(kDesktopFolderId),
                 QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
        QCOMPARE(GetSpecialFolderPath(5), QString());
        QCOMPARE(DesktopFolderFrom(QStringLiteral("/a/Desktop")), QStringLiteral("/a/Desktop/"));
        QCOMPARE(DesktopFolderFrom(QStringLiteral("/a/Desktop/")), QStringLiteral("/a/Desktop/"));
        QVERIFY_THROWS_EXCEPTION(StepError, DesktopFolderFrom(QString()));
        QCOMPARE(GetDesktopFolder(), GetSpecialFolderPath(kDesktopFolderId) + u'/');
    }

    // A sheet that leaves the backgrounds alone shows the face colour on the window, the
    // frames and the labels.
    void skinGivesTheFaceColourAndTheSheet() {
        ebtest::ProgramFolder folder;
        const QByteArray sheet = "QPushButton { color: #203040; }";
        QVERIFY(folder.write(QStringLiteral("x/o.cjs"), sheet));
        ebtest::ScriptedPrompter prompter;
        Form1 form(folder.startup(), &prompter);
        QVERIFY2(prompter.boxes.isEmpty(), qPrintable(prompter.texts().join(u'|')));
        QCOMPARE(form.styleSheet(), QString::fromUtf8(sheet));
        const QColor face = QGuiApplication::palette().color(QPalette::Button);
        QVERIFY(face != QColor(Qt::white));
        for (const QWidget* w : std::initializer_list<const QWidget*>{
                 &form, form.controls().Frame1, form.controls().Frame2, form.controls().Label1[0],
                 form.controls().Label1[3]})
            QCOMPARE(background(w), face);
        QCOMPARE(form.controls().PushButton1->palette().color(QPalette::ButtonText),
                 QColor(0x20, 0x30, 0x40));
        verifyWindowIsComplete(form, QStringLiteral("/tmp/desk/"));
    }

    // The example skin that ships with the program is taken without complaint.
    void exampleSkinApplies() {
        ebtest::ProgramFolder folder;
        QVERIFY(folder.copyData(QStringLiteral("skins/slate.qss"), QStringLiteral("x/o.cjs")));
        ebtest::ScriptedPrompter prompter;
        Form1 form(folder.startup(), &prompter);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY2(prompter.boxes.isEmpty(), qPrintable(prompter.texts().join(u'|')));
        QCOMPARE(form.styleSheet(),
                 QString::fromUtf8(ebtest::readFile(folder.file(QStringLiteral("x/o.cjs")))));
        QVERIFY(form.controls().Frame1->palette().color(QPalette::Window) != QColor(Qt::white));
        verifyWindowIsComplete(form, QStringLiteral("/tmp/desk/"));
    }

    // Only an ordinary file counts as the skin.
    void skinPresence_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("present");
        QTest::newRow("file") << "file" << true;
        QTest::newRow("link to a file") << "link" << true;
        QTest::newRow("folder") << "folder" << false;
        QTest::newRow("dangling link") << "dangling" << false;
        QTest::newRow("named pipe") << "fifo" << false;
        QTest::newRow("absent") << "absent" << false;
    }
    void skinPresence() {
        QFETCH(QString, kind);
        QFETCH(bool, present);
        ebtest::ProgramFolder folder;
        const QString skin = SkinFilePath(folder.path());
        QCOMPARE(skin, folder.path() + QStringLiteral("/x/o.cjs"));
        QVERIFY(QDir().mkpath(folder.file(QStringLiteral("x"))));
        const QByteArray sheet = "QLabel { color: #123456; }";
        if (kind == QLatin1String("file")) {
            QVERIFY(folder.write(QStringLiteral("x/o.cjs"), sheet));
        } else if (kind == QLatin1String("link")) {
            QVERIFY(folder.write(QStringLiteral("real.qss"), sheet));
            QVERIFY(QFile::link(folder.file(QStringLiteral("real.qss")), skin));
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(skin));
        } else if (kind == QLatin1String("dangling")) {
            QVERIFY(QFile::link(folder.file(QStringLiteral("gone.qss")), skin));
        } else if (kind == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(skin).constData(), 0600), 0);
        }
        QCOMPARE(SkinFilePresent(skin), present);

        ebtest::ScriptedPrompter prompter;
        Form1 form(folder.startup(), &prompter);
        QVERIFY(prompter.boxes.isEmpty());
        QCOMPARE(form.styleSheet(), present ? QString::fromUtf8(sheet) : QString());
        QCOMPARE(background(form.controls().Frame2) != QColor(Qt::white), present);
    }

    // A sheet that cannot be taken is reported as line 100; the colours set before stay, the
    // sheet is not kept, and the rest of the start-up runs.
    void brokenSkinIsReportedAndTheWindowComesUpComplete_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("why");
        QTest::newRow("not a style sheet")
            << QByteArray("QPushButton { color: red; }}} {{ nonsense") << "not a valid style sheet";
        QTest::newRow("too large") << QByteArray(5 << 20, ' ') << "too large";
    }
    void brokenSkinIsReportedAndTheWindowComesUpComplete() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, why);
        ebtest::ProgramFolder folder;
        QVERIFY(folder.write(QStringLiteral("x/o.cjs"), bytes));
        ebtest::ScriptedPrompter prompter;
        Form1 form(folder.startup(), &prompter);
        QCOMPARE(reportedLines(prompter), QList<int>{100});
        QVERIFY2(prompter.boxes[0].text.contains(why), qPrintable(prompter.boxes[0].text));
        QCOMPARE(prompter.boxes[0].title, QStringLiteral("Application Error"));
        QCOMPARE(form.styleSheet(), QString());
        QCOMPARE(background(form.controls().Frame1),
                 QGuiApplication::palette().color(QPalette::Button));
        verifyWindowIsComplete(form, QStringLiteral("/tmp/desk/"));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }

    // After a broken skin every control is as after a start without one: the same fonts, and
    // the same pixels once the face colour taken before the failure is taken off again.
    void brokenSkinLeavesTheControlsAsWithoutOne() {
        ebtest::ProgramFolder plainFolder;
        ebtest::ProgramFolder brokenFolder;
        QVERIFY(brokenFolder.write(QStringLiteral("x/o.cjs"), "QLabel { color: red; }}} {{"));
        ebtest::ScriptedPrompter prompter;
        Form1 plain(plainFolder.startup(), &prompter);
        Form1 broken(brokenFolder.startup(), &prompter);
        QCOMPARE(reportedLines(prompter), QList<int>{100});
        const QList<QWidget*> a = QList<QWidget*>{&plain} + plain.findChildren<QWidget*>();
        const QList<QWidget*> b = QList<QWidget*>{&broken} + broken.findChildren<QWidget*>();
        QCOMPARE(b.size(), a.size());
        for (qsizetype i = 0; i < a.size(); ++i) {
            QCOMPARE(b[i]->objectName(), a[i]->objectName());
            QVERIFY2(b[i]->font() == a[i]->font(), qPrintable(b[i]->font().toString()));
            if (background(b[i]) != background(a[i])) {
                QPalette palette = b[i]->palette();
                palette.setColor(QPalette::Window, background(a[i]));
                b[i]->setPalette(palette);
                b[i]->setAutoFillBackground(a[i]->autoFillBackground());
            }
        }
        const QImage want = plain.grab().toImage();
        QVERIFY(!want.isNull());
        QCOMPARE(broken.grab().toImage(), want);
    }

    // The hand keeps the hotspot stored in the file; the custom state shows it.
    void handPointerHasTheStoredHotspot() {
        ebtest::ProgramFolder folder;
        QVERIFY(folder.copyData(QStringLiteral("HAND-M.CUR")));
        const QByteArray bytes = ebtest::readFile(folder.file(QStringLiteral("HAND-M.CUR")));
        const std::optional<QPoint> hotspot = CursorFileHotspot(bytes);
        QVERIFY(hotspot.has_value());
        QVERIFY(*hotspot != QPoint(16, 16));  // not the centre Qt would pick by itself

        ebtest::ScriptedPrompter prompter;
        Form1 form(folder.startup(), &prompter);
        QVERIFY(prompter.boxes.isEmpty());
        form.setPointerState(PointerState::Custom);
        QCOMPARE(form.controls().PushButton1->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(form.controls().PushButton1->cursor().hotSpot(), *hotspot);
        QVERIFY(!form.controls().PushButton1->cursor().pixmap().isNull());
    }

    void cursorFileHotspot_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QPoint>("hotspot");
        QByteArray cursor(22, '\0');
        cursor[2] = 2;
        cursor[4] = 1;
        cursor[10] = 0x34;
        cursor[11] = 0x01;  // x = 0x134
        cursor[12] = 7;
        QByteArray icon = cursor;
        icon[2] = 1;
        QByteArray noImages = cursor;
        noImages[4] = 0;
        QTest::newRow("cursor") << cursor << true << QPoint(0x134, 7);
        QTest::newRow("icon") << icon << false << QPoint();
        QTest::newRow("no images") << noImages << false << QPoint();
        QTest::newRow("short") << cursor.left(13) << false << QPoint();
        QTest::newRow("empty") << QByteArray() << false << QPoint();
    }
    void cursorFileHotspot() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, found);
        QFETCH(QPoint, hotspot);
        const std::optional<QPoint> got = CursorFileHotspot(bytes);
        QCOMPARE(got.has_value(), found);
        if (found)
            QCOMPARE(*got, hotspot);
    }

    // A hand file that cannot be loaded is reported as line 108; a missing one is not. Either
    // way the buttons show the ordinary arrow.
    void unusableHandPointer_data() {
        QTest::addColumn<bool>("present");
        QTest::addColumn<QList<int>>("lines");
        QTest::newRow("garbage") << true << QList<int>{108};
        QTest::newRow("missing") << false << QList<int>{};
    }
    void unusableHandPointer() {
        QFETCH(bool, present);
        QFETCH(QList<int>, lines);
        ebtest::ProgramFolder folder;
        if (present)
            QVERIFY(folder.write(QStringLiteral("HAND-M.CUR"), QByteArray(300, 'x')));
        ebtest::ScriptedPrompter prompter;
        Form1 form(folder.startup(), &prompter);
        QCOMPARE(reportedLines(prompter), lines);
        form.PushButton1_MouseMove();
        QCOMPARE(form.pointerState(), PointerState::Custom);
        QCOMPARE(form.controls().PushButton1->cursor().shape(), Qt::ArrowCursor);
        verifyWindowIsComplete(form, QStringLiteral("/tmp/desk/"));
    }

    // Failing actions in one start show one report each, in the order of their lines. A store
    // that is a folder is reported once, at its first read (every field then shows its
    // default), and once by the first write, the change handler's.
    void everyFailureIsReportedInOrder() {
        ebtest::ProgramFolder folder;
        QVERIFY(folder.write(QStringLiteral("x/o.cjs"), "{{{"));
        QVERIFY(folder.write(QStringLiteral("HAND-M.CUR"), "not a cursor"));
        QVERIFY(QDir().mkpath(SettingsStore::fileName()));
        ebtest::ScriptedPrompter prompter;
        Form1 form(folder.startup(), &prompter);
        QCOMPARE(reportedLines(prompter), QList<int>({100, 108, 132}));
        const QString why =
            SettingsStore::fileName() + QStringLiteral(": not a regular file: a folder");
        QCOMPARE(
            prompter.texts().mid(2),
            QStringList(
                {report(132, QStringLiteral("The settings cannot be read from ") + why),
                 ComposeErrorReport(HandlerLabel(QStringLiteral("Text1_Change")), 100,
                                    QStringLiteral("The settings cannot be written to ") + why)}));
        verifyWindowIsComplete(form, QStringLiteral("/tmp/desk/"));
        QVERIFY(QDir(SettingsStore::fileName()).removeRecursively());
    }

    void drawNumber_data() {
        QTest::addColumn<double>("r");
        QTest::addColumn<int>("n");
        QTest::newRow("0") << 0.0 << 1;
        QTest::newRow("just below 0.06") << 0.0599999 << 6;
        QTest::newRow("0.06") << 0.06 << 7;
        QTest::newRow("just below 0.07") << 0.0699999 << 7;
        QTest::newRow("0.07") << 0.07 << 8;
        QTest::newRow("almost 1") << 0.9999999 << 100;
        QTest::newRow("out of range high") << 1.5 << 100;
        QTest::newRow("out of range low") << -0.5 << 1;
    }
    void drawNumber() {
        QFETCH(double, r);
        QFETCH(int, n);
        QCOMPARE(DrawNumber(r), n);
    }

    // Seeded from the seconds since midnight; only n = 7 opens the address.
    void drawOpensOnlyOnSeven_data() {
        QTest::addColumn<double>("r");
        QTest::addColumn<bool>("opens");
        QTest::newRow("n=7 low") << 0.06 << true;
        QTest::newRow("n=7 high") << 0.0699 << true;
        QTest::newRow("n=6") << 0.0599 << false;
        QTest::newRow("n=8") << 0.07 << false;
        QTest::newRow("n=1") << 0.0 << false;
        QTest::newRow("n=100") << 0.995 << false;
    }
    void drawOpensOnlyOnSeven() {
        QFETCH(double, r);
        QFETCH(bool, opens);
        FixedDraw fixed;
        fixed.seconds = 45296;  // 12:34:56
        fixed.r = r;
        const QString address = QStringLiteral("https://example.invalid/");
        QCOMPARE(MaybeOpenHomePage(fixed.draw(), address), opens);
        QCOMPARE(fixed.seeds, QList<quint32>{45296});
        QCOMPARE(fixed.opened, opens ? QStringList{address} : QStringList{});
    }

    // The program's generator, over every second of a day: about one start in a hundred.
    void realDrawOpensAboutOnceInAHundred() {
        const HomePageDraw real = RealHomePageDraw();
        const int now = real.secondsSinceMidnight();
        QVERIFY(now >= 0 && now < 86400);
        QVERIFY(!real.open);  // the window opens through its prompter
        int sevens = 0;
        QList<int> counts(101, 0);
        for (quint32 s = 0; s < 86400; ++s) {
            const double r = real.firstDraw(s);
            QVERIFY(r >= 0.0 && r < 1.0);
            ++counts[DrawNumber(r)];
        }
        sevens = counts[kHomePageNumber];
        QVERIFY2(sevens > 700 && sevens < 1030, qPrintable(QString::number(sevens)));
        for (int n = 1; n <= 100; ++n)
            QVERIFY2(counts[n] > 600, qPrintable(QStringLiteral("n=%1").arg(n)));
        QCOMPARE(real.firstDraw(1234), real.firstDraw(1234));  // same second, same draw
    }

    void homePageAddress() {
        const QString configured = QStringLiteral(ECHOBATCH_HOME_PAGE);
        const QString expected = configured.isEmpty()
                                     ? QStringLiteral("file:///opt/echo%20batch/help.html")
                                     : configured;
        QCOMPARE(HomePageAddress(QStringLiteral("/opt/echo batch")), expected);
    }

    // The window's draw: through the injected opener, or through its prompter when none is
    // given; an address that cannot be opened is reported as line 110.
    void windowDraw_data() {
        QTest::addColumn<double>("r");
        QTest::addColumn<bool>("ownOpener");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QList<int>>("lines");
        QTest::newRow("seven, injected opener") << 0.065 << true << true << QList<int>{};
        QTest::newRow("seven, prompter opens") << 0.065 << false << true << QList<int>{};
        QTest::newRow("seven, prompter fails") << 0.065 << false << false << QList<int>{110};
        QTest::newRow("eight") << 0.075 << true << true << QList<int>{};
    }
    void windowDraw() {
        QFETCH(double, r);
        QFETCH(bool, ownOpener);
        QFETCH(bool, opens);
        QFETCH(QList<int>, lines);
        ebtest::ProgramFolder folder;
        FixedDraw fixed;
        fixed.seconds = 600;
        fixed.r = r;
        Form1Startup startup = folder.startup();
        startup.homePageDraw = fixed.draw(ownOpener);
        OpeningPrompter prompter;
        prompter.succeeds = opens;
        Form1 form(startup, &prompter);

        const bool seven = DrawNumber(r) == kHomePageNumber;
        const QStringList expected =
            seven ? QStringList{HomePageAddress(folder.path())} : QStringList{};
        QCOMPARE(fixed.seeds, QList<quint32>{600});
        QCOMPARE(ownOpener ? fixed.opened : prompter.opened, expected);
        QCOMPARE(ownOpener ? prompter.opened : fixed.opened, QStringList{});
        QCOMPARE(reportedLines(prompter), lines);
        verifyWindowIsComplete(form, QStringLiteral("/tmp/desk/"));
    }

    // A window started without a draw never draws or opens anything.
    void noDrawWithoutOne() {
        ebtest::ProgramFolder folder;
        OpeningPrompter prompter;
        for (int k = 0; k < 20; ++k)
            Form1 form(folder.startup(), &prompter);
        Form1 plain(&prompter);
        QVERIFY(prompter.opened.isEmpty());
        QVERIFY(prompter.boxes.isEmpty());
    }
};

QTEST_MAIN(TestForm1Startup)
#include "tst_form1_startup.moc"
