// The tool set of a batch: the one executable `sox`, copied from the installed SoX into a
// private folder made fresh for the batch inside the temporary folder, and removed after it.
#pragma once

#include "core/result.h"
#include "posix/uniquefd.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace eb {

class StepRunner;
class ToolRun;

// The copy and the installed SoX are kept open: a conversion executes the open file, never a
// path, so nobody can swap what runs between the check or the copy and the start (a private
// folder in a temporary folder that others may write to can be renamed away and replaced).
struct ToolSet {
    ToolSet() = default;
    ToolSet(QString folderPath, QString deployedPath, QString installedPath, bool installedOnly)
        : folder(std::move(folderPath)),
          deployed(std::move(deployedPath)),
          installed(std::move(installedPath)),
          runInstalled(installedOnly) {}

    QString folder;               // the private folder (mode 0700); empty when none could be made
    QString deployed;             // folder + "/sox"; empty when it could not be written
    QString installed;            // the installed SoX whose bytes were copied
    bool runInstalled = false;    // the copy cannot be started: run the installed one directly
    posix::UniqueFd folderFd;     // the private folder, open
    posix::UniqueFd deployedFd;   // the copy, open read-only
    posix::UniqueFd installedFd;  // the installed SoX, open read-only
    Said missing;                 // why there is no tool at all (said once per file)

    // The program a conversion starts, and the open file that is executed for it (-1: none,
    // the path is run as it is).
    QString program() const;
    int programFd() const;
    // Called after `program()` failed to start: switches to the installed SoX. False when
    // there is nothing else to try.
    bool fallBack();
};

// What StartTool did: the program it tried last, and whether that one started.
struct ToolStart {
    QString program;
    bool started = false;
};

// Starts the set's program on `run` with `args`, from its open file, and the installed SoX when
// the copy cannot start. When neither started, run.outcome() tells why.
ToolStart StartTool(ToolRun& run, ToolSet& tools, const QStringList& args);

// The installed SoX: the file named by ECHOBATCH_SOX when that is set, else `sox` on PATH,
// resolved through its links. On PATH, a `sox` that another user could change or replace is
// passed over (see OthersMayChange; its own folder and the PATH folder must not be writable by
// others at all), as are relative PATH entries, so a planted `sox` is never picked. When there
// is none, the failure tells where it was looked for.
Result<QString> FindInstalledSox();
// The same path, empty when there is none.
QString InstalledSox();

// Yields to the event queue once; then, unless a file exists at `path`, writes `data` to a
// new file there (created exclusively, never through a link) with the given permissions.
// Throws StepError when it cannot; a file it could not finish is removed again.
void WriteBytesIfAbsent(const QByteArray& data, const QString& path, int permissions = 0700);

// Line 104: load the installed SoX's bytes (a tool that is not a regular file is refused
// before it is opened); 106: look up the temporary folder (the private folder is made anew
// for each batch, so the tool is never present in it yet); 108: make the private folder and
// write the tool. A failed step is reported through `steps`. When the tool cannot be written,
// or the temporary folder does not allow programs to run (mounted noexec), the conversions
// run the installed SoX directly, through the same open file whose bytes were loaded: that
// is as safe as the copy.
ToolSet DeployTools(StepRunner& steps);

// Line 168: deletes the tool, then its private folder (only when the folder is still the one
// that was made), and closes the open files. Never fails.
void RemoveTools(StepRunner& steps, ToolSet& tools);

// The same at once, without a step or a yield (for owners that are no handler, such as the
// preview).
void DiscardTools(ToolSet& tools);

}  // namespace eb
