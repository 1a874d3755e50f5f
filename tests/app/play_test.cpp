#include "game.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <gtest/gtest.h>

namespace {
// A game on screen and active, so that keys reach its controls.
struct ActiveGame : Game
{
    ActiveGame()
        : Game(End::Records)
    {
        start();
        QApplication::setActiveWindow(window.get());
        active = QTest::qWaitForWindowActive(window.get());
    }
    ~ActiveGame() { window->hide(); }
    bool active = false;
};

// Draws for -7: red, green, divisor -1, factor -7, sign choice 0 -> 7 : (-1).
constexpr std::initializer_list<double> minusSeven = {0.5, 0.5, 0.05, 0.63, 0.0};
} // namespace

// Only the characters of a signed number reach the box, at most four.
TEST(AnswerKeys, TheFilterLetsOnlyASignedNumberIn)
{
    struct Row { const char *typed; const char *text; };
    const Row rows[] = {
        {"abc", ""}, {" +.,", ""}, {"-", "-"}, {"12", "12"}, {"5-", "5-"},
        {"1a2b", "12"}, {"--7", "--7"}, {"12345", "1234"}, {"x-1 0,5", "-105"},
    };
    ActiveGame game;
    ASSERT_TRUE(game.active);
    for (const Row &row : rows) {
        game.ui().txtAnswer->clear();
        QTest::keyClicks(game.ui().txtAnswer, QLatin1String(row.typed));
        EXPECT_EQ(game.ui().txtAnswer->text(), QLatin1String(row.text)) << row.typed;
    }
    QTest::keyClick(game.ui().txtAnswer, Qt::Key_Backspace);
    EXPECT_EQ(game.ui().txtAnswer->text(), "-10");
    EXPECT_EQ(game.window->game()->correctCount() + game.window->game()->wrongCount(), 0) << "no key but Enter judges";
}

// Each platform spells the text of a key its own way; the box edits alike.
// Under X11 and Wayland (both through xkbcommon) Ctrl+Backspace and Ctrl+H
// carry U+0008; on Windows Ctrl+Backspace carries U+007F, Ctrl+H U+0008, and
// Delete, which Windows gives no character, gets U+007F from Qt.
TEST(AnswerKeys, KeyEventsAsEachPlatformDeliversThem)
{
    struct Platform { const char *name, *ctrlBackspace, *ctrlH, *del; };
    const Platform platforms[] = {
        {"X11 and Wayland", "\b", "\b", "\x7f"},
        {"Windows", "\x7f", "\b", "\x7f"},
    };
    ActiveGame game;
    ASSERT_TRUE(game.active);
    AnswerBox *box = game.ui().txtAnswer;
    const auto press = [box](Qt::Key key, const char *text, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent down(QEvent::KeyPress, key, modifiers, QString::fromLatin1(text));
        QApplication::sendEvent(box, &down);
        QKeyEvent up(QEvent::KeyRelease, key, modifiers, QString::fromLatin1(text));
        QApplication::sendEvent(box, &up);
    };
    for (const Platform &platform : platforms) {
        SCOPED_TRACE(platform.name);
        box->setText(QStringLiteral("25"));
        box->setCursorPosition(1);
        press(Qt::Key_Backspace, platform.ctrlBackspace, Qt::ControlModifier);
        EXPECT_EQ(box->text(), "25") << "Ctrl+Backspace is cancelled";
        press(Qt::Key_H, platform.ctrlH, Qt::ControlModifier);
        EXPECT_EQ(box->text(), "5") << "Ctrl+H deletes one character, as Backspace does";
        press(Qt::Key_Delete, platform.del);
        EXPECT_EQ(box->text(), "") << "Delete edits the box";
        press(Qt::Key_1, "1");
        press(Qt::Key_2, "2");
        press(Qt::Key_Backspace, "\b");
        EXPECT_EQ(box->text(), "1");
        QApplication::clipboard()->setText(QStringLiteral("9"));
        press(Qt::Key_V, "\x16", Qt::ControlModifier);
        EXPECT_EQ(box->text(), "1") << "Ctrl+V is cancelled";
    }
    EXPECT_EQ(game.window->game()->correctCount() + game.window->game()->wrongCount(), 0);
}

