// "Start Converting": the whole batch, strictly in list order, on the caller's thread.
#pragma once

namespace eb {

class BatchHost;

class ConversionRun {
public:
    // PushButton2_Click's body: the two checks, the echo-text check, tool deployment, one
    // conversion per entry with the progress display, clean-up and "Done." with the failure
    // summary. A second call while a batch runs is refused with a message.
    static void Run(BatchHost& host);
    // True while a batch runs in this process.
    static bool IsRunning();
    // Stops the running tool, removes its unfinished output and the tool folder; the running
    // Run() then returns without further conversions or messages. Used when the window closes.
    static void Abort();
};

}  // namespace eb
