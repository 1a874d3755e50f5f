#include "partita.h"

#include "fakes/scriptedrandom.h"

#include <gtest/gtest.h>

namespace {
// A game past its start-up, with the stored best given as its file's text.
// With the default draws every problem is -30 : (-5) = 6.
struct Started
{
    ScriptedRandom random;
    Partita partita{random};

    explicit Started(const QString &storedBest = QString())
    {
        partita.startUp();
        partita.setPlayerName(QStringLiteral("Anna"));
        partita.armClock();
        partita.setStoredRecord(storedBest, QStringLiteral("Bice\r\n"));
        partita.showZeroCounts();
    }
    // Right answers in a row, each on a newly posed problem; how many of the
    // problems posed after them were due the "E' record" notice.
    int scoreRight(int times)
    {
        int notices = 0;
        for (int i = 0; i < times; ++i) {
            partita.judge(QStringLiteral("6"));
            notices += partita.poseProblem().recordNotice;
        }
        return notices;
    }
};
} // namespace

// The notice reads the stored best leniently and the shown score strictly.
TEST(RecordNotice, DueOnlyOneAboveTheStoredBest)
{
    struct Row { const char *best, *score; bool due; };
    const Row rows[] = {
        {"5", "6", true}, {"5", "5", false}, {"5", "7", false},
        {"", "1", true}, {"", "0", false}, {"5\r\n", "6", true}, {"abc", "1", true},
        {"-3", "-2", true}, {"7xyz", "8", true}, {"5", "", false}, {"5", "six", false},
    };
    for (const Row &row : rows)
        EXPECT_EQ(isRecordNotice(row.best, row.score), row.due) << row.best << " / " << row.score;
}

TEST(RecordNotice, ComesWithTheProblemPosedAtOneAboveAndAgainWhileTheScoreStays)
{
    struct Row { const char *stored; int rights; int notices; };
    const Row rows[] = {
        {"", 1, 1}, {"", 0, 0}, {"5\r\n", 5, 0}, {"5\r\n", 6, 1}, {"5\r\n", 8, 1}, {"-3", 0, 0}, {"-3", 1, 0},
    };
    for (const Row &row : rows) {
        Started game(QString::fromLatin1(row.stored));
        EXPECT_FALSE(game.partita.poseProblem().recordNotice);
        EXPECT_EQ(game.scoreRight(row.rights), row.notices) << row.stored << " with " << row.rights;
    }

    Started game;
    game.partita.poseProblem();
    game.scoreRight(1);
    game.partita.judge(QStringLiteral("0")); // wrong: the score stays one above
    EXPECT_TRUE(game.partita.poseProblem().recordNotice);
    EXPECT_TRUE(game.partita.poseProblem().recordNotice) << "a problem posed again, unanswered";
}

TEST(RecordTest, BeatenOnlyBelowTheScore)
{
    struct Row { const char *best, *score; bool beaten; };
    const Row rows[] = {
        {"", "0", false}, {"", "1", true}, {"5\r\n", "5", false}, {"5\r\n", "6", true}, {"6", "5", false},
        {"-3\r\n", "0", true}, {"abc", "1", true}, {"7xyz", "7", false}, {"7.5", "7", false}, {"5", "", false},
    };
    for (const Row &row : rows)
        EXPECT_EQ(isRecordBeaten(row.best, row.score), row.beaten) << row.best << " / " << row.score;

    Started game(QStringLiteral("2\r\n"));
    game.partita.poseProblem();
    game.scoreRight(2);
    EXPECT_FALSE(game.partita.recordBeaten()) << "equal is not beaten";
    game.scoreRight(1);
    EXPECT_TRUE(game.partita.recordBeaten());
}

