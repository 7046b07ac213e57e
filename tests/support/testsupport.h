// Shared helpers for the tests: real MP3 files made with the installed SoX, scratch folders.
#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace ebtest {

// A program that cannot be started returns its error number plus this base: 0x80040000 read as
// a signed 32-bit number. Written out here, apart from the engine's own constant, so that a
// change of that constant shows.
inline constexpr int kStartFailureCode = static_cast<int>(0x80040000u);
// The most characters the file dialog's result may hold (the folder, then NUL + name a file).
inline constexpr int kDialogResultCapacity = 30000;
// How long a test waits for a child's end, a rendering or a sound (ms): the long wait for work
// that runs the real tool, the short one for what is under way already.
inline constexpr int kLongWaitMs = 20000;
inline constexpr int kShortWaitMs = 5000;

// Runs a program and returns its exit code (-1 when it could not start or crashed).
int run(const QString& program, const QStringList& args, QByteArray* out = nullptr,
        QByteArray* err = nullptr, int timeoutMs = 120000);

// A real MP3 file made by SoX: a sine tone of the given length.
bool makeToneMp3(const QString& path, double seconds = 0.5, int frequency = 440);

// A real MP3 file holding silence with one short click at `atSeconds`.
bool makeImpulseMp3(const QString& path, double seconds, double atSeconds);

// A WAV file (16-bit stereo, 44.1 kHz) of silence with one sample of `amplitude` in both
// channels at `atSeconds`: an exact impulse, which no encoder smears.
bool makeImpulseWav(const QString& path, double seconds, double atSeconds, qint16 amplitude);

// Decodes an audio file to mono 16-bit samples at `rate` Hz with SoX.
QVector<qint16> decodeSamples(const QString& path, int rate = 8000);

// Writes bytes to a file (creating folders); true on success.
bool writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);

// Creates folders (entries ending with "/") and small files below `root`; true on success.
bool makeTree(const QString& root, const QStringList& entries);
// Each name with `root` + "/" in front.
QStringList under(const QString& root, const QStringList& names);

// A folder scan's yield call (pass it with std::ref) that deletes `victim` once the folder
// `watched` has been listed and closed: the victim was found by then, but its own turn has not
// come yet.
class DeleteAfterListing {
public:
    DeleteAfterListing(const QString& watched, const QString& victim);
    ~DeleteAfterListing();
    DeleteAfterListing(const DeleteAfterListing&) = delete;
    DeleteAfterListing& operator=(const DeleteAfterListing&) = delete;
    void operator()();

    bool deleted = false;

private:
    int inotify_;
    QString victim_;
};

// The installed tool run with `args` as the program runs it: when they read the decoded
// samples of an MP3 `input` ("--ignore-length -"), mpg123 (the same library, the same
// gapless rule) feeds them as WAV.
int runToolAsProgram(const QString& input, const QStringList& args, QByteArray* err = nullptr);

// What a conversion of `input` into `output` makes, the tag copy left out: the tool with the
// program's own arguments, then the output's Info frame. False when a step fails.
bool convertWithoutTags(const QString& input, const QString& output);

// SHA-256 of a file's contents, hex; empty when it cannot be read.
QByteArray checksum(const QString& path);

// What the settings hold under `key`, or "<absent>" when nothing is stored there.
QString stored(const QString& key);

// The folder of the built executables (build/bin).
QString binDir();
// The built echobatch-cli in that folder.
QString cliProgram();
// The source tree.
QString sourceDir();

}  // namespace ebtest
