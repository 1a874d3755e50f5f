#include "storerecordbook.h"

#include "numbertext.h"

StoreRecordBook::StoreRecordBook(std::function<QString()> recordDirectory)
    : recordDirectory(std::move(recordDirectory))
{
}

RecordBook::Read StoreRecordBook::read()
{
    windowsDir = GetSystemDir();
    const records::RecordStore store(windowsDir);
    const records::Outcome created = store.CreateRecordFiles();
    if (windowsDir.isEmpty())
        return {Read::Result::NoFolder, {}, {}, created.error};
    // Both are read even after a failure, to show what can be shown.
    const records::ReadOutcome best = Leggifiletxt(store.scorePath());
    const records::ReadOutcome holder = Leggifiletxt(store.holderPath());
    if (created && best && holder)
        return {Read::Result::Read, best.text, holder.text, {}};
    return {Read::Result::Unreadable, best.text, holder.text, !created ? created.error : !best ? best.error : holder.error};
}

RecordBook::Save StoreRecordBook::saveIfBeaten(int score, const QString &holder)
{
    // The store reads the record again under its lock and saves only when
    // the score still beats it.
    const records::SaveOutcome saved =
        records::RecordStore(windowsDir).SaveRecord(numbertext::format(score, numbertext::Picture::Plain), holder);
    switch (saved.result) {
    case records::SaveOutcome::Result::Saved:
        return {Save::Result::Saved, {}};
    case records::SaveOutcome::Result::NotBeaten:
        return {Save::Result::NotBeaten, {}};
    case records::SaveOutcome::Result::Failed:
        break;
    }
    return {Save::Result::Failed, saved.error};
}

QString StoreRecordBook::GetSystemDir() const
{
    return records::withTrailingSeparator(recordDirectory());
}

records::ReadOutcome StoreRecordBook::Leggifiletxt(const QString &nomefile)
{
    return records::readText(nomefile);
}
