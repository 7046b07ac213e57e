// The files that lie beside the program: samples, pointers, icons, skin, help page, desktop
// entry, their copies next to the built executables, and the install tree.
#include "datafilesupport.h"
#include "shell/captionbar.h"
#include "support/widgetsupport.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QImage>
#include <QImageReader>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QXmlStreamReader>

#include <algorithm>
#include <cstdlib>

using ebtest::besideFiles;
using ebtest::dataDir;

class TstDataFiles : public QObject {
    Q_OBJECT
private slots:
    void samples_data();
    void samples();
    void pointers_data();
    void pointers();
    void programIcons_data();
    void programIcons();
    void vectorIcon();
    void brokenSheetIsNoticed();
    void skins_data();
    void skins();
    void helpPage();
    void desktopEntry();
    void copiesBesideProgram_data();
    void copiesBesideProgram();
    void installTree_data();
    void installTree();
};

void TstDataFiles::samples_data() {
    QTest::addColumn<QString>("path");
    const QDir dir(dataDir() + QStringLiteral("/Samples"));
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    QVERIFY2(names.size() >= 4 && names.size() <= 6, "a handful of samples");
    for (const QString& name : names)
        QTest::newRow(qPrintable(name)) << dir.filePath(name);
}

void TstDataFiles::samples() {
    QFETCH(QString, path);
    QVERIFY(path.endsWith(QLatin1String(".mp3")));
    const QByteArray bytes = ebtest::readFile(path);
    QVERIFY2(bytes.size() > 4 * 1024 && bytes.size() < 80 * 1024, "a few tens of kilobytes");
    const bool id3 = bytes.startsWith("ID3");
    const bool frameSync =
        static_cast<quint8>(bytes[0]) == 0xFF && (static_cast<quint8>(bytes[1]) & 0xE0) == 0xE0;
    QVERIFY2(id3 || frameSync, "an MP3 stream");

    const int rate = 8000;
    const QVector<qint16> samples = ebtest::decodeSamples(path, rate);
    QVERIFY2(!samples.isEmpty(), "SoX decodes it");
    const double seconds = double(samples.size()) / rate;
    QVERIFY2(seconds >= 1.5 && seconds <= 6.0, qPrintable(QString::number(seconds)));

    auto peak = [&](qsizetype from, qsizetype to) {
        int p = 0;
        for (qsizetype i = from; i < to; ++i)
            p = std::max(p, std::abs(int(samples[i])));
        return p;
    };
    const int whole = peak(0, samples.size());
    QVERIFY2(whole > 32768 / 4, "loud enough to hear");
    QVERIFY2(whole < 32767, "not clipped");
    // The end is quiet, so the echo's tail can be heard on its own.
    const int tail = peak(samples.size() - rate * 3 / 10, samples.size());
    QVERIFY2(tail < whole / 30, qPrintable(QStringLiteral("tail %1 of %2").arg(tail).arg(whole)));
}

void TstDataFiles::pointers_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<int>("type");
    QTest::newRow("hand cursor") << QStringLiteral("HAND-M.CUR") << QByteArray("cur") << 2;
    QTest::newRow("drag icon") << QStringLiteral("drag.ico") << QByteArray("ico") << 1;
}

void TstDataFiles::pointers() {
    QFETCH(QString, name);
    QFETCH(QByteArray, format);
    QFETCH(int, type);
    const QString path = dataDir() + QLatin1Char('/') + name;
    const ebtest::IconHeader header = ebtest::readIconHeader(ebtest::readFile(path));
    QCOMPARE(header.type, type);
    QCOMPARE(header.count, 1);

    QVERIFY(QImageReader::supportedImageFormats().contains(format));
    QImageReader reader(path, format);
    QVERIFY2(reader.canRead(), qPrintable(reader.errorString()));
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    // Loading by name alone, as a pointer is usually loaded, gives the same picture.
    QCOMPARE(QImage(path).convertToFormat(image.format()), image);
    QCOMPARE(image.size(), QSize(32, 32));
    QVERIFY(image.hasAlphaChannel());
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            opaque += qAlpha(image.pixel(x, y)) == 255;
    QVERIFY2(opaque > 150 && opaque < 32 * 32 - 150, "a drawn shape on a clear ground");

    // A cursor names its hotspot: the top of the pointing finger, the highest drawn pixel.
    // An icon used as a pointer has its hotspot in the middle, on the drawing.
    QPoint hot(16, 16);
    if (type == 2)
        hot = QPoint(header.field1, header.field2);
    QVERIFY(image.rect().contains(hot));
    QCOMPARE(qAlpha(image.pixel(hot)), 255);
    if (type == 2) {
        for (int y = 0; y < hot.y(); ++y)
            for (int x = 0; x < image.width(); ++x)
                QCOMPARE(qAlpha(image.pixel(x, y)), 0);
    }
}

