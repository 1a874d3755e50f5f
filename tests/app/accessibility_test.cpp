#include "game.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QTest>
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

// Every accessibility event the window sends while it lives, as a screen
// reader's bridge would receive it. Qt sends them only while a bridge is
// active: these tests run in a session with the accessibility bus (the
// offscreen platform has none).
struct Heard
{
    struct Event
    {
        QObject *object;
        QAccessible::Event type;
        QString name;
    };
    static inline std::vector<Event> events;

    Heard()
    {
        events.clear();
        // The bridge comes up once the event loop has met the bus.
        EXPECT_TRUE(QTest::qWaitFor([] { return QAccessible::isActive(); }, 5000))
            << "no accessibility bridge: run in a session with its bus";
        QAccessible::installUpdateHandler(record);
    }
    ~Heard() { QAccessible::installUpdateHandler(nullptr); }

    static void record(QAccessibleEvent *event)
    {
        QAccessibleInterface *iface = event->accessibleInterface();
        events.push_back({event->object(), event->type(), iface ? iface->text(QAccessible::Name) : QString()});
    }
    static std::vector<QAccessible::Event> typesFor(QObject *object)
    {
        std::vector<QAccessible::Event> types;
        for (const Event &event : events)
            if (event.object == object)
                types.push_back(event.type);
        return types;
    }
    // What the announcer said, in order.
    static QStringList announced()
    {
        QStringList said;
        for (const Event &event : events)
            if (event.type == QAccessible::ObjectShow && event.object->objectName() == "announcer")
                said << event.name;
        return said;
    }
};

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
    EXPECT_EQ(descriptionOf(ui.cmdNext), "Esatto! Risposte esatte 1 su 1");
    EXPECT_EQ(nameOf(ui.lblMessage), "Esatto!");
    game.answer(QStringLiteral("3"));
    EXPECT_EQ(descriptionOf(ui.cmdNext), "Sbagliato!! -7. Risposte esatte 1 su 2");

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

// A screen reader following the clock hears it once a minute, not every
// second; the time is told at 10, 5 and 1 minute left, and its end before the goodbye.
TEST(AccessibleEvents, TheClockIsHeardOnceAMinuteAndCallsTheTime)
{
    Game game;
    game.start();
    Label *clock = game.ui().lblconto;
    Heard heard;
    const std::pair<int, const char *> checks[] = {
        {1, "Tempo restante: 15 minuti"}, {60, "Tempo restante: 14 minuti"}, {61, "Tempo restante: 14 minuti"},
        {840, "Tempo restante: 1 minuto"}, {899, "Tempo restante: 1 minuto"}, {900, "Tempo restante: 0 minuti"},
    };
    int ticks = 0;
    for (const auto &[at, name] : checks) {
        for (; ticks < at; ++ticks)
            game.window->Timer1_Timer();
        EXPECT_EQ(nameOf(clock), name) << at;
    }
    const std::vector<QAccessible::Event> clockEvents = Heard::typesFor(clock);
    EXPECT_EQ(std::count(clockEvents.begin(), clockEvents.end(), QAccessible::NameChanged), 15)
        << "one change a minute over fifteen minutes";
    EXPECT_EQ(Heard::announced(), (QStringList{"Restano 10 minuti", "Restano 5 minuti", "Resta 1 minuto"}));
    EXPECT_THROW(game.window->Timer1_Timer(), ProgramEnded);
    EXPECT_EQ(Heard::announced().size(), 4);
    EXPECT_EQ(Heard::announced().value(3), "Tempo scaduto");
    EXPECT_EQ(game.boxTexts().constLast(), "Ciao Anna, alla prossima sfida!") << "the goodbye comes after";
    QAccessibleInterface *announcer = QAccessible::queryAccessibleInterface(game.window->findChild<QWidget *>("announcer"));
    EXPECT_EQ(announcer->role(), QAccessible::Notification);
    EXPECT_TRUE(announcer->state().invisible) << "nothing shows";
    game.window->hide();
}

// Emptying the answer box must not tell a screen reader that the caret moved
// there: Orca would then drop the focus event that speaks the new division.
TEST(AccessibleEvents, TheNextDivisionArrivesWithTheFocus)
{
    Game game(Game::End::Records);
    game.start();
    QApplication::setActiveWindow(game.window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(game.window.get()));
    const Controls &ui = game.ui();
    for (const char *typed : {"6", "5", ""}) {
        QTest::keyClicks(ui.txtAnswer, QLatin1String(typed));
        QTest::keyClick(ui.txtAnswer, Qt::Key_Return);
        ASSERT_EQ(QApplication::focusWidget(), ui.cmdNext) << typed;
        Heard heard;
        QTest::keyClick(ui.cmdNext, Qt::Key_Return);
        const auto focus = std::find_if(Heard::events.begin(), Heard::events.end(), [&](const Heard::Event &event) {
            return event.object == ui.txtAnswer && event.type == QAccessible::Focus;
        });
        ASSERT_NE(focus, Heard::events.end()) << typed;
        EXPECT_EQ(focus->name, "meno 30 diviso meno 5");
        for (auto event = Heard::events.begin(); event != focus; ++event) {
            const bool textChange = event->type == QAccessible::TextCaretMoved || event->type == QAccessible::TextRemoved
                || event->type == QAccessible::TextUpdated;
            EXPECT_FALSE(event->object == ui.txtAnswer && textChange) << typed << ": event " << event->type;
        }
        EXPECT_EQ(Heard::announced(), QStringList()) << typed;
    }

    // Already in the box (Enter there clicks cmdNext), the focus cannot
    // arrive again: the division is announced instead.
    QTest::keyClicks(ui.txtAnswer, QStringLiteral("6"));
    QTest::keyClick(ui.txtAnswer, Qt::Key_Return);
    ui.txtAnswer->setFocus();
    Heard heard;
    QTest::keyClick(ui.txtAnswer, Qt::Key_Return);
    EXPECT_EQ(Heard::announced(), QStringList{"meno 30 diviso meno 5"});
    EXPECT_EQ(ui.txtAnswer->text(), "");
}