// The box's text is read by its leading number, rounded halves to even.
TEST(Judging, TextsAreReadByTheirLeadingNumber)
{
    struct Row { const char *text; int quotient; bool right; };
    const Row rows[] = {
        {"5-", 5, true}, {"-", 0, true}, {"", 0, true}, {"007", 7, true}, {"-0", 0, true},
        {"-7", -7, true}, {"7", -7, false}, {"2.5", 2, true}, {"3.5", 4, true}, {"x", 1, false},
        {"99999", -1, false},
    };
    for (const Row &row : rows) {
        Started game;
        // A factor draw of 0 poses 0; otherwise draws that give the quotient.
        const double factor = row.quotient == 0 ? 0.0 : (std::abs(row.quotient) - 0.5) / 11.0;
        const double sign = row.quotient < 0 ? 0.0 : 0.5;
        game.random.script({0.5, 0.5, 0.05, factor, sign});
        game.partita.poseProblem();
        ASSERT_EQ(game.partita.expectedQuotient(), row.quotient) << row.text;
        const Partita::Judged judged = game.partita.judge(QLatin1String(row.text));
        EXPECT_EQ(judged.right, row.right) << row.text;
        EXPECT_EQ(game.partita.correctCount(), row.right ? 1 : 0) << row.text;
        EXPECT_EQ(judged.message.startsWith("Sbagliato!! "), !row.right) << row.text;
    }
}

TEST(Judging, VerdictsAndTheCountsAsShown)
{
    Started game;
    game.random.script({0.5, 0.5, 0.05, 0.63, 0.0}); // 7 : (-1) = -7
    game.partita.poseProblem();
    ASSERT_EQ(game.partita.expectedQuotient(), -7);

    struct Step { const char *typed; double praiseDraw; const char16_t *message; const char *wrong, *score, *total; };
    const Step steps[] = {
        {"-7", 0.0, u"Esatto!", nullptr, "1", "1"},
        {"7", -1, u"Sbagliato!! -7", "1", "1", "2"},
        {"-7", 0.25, u"Continua così!", nullptr, "2", "3"}, // every Enter counts, also on a judged problem
        {"-7", 0.75, u"Ok.Un altro punto per il record!", nullptr, "3", "4"},
        {"0", -1, u"Sbagliato!! -7", "2", "3", "5"},
    };
    for (const Step &step : steps) {
        if (step.praiseDraw >= 0)
            game.random.script({step.praiseDraw});
        const std::string log = game.random.log;
        const Partita::Judged judged = game.partita.judge(QLatin1String(step.typed));
        EXPECT_EQ(judged.message, QString::fromUtf16(step.message)) << step.typed;
        EXPECT_EQ(judged.wrongText, step.wrong ? std::optional(QString::fromLatin1(step.wrong)) : std::nullopt);
        EXPECT_EQ(judged.scoreText, step.score);
        EXPECT_EQ(judged.totalText, step.total);
        EXPECT_EQ(game.random.log.size() - log.size(), judged.right ? 1u : 0u) << "only praise draws";
    }
    EXPECT_EQ(game.partita.scoreText(), "3");
}

TEST(Judging, CountsStopAt32767)
{
    Started game;
    game.partita.poseProblem();
    for (int i = 0; i < 32767; ++i)
        game.partita.judge(QStringLiteral("6"));
    const Partita::Judged right = game.partita.judge(QStringLiteral("6"));
    EXPECT_EQ(right.scoreText, "32767");
    EXPECT_EQ(right.totalText, "32767");
    const Partita::Judged wrong = game.partita.judge(QStringLiteral("5"));
    EXPECT_EQ(wrong.wrongText, "1");
    EXPECT_EQ(wrong.totalText, "32767") << "the total stops too";
    EXPECT_TRUE(game.partita.recordBeaten());
}

