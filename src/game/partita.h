#pragma once

#include "answer.h"
#include "countdown.h"
#include "int16.h"
#include "problem.h"
#include "recordbook.h"

#include <QString>

class RandomSource;

// One game, from the name prompt to the exit or the next new game: the
// player, the record read at its start, the problem on display, the counts
// and the clock, all as numbers. A new game is a new Partita.
class Partita
{
public:
    // A fresh seed, the clock at fifteen minutes, no answers yet. name is the
    // player's as oneLineName() keeps it; record is what start-up read.
    Partita(RandomSource &random, RecordBook &records, QString name, const RecordBook::Read &record);

    // The holder file has one line: line breaks and other control characters
    // in a typed or pasted name become blanks.
    static QString oneLineName(const QString &typed);

    const QString &playerName() const { return name; }

    // The record files' whole texts as read (what could be read, or nothing).
    const QString &storedBestText() const { return bestText; }
    const QString &storedHolderText() const { return holderText; }

    struct Posed
    {
        Problem problem;
        bool recordNotice = false; // "E' record" is due before play goes on
    };
    Posed poseProblem();
    int16::Value expectedQuotient() const { return expected; }
    // The problem on display has its verdict: Enter moves on to the next one
    // rather than judging it again.
    bool answered() const { return verdictGiven; }

    struct Judged
    {
        bool right = false;
        QString message; // the verdict
        int16::Value correctCount = 0;
        int16::Value wrongCount = 0;
        int16::Value totalCount = 0;
    };
    // Judges the answer box's text against the problem on display. Every
    // call counts one answer, also on a problem already judged.
    Judged judge(const QString &answerText);

    int16::Value correctCount() const { return counts.correctCount; }
    int16::Value wrongCount() const { return counts.wrongCount; }

    Countdown::Tick tick() { return clock.tick(); }
    int secondsLeft() const { return clock.secondsLeft(); }
    QString clockText() const { return clock.text(); }

    // The exit runs once, however many ticks and clicks ask for it.
    bool beginExit();
    bool leaving() const { return exitBegun; }

    enum class SaveResult {
        NoRecord,  // no record was read at start-up: nothing is saved
        NotBeaten, // the record stands, here or on disk by now
        Saved,
        Failed,
    };
    struct Saved
    {
        SaveResult result = SaveResult::NotBeaten;
        QString error; // Italian, when Failed
    };
    // At the exit or a new game: saves the right answers and the name when
    // they beat the stored best. A saved record is this game's best from then
    // on, so asking again saves nothing more.
    Saved saveIfBeaten();

private:
    RandomSource &random;
    RecordBook &records;
    QString name;
    QString bestText;
    QString holderText;
    // Without a record read whole there is nothing to beat and nothing to
    // save: a game never writes over a record it did not see.
    bool recordRead = false;
    double storedBest = 0;
    Counts counts;
    int16::Value expected = 0;
    bool verdictGiven = false;
    Countdown clock;
    bool exitBegun = false;
};
