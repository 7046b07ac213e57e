// The error report as a message box: "Application Error", the warning icon, one OK button.
#pragma once

#include "core/prompter.h"
#include "core/steps.h"

namespace eb {

class BoxReporter : public ErrorReporter {
public:
    explicit BoxReporter(Prompter& prompter) : prompter_(prompter) {}
    void ReportUnexpectedError(const QString& label, int line, const QString& description) override;

private:
    Prompter& prompter_;
};

}  // namespace eb