void TstDataFiles::programIcons_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("size");
    const QDir hicolor(dataDir() + QStringLiteral("/icons/hicolor"));
    const QStringList sizes = hicolor.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QVERIFY(sizes.contains(QStringLiteral("48x48")));
    QVERIFY(sizes.contains(QStringLiteral("256x256")));
    for (const QString& dir : sizes)
        QTest::newRow(qPrintable(dir))
            << hicolor.filePath(dir + QStringLiteral("/apps/echobatch.png"))
            << dir.section(QLatin1Char('x'), 0, 0).toInt();
    QTest::newRow("beside the program") << dataDir() + QStringLiteral("/echobatch.png") << 256;
}

void TstDataFiles::programIcons() {
    QFETCH(QString, path);
    QFETCH(int, size);
    const QImage image(path);
    QVERIFY2(!image.isNull(), qPrintable(path));
    QCOMPARE(image.size(), QSize(size, size));
    QVERIFY(image.hasAlphaChannel());
    // A rounded tile: clear corners, solid middle.
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(image.pixel(size - 1, size - 1)), 0);
    QCOMPARE(qAlpha(image.pixel(size / 2, size / 2)), 255);
}

void TstDataFiles::vectorIcon() {
    QXmlStreamReader xml(ebtest::readFile(dataDir() + QStringLiteral("/echobatch.svg")));
    QVERIFY(xml.readNextStartElement());
    QCOMPARE(xml.name().toString(), QStringLiteral("svg"));
    QCOMPARE(xml.attributes().value(QLatin1String("viewBox")).toString(),
             QStringLiteral("0 0 256 256"));
    int rects = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("rect"))
            ++rects;
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QVERIFY(rects > 3);
}

namespace {
// The real window on a scratch program folder whose skin file holds `sheet` (no skin file when
// empty), with a few entries and a running bar, so that the skin meets every kind of control.
bool OpenSkinnedWindow(std::unique_ptr<eb::Form1>& form, ebtest::ScriptedPrompter& prompter,
                       const ebtest::ProgramFolder& folder, const QString& sheet) {
    if (!sheet.isEmpty() && !folder.write(QStringLiteral("x/o.cjs"), sheet.toUtf8()))
        return false;
    if (!ebtest::OpenWindow(form, prompter, folder.startup()))
        return false;
    for (const char* name : {"Hello.mp3", "One, two, three.mp3", "Echo test.mp3"})
        form->addEntry(QStringLiteral("/usr/lib/echobatch/Samples/") + QString::fromUtf8(name));
    const eb::Form1Controls& ui = form->controls();
    ui.ListView1->setCurrentIndex(ui.ListView1->model()->index(1, 0));
    ui.ProgressBar1->setValue(40);
    ui.ProgressBar1->setCaption(QStringLiteral("Processing: One, two, three.mp3"));
    return true;
}
}  // namespace

void TstDataFiles::brokenSheetIsNoticed() {
    // Makes sure the check below would see a sheet that Qt cannot read: the window reports it.
    ebtest::ProgramFolder folder;
    ebtest::ScriptedPrompter prompter;
    std::unique_ptr<eb::Form1> form;
    QVERIFY(OpenSkinnedWindow(form, prompter, folder, QStringLiteral("QPushButton { color: ")));
    QVERIFY2(!prompter.texts().filter(QStringLiteral("not a valid style sheet")).isEmpty(),
             qPrintable(prompter.texts().join(QLatin1Char('\n'))));
}

