// The two things echobatch-cli does with its files: print the commands, or convert.
#pragma once

#include <QStringList>

namespace eb {

struct CliOptions;

// Prints the tool's command for each file on standard output, one file a line, shell-quoted;
// the output is shown under its final name. Converts nothing. Returns 1 when a file would be
// skipped (said on standard error), else 0 (a file up to date under --update is named, not
// counted). `folders`: each file's output folder (empty: all go to options.outputFolder);
// `notes`: lines said once at the end (folders passed over).
int DryRun(const CliOptions& options, const QStringList& files, const QStringList& folders = {},
           const QStringList& notes = {});

// Deploys the tool, converts every file (options.jobs at once), removes the tool, prints the
// summary (with `notes`). Returns 0 when every file converted or was up to date, 1 otherwise
// (also when the JSON report could not be written), 130 when interrupted.
int ConvertFiles(const CliOptions& options, const QStringList& files,
                 const QStringList& folders = {}, const QStringList& notes = {});

// A text as one word of a POSIX shell command line.
QString ShellQuote(const QString& word);

}  // namespace eb