TEST(Clock, FifteenMinutesOfTicksThenTimeUp)
{
    Started game;
    EXPECT_EQ(game.partita.clockText(), "00:15:00");
    const std::pair<int, const char *> checks[] = {
        {1, "00:14:59"}, {60, "00:14:00"}, {61, "00:13:59"}, {300, "00:10:00"}, {301, "00:09:59"}, {900, "00:00:00"},
    };
    int ticks = 0;
    for (const auto &[at, text] : checks) {
        while (ticks < at) {
            ASSERT_EQ(game.partita.tick(), Partita::Tick::Counted) << ticks;
            ++ticks;
        }
        EXPECT_EQ(game.partita.clockText(), QLatin1String(text)) << at;
    }
    EXPECT_EQ(game.partita.tick(), Partita::Tick::TimeUp) << "tick 901";
    EXPECT_EQ(game.partita.clockText(), "00:00:00");
    EXPECT_EQ(game.partita.tick(), Partita::Tick::TimeUp) << "a late tick finds the same end";

    game.partita.armClock();
    EXPECT_EQ(game.partita.clockText(), "00:15:00");
    EXPECT_EQ(game.partita.tick(), Partita::Tick::Counted);
}

TEST(Lifecycle, ANewGameStartsTheCountsFromNothing)
{
    Started game(QStringLiteral("1"));
    game.partita.poseProblem();
    game.scoreRight(3);
    game.partita.judge(QStringLiteral("0"));
    ASSERT_TRUE(game.partita.recordBeaten());

    game.partita.clearCounts();
    game.partita.startUp();
    game.partita.armClock();
    game.partita.setStoredRecord(QStringLiteral("3\r\n"), QStringLiteral("Anna\r\n"));
    game.partita.showZeroCounts();
    EXPECT_EQ(game.partita.scoreText(), "0");
    EXPECT_FALSE(game.partita.recordBeaten());
    const Partita::Judged judged = game.partita.judge(QStringLiteral("5"));
    EXPECT_EQ(judged.wrongText, "1");
    EXPECT_EQ(judged.totalText, "1");
}

TEST(Lifecycle, TheExitBeginsOnce)
{
    Started game;
    EXPECT_FALSE(game.partita.leaving());
    EXPECT_TRUE(game.partita.beginExit());
    EXPECT_FALSE(game.partita.beginExit());
    EXPECT_TRUE(game.partita.leaving());
}

TEST(Lifecycle, StartUpReseedsAndEachProblemDrawsInItsOrder)
{
    ScriptedRandom random;
    Partita partita(random);
    partita.startUp();
    EXPECT_EQ(random.log, "R");
    const Partita::Posed posed = partita.poseProblem();
    EXPECT_EQ(random.log, "RRnnnnRn");
    EXPECT_EQ(posed.problem.dividendText(), "-30");
    EXPECT_EQ(posed.problem.divisorText(), "-5");
    EXPECT_EQ(partita.expectedQuotient(), 6);
}

// Without a record read at start-up there is nothing to beat and nothing to save.
TEST(Lifecycle, AGameWithoutARecordNeitherNoticesNorSaves)
{
    Started game;
    game.partita.setRecordUnreadable(QStringLiteral("5"), QString());
    EXPECT_FALSE(game.partita.hasRecord());
    game.partita.poseProblem();
    EXPECT_EQ(game.scoreRight(7), 0);
    EXPECT_FALSE(game.partita.recordBeaten());
    game.partita.setStoredRecord(QStringLiteral("5"), QString());
    EXPECT_TRUE(game.partita.recordBeaten()) << "the same game with its record read";
}

TEST(Lifecycle, ANameIsKeptToOneLine)
{
    struct Row { const char16_t *typed, *kept; };
    const Row rows[] = {
        {u"Anna", u"Anna"}, {u"", u""}, {u" Anna ", u" Anna "}, {u"Anna\r\nBruno", u"Anna  Bruno"},
        {u"A\tB\x1b", u"A B "}, {u"A\u2028B\u2029", u"A B "}, {u"Niccolò", u"Niccolò"},
    };
    for (const Row &row : rows) {
        Started game;
        game.partita.setPlayerName(QString::fromUtf16(row.typed));
        EXPECT_EQ(game.partita.playerName(), QString::fromUtf16(row.kept));
    }
}
