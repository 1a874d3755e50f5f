#include "answer.h"

#include "fakes/scriptedrandom.h"

#include <gtest/gtest.h>

TEST(KeyFilter, OnlyTheCharactersOfASignedNumberPass)
{
    for (int code : {int('-'), int('0'), int('5'), int('9'), keyBackspace})
        EXPECT_EQ(filterKey(code), KeyAction::Pass) << code;
    EXPECT_EQ(filterKey(keyEnter), KeyAction::Judge);
    for (int code : {int('a'), int('Z'), int(' '), int('+'), int('.'), int(','), int('/'), int(':'), 0, 10, 27, 0xE8})
        EXPECT_EQ(filterKey(code), KeyAction::Cancel) << code;
}

TEST(ReadAnswer, LeadingNumberRoundedHalvesToEven)
{
    struct Row { const char *text; std::optional<int16::Value> answer; };
    const Row rows[] = {
        {"5-", 5}, {"-", 0}, {"", 0}, {"007", 7}, {"-0", 0}, {"-7", -7},
        {"2.5", 2}, {"3.5", 4}, {"-2.5", -2}, {"99999", std::nullopt}, {"abc", 0},
    };
    for (const Row &row : rows)
        EXPECT_EQ(readAnswer(row.text), row.answer) << row.text;
}

TEST(Praise, DrawBoundariesPickTheirText)
{
    struct Row { double r; const char16_t *text; };
    const Row rows[] = {
        {0.0, u"Esatto!"}, {0.2499, u"Esatto!"},
        {0.25, u"Continua così!"}, {0.4999, u"Continua così!"},
        {0.5, u"Esatto. Sei proprio in gamba!"},
        {0.75, u"Ok.Un altro punto per il record!"}, {0.9999, u"Ok.Un altro punto per il record!"},
    };
    for (const Row &row : rows)
        EXPECT_EQ(praise(row.r), QString::fromUtf16(row.text)) << row.r;
}

TEST(Judge, RightAndWrongAnswersAreCountedAndWorded)
{
    Counts counts;
    ScriptedRandom random{0.0, 0.3, 0.8};
    EXPECT_EQ(judge("-7", -7, counts, random).message, "Esatto!");
    const Verdict wrong = judge("7", -7, counts, random);
    EXPECT_FALSE(wrong.right);
    EXPECT_EQ(wrong.message, "Sbagliato!! -7");
    EXPECT_EQ(judge("3", 3, counts, random).message, QString::fromUtf16(u"Continua così!"));
    EXPECT_EQ(judge("", 0, counts, random).message, "Ok.Un altro punto per il record!");
    EXPECT_EQ(judge("-", 4, counts, random).message, "Sbagliato!! 4");
    EXPECT_EQ(counts.correctCount, 3);
    EXPECT_EQ(counts.wrongCount, 2);
    EXPECT_EQ(counts.total(), 5);
    EXPECT_EQ(random.log, "nnn") << "only right answers draw a praise";
}

TEST(Judge, CountsStopAtTheTopInsteadOfWrapping)
{
    Counts counts{32767, 32766};
    ScriptedRandom random;
    EXPECT_TRUE(judge("1", 1, counts, random).right);
    EXPECT_FALSE(judge("2", 1, counts, random).right);
    EXPECT_FALSE(judge("2", 1, counts, random).right);
    EXPECT_EQ(counts.correctCount, 32767);
    EXPECT_EQ(counts.wrongCount, 32767);
    EXPECT_EQ(counts.total(), 32767);
}
