#include "partita.h"

#include "fakes/scriptedrandom.h"
#include "fakes/scriptedrecordbook.h"

#include <gtest/gtest.h>
#include <memory>

namespace {
using ReadResult = RecordBook::Read::Result;
using SaveResult = Partita::SaveResult;

// A game of Anna's over a record read with the given outcome.
// With the default draws every problem is -30 : (-5) = 6.
struct Started
{
    ScriptedRandom random;
    ScriptedRecordBook book;
    std::unique_ptr<Partita> partita;

    explicit Started(const QString &storedBest = QString(), ReadResult read = ReadResult::Read)
    {
        book.readResult = read;
        book.bestText = storedBest;
        book.holderText = QStringLiteral("Bice\r\n");
        partita = std::make_unique<Partita>(random, book, QStringLiteral("Anna"), book.read());
    }
    // Right answers in a row, each on a newly posed problem; how many of the
    // problems posed after them were due the "E' record" notice.
    int scoreRight(int times)
    {
        int notices = 0;
        for (int i = 0; i < times; ++i) {
            partita->judge(QStringLiteral("6"));
            notices += partita->poseProblem().recordNotice;
        }
        return notices;
    }
};
} // namespace

// The stored best is the score file's leading number, fractions kept; the
// notice comes with each problem posed while the right answers stand one above.
TEST(RecordNotice, ComesWithTheProblemPosedOneAboveTheStoredBest)
{
    struct Row { const char *stored; int rights; int notices; };
    const Row rows[] = {
        {"", 0, 0}, {"", 1, 1}, {"", 3, 1}, {"5\r\n", 5, 0}, {"5\r\n", 6, 1}, {"5\r\n", 8, 1},
        {"-3", 0, 0}, {"-3", 1, 0}, {"-3\r\n", 3, 0}, {"abc", 1, 1}, {"7xyz", 8, 1}, {"4.5", 6, 0},
        {"  2", 3, 1},
    };
    for (const Row &row : rows) {
        Started game(QString::fromLatin1(row.stored));
        EXPECT_FALSE(game.partita->poseProblem().recordNotice);
        EXPECT_EQ(game.scoreRight(row.rights), row.notices) << row.stored << " with " << row.rights;
    }

    Started game;
    game.partita->poseProblem();
    game.scoreRight(1);
    game.partita->judge(QStringLiteral("0")); // wrong: the score stays one above
    EXPECT_TRUE(game.partita->poseProblem().recordNotice);
    EXPECT_TRUE(game.partita->poseProblem().recordNotice) << "a problem posed again, unanswered";
}

// The record test decides whether the book is asked at all; the book has the
// last word, and a game that saved has nothing more to save.
TEST(Saving, OnlyABeatenRecordReachesTheBook)
{
    struct Row { const char *stored; ReadResult read; int rights; SaveResult result; bool asked; };
    const Row rows[] = {
        {"", ReadResult::Read, 0, SaveResult::NotBeaten, false},
        {"", ReadResult::Read, 1, SaveResult::Saved, true},
        {"5\r\n", ReadResult::Read, 5, SaveResult::NotBeaten, false}, // equal is not beaten
        {"5\r\n", ReadResult::Read, 6, SaveResult::Saved, true},
        {"6", ReadResult::Read, 5, SaveResult::NotBeaten, false},
        {"-3\r\n", ReadResult::Read, 0, SaveResult::Saved, true},
        {"7.5", ReadResult::Read, 7, SaveResult::NotBeaten, false},
        {"7.5", ReadResult::Read, 8, SaveResult::Saved, true},
        {"7xyz", ReadResult::Read, 7, SaveResult::NotBeaten, false},
        {"abc", ReadResult::Read, 1, SaveResult::Saved, true},
        {"", ReadResult::Unreadable, 9, SaveResult::NoRecord, false},
        {"", ReadResult::NoFolder, 9, SaveResult::NoRecord, false},
    };
    for (const Row &row : rows) {
        Started game(QString::fromLatin1(row.stored), row.read);
        game.partita->poseProblem();
        game.scoreRight(row.rights);
        game.partita->judge(QStringLiteral("1")); // a wrong answer never counts towards the record
        const Partita::Saved saved = game.partita->saveIfBeaten();
        EXPECT_EQ(saved.result, row.result) << row.stored << " with " << row.rights;
        ASSERT_EQ(game.book.saves.size(), row.asked ? 1u : 0u) << row.stored << " with " << row.rights;
        if (row.asked) {
            EXPECT_EQ(game.book.saves[0].score, row.rights);
            EXPECT_EQ(game.book.saves[0].holder, "Anna");
        }
        EXPECT_EQ(game.partita->saveIfBeaten().result, row.result == SaveResult::NoRecord ? SaveResult::NoRecord : SaveResult::NotBeaten);
        EXPECT_EQ(game.book.saves.size(), row.asked ? 1u : 0u) << "saved once";
    }
}