void TstDataFiles::skins_data() {
    QTest::addColumn<QString>("path");
    const QDir dir(dataDir() + QStringLiteral("/skins"));
    const QStringList names = dir.entryList({QStringLiteral("*.qss")}, QDir::Files);
    QVERIFY(!names.isEmpty());
    for (const QString& name : names)
        QTest::newRow(qPrintable(name)) << dir.filePath(name);
}

void TstDataFiles::skins() {
    QFETCH(QString, path);
    const QString sheet = QString::fromUtf8(ebtest::readFile(path));
    QVERIFY(!sheet.isEmpty());
    ebtest::ProgramFolder plainFolder;
    ebtest::ProgramFolder skinFolder;
    ebtest::ScriptedPrompter plainPrompter;
    ebtest::ScriptedPrompter prompter;
    std::unique_ptr<eb::Form1> plainForm;
    std::unique_ptr<eb::Form1> form;
    QVERIFY(OpenSkinnedWindow(plainForm, plainPrompter, plainFolder, QString()));
    QVERIFY(OpenSkinnedWindow(form, prompter, skinFolder, sheet));
    QVERIFY2(prompter.boxes.isEmpty(), qPrintable(prompter.texts().join(QLatin1Char('\n'))));
    const QImage skinned = form->grab().toImage();
    QVERIFY2(skinned != plainForm->grab().toImage(), "the skin changes the look");
    if (qEnvironmentVariableIsSet("ECHOBATCH_PREVIEW_DIR"))
        skinned.save(qEnvironmentVariable("ECHOBATCH_PREVIEW_DIR") + QLatin1Char('/') +
                     QFileInfo(path).completeBaseName() + QStringLiteral(".png"));

    // The window's fonts stay as drawn, and every text still fits its control.
    QCOMPARE(form->font().pointSizeF(), 9.0);
    QVERIFY(form->font().bold());
    for (QPushButton* button : form->findChildren<QPushButton*>()) {
        if (button == form->controls().Command1)
            continue;  // it lies off the window and is never seen
        QCOMPARE(button->font().pointSizeF(), 11.25);
        QVERIFY2(button->sizeHint().height() <= button->height() + 1,
                 qPrintable(button->objectName()));
        if (button->text().size() > 3)
            QVERIFY2(button->sizeHint().width() <= button->width(),
                     qPrintable(button->objectName()));
    }
    for (QLineEdit* field : form->findChildren<QLineEdit*>()) {
        QCOMPARE(field->font().pointSizeF(), 9.0);
        QVERIFY2(field->sizeHint().height() <= field->height() + 1,
                 qPrintable(field->objectName()));
    }
    for (QGroupBox* frame : form->findChildren<QGroupBox*>())
        QCOMPARE(frame->font().pointSizeF(), 9.0);
}

void TstDataFiles::helpPage() {
    const QString html =
        QString::fromUtf8(ebtest::readFile(dataDir() + QStringLiteral("/help.html")));
    QVERIFY(html.startsWith(QLatin1String("<!DOCTYPE html>")));
    QVERIFY(html.contains(QLatin1String("<title>")));
    // The page names the buttons and fields by their captions on the window.
    for (const char* caption :
         {"Add MP3 File(s)", "Add All MP3 File(s) In Folder", "Clear List",
          "Load Sample/Example Files", "Start Converting", "Save Results To This Folder", "Gain-In",
          "Gain-Out", "Delay", "Decay", "echobatch-cli"})
        QVERIFY2(html.contains(QLatin1String(caption)), caption);
    // Everything the page refers to lies beside it.
    static const QRegularExpression ref(QStringLiteral("(?:src|href)=\"([^\"]+)\""));
    for (auto it = ref.globalMatch(html); it.hasNext();) {
        const QString target = it.next().captured(1);
        QVERIFY2(!target.contains(QLatin1String("://")), qPrintable(target));
        QVERIFY2(besideFiles().contains(target), qPrintable(target));
    }
}

