// The narrow seams through which the conversion run reads the window and shows its progress.
// The window implements them on its controls; tests script them.
#pragma once

#include "filelist/filelistmodel.h"
#include "options/echooptions.h"
#include "process/runandwait.h"

#include <QString>

namespace eb {

class Prompter;
class ErrorReporter;

class BatchHost : public ProgressDisplay {
public:
    // The file list (the entries ListView1 shows): the number of entries and the text of entry
    // `index` (1-based). entryText throws StepError when the entry cannot be read (the list
    // shrank meanwhile).
    virtual int entryCount() = 0;
    virtual QString entryText(int index) = 0;
    // The folder entry `index` was found in by "Add All" or a drop; empty for a file picked by
    // itself or an entry that cannot be read.
    virtual QString entryFolder(int index) = 0;
    // What the batch made of entry `index`, shown by its row while it still holds `input`.
    virtual void setEntryResult(int index, const QString& input, EntryResult result,
                                const QString& reason) = 0;
    // Every row's result cleared, as a batch starts.
    virtual void clearEntryResults() = 0;
    // Text1 and Text2..Text5, read afresh for every file.
    virtual QString outputFolderText() = 0;
    virtual EchoTexts echoTexts() = 0;
    // ProgressBar1's value, 0..100 (the bar shows it as its own value type allows).
    virtual void setProgressValue(double percent) = 0;
    // ProgressBar1's tooltip: which file of how many, and the time left once known.
    virtual void setProgressToolTip(const QString& text) = 0;
    // The window's busy pointer (11) on or off (0).
    virtual void setBusy(bool busy) = 0;
    virtual Prompter& prompter() = 0;
    virtual ErrorReporter& reporter() = 0;
    // A number that changes whenever the list changes (entries added, removed, moved or
    // edited), so the run can keep what it learned about the entries until then. A host that
    // does not track changes reports one on every call.
    virtual quint64 listGeneration() { return ++untracked_; }

private:
    quint64 untracked_ = 0;
};

}  // namespace eb
