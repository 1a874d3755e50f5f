#pragma once

#include "recordbook.h"

#include <functional>

// The game's record book: the two record files in the record folder.
class StoreRecordBook final : public RecordBook
{
public:
    // recordDirectory gives the folder, empty when there is none.
    explicit StoreRecordBook(std::function<QString()> recordDirectory);

    Read read() override;
    Save saveIfBeaten(int score, const QString &holder) override;

    // The record folder with one trailing separator; empty: no folder.
    QString GetSystemDir() const;

private:
    std::function<QString()> recordDirectory;
    QString windowsDir;
};
