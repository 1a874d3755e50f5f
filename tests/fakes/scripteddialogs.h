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
        int flags = -1; // the box's flag word; -1: an input box
        std::optional<QString> title;
    };

    std::vector<Box> shown;
    std::deque<QString> names;                  // typed at the name prompt; "Anna" once they run out
    std::deque<BoxReply> answers;               // to Yes/No boxes; No once they run out
    std::function<void(const Box &)> whileOpen; // runs while a message box waits

protected:
    BoxReply showMessage(const QString &text, BoxKind kind, const std::optional<QString> &title) override
    {
        shown.push_back({text, static_cast<int>(kind), title});
        if (whileOpen)
            whileOpen(shown.back());
        if (kind != BoxKind::YesNoQuestionDefaultNo)
            return BoxReply::Ok;
        if (answers.empty())
            return BoxReply::No;
        const BoxReply answer = answers.front();
        answers.pop_front();
        return answer;
    }

    QString askText(const QString &prompt, const QString &title) override
    {
        shown.push_back({prompt, -1, title});
        if (names.empty())
            return QStringLiteral("Anna");
        const QString name = names.front();
        names.pop_front();
        return name;
    }
};