TEST(Saving, TheBooksRefusalIsPassedOnAndAFailureMayBeTriedAgain)
{
    struct Row { RecordBook::Save answer; SaveResult result; const char *error; };
    const Row rows[] = {
        {{RecordBook::Save::Result::NotBeaten, {}}, SaveResult::NotBeaten, ""},
        {{RecordBook::Save::Result::Failed, QStringLiteral("disco pieno")}, SaveResult::Failed, "disco pieno"},
    };
    for (const Row &row : rows) {
        Started game(QStringLiteral("2"));
        game.partita->poseProblem();
        game.scoreRight(3);
        game.book.saveAnswers = {row.answer};
        const Partita::Saved saved = game.partita->saveIfBeaten();
        EXPECT_EQ(saved.result, row.result);
        EXPECT_EQ(saved.error, QLatin1String(row.error));
        EXPECT_EQ(game.partita->saveIfBeaten().result, SaveResult::Saved) << "asked again, the book saves";
        EXPECT_EQ(game.book.saves.size(), 2u);
    }
}

// What the window shows of the record: the texts as read, also in part.
TEST(Lifecycle, TheRecordIsKeptAsItsTextsWereRead)
{
    struct Row { ReadResult read; const char *best, *holder; };
    const Row rows[] = {
        {ReadResult::Read, "12\r\n", "Bice\r\n"},
        {ReadResult::Unreadable, "12\r\n", "Bice\r\n"},
        {ReadResult::NoFolder, "", ""},
    };
    for (const Row &row : rows) {
        Started game(QStringLiteral("12\r\n"), row.read);
        EXPECT_EQ(game.partita->storedBestText(), QLatin1String(row.best));
        EXPECT_EQ(game.partita->storedHolderText(), QLatin1String(row.holder));
    }
}

// The box's text is judged against the problem posed; how a text is read
// is the answer check's own test.
TEST(Judging, TextsAreJudgedAgainstTheProblemPosed)
{
    struct Row { const char *text; int quotient; bool right; };
    const Row rows[] = {
        {"-7", -7, true}, {"7", -7, false}, {"", 0, true}, {"3.5", 4, true}, {"99999", -1, false},
    };
    for (const Row &row : rows) {
        Started game;
        // A factor draw of 0 poses 0; otherwise draws that give the quotient.
        const double factor = row.quotient == 0 ? 0.0 : (std::abs(row.quotient) - 0.5) / 11.0;
        const double sign = row.quotient < 0 ? 0.0 : 0.5;
        game.random.script({0.5, 0.5, 0.05, factor, sign});
        game.partita->poseProblem();
        ASSERT_EQ(game.partita->expectedQuotient(), row.quotient) << row.text;
        const Partita::Judged judged = game.partita->judge(QLatin1String(row.text));
        EXPECT_EQ(judged.right, row.right) << row.text;
        EXPECT_EQ(game.partita->correctCount(), row.right ? 1 : 0) << row.text;
        EXPECT_EQ(judged.message.startsWith("Sbagliato!! "), !row.right) << row.text;
    }
}

