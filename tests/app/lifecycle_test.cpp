#include "game.h"

#include <QApplication>
#include <QDir>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {
using Box = ScriptedDialogs::Box;

void expectBox(const Box &box, const QString &text, int flags, const std::optional<QString> &title)
{
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.flags, flags) << box.text.toStdString();
    EXPECT_EQ(box.title, title) << box.text.toStdString();
}

const QString saved = QStringLiteral("Ok ho registrato il tuo record, C A M P I O N E");
} // namespace

// Start-up asks the name and greets before the window shows, then sets the
// labels from the clock and the record files.
TEST(StartUp, AsksGreetsAndShowsTheStoredRecord)
{
    Game game;
    game.writeFile(records::scoreFileName, "12\r\n");
    game.writeFile(records::holderFileName, "Luca\r\n");
    bool visibleDuringBoxes = false;
    game.dialogs.whileOpen = [&](const Box &) { visibleDuringBoxes |= game.window->isVisible(); };
    game.dialogs.names = {QStringLiteral("Anna")};
    Tavola &window = game.start();

    ASSERT_EQ(game.dialogs.shown.size(), 2u);
    expectBox(game.dialogs.shown[0], "Come ti chiami?", -1, QStringLiteral("Gioca con le Quozzolo"));
    expectBox(game.dialogs.shown[1], " Anna vediamo se sei un vero campione  ", 48,
              QStringLiteral("Sei pronto per il record? Buona fortuna"));
    EXPECT_FALSE(visibleDuringBoxes);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), " Giochiamo con le Quozzolo");

    const Controls &ui = game.ui();
    EXPECT_EQ(ui.lblnome1->caption(), "Anna");
    EXPECT_EQ(ui.lblpunti->caption(), "12\r\n");
    EXPECT_EQ(ui.lblnome->caption(), "Luca\r\n");
    EXPECT_EQ(ui.lblconto->caption(), "00:15:00");
    EXPECT_EQ(ui.lblScore->caption(), "0");
    EXPECT_EQ(ui.lblScore1->caption(), "0");
    EXPECT_EQ(ui.lblScore2->caption(), "0");
    EXPECT_TRUE(ui.Timer1->isActive());
    EXPECT_EQ(game.random.log, "RRnnnnRn") << "reseed at load, then the first problem";
    EXPECT_EQ(ui.lblNum1->caption(), "-30");
    EXPECT_EQ(ui.lblNum2->caption(), "-5");
    EXPECT_EQ(window.game().expectedQuotient(), 6);
    EXPECT_EQ(game.fileBytes(records::scoreFileName), "12\r\n") << "existing records keep their bytes";
    window.hide();
}

TEST(StartUp, FirstStartCreatesEmptyRecordFiles)
{
    Game game;
    game.start();
    EXPECT_EQ(game.fileBytes(records::scoreFileName), "");
    EXPECT_EQ(game.fileBytes(records::holderFileName), "");
    EXPECT_EQ(game.ui().lblpunti->caption(), "");
    EXPECT_EQ(game.ui().lblnome->caption(), "");
    game.window->hide();
}

// Cancel gives the empty name: no trimming, no check.
TEST(StartUp, EmptyNameAllTheWayToTheHolderFile)
{
    Game game;
    game.dialogs.names = {QString()};
    game.start();
    EXPECT_EQ(game.dialogs.shown[1].text, "  vediamo se sei un vero campione  ");
    EXPECT_EQ(game.ui().lblnome1->caption(), "");
    game.scoreRight(1);
    EXPECT_THROW(game.window->cmdExit_Click(), ProgramEnded);
    EXPECT_EQ(game.boxTexts().filter("Ciao").first(), "Ciao , alla prossima sfida!");
    EXPECT_EQ(game.fileBytes(records::holderFileName), "\r\n");
    EXPECT_EQ(game.fileBytes(records::scoreFileName), "1\r\n");
}

