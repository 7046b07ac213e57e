#include "core/boxreporter.h"

#include "core/usertext.h"

namespace eb {

void BoxReporter::ReportUnexpectedError(const QString& label, int line,
                                        const QString& description) {
    prompter_.message(ComposeErrorReport(label, line, description), Prompter::Icon::Warning,
                      UserText::tr("Application Error"));
}

}  // namespace eb