TEST(Judging, VerdictsAndCounts)
{
    Started game;
    game.random.script({0.5, 0.5, 0.05, 0.63, 0.0}); // 7 : (-1) = -7
    game.partita->poseProblem();
    ASSERT_EQ(game.partita->expectedQuotient(), -7);

    struct Step { const char *typed; double praiseDraw; const char16_t *message; int right, wrong, total; };
    const Step steps[] = {
        {"-7", 0.0, u"Esatto!", 1, 0, 1},
        {"7", -1, u"Sbagliato!! -7", 1, 1, 2},
        {"-7", 0.25, u"Continua così!", 2, 1, 3}, // every Enter counts, also on a judged problem
        {"-7", 0.75, u"Ok.Un altro punto per il record!", 3, 1, 4},
        {"0", -1, u"Sbagliato!! -7", 3, 2, 5},
    };
    for (const Step &step : steps) {
        if (step.praiseDraw >= 0)
            game.random.script({step.praiseDraw});
        const std::string log = game.random.log;
        const Partita::Judged judged = game.partita->judge(QLatin1String(step.typed));
        EXPECT_EQ(judged.message, QString::fromUtf16(step.message)) << step.typed;
        EXPECT_EQ(judged.correctCount, step.right) << step.typed;
        EXPECT_EQ(judged.wrongCount, step.wrong) << step.typed;
        EXPECT_EQ(judged.totalCount, step.total) << step.typed;
        EXPECT_EQ(game.random.log.size() - log.size(), judged.right ? 1u : 0u) << "only praise draws";
    }
}

TEST(Judging, CountsStopAt32767)
{
    Started game;
    game.partita->poseProblem();
    for (int i = 0; i < 32767; ++i)
        game.partita->judge(QStringLiteral("6"));
    const Partita::Judged right = game.partita->judge(QStringLiteral("6"));
    EXPECT_EQ(right.correctCount, 32767);
    EXPECT_EQ(right.totalCount, 32767);
    const Partita::Judged wrong = game.partita->judge(QStringLiteral("5"));
    EXPECT_EQ(wrong.wrongCount, 1);
    EXPECT_EQ(wrong.totalCount, 32767) << "the total stops too";
    EXPECT_EQ(game.partita->saveIfBeaten().result, SaveResult::Saved);
    EXPECT_EQ(game.book.saves.at(0).score, 32767);
}

// Enter judges an open problem and moves on from a judged one.
TEST(Judging, AProblemIsAnsweredFromItsVerdictUntilTheNextIsPosed)
{
    Started game;
    game.partita->poseProblem();
    EXPECT_FALSE(game.partita->answered());
    game.partita->judge(QStringLiteral("1"));
    EXPECT_TRUE(game.partita->answered());
    game.partita->judge(QStringLiteral("6"));
    EXPECT_TRUE(game.partita->answered());
    game.partita->poseProblem();
    EXPECT_FALSE(game.partita->answered());
}

TEST(Lifecycle, AGameStartsReseededAtFifteenMinutesWithNoAnswers)
{
    Started game;
    EXPECT_EQ(game.random.log, "R");
    EXPECT_EQ(game.partita->clockText(), "00:15:00");
    EXPECT_EQ(game.partita->secondsLeft(), 900);
    EXPECT_EQ(game.partita->correctCount() + game.partita->wrongCount(), 0);
    const Partita::Posed posed = game.partita->poseProblem();
    EXPECT_EQ(game.random.log, "RRnnnnRn");
    EXPECT_EQ(posed.problem.dividendText(), "-30");
    EXPECT_EQ(posed.problem.divisorText(), "-5");
    EXPECT_EQ(game.partita->expectedQuotient(), 6);
    game.partita->tick();
    EXPECT_EQ(game.partita->clockText(), "00:14:59");
}

TEST(Lifecycle, TheExitBeginsOnce)
{
    Started game;
    EXPECT_FALSE(game.partita->leaving());
    EXPECT_TRUE(game.partita->beginExit());
    EXPECT_FALSE(game.partita->beginExit());
    EXPECT_TRUE(game.partita->leaving());
}

TEST(Lifecycle, ANameIsKeptToOneLine)
{
    struct Row { const char16_t *typed, *kept; };
    const Row rows[] = {
        {u"Anna", u"Anna"}, {u"", u""}, {u" Anna ", u" Anna "}, {u"Anna\r\nBruno", u"Anna  Bruno"},
        {u"A\tB\x1b", u"A B "}, {u"A\u2028B\u2029", u"A B "}, {u"Niccolò", u"Niccolò"},
    };
    for (const Row &row : rows)
        EXPECT_EQ(Partita::oneLineName(QString::fromUtf16(row.typed)), QString::fromUtf16(row.kept));
}
