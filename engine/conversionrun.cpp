#include "engine/conversionrun.h"

#include "engine/batchhost.h"
#include "engine/conversionjob.h"
#include "engine/pathhelpers.h"
#include "engine/temporarylock.h"
#include "engine/tooldeploy.h"
#include "core/prompter.h"
#include "core/steps.h"

#include <QCoreApplication>
#include <QList>

#include <exception>
#include <optional>

namespace eb {

namespace {

constexpr int kListedFailures = 5;

// The batch that runs now, so that a second press is refused and Abort() can reach it.
struct ActiveBatch {
    bool aborted = false;
    StepRunner* steps = nullptr;
    ToolSet* tools = nullptr;
    ConversionJob* job = nullptr;
};
ActiveBatch* g_active = nullptr;

struct Failure {
    QString name;
    QString reason;
};

QString Listed(const QList<Failure>& list) {
    QString text;
    for (qsizetype k = 0; k < list.size() && k < kListedFailures; ++k)
        text += u'\n' + list[k].name + QStringLiteral(": ") + list[k].reason;
    return text;
}

// "Done.", then the files that failed and the files converted with a warning (their tags could
// not be copied, samples were clipped: the audio is there, but the user must know what it
// lacks).
QString Summary(const QList<Failure>& failures, const QList<Failure>& warnings, int total) {
    QString text = QStringLiteral("Done.");
    if (!failures.isEmpty())
        text += QStringLiteral("\n\n%1 of %2 files failed:").arg(failures.size()).arg(total) +
                Listed(failures);
    if (!warnings.isEmpty())
        text += QStringLiteral("\n\n%1 of %2 files converted with a warning:")
                    .arg(warnings.size())
                    .arg(total) +
                Listed(warnings);
    return text;
}

QString DescriptionOf(const std::exception& e) {
    return QString::fromUtf8(e.what());
}

}  // namespace

bool ConversionRun::IsRunning() {
    return g_active != nullptr;
}

void ConversionRun::Abort() {
    if (!g_active || g_active->aborted)
        return;
    g_active->aborted = true;
    if (g_active->job)
        g_active->job->abortNow();
    if (g_active->tools && g_active->steps)
        RemoveTools(*g_active->steps, *g_active->tools);
}

void ConversionRun::Run(BatchHost& host) {
    if (g_active) {
        host.prompter().message(QStringLiteral("A conversion is already running."),
                                Prompter::Icon::Warning);
        return;
    }
    StepRunner steps(host.reporter(), QStringLiteral("PushButton2_Click"));

    bool empty = false;
    steps.step(100, [&] { empty = host.entryCount() <= 0; });
    if (empty) {
        host.prompter().message(QStringLiteral("No files added."));
        return;
    }
    bool folder = false;
    steps.step(102, [&] { folder = IsFolder(host.outputFolderText()); });
    if (!folder) {
        host.prompter().message(
            QStringLiteral("Folder does not exist. Please select another folder."));
        return;
    }
    // Texts the tool would silently read as 0 never reach it.
    QString wrongTexts;
    if (!steps.step(102, [&] { wrongTexts = CheckEchoTexts(host.echoTexts()); }))
        return;
    if (!wrongTexts.isEmpty()) {
        host.prompter().message(wrongTexts, Prompter::Icon::Warning);
        return;
    }

    ActiveBatch active;
    active.steps = &steps;
    g_active = &active;
    struct Release {
        ~Release() { g_active = nullptr; }
    } release;

    ToolSet tools = DeployTools(steps);
    active.tools = &tools;
    // Hidden temporaries that a killed run left in the output folder, provably unowned.
    RemoveAbandonedTemporaries(host.outputFolderText());
    if (active.aborted) {  // stopped while deploying, before Abort() knew the tool
        RemoveTools(steps, tools);
        return;
    }
    steps.step(134, [&] { tools.program(); });
    int count = 0;
    steps.step(136, [&] { count = host.entryCount(); });

    // The output must not replace any file of the list as it stands when the file's turn comes.
    // The entries' identities are read again only after the list has changed, so a batch over
    // a long list into a folder of earlier results does not examine every entry per file.
    IdentitySet listFiles;
    std::optional<quint64> listFilesGeneration;
    auto isListFile = [&](const FileIdentity& id) {
        const quint64 generation = host.listGeneration();
        if (listFilesGeneration != generation) {
            listFiles.clear();
            const int now = host.entryCount();
            for (int k = 1; k <= now; ++k) {
                try {
                    if (const auto entry = IdentityOf(host.entryText(k)))
                        listFiles.insert(*entry);
                } catch (const std::exception&) {
                }
            }
            listFilesGeneration = generation;
        }
        return listFiles.contains(id);
    };

    // No entry replaces the result of an earlier entry of this batch (two "intro.mp3" from
    // different folders): the later one is skipped and named.
    OutputClaims claims;

    QList<Failure> failures;
    QList<Failure> warnings;
    bool goneReported = false;
    for (int i = 1; i <= count; ++i) {
        steps.step(138, [] { QCoreApplication::processEvents(); });
        if (active.aborted)
            return;
        steps.step(140, [&] { host.setBusy(true); });
        // The list was cleared during the batch: the entries from here on are gone. One report
        // tells it; each gone entry is named in the summary, and entries added meanwhile are
        // still taken when their turn comes.
        int present = 0;
        steps.step(142, [&] { present = host.entryCount(); });
        if (present < i) {
            if (!goneReported)
                steps.step(144, [] { throw StepError(QStringLiteral("Index out of bounds")); });
            goneReported = true;
            failures.append(
                {QStringLiteral("entry %1").arg(i), QStringLiteral("no longer in the list")});
            continue;
        }
        goneReported = false;
        steps.step(142, [&] {
            const int now = host.entryCount();
            if (now == 0)
                throw StepError(QStringLiteral("Division by zero"));
            host.setProgressValue(static_cast<double>(i) / static_cast<double>(now) * 100.0);
        });

        QString input;
        QString name = QStringLiteral("entry %1").arg(i);
        // A step that forms one of the file's values: when it fails, the file is skipped.
        auto fileStep = [&](int line, auto&& fn) {
            QString why;
            const bool ok = steps.step(line, [&] {
                try {
                    fn();
                } catch (const std::exception& e) {
                    why = DescriptionOf(e);
                    throw;
                }
            });
            if (!ok)
                failures.append({name, why});
            return ok;
        };

        if (!fileStep(144, [&] { input = host.entryText(i); }))
            continue;
        name = FileNameOf(input);
        steps.step(146, [&] { host.setProgressText(QStringLiteral("Processing: ") + name); });
        steps.step(148, [] { QCoreApplication::processEvents(); });
        if (active.aborted)
            return;

        ConversionJob job(input);
        active.job = &job;
        struct Forget {
            ActiveBatch& batch;
            ~Forget() { batch.job = nullptr; }
        } forget{active};
        bool ready = false;
        if (!fileStep(150, [&] { job.formOutputPath(host.outputFolderText()); }) ||
            !fileStep(
                152, [&] { ready = job.checkOutputIsFree(isListFile) && job.claimOutput(claims); }))
            continue;
        if (ready && !fileStep(154, [&] { ready = job.prepare(host.echoTexts()); }))
            continue;
        if (ready)
            steps.step(156, [&] { job.runAndWait(host, tools); });
        if (active.aborted)
            return;
        if (!job.result().converted)
            failures.append({name, job.result().reason});
        else if (!job.result().warning.isEmpty())
            warnings.append({name, job.result().warning});
    }

    RemoveTools(steps, tools);
    if (active.aborted)  // stopped while the tool was being removed
        return;
    steps.step(160, [&] { host.setBusy(false); });
    steps.step(162, [&] { host.setProgressValue(0); });
    steps.step(164, [&] { host.setProgressText(QStringLiteral("Progress Bar")); });
    steps.step(166, [&] { host.prompter().message(Summary(failures, warnings, count)); });
}

}  // namespace eb
