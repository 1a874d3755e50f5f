#pragma once

#include "fakes/scripteddialogs.h"
#include "fakes/scriptedrandom.h"
#include "fakes/scriptedrecordbook.h"

#include "answerbox.h"
#include "label.h"
#include "picturebutton.h"
#include "surface.h"
#include "tavola.h"

#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

// Thrown by the stand-in for the end of the program, so that nothing after it
// runs in a test either. Only for handlers called directly: an exception must
// not cross Qt's event dispatch.
struct ProgramEnded {};

// One game window with scripted boxes, draws and record. With the default
// draws every problem is -30 : (-5) = 6.
struct Game
{
    enum class End { Throws, Records };

    explicit Game(End end = End::Throws)
        : endMode(end)
    {
        window = std::make_unique<Tavola>(TavolaServices{
            dialogs,
            random,
            book,
            [] { return QStringLiteral("08/12/26"); },
            [this] {
                ++ends;
                if (endMode == End::Throws)
                    throw ProgramEnded{};
            },
        });
    }

    Tavola &start()
    {
        window->start();
        return *window;
    }

    const Controls &ui() const { return window->controls(); }

    // Types text and Enter in the answer box, through the handler.
    void answer(const QString &text)
    {
        ui().txtAnswer->setText(text);
        int enter = 13;
        window->txtAnswer_KeyPress(enter);
    }
    // Answers the default problem right, then asks for the next one.
    void scoreRight(int times)
    {
        for (int i = 0; i < times; ++i) {
            answer(QStringLiteral("6"));
            window->cmdNext_Click();
        }
    }

    QStringList boxTexts() const
    {
        QStringList texts;
        for (const auto &box : dialogs.shown)
            texts << box.text;
        return texts;
    }

    ScriptedDialogs dialogs;
    ScriptedRandom random;
    ScriptedRecordBook book;
    End endMode;
    int ends = 0;
    std::unique_ptr<Tavola> window;
};
