#include "core/steps.h"

#include "core/usertext.h"

namespace eb {

StepError::StepError(const QString& description) : std::runtime_error(description.toStdString()) {}

QString StepError::description() const {
    return QString::fromUtf8(what());
}

QString HandlerLabel(const QString& handler) {
    return QStringLiteral("in Rendula2016/11/03.Form1.") + handler + QLatin1Char(' ');
}

QString ComposeErrorReport(const QString& label, int line, const QString& description) {
    return description + QStringLiteral("\r\n") + label + UserText::tr("at line ") +
           QString::number(line) + QStringLiteral("\r\r") +
           UserText::tr("Please email screenshot of this message to ") +
           QStringLiteral(ECHOBATCH_SUPPORT_EMAIL);
}

StepRunner::StepRunner(ErrorReporter& reporter, const QString& handler)
    : reporter_(reporter), label_(HandlerLabel(handler)) {}

void StepRunner::report(int line, const QString& description) {
    ++failures_;
    reporter_.ReportUnexpectedError(label_, line, description);
}

}  // namespace eb
