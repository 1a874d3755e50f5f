#pragma once

#include <QString>

// Where a game reads the stored record at its start and saves a beaten one
// at its end. The program keeps it in the two record files; tests hand in
// their own.
class RecordBook
{
public:
    struct Read
    {
        enum class Result {
            Read,       // both texts, whole
            Unreadable, // the record could not be read, or not now (another game holds it)
            NoFolder,   // there is no record folder: nothing was read
        };
        Result result = Result::NoFolder;
        QString bestText;   // the score file's whole text, or what of it could be read
        QString holderText; // the same for the holder file
        QString error;      // Italian, ready for the player, when Unreadable
        QString notice;     // Italian, to be shown once: what start-up set aside so that saving goes on
    };

    struct Save
    {
        enum class Result {
            Saved,     // both files hold the new pair
            NotBeaten, // the record as it stands now is as good or better: nothing written
            Failed,    // nothing changed; error says why, in Italian
        };
        Result result = Result::Failed;
        QString error;
    };

    virtual ~RecordBook() = default;

    virtual Read read() = 0;
    // Saves score and holder when score beats the record as it stands when
    // saving, which another game may have changed since the read.
    virtual Save saveIfBeaten(int score, const QString &holder) = 0;
};
