#pragma once

#include "dialogs.h"

#include <deque>
#include <functional>
#include <vector>

// Answers every box from a script and keeps what each one showed.
class ScriptedDialogs final : public Dialogs
{
public:
    struct Box
    {
        QString text;
        int flags = -1; // -1: an input box
        std::optional<QString> title;
    };

    int messageBox(const QString &text, int flags, const std::optional<QString> &title) override
    {
        shown.push_back({text, flags, title});
        if (whileOpen)
            whileOpen(shown.back());
        if (flags != yesNoQuestionDefaultNo)
            return ok;
        if (answers.empty())
            return no;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }

    QString inputBox(const QString &prompt, const QString &title) override
    {
        shown.push_back({prompt, -1, title});
        if (names.empty())
            return QStringLiteral("Anna");
        const QString name = names.front();
        names.pop_front();
        return name;
    }

    std::vector<Box> shown;
    std::deque<QString> names;             // typed at the name prompt; "Anna" once they run out
    std::deque<int> answers;               // to Yes/No boxes; No once they run out
    std::function<void(const Box &)> whileOpen; // runs while a message box waits
};
