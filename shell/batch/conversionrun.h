// "Start Converting": the whole batch, strictly in list order, on the caller's thread.
#pragma once

namespace eb {

class BatchHost;
class ActiveBatch;

// The batch's running state belongs to its caller (the window holds one): a second run() on the
// same object while a batch runs is refused, and abort() reaches the running one. The object
// must outlive a running run().
class ConversionRun {
public:
    ConversionRun() = default;
    ConversionRun(const ConversionRun&) = delete;
    ConversionRun& operator=(const ConversionRun&) = delete;

    // PushButton2_Click's body: the two checks, the echo-text check, tool deployment, one
    // conversion per entry with the progress display, clean-up and "Done." with the failure
    // summary.
    void run(BatchHost& host);
    // A second call while a batch runs asks whether to stop it; the batch goes on meanwhile.
    // True while a batch of this object runs.
    bool isRunning() const { return active_ != nullptr; }
    // Stops the running tool, removes its unfinished output and the tool folder; the running
    // run() then returns without further conversions or messages. Used when the window closes.
    void abort();

private:
    void askStop(BatchHost& host);

    ActiveBatch* active_ = nullptr;
};

}  // namespace eb
