// "Start Converting": the whole batch, strictly in list order, on the caller's thread.
#pragma once

namespace eb {

class BatchHost;
class ActiveBatch;

// The batch's running state belongs to its caller (the window holds one): a second Run() on the
// same object while a batch runs is refused, and Abort() reaches the running one. The object
// must outlive a running Run().
class ConversionRun {
public:
    ConversionRun() = default;
    ConversionRun(const ConversionRun&) = delete;
    ConversionRun& operator=(const ConversionRun&) = delete;

    // PushButton2_Click's body: the two checks, the echo-text check, tool deployment, one
    // conversion per entry with the progress display, clean-up and "Done." with the failure
    // summary. A second call while a batch runs is refused with a message.
    void Run(BatchHost& host);
    // True while a batch of this object runs.
    bool IsRunning() const { return active_ != nullptr; }
    // Stops the running tool, removes its unfinished output and the tool folder; the running
    // Run() then returns without further conversions or messages. Used when the window closes.
    void Abort();

private:
    ActiveBatch* active_ = nullptr;
};

}  // namespace eb
