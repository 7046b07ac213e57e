// Numbered handler steps and the standard error report.
//
// Every button handler and the load handler number their steps (100, 102, ...). A step that
// throws is reported through ReportUnexpectedError with the handler's label and the step's
// line, and the handler goes on with its next step.
#pragma once

#include "core/usertext.h"

#include <QString>
#include <stdexcept>

namespace eb {

// A failure inside a step; its text is the description the report shows.
class StepError : public std::runtime_error {
public:
    explicit StepError(const QString& description);
    QString description() const;
};

// Thrown to end a handler quietly because the window is closing: StepRunner does not report
// it, and the handler stops (see StepRunner::stopped()).
class HandlerStopped : public std::exception {
public:
    const char* what() const noexcept override { return "The window is closing"; }
};

// The platform's wording for a call given an argument it cannot take.
inline constexpr const char* kInvalidArgument =
    QT_TRANSLATE_NOOP("echobatch", "Invalid procedure call or argument");

// Handler labels, e.g. HandlerLabel("PushButton2_Click") is
// "in Rendula2016/11/03.Form1.PushButton2_Click " (with its trailing blank).
QString HandlerLabel(const QString& handler);

// description CR LF label "at line " line CR CR "Please email screenshot ... " address.
QString ComposeErrorReport(const QString& label, int line, const QString& description);

// Where reports go: a message box in the window, standard error elsewhere.
class ErrorReporter {
public:
    virtual ~ErrorReporter() = default;
    virtual void ReportUnexpectedError(const QString& label, int line,
                                       const QString& description) = 0;
};

// Gives one handler its numbered steps.
class StepRunner {
public:
    StepRunner(ErrorReporter& reporter, const QString& handler);

    // Runs fn as step `line`. Returns true when it finished, false when it threw and was
    // reported (the caller then goes on with its next step).
    template <typename F>
    bool step(int line, F&& fn) {
        try {
            fn();
            return true;
        } catch (const HandlerStopped&) {
            stopped_ = true;
        } catch (const std::exception& e) {
            report(line, QString::fromUtf8(e.what()));
        } catch (...) {
            report(line, UserText::tr("Unknown error"));
        }
        return false;
    }

    const QString& label() const { return label_; }
    int failures() const { return failures_; }
    // True once a step ended with HandlerStopped: the handler should return.
    bool stopped() const { return stopped_; }

private:
    void report(int line, const QString& description);

    ErrorReporter& reporter_;
    QString label_;
    int failures_ = 0;
    bool stopped_ = false;
};

}  // namespace eb
