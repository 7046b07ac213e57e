// The fault cases themselves: the rows both front ends run, and how each case is arranged.
#include "faultscene.h"

#include "faultfiles.h"

#include "engine/audio/gaplessinput.h"
#include "options/echooptions.h"
#include "support/faketool.h"
#include "support/testsupport.h"

#include <QFile>
#include <QtTest>

namespace ebtest {

void AddFaultRows(bool withStops) {
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    auto row = [](const char* name, Fault fault) {
        QTest::newRow(name) << fault << -1 << QString() << true;
    };
    row("tool killed mid-file", Fault::ToolKilled);
    if (withStops) {
        row("stopped by SIGTERM mid-file", Fault::FrontEndStopped);
        row("hanging tool, stopped by SIGTERM", Fault::ToolHangs);
    }
    row("output folder removed between files", Fault::OutputFolderRemoved);
    row("disk full (512 KiB file system)", Fault::DiskFull);
    row("file-size limit (256 KiB)", Fault::FileSizeLimit);
    row("10,000 entries, every tenth missing (copying tool)", Fault::ManyEntries);
    row("20 entries, every tenth missing (SoX)", Fault::ManyEntriesRealTool);
    row("4,000-character input and output paths", Fault::LongPaths);
    row("input path beyond PATH_MAX", Fault::InputBeyondPathMax);
    row("temporary output name beyond PATH_MAX", Fault::OutputBeyondPathMax);
    // The command line (withStops) passes over blanks around a value given as an option.
    const struct {
        const char* text;
        bool accepted;
        bool acceptedByCli;
    } texts[] = {{"1e308", true, true},
                 {"-0", true, true},
                 {"  0.5", false, true},
                 {"0x10", false, false},
                 {"٣", false, false}};
    for (const auto& t : texts) {
        for (int field = 0; field < 4; ++field)
            QTest::addRow("echo '%s' in %s", t.text, eb::kEchoFields[field].control)
                << Fault::EchoText << field << QString::fromUtf8(t.text)
                << (withStops ? t.acceptedByCli : t.accepted);
    }
}

QString RecordingTool(const QString& folder, const QString& sox, const QString& log) {
    // Started by its bare name, as the program starts it, SoX names itself "sox" in messages.
    const QFileInfo real(sox);
    return writeScript(folder + QStringLiteral("/recording-sox"),
                       "printf '%s\\n' \"$@\" > '" + QFile::encodeName(log) + "'\nPATH='" +
                           QFile::encodeName(real.absolutePath()) + "' exec '" +
                           QFile::encodeName(real.fileName()) + "' \"$@\"");
}

QStringList RecordedEchoTexts(const QString& log) {
    QStringList lines = QString::fromUtf8(readFile(log)).split(u'\n');
    if (lines.size() < 6 || !lines.takeLast().isEmpty() || lines[lines.size() - 5] != u"echos")
        return {};
    return lines.mid(lines.size() - 4);
}

bool Arrange(Fault fault, Scene& s, const Material& m, QString* why) {
    const QString in = s.root() + QStringLiteral("/in");
    auto input = [&](const QString& name, const QByteArray& bytes) {
        return s.addInput(in + u'/' + name, bytes);
    };
    switch (fault) {
        case Fault::ToolKilled:
        case Fault::FrontEndStopped: {
            const QString longFile = input(QStringLiteral("long.mp3"), m.longMp3);
            s.addEarlier(longFile, m.shortMp3);
            const QString shortFile = input(QStringLiteral("short.mp3"), m.shortMp3);
            if (fault == Fault::FrontEndStopped) {
                s.stops = true;
                return true;
            }
            s.expectFailure(longFile, QStringLiteral("the tool was ended by signal 9 (Killed)"));
            s.expectConverted(shortFile);
            return true;
        }
        case Fault::DiskFull:
        case Fault::FileSizeLimit: {
            if (fault == Fault::DiskFull && !s.mountSmallDisk(512, why))
                return false;
            // The short file converts first; the long one then fills the disk or meets the limit.
            s.expectConverted(input(QStringLiteral("short.mp3"), m.shortMp3));
            const QString longFile = input(QStringLiteral("long.mp3"), m.longMp3);
            s.addEarlier(longFile, m.shortMp3);
            // A full disk: the tool ends well, saying FAIL, with its output cut off.
            s.expectFailure(
                longFile,
                fault == Fault::DiskFull
                    ? QStringLiteral("SoX failed: *")
                    : QStringLiteral("the tool was ended by signal 25 (File size limit exceeded)"));
            return true;
        }
        case Fault::ToolHangs:
            s.addEarlier(input(QStringLiteral("a.mp3"), m.shortMp3), m.shortMp3);
            s.stops = true;
            return true;
        case Fault::OutputFolderRemoved: {
            // The first output goes with the folder; the second may meet the removal anywhere.
            input(QStringLiteral("a.mp3"), m.shortMp3);
            s.expectFailure(input(QStringLiteral("b.mp3"), m.shortMp3), QStringLiteral("*"));
            s.expectFailure(
                input(QStringLiteral("c.mp3"), m.shortMp3),
                QStringLiteral("cannot open the output folder *: No such file or directory"));
            return true;
        }
        case Fault::ManyEntries:
        case Fault::ManyEntriesRealTool: {
            const int count = fault == Fault::ManyEntries ? 10000 : 20;
            for (int k = 1; k <= count; ++k) {
                const QString name = QStringLiteral("n%1.mp3").arg(k, 5, 10, QLatin1Char('0'));
                if (k % 10 == 0)
                    s.expectFailure(s.addMissing(in + u'/' + name), QStringLiteral("no such file"));
                else
                    s.expectConverted(input(name, m.shortMp3));
            }
            return true;
        }
        case Fault::LongPaths: {
            const QString name = QStringLiteral("/echo.mp3");
            const QString folder = DeepFolder(in, 4000 - static_cast<int>(name.size()));
            s.out = DeepFolder(s.root() + QStringLiteral("/deep-out"),
                               4000 - static_cast<int>(name.size()));
            if (folder.isEmpty() || s.out.isEmpty())
                return false;
            s.expectConverted(s.addInput(folder + name, m.shortMp3));
            return true;
        }
        case Fault::InputBeyondPathMax: {
            const QString folder = DeepFolder(in, 4200);
            if (folder.isEmpty())
                return false;
            s.expectFailure(s.addInput(folder + QStringLiteral("/far.mp3"), m.shortMp3),
                            QStringLiteral("cannot open the input: File name too long"));
            return true;
        }
        case Fault::OutputBeyondPathMax:
            // "/a.mp3" still fits, its hidden temporary name does not: made and written through
            // the folder's descriptor, it is never named by its whole path.
            s.out = DeepFolder(s.root() + QStringLiteral("/deep-out"), 4085);
            s.expectConverted(input(QStringLiteral("a.mp3"), m.shortMp3));
            return !s.out.isEmpty();
        case Fault::EchoText:
            break;
    }
    *why = QStringLiteral("echo texts are arranged by ArrangeEcho");
    return false;
}

template <typename T>
static T Fetched(const char* column) {
    return *static_cast<T*>(QTest::qData(column, qMetaTypeId<T>()));
}

FaultCase::FaultCase(const Material& material)
    : fault(Fetched<Fault>("fault")),
      field(Fetched<int>("field")),
      text(Fetched<QString>("text")),
      accepted(Fetched<bool>("accepted")) {
    if (!scene.isValid())
        return;
    if (fault == Fault::EchoText) {
        const eb::EchoTexts d = eb::DefaultEchoTexts();
        echo = QStringList{d.gainIn, d.gainOut, d.delay, d.decay};
        echo[field] = text;
        ArrangeEcho(scene, material, echo, accepted);
        ready = true;
    } else {
        ready = Arrange(fault, scene, material, &why);
    }
}

void ArrangeEcho(Scene& s, const Material& m, const QStringList& fields, bool accepted) {
    const QString a = s.addInput(s.root() + QStringLiteral("/in/a.mp3"), m.shortMp3);
    if (!accepted) {
        s.refused = true;
        return;
    }
    QTemporaryDir tmp;
    const QString in = tmp.filePath(QStringLiteral("a.mp3"));
    writeFile(in, m.shortMp3);
    QByteArray err;
    // SoX as the program runs it: on the decoded samples of the audio.
    const eb::InputPlan plan = eb::PlanInput(in);
    runToolAsProgram(
        in,
        eb::DecodedArguments(plan) +
            QStringList{tmp.filePath(QStringLiteral("b.mp3")), QStringLiteral("echos")} + fields,
        &err);
    QString verdict;
    for (const QByteArray& line : err.split('\n')) {
        // "<program> FAIL <where>: <text>", the program named as the run names it
        const QList<QByteArray> words = line.trimmed().split(' ');
        if (words.size() > 2 && words[1] == "FAIL")
            verdict = QFileInfo(m.sox).fileName() +
                      QString::fromLocal8Bit(line.trimmed().mid(words[0].size()));
    }
    const QRegularExpressionMatch clipped =
        QRegularExpression(QStringLiteral("echos clipped (\\d+) samples"))
            .match(QString::fromLocal8Bit(err));
    s.refused = s.outOfRange = !verdict.isEmpty();
    if (verdict.isEmpty())
        s.expectConverted(a);
    if (verdict.isEmpty() && clipped.hasMatch())
        s.warnings.insert(
            a, clipped.captured(1) + QStringLiteral(" samples clipped; lower Gain-Out or Decay"));
}

}  // namespace ebtest
