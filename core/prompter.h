// The one seam for message boxes and dialogs. The window answers with real Qt dialogs;
// tests answer with scripted replies; the command-line tool prints.
#pragma once

#include "core/steps.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace eb {

class Prompter {
public:
    enum class Icon { None, Warning };
    virtual ~Prompter() = default;

    // A modal box with one OK button. An empty title means the application title.
    virtual void message(const QString& text, Icon icon = Icon::None,
                         const QString& title = QString()) = 0;
    // A Yes/No box, Yes the default; true for Yes.
    virtual bool askYesNo(const QString& text) = 0;
    // A question with the buttons `buttons` (captions), `defaultButton` the default; the index
    // of the button chosen (the default when the box is closed otherwise).
    virtual int choose(const QString& text, const QStringList& buttons, int defaultButton) = 0;
    // A question shown without waiting for it: `answered` gets the index of the button chosen
    // (the default when the box is closed otherwise), unless closeQuestion() closed it first.
    // A new question closes the one still open.
    virtual void ask(const QString& text, const QStringList& buttons, int defaultButton,
                     std::function<void(int)> answered) = 0;
    // Closes the open question, if any, unanswered.
    virtual void closeQuestion() = 0;
    // A box with one OK button whose "Show Details..." button shows `details`.
    virtual void messageWithDetails(const QString& text, const QString& details) = 0;
    // The multi-select file dialog. Returns the result text: empty when cancelled, one full
    // path, or the folder followed by NUL + name for each file. Throws SelectionTooLarge when
    // the result would not fit `capacity` characters.
    virtual QString openFiles(const QString& title, const QString& filter, int capacity) = 0;
    // The folder picker, opened at `startFolder` with nothing chosen: a full path without a
    // final "/" (the root is "/"), or empty.
    virtual QString pickFolder(const QString& prompt, const QString& startFolder) = 0;
    // Opens a folder or web address with the desktop's default handler, not waited for.
    virtual bool openExternally(const QString& target) = 0;
};

inline constexpr int kSelectionTooLargeError = 20476;

// The file dialog's report that the chosen names do not fit its result capacity. It is a
// StepError, so a handler that does not expect it still reports it like any other failure.
class SelectionTooLarge : public StepError {
public:
    SelectionTooLarge() : StepError(UserText::tr("The file name buffer is too small")) {}
    int code() const { return kSelectionTooLargeError; }
};

// The dialog's result text for `names` chosen in `folder`: the one full path when a single
// file was chosen, otherwise the folder followed by NUL + name for each file. Throws
// SelectionTooLarge when that text is longer than `capacity` characters.
QString SelectionResult(const QString& folder, const QStringList& names, int capacity);

}  // namespace eb