TEST(AnswerKeys, PastedTextIsHeldToTheSameCharacters)
{
    ActiveGame game;
    AnswerBox *box = game.ui().txtAnswer;
    QApplication::clipboard()->setText(QStringLiteral("ab"));
    box->paste();
    EXPECT_EQ(box->text(), "");
    QApplication::clipboard()->setText(QStringLiteral("-12345"));
    box->paste();
    EXPECT_EQ(box->text(), "-123");
}

TEST(AnswerKeys, EnterJudgesThenEnterAgainPosesTheNextProblem)
{
    ActiveGame game;
    ASSERT_TRUE(game.active);
    const Controls &ui = game.ui();
    QTest::keyClicks(ui.txtAnswer, QStringLiteral("6"));
    QTest::keyClick(ui.txtAnswer, Qt::Key_Return);
    EXPECT_EQ(ui.lblMessage->caption(), "Esatto. Sei proprio in gamba!");
    EXPECT_EQ(ui.lblScore->caption(), "1");
    EXPECT_EQ(ui.txtAnswer->text(), "6") << "the verdict stays beside the answer";
    EXPECT_TRUE(ui.cmdNext->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), ui.cmdNext);

    // Enter in the box while cmdNext is enabled clicks it: no second verdict.
    ui.txtAnswer->setFocus();
    game.random.log.clear();
    QTest::keyClick(ui.txtAnswer, Qt::Key_Return);
    EXPECT_EQ(game.window->game()->correctCount(), 1);
    EXPECT_EQ(game.random.log, "RnnnnRn") << "a new problem was posed";
    EXPECT_EQ(ui.txtAnswer->text(), "");
    EXPECT_EQ(ui.lblMessage->caption(), "");
    EXPECT_FALSE(ui.cmdNext->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), ui.txtAnswer);

    // Enter on the focused cmdNext clicks it as well.
    QTest::keyClicks(ui.txtAnswer, QStringLiteral("7"));
    QTest::keyClick(ui.txtAnswer, Qt::Key_Enter);
    EXPECT_EQ(ui.lblMessage->caption(), "Sbagliato!! 6");
    QTest::keyClick(ui.cmdNext, Qt::Key_Return);
    EXPECT_FALSE(ui.cmdNext->isEnabled());
    EXPECT_EQ(ui.lblMessage->caption(), "");
}

TEST(AnswerKeys, AccessKeysFollowTheButtonsState)
{
    ActiveGame game;
    ASSERT_TRUE(game.active);
    // An access key presses its button and releases it a moment later.
    const auto altKey = [](Qt::Key key) {
        QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
        QTest::qWait(250);
    };
    game.random.log.clear();
    altKey(Qt::Key_N);
    EXPECT_EQ(game.random.log, "") << "Alt+N does nothing while cmdNext is disabled";
    game.answer(QStringLiteral("1"));
    altKey(Qt::Key_N);
    EXPECT_EQ(game.random.log, "RnnnnRn");
    EXPECT_EQ(game.ends, 0);
    altKey(Qt::Key_X);
    EXPECT_EQ(game.ends, 1) << "Alt+X leaves at any moment";
    EXPECT_TRUE(game.boxTexts().last().startsWith("Ciao Anna"));
}

TEST(Judging, VerdictsAndCounts)
{
    Game game;
    game.random.script(minusSeven);
    game.start();
    const Controls &ui = game.ui();
    game.random.script({0.0}); // the praise draw
    game.answer(QStringLiteral("-7"));
    EXPECT_EQ(ui.lblMessage->caption(), "Esatto!");
    EXPECT_EQ(ui.lblScore1->caption(), "0") << "a right answer leaves the wrong count alone";
    game.answer(QStringLiteral("7"));
    EXPECT_EQ(ui.lblMessage->caption(), "Sbagliato!! -7");

    // Every Enter that reaches the handler counts, also on a judged problem.
    game.random.script({0.25, 0.75});
    game.answer(QStringLiteral("-7"));
    EXPECT_EQ(ui.lblMessage->caption(), QString::fromUtf16(u"Continua così!"));
    game.answer(QStringLiteral("-7"));
    EXPECT_EQ(ui.lblMessage->caption(), "Ok.Un altro punto per il record!");
    game.answer(QStringLiteral("0"));
    EXPECT_EQ(ui.lblScore->caption(), "3");
    EXPECT_EQ(ui.lblScore1->caption(), "2");
    EXPECT_EQ(ui.lblScore2->caption(), "5");
    EXPECT_TRUE(ui.cmdNext->isEnabled());
}