// The exit: goodbye, record test, save and its box only when beaten.
TEST(Exit, SavesOnlyABeatenRecord)
{
    struct Row { QByteArray stored; int rights; QByteArray scoreAfter, holderAfter; };
    const Row rows[] = {
        {"", 0, "", ""},                       // first start, nothing right: nothing saved
        {"", 1, "1\r\n", "Anna\r\n"},          // any right answer beats an empty record
        {"5\r\n", 5, "5\r\n", "Bice\r\n"},     // equal is not beaten
        {"5\r\n", 6, "6\r\n", "Anna\r\n"},
        {"-3\r\n", 0, "0\r\n", "Anna\r\n"},    // a negative best falls to 0 right answers
        {"abc", 1, "1\r\n", "Anna\r\n"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.stored.constData() + std::string(" / ") + std::to_string(row.rights));
        Game game;
        game.writeFile(records::scoreFileName, row.stored);
        game.writeFile(records::holderFileName, row.stored.isEmpty() ? "" : "Bice\r\n");
        game.start();
        game.scoreRight(row.rights);
        const size_t before = game.dialogs.shown.size();
        EXPECT_THROW(game.window->cmdExit_Click(), ProgramEnded);
        EXPECT_EQ(game.ends, 1);
        const bool beaten = row.scoreAfter != row.stored;
        ASSERT_EQ(game.dialogs.shown.size(), before + (beaten ? 2 : 1));
        expectBox(game.dialogs.shown[before], "Ciao Anna, alla prossima sfida!", 0, QStringLiteral("Data 08/12/26"));
        if (beaten)
            expectBox(game.dialogs.shown[before + 1], saved, 0, std::nullopt);
        EXPECT_EQ(game.fileBytes(records::scoreFileName), row.scoreAfter);
        if (beaten || !row.stored.isEmpty()) {
            EXPECT_EQ(game.fileBytes(records::holderFileName), row.holderAfter);
        }
    }
}

TEST(Exit, TheButtonRunsTheExitPath)
{
    Game game(Game::End::Records);
    game.start();
    game.scoreRight(2);
    QTest::mouseClick(game.ui().cmdExit, Qt::LeftButton);
    EXPECT_EQ(game.ends, 1);
    EXPECT_EQ(game.boxTexts().mid(game.boxTexts().size() - 2), (QStringList{"Ciao Anna, alla prossima sfida!", saved}));
    EXPECT_EQ(game.fileBytes(records::scoreFileName), "2\r\n");
    game.window->hide();
}

// Closing from the frame ends the game as it stands.
TEST(Exit, ClosingFromTheFrameNeitherGreetsNorSaves)
{
    Game game(Game::End::Records);
    game.start();
    game.scoreRight(3);
    const size_t before = game.dialogs.shown.size();
    game.window->close();
    EXPECT_EQ(game.ends, 1);
    EXPECT_EQ(game.dialogs.shown.size(), before);
    EXPECT_EQ(game.fileBytes(records::scoreFileName), "");
}

TEST(NewGame, NoChangesNothing)
{
    Game game;
    game.start();
    game.scoreRight(2);
    game.answer(QStringLiteral("12"));
    const Controls before = game.ui();
    for (int i = 0; i < 5; ++i)
        game.window->Timer1_Timer();
    game.dialogs.answers = {BoxReply::No};
    EXPECT_FALSE(game.window->Next_Click());
    expectBox(game.dialogs.shown.back(), "INIZIAMO UNA NUOVA GARA  ?", 292, QStringLiteral("INIZIARE NUOVA GARA"));
    EXPECT_EQ(game.ui().txtAnswer, before.txtAnswer) << "the window was not reloaded";
    EXPECT_EQ(game.ui().txtAnswer->text(), "12");
    EXPECT_EQ(game.ui().lblMessage->caption(), "Sbagliato!! 6");
    EXPECT_EQ(game.ui().lblNum1->caption(), "-30");
    EXPECT_EQ(game.ui().lblScore->caption(), "2");
    EXPECT_EQ(game.ui().lblScore2->caption(), "3");
    EXPECT_EQ(game.ui().lblconto->caption(), "00:14:55");
    EXPECT_TRUE(game.ui().Timer1->isActive());
    EXPECT_EQ(game.fileBytes(records::scoreFileName), "");
    game.window->hide();
}

