// The real boxes and dialogs of the window.
//
// When the environment variable ECHOBATCH_UI_LOG names a file, every box and dialog also
// appends one line to it ("message", title, text; fields separated by TAB, CR and LF written
// as \r and \n), so an end-to-end run can tell which box appeared.
#pragma once

#include "shell/prompter.h"

class QWidget;

namespace eb {

class WidgetPrompter : public Prompter {
public:
    explicit WidgetPrompter(QWidget* owner) : owner_(owner) {}

    void message(const QString& text, Icon icon = Icon::None,
                 const QString& title = QString()) override;
    bool askYesNo(const QString& text) override;
    QString openFiles(const QString& title, const QString& filter, int capacity) override;
    QString pickFolder(const QString& prompt) override;
    bool openExternally(const QString& target) override;

    // "MP3 File (*.mp3)|*.mp3|" (description, pattern, ...) in the form Qt's dialog takes.
    static QString QtNameFilters(const QString& filter);

private:
    QWidget* owner_;
};

}  // namespace eb
