// The command line of echobatch-cli and its checks, all made before anything runs.
#pragma once

#include "options/echooptions.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace eb {

struct CliOptions {
    QString outputFolder;
    EchoTexts echo;
    int jobs = 1;  // files converted at once; parsing sets one per processor core unless --jobs
    bool dryRun = false;
    bool quiet = false;
    int bitrate = 0;        // a fixed CBR bitrate in kbps; 0 keeps each input's encoding class
    bool keepTree = false;  // files found in a folder go below the output folder as in it
    bool json = false;      // a JSON line per file on standard output
    bool update = false;    // a file whose output is newer than it is passed over, "up to date"
    bool makeOutputFolder = false;  // the output folder is missing: made before the batch
    int shard = 0;                  // --shard K/N: K, from 1; 0 converts the whole list
    int shards = 0;                 // N
    QStringList paths;              // the command line's, then those of the --from list
};

// Exit codes of the tool.
inline constexpr int kExitConverted = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInterrupted = 130;

// Fills `options` from the arguments (the program name first). Values not given come from
// the window's stored settings (read only), else from the built-in defaults. Returns the exit
// code when the tool must end now: after --help or --version (0), or after a usage error,
// which has been printed to standard error (2).
std::optional<int> ParseCliOptions(const QStringList& arguments, CliOptions& options);

// A missing output folder is made with the folders above it (their mode from the umask) and
// said once on standard error (not with --quiet); a dry run makes nothing and says it would.
// None is made when none of the paths given is there.
// Returns 2 when it cannot be made (said with the reason).
std::optional<int> PrepareOutputFolder(const CliOptions& options);

}  // namespace eb