// Yes: a beaten record is saved and the window loads anew, every control
// back in its initial state and the counts back at zero.
TEST(NewGame, YesSavesTheRecordAndStartsAFreshGame)
{
    Game game;
    game.start();
    game.scoreRight(2);
    game.answer(QStringLiteral("5"));
    for (int i = 0; i < 7; ++i)
        game.window->Timer1_Timer();
    const AnswerBox *oldBox = game.ui().txtAnswer;
    game.dialogs.answers = {BoxReply::Yes};
    game.dialogs.names = {QStringLiteral("Bruno")};
    const size_t before = game.dialogs.shown.size();

    EXPECT_TRUE(game.window->Next_Click());

    QStringList texts = game.boxTexts().mid(int(before));
    EXPECT_EQ(texts, (QStringList{"INIZIAMO UNA NUOVA GARA  ?", saved + u'"', "Come ti chiami?",
                                  " Bruno vediamo se sei un vero campione  "}));
    expectBox(game.dialogs.shown[before + 1], saved + u'"', 0, std::nullopt);
    EXPECT_EQ(game.fileBytes(records::scoreFileName), "2\r\n");
    EXPECT_EQ(game.fileBytes(records::holderFileName), "Anna\r\n");

    const Controls &ui = game.ui();
    EXPECT_NE(ui.txtAnswer, oldBox) << "the controls were created anew";
    EXPECT_TRUE(game.window->isVisible());
    EXPECT_EQ(ui.lblpunti->caption(), "2\r\n");
    EXPECT_EQ(ui.lblnome->caption(), "Anna\r\n");
    EXPECT_EQ(ui.lblnome1->caption(), "Bruno");
    EXPECT_EQ(ui.lblconto->caption(), "00:15:00");
    EXPECT_TRUE(ui.Timer1->isActive());
    EXPECT_EQ(ui.lblScore->caption(), "0");
    EXPECT_EQ(ui.lblScore1->caption(), "0");
    EXPECT_EQ(ui.lblScore2->caption(), "0");
    EXPECT_EQ(ui.lblMessage->caption(), "");
    EXPECT_EQ(ui.txtAnswer->text(), "");
    EXPECT_FALSE(ui.cmdNext->isEnabled());
    EXPECT_EQ(game.window->game().correctCount(), 0);
    EXPECT_EQ(game.window->game().wrongCount(), 0);

    // The new player's first right answer counts from one.
    game.answer(QStringLiteral("6"));
    EXPECT_EQ(ui.lblScore->caption(), "1");
    EXPECT_EQ(ui.lblScore2->caption(), "1");
    game.window->hide();
}

TEST(NewGame, AnUnbeatenRecordIsLeftAlone)
{
    Game game;
    game.writeFile(records::scoreFileName, "5\r\n");
    game.writeFile(records::holderFileName, "Bice\r\n");
    game.start();
    game.scoreRight(5);
    game.dialogs.answers = {BoxReply::Yes};
    const size_t before = game.dialogs.shown.size();
    EXPECT_TRUE(game.window->Next_Click());
    EXPECT_EQ(game.boxTexts().mid(int(before)).filter(saved).size(), 0);
    EXPECT_EQ(game.fileBytes(records::scoreFileName), "5\r\n");
    EXPECT_EQ(game.fileBytes(records::holderFileName), "Bice\r\n");
    game.window->hide();
}

// The new-game question comes as the list of "NUOVO GIOCO" opens; after a
// new game that list must not stay open over it.
TEST(NewGame, TheMenuListDoesNotOutliveTheGameItBelongsTo)
{
    Game game(Game::End::Records);
    Tavola &window = game.start();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QMenuBar *bar = window.menuBar();
    QAction *title = window.nextMenu()->menuAction();

    game.dialogs.answers = {BoxReply::No};
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(title).center());
    EXPECT_EQ(game.boxTexts().filter("INIZIAMO").size(), 1);
    EXPECT_TRUE(window.nextMenu()->isVisible()) << "after No the list opens as usual";
    window.nextMenu()->close();
    QCoreApplication::processEvents();

    game.dialogs.answers = {BoxReply::Yes};
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(title).center());
    EXPECT_EQ(game.boxTexts().filter("INIZIAMO").size(), 2);
    EXPECT_EQ(game.boxTexts().filter("Come ti chiami?").size(), 2) << "a new game started";
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    EXPECT_FALSE(window.nextMenu()->isVisible());
    EXPECT_TRUE(window.isVisible());
    window.hide();
}

