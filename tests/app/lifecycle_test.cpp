#include "game.h"

#include <QApplication>
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

QString unreadable(const QString &why)
{
    return QStringLiteral("Non riesco a leggere il record dei campioni.\n") + why
        + QString::fromUtf8("\n\nSi gioca lo stesso, ma il risultato di questa partita non sarà registrato.");
}
} // namespace

// Start-up asks the name and greets before the window shows, then sets the
// labels from the clock and the record files.
TEST(StartUp, AsksGreetsAndShowsTheStoredRecord)
{
    Game game;
    game.book.bestText = QStringLiteral("12\r\n");
    game.book.holderText = QStringLiteral("Luca\r\n");
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
    EXPECT_EQ(window.game()->expectedQuotient(), 6);
    EXPECT_EQ(game.book.reads, 1);
    window.hide();
}

// The name as typed, all the way to the holder: Cancel gives the empty name
// (no trimming, no check); a pasted one keeps the holder file to one line.
TEST(StartUp, TheNameAllTheWayToTheHolderFile)
{
    struct Row { QString typed, kept; };
    const Row rows[] = {
        {QString(), QString()},
        {QStringLiteral("Anna\r\nBruno\t"), QStringLiteral("Anna  Bruno ")},
    };
    for (const Row &row : rows) {
        Game game;
        game.dialogs.names = {row.typed};
        game.start();
        EXPECT_EQ(game.dialogs.shown[1].text, u' ' + row.kept + QStringLiteral(" vediamo se sei un vero campione  "));
        EXPECT_EQ(game.ui().lblnome1->caption(), row.kept);
        game.scoreRight(1);
        EXPECT_THROW(game.window->cmdExit_Click(), ProgramEnded);
        EXPECT_EQ(game.boxTexts().filter("Ciao").first(), QStringLiteral("Ciao %1, alla prossima sfida!").arg(row.kept));
        ASSERT_EQ(game.book.saves.size(), 1u);
        EXPECT_EQ(game.book.saves[0].holder, row.kept);
    }
}

