// PushButton2_Click, "Start Converting": the batch itself is the engine's; the window lends
// it its list's entries and its controls through a BatchHost. The window stays live while the
// batch runs.
#include "filelist/filelistmodel.h"
#include "shell/batch/batchhost.h"
#include "shell/batch/conversionrun.h"
#include "shell/captionbar.h"
#include "shell/form1.h"

#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

namespace eb {

namespace {
class WindowBatchHost : public BatchHost {
public:
    explicit WindowBatchHost(Form1& form) : form_(form) {}

    int entryCount() override { return form_.entryCount(); }
    QString entryText(int index) override { return form_.entryText(index); }
    QString entryFolder(int index) override {
        const FileListModel& list = form_.fileList();
        return index >= 1 && index <= list.count() ? list.entry(index - 1).addedFrom : QString();
    }
    void setEntryResult(int index, const QString& input, EntryResult result,
                        const QString& reason) override {
        FileListModel& list = form_.fileList();
        if (index >= 1 && index <= list.count() && list.text(index - 1) == input)
            list.setResult(index - 1, result, reason);
    }
    void clearEntryResults() override { form_.fileList().clearResults(); }
    QString outputFolderText() override { return ui_.Text1->text(); }
    EchoTexts echoTexts() override {
        return {ui_.Text2->text(), ui_.Text3->text(), ui_.Text4->text(), ui_.Text5->text()};
    }
    // The bar holds whole percents: 33.33... shows as 33, 66.66... as 67.
    void setProgressValue(double percent) override {
        ui_.ProgressBar1->setValue(percent > 100.0 ? 100 : percent > 0.0 ? qRound(percent) : 0);
    }
    void setProgressText(const QString& text) override { ui_.ProgressBar1->setCaption(text); }
    void setProgressToolTip(const QString& text) override { ui_.ProgressBar1->setToolTip(text); }
    void setBusy(bool busy) override {
        form_.setPointerState(busy ? PointerState::Busy : PointerState::Default);
    }
    Prompter& prompter() override { return form_.prompter(); }
    ErrorReporter& reporter() override { return form_.reporter(); }
    quint64 listGeneration() override { return form_.fileList().generation(); }

private:
    Form1& form_;
    const Form1Controls& ui_ = form_.controls();
};
}  // namespace

// The window's batch; one runs at a time.
class WindowBatch : public QObject {
public:
    ConversionRun run;
    QShortcut* escape = nullptr;  // asks whether to stop; only while a batch runs
};

void Form1::connectBatch() {
    batch_ = adopt(std::make_unique<WindowBatch>());
    connect(ui_.PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Click(); });
    batch_->escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    batch_->escape->setEnabled(false);
    connect(batch_->escape, &QShortcut::activated, this, [this] { PushButton2_Click(); });
}

// A press while the batch runs asks whether to stop it, as Escape does.
void Form1::PushButton2_Click() {
    WindowBatchHost host(*this);
    const bool first = !batch_->run.isRunning();
    if (first)
        batch_->escape->setEnabled(true);
    batch_->run.run(host);
    if (first)
        batch_->escape->setEnabled(false);
}

bool Form1::conversionRunning() const {
    return batch_->run.isRunning();
}

// Closing the window ends the program at once. A running batch is stopped first: its tool is
// ended, the unfinished output and the tool folder are removed, so no half-written MP3 is
// left behind looking finished. A running folder scan ends at its next yield.
void Form1::Form_Unload() {
    closing_ = true;
    batch_->run.abort();
}

}  // namespace eb
