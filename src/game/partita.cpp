#include "partita.h"

#include "randomsource.h"
#include "recordrule.h"

Partita::Partita(RandomSource &random, RecordBook &records, QString name, const RecordBook::Read &record)
    : random(random)
    , records(records)
    , name(std::move(name))
    , bestText(record.bestText)
    , holderText(record.holderText)
    , recordRead(record.result == RecordBook::Read::Result::Read)
    , storedBest(recordrule::storedBest(record.bestText))
{
    random.reseedFromClock();
}

QString Partita::oneLineName(const QString &typed)
{
    QString kept = typed;
    for (QChar &c : kept) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line || category == QChar::Separator_Paragraph)
            c = u' ';
    }
    return kept;
}

Partita::Posed Partita::poseProblem()
{
    Posed posed{::poseProblem(random), false};
    expected = posed.problem.quotient;
    verdictGiven = false;
    posed.recordNotice = recordRead && counts.correctCount == storedBest + 1;
    return posed;
}

Partita::Judged Partita::judge(const QString &answerText)
{
    const Verdict verdict = ::judge(answerText, expected, counts, random);
    verdictGiven = true;
    return {verdict.right, verdict.message, counts.correctCount, counts.wrongCount, counts.total()};
}

bool Partita::beginExit()
{
    if (exitBegun)
        return false;
    exitBegun = true;
    return true;
}

Partita::Saved Partita::saveIfBeaten()
{
    if (!recordRead)
        return {SaveResult::NoRecord, {}};
    if (!recordrule::beaten(storedBest, counts.correctCount))
        return {SaveResult::NotBeaten, {}};
    const RecordBook::Save save = records.saveIfBeaten(counts.correctCount, name);
    switch (save.result) {
    case RecordBook::Save::Result::Saved:
        storedBest = counts.correctCount;
        return {SaveResult::Saved, {}};
    case RecordBook::Save::Result::NotBeaten:
        return {SaveResult::NotBeaten, {}};
    case RecordBook::Save::Result::Failed:
        break;
    }
    return {SaveResult::Failed, save.error};
}
