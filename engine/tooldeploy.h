// The tool set of a batch: the one executable `sox`, copied from the installed SoX into a
// private folder made fresh for the batch inside the temporary folder, and removed after it.
#pragma once

#include <QByteArray>
#include <QString>

namespace eb {

class StepRunner;

struct ToolSet {
    QString folder;             // the private folder (mode 0700); empty when none could be made
    QString deployed;           // folder + "/sox"; empty when it could not be written
    QString installed;          // the installed SoX whose bytes were copied
    bool runInstalled = false;  // the copy cannot be started: run the installed one directly

    // The program a conversion starts.
    QString program() const;
    // Called after `program()` failed to start: switches to the installed SoX. False when
    // there is nothing else to try.
    bool fallBack();
};

// "TEMP" when set and not empty, else the system's temporary folder.
QString TemporaryFolder();

// The installed SoX: the file named by ECHOBATCH_SOX when that is set, else `sox` on PATH.
// PATH entries that are relative or that others may write to are passed over, so a planted
// `sox` is never picked. Empty when there is none.
QString InstalledSox();

// Yields to the event queue once; then, unless a file exists at `path`, writes `data` to a
// new file there (created exclusively, never through a link) with the given permissions.
// Throws StepError when it cannot; a file it could not finish is removed again.
void WriteBytesIfAbsent(const QByteArray& data, const QString& path, int permissions = 0700);

// Line 104: load the installed SoX's bytes; 106: make the private folder and test whether the
// tool is present there; 108: write it. A failed step is reported through `steps`; the
// conversions then run the installed SoX directly. The same happens when the temporary
// folder does not allow programs to run (mounted noexec).
ToolSet DeployTools(StepRunner& steps);

// Line 168: deletes the tool, then its private folder. Never fails.
void RemoveTools(StepRunner& steps, ToolSet& tools);

}  // namespace eb
