#include "partita.h"

#include "numbertext.h"
#include "randomsource.h"
#include "recordrule.h"

namespace {
QString plain(long long value)
{
    return numbertext::format(value, numbertext::Picture::Plain);
}
} // namespace

Partita::Partita(RandomSource &random)
    : random(random)
{
}

void Partita::startUp()
{
    random.reseedFromClock();
}

void Partita::setPlayerName(const QString &typed)
{
    name = typed;
    for (QChar &c : name) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line || category == QChar::Separator_Paragraph)
            c = u' ';
    }
}

void Partita::setStoredRecord(const QString &best, const QString &holder)
{
    bestText = best;
    holderText = holder;
    recordRead = true;
}

void Partita::setRecordUnreadable(const QString &best, const QString &holder)
{
    bestText = best;
    holderText = holder;
    recordRead = false;
}

void Partita::armClock()
{
    countdown.arm();
    shownClock = countdown.text();
}

void Partita::showZeroCounts()
{
    shownScore = QStringLiteral("0");
}

Partita::Posed Partita::poseProblem()
{
    Posed posed{::poseProblem(random), false};
    expected = posed.problem.quotient;
    posed.recordNotice = recordRead && isRecordNotice(bestText, shownScore);
    return posed;
}

Partita::Judged Partita::judge(const QString &answerText)
{
    const Verdict verdict = ::judge(answerText, expected, counts, random);
    shownScore = plain(counts.correctCount);
    return {verdict.right, verdict.message, verdict.right ? std::nullopt : std::optional(plain(counts.wrongCount)), shownScore,
            plain(counts.total())};
}

Partita::Tick Partita::tick()
{
    // The end is decided on the clock as the player sees it.
    if (countdown.tick(shownClock) == Countdown::Tick::TimeUp)
        return Tick::TimeUp;
    shownClock = countdown.text();
    return Tick::Counted;
}

bool Partita::recordBeaten() const
{
    return recordRead && isRecordBeaten(bestText, shownScore);
}

bool Partita::beginExit()
{
    if (exitBegun)
        return false;
    exitBegun = true;
    return true;
}

bool isRecordNotice(const QString &storedBestText, const QString &scoreText)
{
    const auto score = numbertext::strictNumber(scoreText);
    return score && recordrule::storedBest(storedBestText) + 1 == *score;
}

bool isRecordBeaten(const QString &storedBestText, const QString &scoreText)
{
    const auto score = numbertext::strictNumber(scoreText);
    return score && recordrule::beaten(recordrule::storedBest(storedBestText), *score);
}
