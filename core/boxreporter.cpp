#include "core/boxreporter.h"

namespace eb {

void BoxReporter::ReportUnexpectedError(const QString& label, int line,
                                        const QString& description) {
    prompter_.message(ComposeErrorReport(label, line, description), Prompter::Icon::Warning,
                      QStringLiteral("Application Error"));
}

}  // namespace eb