// Posing a problem resets the answer state whatever it was.
TEST(Posing, EveryProblemStartsClean)
{
    Game game;
    game.start();
    const Controls &ui = game.ui();
    game.answer(QStringLiteral("12"));
    game.random.log.clear();
    game.random.script({0.99, 0.99, 0.95, 0.99, 0.99});
    game.window->cmdNext_Click();
    EXPECT_EQ(game.random.log, "RnnnnRn");
    EXPECT_EQ(ui.lblNum1->caption(), "110");
    EXPECT_EQ(ui.lblNum2->caption(), "10");
    EXPECT_EQ(game.window->game()->expectedQuotient(), 11);
    EXPECT_EQ(ui.txtAnswer->text(), "");
    EXPECT_EQ(ui.lblMessage->caption(), "");
    EXPECT_FALSE(ui.cmdNext->isEnabled());
    EXPECT_EQ(ui.surface->background().pixelColor(5, 0), QColor(200, 120, 0));
    // Auto-size labels follow their captions.
    EXPECT_GT(ui.lblNum1->width(), ui.lblNum2->width());
}

TEST(Posing, ADividendOfMinus42IsShownWithItsSign)
{
    Game game;
    game.random.script({0.5, 0.5, 0.55, 0.63, 0.5}); // -6 * -7 = 42, sign choice 1
    game.start();
    EXPECT_EQ(game.ui().lblNum1->caption(), "-42");
    EXPECT_EQ(game.ui().lblNum2->caption(), "-6");
    EXPECT_EQ(game.window->game()->expectedQuotient(), 7);
}

// The notice due one right answer above the stored best is a box of its own.
TEST(Posing, RecordNoticeIsAnUntitledBoxOnEveryProblemPosedOneAbove)
{
    Game game;
    game.start();
    game.scoreRight(1);
    game.answer(QStringLiteral("0")); // wrong: the count stays one above
    game.window->cmdNext_Click();
    game.window->Form_Activate();
    EXPECT_EQ(game.boxTexts().count(QStringLiteral("E' record")), 3);
    const auto &notice = game.dialogs.shown.back();
    EXPECT_EQ(notice.flags, 0);
    EXPECT_FALSE(notice.title.has_value());
}

TEST(Clock, CountsDownFromFifteenMinutes)
{
    Game game;
    game.start();
    Label *clock = game.ui().lblconto;
    EXPECT_EQ(clock->caption(), "00:15:00");
    EXPECT_TRUE(game.ui().Timer1->isActive());
    EXPECT_EQ(game.ui().Timer1->interval(), 1000);
    const std::pair<int, const char *> checks[] = {{1, "00:14:59"}, {60, "00:14:00"}, {61, "00:13:59"}, {900, "00:00:00"}};
    int ticks = 0;
    for (const auto &[at, text] : checks) {
        while (ticks < at) {
            game.window->Timer1_Timer();
            ++ticks;
        }
        EXPECT_EQ(clock->caption(), QLatin1String(text)) << at;
    }
    EXPECT_EQ(game.ends, 0) << "00:00:00 shows for a whole second";
    EXPECT_THROW(game.window->Timer1_Timer(), ProgramEnded);
    EXPECT_EQ(game.ends, 1);
    EXPECT_EQ(game.dialogs.shown.back().text, "Ciao Anna, alla prossima sfida!");
}

// Ticks go on while the goodbye box waits: the exit must not start again.
TEST(Clock, TimeOutStartsTheExitOnceWhileItsBoxIsOpen)
{
    Game game;
    game.start();
    game.scoreRight(1);
    for (int i = 0; i < 900; ++i)
        game.window->Timer1_Timer();
    int nested = 0;
    game.dialogs.whileOpen = [&](const ScriptedDialogs::Box &box) {
        if (box.text.startsWith("Ciao"))
            for (; nested < 3; ++nested)
                game.window->Timer1_Timer();
    };
    EXPECT_THROW(game.window->Timer1_Timer(), ProgramEnded);
    EXPECT_EQ(nested, 3);
    EXPECT_EQ(game.boxTexts().filter("Ciao").size(), 1);
    EXPECT_EQ(game.ends, 1);
    EXPECT_EQ(game.book.saves.size(), 1u);
}
