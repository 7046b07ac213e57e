// The error report as a message box: "Application Error", the warning icon, one OK button.
#pragma once

#include "shell/prompter.h"
#include "shell/steps.h"

namespace eb {

class BoxReporter : public ErrorReporter {
public:
    explicit BoxReporter(Prompter& prompter) : prompter_(prompter) {}
    void ReportUnexpectedError(const QString& label, int line, const QString& description) override;

private:
    Prompter& prompter_;
};

}  // namespace eb
