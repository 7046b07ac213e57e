// Answers the window's boxes and dialogs from a script and records what was shown.
#pragma once

#include "core/appinfo.h"
#include "core/prompter.h"

#include <QList>
#include <QStringList>

#include <functional>

namespace ebtest {

struct Box {
    QString text;
    eb::Prompter::Icon icon;
    QString title;  // as shown: the application title when the caller gave none
};

// One scripted answer of the file dialog: the files chosen in a folder (empty: cancelled).
struct FileChoice {
    QString folder;
    QStringList names;
};

// Questions are boxes too: choose() takes the next of `choices` (none left: the default); ask()
// with none left keeps its question open until closeQuestion().
class ScriptedPrompter : public eb::Prompter {
public:
    QList<Box> boxes;
    QList<int> choices;                        // consumed front first
    std::function<void(int)> pendingQuestion;  // the question kept open
    int closedQuestions = 0;                   // closed while open
    QStringList dialogTitles;
    QStringList dialogFilters;
    QList<FileChoice> fileChoices;  // consumed front first; none left = cancel
    QStringList folderChoices;      // consumed front first; none left = cancel
    QStringList folderPrompts;
    QStringList folderStarts;                   // where each folder picker was opened
    QList<bool> yesNoAnswers;                   // none left = Yes
    QStringList details;                        // what each box held behind "Show Details..."
    std::function<void(const Box&)> onMessage;  // runs while the box "is open"

    void message(const QString& text, Icon icon, const QString& title) override {
        boxes.append({text, icon, title.isEmpty() ? eb::AppTitle() : title});
        if (onMessage)
            onMessage(boxes.last());
    }
    bool askYesNo(const QString& text) override {
        boxes.append({text, Icon::None, eb::AppTitle()});
        return yesNoAnswers.isEmpty() ? true : yesNoAnswers.takeFirst();
    }
    int choose(const QString& text, const QStringList&, int defaultButton) override {
        boxes.append({text, Icon::None, eb::AppTitle()});
        if (onMessage)
            onMessage(boxes.last());
        return choices.isEmpty() ? defaultButton : choices.takeFirst();
    }
    void ask(const QString& text, const QStringList&, int,
             std::function<void(int)> answered) override {
        boxes.append({text, Icon::None, eb::AppTitle()});
        if (choices.isEmpty())
            pendingQuestion = std::move(answered);
        else
            answered(choices.takeFirst());
    }
    void closeQuestion() override {
        closedQuestions += pendingQuestion ? 1 : 0;
        pendingQuestion = nullptr;
    }
    void messageWithDetails(const QString& text, const QString& detailText) override {
        details << detailText;
        message(text, Icon::None, QString());
    }
    QString openFiles(const QString& title, const QString& filter, int capacity) override {
        dialogTitles << title;
        dialogFilters << filter;
        if (fileChoices.isEmpty())
            return QString();
        const FileChoice choice = fileChoices.takeFirst();
        return eb::SelectionResult(choice.folder, choice.names, capacity);
    }
    QString pickFolder(const QString& prompt, const QString& startFolder) override {
        folderPrompts << prompt;
        folderStarts << startFolder;
        return folderChoices.isEmpty() ? QString() : folderChoices.takeFirst();
    }
    bool openExternally(const QString&) override { return true; }

    QStringList texts() const {
        QStringList all;
        for (const Box& b : boxes)
            all << b.text;
        return all;
    }
};

}  // namespace ebtest