// Each outcome of the record, at start-up and at the exit or a new game,
// is told by its own box, or by none, in its place among the others.
TEST(RecordOutcomes, EachIsToldByItsBoxWhereThePlayerMeetsIt)
{
    using Read = RecordBook::Read::Result;
    using Save = RecordBook::Save::Result;
    const Box nameBox{QStringLiteral("Come ti chiami?"), -1, QStringLiteral("Gioca con le Quozzolo")};
    const Box greeting{QStringLiteral(" Anna vediamo se sei un vero campione  "), 48,
                       QStringLiteral("Sei pronto per il record? Buona fortuna")};
    const Box goodbye{QStringLiteral("Ciao Anna, alla prossima sfida!"), 0, QStringLiteral("Data 08/12/26")};
    const Box question{QStringLiteral("INIZIAMO UNA NUOVA GARA  ?"), 292, QStringLiteral("INIZIARE NUOVA GARA")};
    const QString busy = QString::fromUtf8("Il record è in uso da un'altra partita.");
    const QString noFolder = QString::fromUtf8("Non c'è una cartella dove tenere il record: si gioca senza record.");
    // Said once: the store's reason is not repeated.
    const QString noFolderBox = QString::fromUtf8("Non c'è una cartella dove tenere il record.\n\n"
                                                  "Si gioca lo stesso, ma il risultato di questa partita non sarà registrato.");
    const QString setAside = QStringLiteral("Il file /r/.~quozrec-journal è stato spostato in /r/quozrec-journal-unread-1.");
    const QString failed = QStringLiteral("Non sono riuscito a registrare il tuo record.\nImpossibile scrivere il file /r/quozrec.txt: disco pieno");

    struct Row
    {
        const char *what;
        Read read;
        QString readError;
        int rights;
        Save answer;
        std::vector<Box> atStart, atExit, atNewGame; // the boxes each brings, in order
        const char *bestAfterNewGame;
        QString notice = {};
    };
    const std::vector<Row> rows = {
        {"saved", Read::Read, {}, 4, Save::Saved, {}, {{saved, 0, std::nullopt}}, {{saved + u'"', 0, std::nullopt}}, "4\r\n"},
        {"not beaten here", Read::Read, {}, 3, Save::Saved, {}, {}, {}, "3\r\n"},
        {"not beaten by now", Read::Read, {}, 4, Save::NotBeaten, {}, {}, {}, "3\r\n"},
        {"save failed", Read::Read, {}, 4, Save::Failed, {}, {{failed, 48, std::nullopt}}, {{failed, 48, std::nullopt}}, "3\r\n"},
        {"busy at start-up", Read::Unreadable, busy, 4, Save::Saved, {{unreadable(busy), 48, std::nullopt}}, {}, {}, "3\r\n"},
        {"no record folder", Read::NoFolder, noFolder, 4, Save::Saved, {{noFolderBox, 48, std::nullopt}}, {}, {}, ""},
        {"a journal set aside", Read::Read, {}, 4, Save::Saved, {{setAside, 48, std::nullopt}}, {{saved, 0, std::nullopt}},
         {{saved + u'"', 0, std::nullopt}}, "4\r\n", setAside},
    };
    for (const Row &row : rows) {
        for (const bool newGame : {false, true}) {
            SCOPED_TRACE(std::string(row.what) + (newGame ? " / new game" : " / exit"));
            Game game;
            game.book.readResult = row.read;
            game.book.readError = row.readError;
            game.book.readNotice = row.notice;
            game.book.bestText = QStringLiteral("3\r\n");
            game.book.holderText = QStringLiteral("Bice\r\n");
            game.book.saveAnswers = {{row.answer, row.answer == Save::Failed ? failed.section(u'\n', 1) : QString()}};
            game.start();
            game.scoreRight(row.rights);
            std::vector<Box> expected = {nameBox, greeting};
            expected.insert(expected.end(), row.atStart.begin(), row.atStart.end());
            if (newGame) {
                game.dialogs.answers = {BoxReply::Yes};
                EXPECT_TRUE(game.window->Next_Click());
                expected.push_back(question);
                expected.insert(expected.end(), row.atNewGame.begin(), row.atNewGame.end());
                expected.insert(expected.end(), {nameBox, greeting});
                expected.insert(expected.end(), row.atStart.begin(), row.atStart.end());
            } else {
                EXPECT_THROW(game.window->cmdExit_Click(), ProgramEnded);
                expected.push_back(goodbye);
                expected.insert(expected.end(), row.atExit.begin(), row.atExit.end());
            }
            std::vector<Box> shown = game.dialogs.shown;
            std::erase_if(shown, [](const Box &box) { return box.text == "E' record"; });
            ASSERT_EQ(shown.size(), expected.size()) << game.boxTexts().join(u'|').toStdString();
            for (size_t i = 0; i < expected.size(); ++i)
                expectBox(shown[i], expected[i].text, expected[i].flags, expected[i].title);
            EXPECT_EQ(game.book.saves.size(), row.read == Read::Read && row.rights > 3 ? 1u : 0u);
            if (newGame) {
                EXPECT_EQ(game.ui().lblpunti->caption(), QLatin1String(row.bestAfterNewGame)) << "the record read anew";
            } else {
                EXPECT_EQ(game.ends, 1);
            }
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
    EXPECT_EQ(game.book.saves.size(), 1u);
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
    EXPECT_TRUE(game.book.saves.empty());
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
    EXPECT_TRUE(game.book.saves.empty());
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
    const Partita *duringGreeting = game.window->game();
    game.dialogs.whileOpen = [&](const Box &box) {
        if (box.text.contains(u"Bruno"))
            duringGreeting = game.window->game();
    };

    EXPECT_TRUE(game.window->Next_Click());
    EXPECT_EQ(duringGreeting, nullptr) << "no game while the new one's boxes wait";

    QStringList texts = game.boxTexts().mid(int(before));
    EXPECT_EQ(texts, (QStringList{"INIZIAMO UNA NUOVA GARA  ?", saved + u'"', "Come ti chiami?",
                                  " Bruno vediamo se sei un vero campione  "}));
    EXPECT_EQ(game.book.reads, 2) << "the new game read the record again";

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
    EXPECT_EQ(game.window->game()->correctCount(), 0);
    EXPECT_EQ(game.window->game()->wrongCount(), 0);

    // The new player's first right answer counts from one.
    game.answer(QStringLiteral("6"));
    EXPECT_EQ(ui.lblScore->caption(), "1");
    EXPECT_EQ(ui.lblScore2->caption(), "1");
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

// A record that cannot be read is never written over: the game says so once,
// before the clock starts, shows what could be read and plays without a record.
TEST(RecordFailures, AnUnreadableRecordIsNeverWrittenOver)
{
    Game game;
    game.book.readResult = RecordBook::Read::Result::Unreadable;
    game.book.readError = QStringLiteral("Impossibile leggere il file /r/nquozrec.txt: al suo posto c'è una cartella");
    game.book.bestText = QStringLiteral("50\r\n");
    game.book.holderText = QString();
    bool clockRanDuringTheBox = true;
    game.dialogs.whileOpen = [&](const Box &box) {
        if (box.text.startsWith("Non riesco"))
            clockRanDuringTheBox = game.ui().Timer1->isActive();
    };
    game.start();
    ASSERT_EQ(game.dialogs.shown.size(), 3u);
    expectBox(game.dialogs.shown[2], unreadable(game.book.readError), 48, std::nullopt);
    EXPECT_FALSE(clockRanDuringTheBox);
    EXPECT_TRUE(game.ui().Timer1->isActive());
    EXPECT_EQ(game.ui().lblconto->caption(), "00:15:00");
    EXPECT_EQ(game.ui().lblpunti->caption(), "50\r\n") << "what was read";
    EXPECT_EQ(game.ui().lblnome->caption(), "");

    game.dialogs.whileOpen = nullptr;
    game.scoreRight(51);
    EXPECT_EQ(game.boxTexts().count(QStringLiteral("E' record")), 0);
    game.dialogs.answers = {BoxReply::Yes};
    EXPECT_TRUE(game.window->Next_Click());
    game.scoreRight(51);
    EXPECT_THROW(game.window->cmdExit_Click(), ProgramEnded);
    EXPECT_TRUE(game.boxTexts().last().startsWith("Ciao Anna")) << "no save, no save box at the exit";
    EXPECT_TRUE(game.book.saves.empty());
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
    EXPECT_EQ(game.book.saves.size(), 1u);
    game.window->hide();
}

// A tick that comes while a start-up box waits, before the game's controls
// and clock exist, counts nothing: the new game starts at 00:15:00.
TEST(StartUp, ATickBeforeTheGameExistsCountsNothing)
{
    Game game(Game::End::Records);
    game.book.readResult = RecordBook::Read::Result::Unreadable;
    int ticks = 0;
    game.dialogs.whileOpen = [&](const Box &) {
        ++ticks;
        game.window->Timer1_Timer();
    };
    game.start();
    game.dialogs.answers = {BoxReply::Yes};
    EXPECT_TRUE(game.window->Next_Click());
    EXPECT_EQ(ticks, 5) << "the greeting and the failure box of each start-up, and the question";
    EXPECT_EQ(game.ui().lblconto->caption(), "00:15:00");
    EXPECT_EQ(game.ends, 0);
    game.window->hide();
}