TEST(Window, MinimisedKeepsItsCaptionRestoredSetsIt)
{
    Game game(Game::End::Records);
    Tavola &window = game.start();
    window.setWindowTitle(QStringLiteral("altro"));
    window.setWindowState(Qt::WindowMinimized);
    EXPECT_EQ(window.windowTitle(), "altro");
    window.setWindowState(Qt::WindowNoState);
    EXPECT_EQ(window.windowTitle(), " Giochiamo con le Quozzolo");
    window.hide();
}

TEST(Window, CopyItemShowsAnInformationBox)
{
    Game game(Game::End::Records);
    game.start();
    auto *copy = game.window->findChild<QAction *>(QStringLiteral("copy"));
    ASSERT_NE(copy, nullptr);
    const size_t before = game.dialogs.shown.size();
    copy->trigger();
    ASSERT_EQ(game.dialogs.shown.size(), before + 1);
    EXPECT_EQ(game.dialogs.shown.back().flags, 0);
    EXPECT_TRUE(game.dialogs.shown.back().text.contains("Quozzolo"));
    game.window->hide();
}

// A record that cannot be read or kept is told once; the game goes on from 0
// and a failed save is never reported as done.
// A record that cannot be read is never written over: the game says so once,
// before the clock starts, and plays without a record.
TEST(RecordFailures, AnUnreadableRecordIsNeverWrittenOver)
{
    struct Row { const char *folder; const char *other; QByteArray otherBytes; const char *bestShown, *holderShown; };
    const Row rows[] = {
        {records::holderFileName, records::scoreFileName, "50\r\n", "50\r\n", ""},
        {records::scoreFileName, records::holderFileName, "Luca\r\n", "", "Luca\r\n"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.folder);
        Game game;
        QDir(game.recordDir).mkdir(QLatin1String(row.folder)); // a folder where the file goes
        game.writeFile(row.other, row.otherBytes);
        bool clockRanDuringTheBox = true;
        game.dialogs.whileOpen = [&](const Box &box) {
            if (box.text.startsWith("Non riesco"))
                clockRanDuringTheBox = game.ui().Timer1->isActive();
        };
        game.start();
        ASSERT_EQ(game.dialogs.shown.size(), 3u);
        const Box &failure = game.dialogs.shown[2];
        EXPECT_EQ(failure.flags, 48);
        EXPECT_TRUE(failure.text.contains(QLatin1String(row.folder))) << failure.text.toStdString();
        EXPECT_TRUE(failure.text.contains(QStringLiteral("non sarà registrato")));
        EXPECT_FALSE(clockRanDuringTheBox);
        EXPECT_TRUE(game.ui().Timer1->isActive());
        EXPECT_EQ(game.ui().lblconto->caption(), "00:15:00");
        EXPECT_EQ(game.ui().lblpunti->caption(), row.bestShown) << "what was read, or nothing";
        EXPECT_EQ(game.ui().lblnome->caption(), row.holderShown);

        game.dialogs.whileOpen = nullptr;
        game.scoreRight(51);
        EXPECT_EQ(game.boxTexts().count(QStringLiteral("E' record")), 0);
        game.dialogs.answers = {BoxReply::Yes};
        EXPECT_TRUE(game.window->Next_Click());
        EXPECT_FALSE(game.boxTexts().join(u'|').contains(saved)) << "nothing saved on a new game";
        game.scoreRight(51);
        EXPECT_THROW(game.window->cmdExit_Click(), ProgramEnded);
        EXPECT_TRUE(game.boxTexts().last().startsWith("Ciao Anna")) << "no save, no save box at the exit";
        EXPECT_EQ(game.fileBytes(row.other), row.otherBytes);
    }
}

