// The one seam for message boxes and dialogs. The window answers with real Qt dialogs;
// tests answer with scripted replies; the command-line tool prints.
#pragma once

#include <QString>
#include <QStringList>

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
    // The multi-select file dialog. Returns the result text: empty when cancelled, one full
    // path, or the folder followed by NUL + name for each file. Throws eb::StepError with
    // kSelectionTooLarge when the result would not fit `capacity` characters.
    virtual QString openFiles(const QString& title, const QString& filter, int capacity) = 0;
    // The folder picker: a full path without a final "/" (the root is "/"), or empty.
    virtual QString pickFolder(const QString& prompt) = 0;
    // Opens a folder or web address with the desktop's default handler, not waited for.
    virtual bool openExternally(const QString& target) = 0;
};

inline constexpr int kSelectionTooLargeError = 20476;

}  // namespace eb