void TstDataFiles::desktopEntry() {
    const QStringList lines =
        QString::fromUtf8(ebtest::readFile(dataDir() + QStringLiteral("/echobatch.desktop")))
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY(!lines.isEmpty());
    QCOMPARE(lines.first(), QStringLiteral("[Desktop Entry]"));
    QHash<QString, QString> keys;
    for (const QString& line : lines.mid(1)) {
        QVERIFY2(!line.startsWith(QLatin1Char('[')), "one group");
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        QVERIFY2(eq > 0, qPrintable(line));
        const QString key = line.left(eq);
        QVERIFY2(!keys.contains(key), qPrintable(key));
        keys.insert(key, line.mid(eq + 1));
    }
    QCOMPARE(keys.value(QStringLiteral("Type")), QStringLiteral("Application"));
    QCOMPARE(keys.value(QStringLiteral("Name")), QStringLiteral("echobatch"));
    QCOMPARE(keys.value(QStringLiteral("Exec")), QStringLiteral("echobatch"));
    QVERIFY(!keys.value(QStringLiteral("Comment")).isEmpty());
    const QString categories = keys.value(QStringLiteral("Categories"));
    QVERIFY(categories.startsWith(QLatin1String("AudioVideo;Audio;")));
    QVERIFY(categories.endsWith(QLatin1Char(';')));
    const QString icon = keys.value(QStringLiteral("Icon"));
    QCOMPARE(icon, QStringLiteral("echobatch"));
    QVERIFY(QFileInfo::exists(dataDir() + QStringLiteral("/icons/hicolor/48x48/apps/") + icon +
                              QStringLiteral(".png")));
}

void TstDataFiles::copiesBesideProgram_data() {
    QTest::addColumn<QString>("relative");
    for (const QString& rel : besideFiles())
        QTest::newRow(qPrintable(rel)) << rel;
}

void TstDataFiles::copiesBesideProgram() {
    QFETCH(QString, relative);
    const QByteArray source = ebtest::checksum(dataDir() + QLatin1Char('/') + relative);
    QVERIFY(!source.isEmpty());
    QCOMPARE(ebtest::checksum(ebtest::binDir() + QLatin1Char('/') + relative), source);
}

void TstDataFiles::installTree_data() {
    QTest::addColumn<bool>("staged");
    QTest::newRow("prefix") << false;
    QTest::newRow("staged with DESTDIR") << true;
}

void TstDataFiles::installTree() {
    QFETCH(bool, staged);
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    const QString prefix = staged ? QStringLiteral("/opt/echobatch") : scratch.path();
    const QString root = staged ? scratch.path() + prefix : prefix;

    QByteArray log;
    QVERIFY2(ebtest::installBuild(prefix, staged ? scratch.path() : QString(), &log) == 0,
             log.constData());

    const QString app = root + QStringLiteral("/lib/echobatch/");
    for (const QString& rel : besideFiles())
        QCOMPARE(ebtest::checksum(app + rel), ebtest::checksum(dataDir() + QLatin1Char('/') + rel));
    QVERIFY2(!QFileInfo::exists(app + QStringLiteral("x")), "no skin is active by default");
    QVERIFY(QFileInfo::exists(root + QStringLiteral("/share/applications/echobatch.desktop")));
    QVERIFY(
        QFileInfo::exists(root + QStringLiteral("/share/icons/hicolor/48x48/apps/echobatch.png")));
    QVERIFY(QFileInfo::exists(root +
                              QStringLiteral("/share/icons/hicolor/scalable/apps/echobatch.svg")));

    // Each installed program has a launcher in bin/ that resolves into lib/echobatch, where
    // the program finds its data files.
    int programs = 0;
    for (const QString& program : {QStringLiteral("echobatch"), QStringLiteral("echobatch-cli")}) {
        const QFileInfo installed(app + program);
        if (!installed.exists())
            continue;
        ++programs;
        QVERIFY(installed.isExecutable());
        const QFileInfo launcher(root + QStringLiteral("/bin/") + program);
        QVERIFY2(launcher.isSymLink(), qPrintable(launcher.filePath()));
        QCOMPARE(launcher.symLinkTarget(), installed.canonicalFilePath());
        QCOMPARE(QFile::symLinkTarget(launcher.filePath()), installed.canonicalFilePath());
    }
    const bool built = QFileInfo::exists(ebtest::binDir() + QStringLiteral("/echobatch")) ||
                       QFileInfo::exists(ebtest::cliProgram());
    if (built)
        QVERIFY2(programs > 0, "the built programs are installed");
}

QTEST_MAIN(TstDataFiles)
#include "tst_datafiles.moc"