// A pasted name keeps the holder file to one line.
TEST(StartUp, LineBreaksInANameBecomeBlanks)
{
    Game game;
    game.dialogs.names = {QStringLiteral("Anna\r\nBruno\t")};
    game.start();
    EXPECT_EQ(game.ui().lblnome1->caption(), "Anna  Bruno ");
    EXPECT_EQ(game.dialogs.shown[1].text, " Anna  Bruno  vediamo se sei un vero campione  ");
    game.scoreRight(1);
    EXPECT_THROW(game.window->cmdExit_Click(), ProgramEnded);
    EXPECT_EQ(game.fileBytes(records::holderFileName), "Anna  Bruno \r\n");
}

// The window activates once per load. Coming back to it from a closed box or
// another program must not pose a new problem: the notice box would open
// again on closing, without end.
TEST(Window, ComingBackToTheWindowPosesNoNewProblem)
{
    Game game(Game::End::Records);
    Tavola &window = game.start();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    game.answer(QStringLiteral("4"));
    const std::string draws = game.random.log;

    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QCoreApplication::processEvents();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&window, &activate);

    EXPECT_EQ(game.random.log, draws);
    EXPECT_EQ(game.ui().lblMessage->caption(), "Sbagliato!! 6");
    EXPECT_EQ(game.ui().txtAnswer->text(), "4");
    window.hide();
}

// Two games on one machine share one record: a game compares with the record
// as it stands when it saves, not as it stood when the game began.
TEST(TwoGames, ALowerScoreNeverWritesOverABetterOneSavedMeanwhile)
{
    struct Row { int firstRights, secondRights; QByteArray score, holder; bool secondSaved; };
    const Row rows[] = {
        {2, 1, "2\r\n", "Anna\r\n", false}, // Anna leaves first with 2; Bruno's 1 is no record any more
        {1, 2, "2\r\n", "Bruno\r\n", true}, // Anna's 1 first; Bruno's 2 still beats it
        {2, 2, "2\r\n", "Anna\r\n", false}, // equal is not beaten
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::to_string(row.firstRights) + " then " + std::to_string(row.secondRights));
        Game anna, bruno;
        bruno.recordDir = anna.recordDir;
        bruno.dialogs.names = {QStringLiteral("Bruno")};
        anna.start();
        bruno.start(); // both read the empty record
        anna.scoreRight(row.firstRights);
        bruno.scoreRight(row.secondRights);
        EXPECT_THROW(anna.window->cmdExit_Click(), ProgramEnded);
        EXPECT_EQ(anna.boxTexts().last(), saved);
        EXPECT_THROW(bruno.window->cmdExit_Click(), ProgramEnded);
        EXPECT_EQ(bruno.boxTexts().last() == saved, row.secondSaved) << "no box when nothing was recorded";
        EXPECT_FALSE(bruno.boxTexts().last().startsWith("Non sono riuscito"));
        EXPECT_EQ(anna.fileBytes(records::scoreFileName), row.score);
        EXPECT_EQ(anna.fileBytes(records::holderFileName), row.holder);
    }
}

// Time runs out while the new game's "Ok ho registrato..." box waits: the
// record is saved and told once.
TEST(NewGame, ATimeOutDuringTheSavedBoxSavesOnce)
{
    Game game(Game::End::Records);
    game.start();
    game.scoreRight(1);
    for (int i = 0; i < 900; ++i)
        game.window->Timer1_Timer();
    game.dialogs.answers = {BoxReply::Yes};
    bool ticked = false;
    game.dialogs.whileOpen = [&](const Box &box) {
        if (box.text.startsWith(saved) && !ticked) {
            ticked = true;
            game.window->Timer1_Timer(); // the clock reads 00:00:00: the exit path
        }
    };
    game.window->Next_Click();
    EXPECT_EQ(game.boxTexts().filter(saved).size(), 1);
    EXPECT_EQ(game.ends, 1);
    EXPECT_EQ(game.fileBytes(records::scoreFileName), "1\r\n");
    game.window->hide();
}
