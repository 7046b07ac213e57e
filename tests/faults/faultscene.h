// What the fault cases of both front ends share: the files of a case, what the run must say
// about each of them, and the check that nothing was lost and nothing left half-written.
#pragma once

#include "faultfiles.h"

#include <QByteArray>
#include <QMap>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace ebtest {

enum class Fault {
    ToolKilled,           // the tool killed (SIGKILL) in the middle of a long file
    FrontEndStopped,      // echobatch-cli stopped (SIGTERM) while the tool works
    ToolHangs,            // a tool that never ends; echobatch-cli stopped
    OutputFolderRemoved,  // the output folder removed between two files
    DiskFull,             // the output folder is a small file system
    FileSizeLimit,        // no file written may grow past a limit
    ManyEntries,          // 10,000 entries, every tenth missing, a fast copying tool
    ManyEntriesRealTool,  // 20 entries, every tenth missing, the real tool
    LongPaths,            // input and output paths of 4,000 characters
    InputBeyondPathMax,   // an input whose path is longer than the system accepts
    OutputBeyondPathMax,  // an output folder where no temporary name fits
    EchoText,             // an unusual text in one echo field
};

// The sound files the cases are made of, made once with the real SoX.
struct Material {
    QByteArray shortMp3;  // a 0.3 s tone
    QByteArray longMp3;   // ten minutes: the tool needs seconds for it, so it can be hit mid-file
    QString sox;          // the installed SoX
    bool make();
};

// What inspect() found. Lost: an input or earlier result whose SHA-256 changed or which is
// gone. Half-written: any other file in the case's folder that is not a complete output
// (hidden temporaries, cut-off or undecodable outputs, files written elsewhere), a tool
// folder left in the temporary folder, a tool process still running on the case's files.
struct Damage {
    int compared = 0;  // files compared by checksum
    int decoded = 0;   // outputs decoded and found complete
    QStringList lost;
    QStringList halfWritten;
    QStringList missing;  // expected outputs that are not there
    QString line(const char* frontEnd, const char* row, qsizetype entries) const;
    // Every file lost, half-written or missing, one a line; empty when there is none.
    QString problems() const;
};

class Scene {
public:
    Scene();
    // Removes the case's folder however deep it goes, after taking down a small disk.
    ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    bool isValid() const { return dir_.isValid(); }
    QString root() const { return dir_.path(); }

    QString out;          // the output folder handed to the program
    QStringList entries;  // the list handed to the program, in order, missing files included
    // Entry -> its named reason, a wildcard pattern ("*" for any reason).
    QMap<QString, QString> failures;
    // Entry -> the warning it is converted with ("N samples clipped; ...").
    QMap<QString, QString> warnings;
    bool stops = false;       // the run is stopped before its end
    bool refused = false;     // refused before anything runs
    bool outOfRange = false;  // refused so as a number the tool fails every file with

    // Writes an input of any path length (folders made on the way) and lists it.
    QString addInput(const QString& path, const QByteArray& bytes);
    // Lists an entry that does not exist.
    QString addMissing(const QString& path);
    // An earlier result for `input` in the output folder: it must survive unless the input
    // converts.
    void addEarlier(const QString& input, const QByteArray& bytes);
    // `input` must come out complete in the output folder.
    void expectConverted(const QString& input);
    void expectFailure(const QString& input, const QString& reasonPattern);
    QString outputOf(const QString& input) const;
    // Makes the output folder a file system of `kib` KiB, visible to this process and its
    // children only (a private mount namespace). False with `why` when that is not allowed.
    bool mountSmallDisk(int kib, QString* why);

    Damage inspect() const;

private:
    QTemporaryDir dir_;
    QMap<QString, QByteArray> kept_;   // path -> checksum before the run
    QMap<QString, QString> expected_;  // output -> its input
    QStringList toolFoldersBefore_;
    bool mounted_ = false;
};

// The rows of the fault test, the same for both front ends: fault, field (of an echo text, or
// -1), text, accepted. `withStops`: also the rows that stop the command-line tool.
void AddFaultRows(bool withStops);

// Sets the case's entries and expectations; `why` says why it cannot be set up here.
bool Arrange(Fault fault, Scene& scene, const Material& material, QString* why);

// The running test's current row of AddFaultRows with its scene arranged (ArrangeEcho for an
// echo text, Arrange for the rest). Not `ready`: `why` says why the case cannot be made here,
// or is empty when its set-up failed.
struct FaultCase {
    explicit FaultCase(const Material& material);
    Fault fault;
    int field;
    QString text;
    bool accepted;
    QStringList echo;  // an echo text's case: the four texts, `text` in `field`
    Scene scene;
    QString why;
    bool ready = false;
};

// Skips the test where the case cannot be made here, fails it where its set-up failed.
#define EB_REQUIRE_ARRANGED(c)                               \
    do {                                                     \
        if (!(c).ready && !(c).why.isEmpty())                \
            QSKIP(qPrintable((c).why));                      \
        QVERIFY2((c).ready, "the case could not be set up"); \
    } while (false)

// A tool that writes its arguments to `log`, one a line, then runs the real SoX with them.
QString RecordingTool(const QString& folder, const QString& sox, const QString& log);
// The four texts the recording tool was given after "echos"; empty when it never ran.
QStringList RecordedEchoTexts(const QString& log);

// One short input with these echo texts in `fields` (gain in, gain out, delay, decay order).
// Accepted texts are expected to convert when the tool run on them directly converts, and to
// be refused before the run starts when it fails; texts that are no numbers are refused so
// too.
void ArrangeEcho(Scene& scene, const Material& material, const QStringList& fields, bool accepted);

}  // namespace ebtest

Q_DECLARE_METATYPE(ebtest::Fault)
