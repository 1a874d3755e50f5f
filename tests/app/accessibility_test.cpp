#include "game.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <gtest/gtest.h>

namespace {
QString nameOf(QObject *object)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(object);
    return iface ? iface->text(QAccessible::Name) : QStringLiteral("<no interface>");
}

QString descriptionOf(QObject *object)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(object);
    return iface ? iface->text(QAccessible::Description) : QStringLiteral("<no interface>");
}

} // namespace

// The division is one phrase on the answer box; the verdict travels with the focus.
TEST(Accessibility, TheDivisionAndTheVerdictAreSpoken)
{
    Game game;
    game.random.script({0.5, 0.5, 0.05, 0.63, 0.0}); // 7 : (-1)
    game.start();
    const Controls &ui = game.ui();
    EXPECT_EQ(nameOf(ui.txtAnswer), "7 diviso meno 1");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(ui.txtAnswer)->role(), QAccessible::EditableText);
    EXPECT_EQ(descriptionOf(ui.cmdNext), "Go") << "only its tooltip while a problem is open";

    game.random.script({0.0}); // the praise
    game.answer(QStringLiteral("-7"));
    EXPECT_EQ(descriptionOf(ui.cmdNext), "Esatto!");
    EXPECT_EQ(nameOf(ui.lblMessage), "Esatto!");
    game.answer(QStringLiteral("3"));
    EXPECT_EQ(descriptionOf(ui.cmdNext), "Sbagliato!! -7");

    game.random.script({0.5, 0.5, 0.55, 0.63, 0.5}); // -42 : (-6)
    game.window->cmdNext_Click();
    EXPECT_EQ(nameOf(ui.txtAnswer), "meno 42 diviso meno 6");
    EXPECT_EQ(descriptionOf(ui.cmdNext), "Go") << "no verdict while a problem is open";
    game.random.script({0.99, 0.99, 0.95, 0.99, 0.99}); // 110 : 10
    game.window->cmdNext_Click();
    EXPECT_EQ(nameOf(ui.txtAnswer), "110 diviso 10");
    game.window->hide();
}

TEST(Accessibility, CountsAndPicturesCarryTheirCaptions)
{
    Game game;
    game.start();
    const Controls &ui = game.ui();
    struct Row { QObject *control; const char *name; };
    const Row atStart[] = {
        {ui.lblScore, "Risposte esatte: 0"}, {ui.lblScore1, "Risposte errate: 0"}, {ui.lblScore2, "Risposte totali: 0"},
        {ui.lblconto, "Tempo restante: 15 minuti"}, {ui.Image1, "Cronometro"},
        {ui.cmdNext, "Nuovo calcolo"}, {ui.cmdExit, "Exit"},
    };
    for (const Row &row : atStart)
        EXPECT_EQ(nameOf(row.control), row.name) << row.control->objectName().toStdString();

    game.scoreRight(2);
    game.answer(QStringLiteral("0"));
    const Row afterPlay[] = {
        {ui.lblScore, "Risposte esatte: 2"}, {ui.lblScore1, "Risposte errate: 1"}, {ui.lblScore2, "Risposte totali: 3"},
    };
    for (const Row &row : afterPlay)
        EXPECT_EQ(nameOf(row.control), row.name) << row.control->objectName().toStdString();
    game.window->hide();
}

// A screen reader following the clock hears it once a minute, not every second.
TEST(Accessibility, TheClockIsSpokenInWholeMinutes)
{
    Game game;
    game.start();
    Label *clock = game.ui().lblconto;
    int changes = 0;
    QString last = nameOf(clock);
    const std::pair<int, const char *> checks[] = {
        {1, "Tempo restante: 15 minuti"}, {60, "Tempo restante: 14 minuti"}, {61, "Tempo restante: 14 minuti"},
        {840, "Tempo restante: 1 minuto"}, {899, "Tempo restante: 1 minuto"}, {900, "Tempo restante: 0 minuti"},
    };
    int ticks = 0;
    for (const auto &[at, name] : checks) {
        while (ticks < at) {
            game.window->Timer1_Timer();
            ++ticks;
            changes += nameOf(clock) != last;
            last = nameOf(clock);
        }
        EXPECT_EQ(nameOf(clock), name) << at;
    }
    EXPECT_EQ(changes, 15) << "one change a minute over fifteen minutes";
    game.window->hide();
}
