// The real boxes and dialogs of the window.
//
// When the environment variable ECHOBATCH_UI_LOG names a file, every box and dialog also
// appends one line to it ("message", title, text; fields separated by TAB, CR and LF written
// as \r and \n), so an end-to-end run can tell which box appeared; a box's details follow on
// a line of their own ("details").
#pragma once

#include "core/prompter.h"

#include <QPointer>

class QMessageBox;
class QWidget;

namespace eb {

class WidgetPrompter : public Prompter {
public:
    // The first one keeps Qt's file dialogs from storing anything between runs (see
    // KeepDialogStateOut).
    explicit WidgetPrompter(QWidget* owner);

    void message(const QString& text, Icon icon = Icon::None,
                 const QString& title = QString()) override;
    bool askYesNo(const QString& text) override;
    int choose(const QString& text, const QStringList& buttons, int defaultButton) override;
    void messageWithDetails(const QString& text, const QString& details) override;
    void ask(const QString& text, const QStringList& buttons, int defaultButton,
             std::function<void(int)> answered) override;
    void closeQuestion() override;
    QString openFiles(const QString& title, const QString& filter, int capacity) override;
    QString pickFolder(const QString& prompt, const QString& startFolder) override;
    bool openExternally(const QString& target) override;

    // "MP3 File (*.mp3)|*.mp3|" (description, pattern, ...) in the form Qt's dialog takes.
    static QString qtNameFilters(const QString& filter);

    // Qt's file dialog saves its history, last folder and layout in the per-user settings of
    // "QtProject" whenever one closes, and no option of the dialog turns that off. Those
    // settings are the only ones this program opens in Qt's native settings format (its own
    // store is an INI file of its own), so that format's per-user folder is pointed at a path
    // under which nothing can be created: the dialog reads nothing and its writes fail quietly.
    static void keepDialogStateOut();
    // Where that path is.
    static QString dialogStateFolder();

private:
    QWidget* owner_;
    QPointer<QMessageBox> question_;  // the open question of ask()
};

}  // namespace eb
