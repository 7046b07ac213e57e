// A scripted window for the batch run: the list, the output folder and the echo texts are
// plain members, and every box or dialog is answered as ScriptedPrompter answers it (the
// questions kept among its boxes). Tests derive from it to record what the run shows.
#pragma once

#include "core/prompter.h"
#include "core/steps.h"
#include "options/echooptions.h"
#include "shell/batch/batchhost.h"
#include "support/scriptedprompter.h"

#include <QStringList>

#include <functional>

namespace ebtest {

struct ScriptedBatchHost : eb::BatchHost, ScriptedPrompter, eb::ErrorReporter {
    QStringList entries;
    QStringList addedFrom;  // the folder each entry was added from; none: picked by itself
    QString folder;
    eb::EchoTexts echo = eb::DefaultEchoTexts();
    // Called with every text the progress display is given (a test may change the list there).
    std::function<void(const QString&)> onText;

    int entryCount() override { return static_cast<int>(entries.size()); }
    QString entryText(int i) override {
        if (i < 1 || i > entries.size())
            throw eb::StepError(QStringLiteral("Index out of bounds"));
        return entries[i - 1];
    }
    QString entryFolder(int i) override { return addedFrom.value(i - 1); }
    // The rows' results, "<index> <EntryResult>" in the order set.
    QStringList results;
    void setEntryResult(int i, const QString&, eb::EntryResult r, const QString&) override {
        results << QStringLiteral("%1 %2").arg(i).arg(static_cast<int>(r));
    }
    void clearEntryResults() override { results.clear(); }
    QString outputFolderText() override { return folder; }
    eb::EchoTexts echoTexts() override { return echo; }
    void setProgressValue(double) override {}
    void setBusy(bool) override {}
    void setProgressText(const QString& text) override {
        if (onText)
            onText(text);
    }
    eb::Prompter& prompter() override { return *this; }
    eb::ErrorReporter& reporter() override { return *this; }

    QStringList toolTips;  // the bar's tooltips, in order
    void setProgressToolTip(const QString& text) override { toolTips << text; }
};

// The scripted window that keeps what the run said: each box's text, and each error report as
// "line <n>: <description>".
struct RecordingBatchHost : ScriptedBatchHost {
    QStringList said;
    void message(const QString& text, Icon, const QString&) override { said << text; }
    void ReportUnexpectedError(const QString&, int line, const QString& d) override {
        said << QStringLiteral("line %1: %2").arg(line).arg(d);
    }
};

}  // namespace ebtest
