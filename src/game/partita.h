#pragma once

#include "answer.h"
#include "countdown.h"
#include "int16.h"
#include "problem.h"

#include <QString>

#include <optional>

class RandomSource;

// Everything one game knows, from the name prompt to the exit: the player,
// the stored record as read at start-up, the counts, the problem on display
// and the clock. The window shows it and decides nothing of its own.
//
// The score, the stored best and the clock are kept as the texts the window
// shows for them, and the rules read those texts: the stored best by its
// leading number, the score by a strict conversion, the end of time by the
// clock's text. A stored best of "7abc" is 7, and one that is no number is 0.
class Partita
{
public:
    explicit Partita(RandomSource &random);

    // Start-up: a fresh seed, then the name as typed (Cancel gives "").
    // The holder file has one line: line breaks and other control characters
    // in a typed or pasted name become blanks.
    void startUp();
    void setPlayerName(const QString &typed);
    QString playerName() const { return name; }

    // The stored record, as its files' whole texts.
    void setStoredRecord(const QString &bestText, const QString &holderText);
    // The record files could not be read: this game plays without a record,
    // so that nothing it does can write over a record it never saw. The
    // texts are what could be read, or nothing.
    void setRecordUnreadable(const QString &bestText, const QString &holderText);
    bool hasRecord() const { return recordRead; }
    QString storedBestText() const { return bestText; }
    QString storedHolderText() const { return holderText; }

    // Back to fifteen minutes.
    void armClock();
    QString clockText() const { return shownClock; }

    // Start-up shows "0" for the right and the wrong answers.
    void showZeroCounts();

    // A new game starts the counts from nothing: carried-over right answers
    // would count towards someone else's record.
    void clearCounts() { counts = Counts(); }

    struct Posed
    {
        Problem problem;
        bool recordNotice = false; // "E' record" is due before play goes on (only with a record)
    };
    Posed poseProblem();
    int16::Value expectedQuotient() const { return expected; }

    struct Judged
    {
        bool right = false;
        QString message;    // the verdict
        std::optional<QString> wrongText; // the wrong answers: they change only on a wrong one
        QString scoreText;  // the right answers
        QString totalText;  // right plus wrong
    };
    // Judges the answer box's text against the problem on display. Every
    // call counts one answer, also on a problem already judged.
    Judged judge(const QString &answerText);

    int16::Value correctCount() const { return counts.correctCount; }
    int16::Value wrongCount() const { return counts.wrongCount; }
    QString scoreText() const { return shownScore; }

    enum class Tick {
        Counted, // one second off: clockText() is the new text
        TimeUp,  // the clock already read 00:00:00: the game must end
    };
    Tick tick();

    // The stored best is below the score shown: leaving, or a new game, saves
    // it. Never without a record read at start-up.
    bool recordBeaten() const;

    // The exit runs once, however many ticks and clicks ask for it.
    bool beginExit();
    bool leaving() const { return exitBegun; }

private:
    RandomSource &random;
    QString name;
    QString bestText;
    QString holderText;
    bool recordRead = false;
    QString shownScore = QStringLiteral("0");
    QString shownClock;
    Counts counts;
    int16::Value expected = 0;
    Countdown countdown;
    bool exitBegun = false;
};

// The "E' record" notice: the score shown stands exactly one above the stored
// best. storedBestText is read leniently (no number is 0), scoreText strictly
// (a text that is no number never matches).
bool isRecordNotice(const QString &storedBestText, const QString &scoreText);

// The record test: the stored best (read leniently) is below the score
// (read strictly). Equal is not beaten.
bool isRecordBeaten(const QString &storedBestText, const QString &scoreText);
