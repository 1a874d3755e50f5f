#include "storerecordbook.h"

#include "recorddir.h"
#include "recordstore.h"

StoreRecordBook::StoreRecordBook(std::function<QString()> recordDirectory)
    : recordDirectory(std::move(recordDirectory))
{
}

RecordBook::Read StoreRecordBook::read()
{
    windowsDir = GetSystemDir();
    // Recovery, creation and both reads under one lock: one record, never
    // the holder of one beside the score of another. With no folder the
    // store reads nothing, from here or from anywhere else, and says why.
    const records::StoredPair stored = records::RecordStore(windowsDir).loadPair();
    if (windowsDir.isEmpty())
        return {Read::Result::NoFolder, {}, {}, stored.outcome.error, {}};
    if (stored.outcome)
        return {Read::Result::Read, stored.score, stored.holder, {}, stored.notice};
    return {Read::Result::Unreadable, stored.score, stored.holder, stored.outcome.error, stored.notice};
}

RecordBook::Save StoreRecordBook::saveIfBeaten(int score, const QString &holder)
{
    // The store reads the record again under its lock and saves only when
    // the score still beats it.
    const records::Outcome saved =
        records::RecordStore(windowsDir).SaveRecord(score, holder);
    switch (saved.result) {
    case records::Outcome::Result::Done:
        return {Save::Result::Saved, {}};
    case records::Outcome::Result::NotBeaten:
        return {Save::Result::NotBeaten, {}};
    case records::Outcome::Result::Failed:
        break;
    }
    return {Save::Result::Failed, saved.error};
}

QString StoreRecordBook::GetSystemDir() const
{
    return records::withTrailingSeparator(recordDirectory());
}
