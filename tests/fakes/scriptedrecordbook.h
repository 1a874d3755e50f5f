#pragma once

#include "recordbook.h"

#include <deque>
#include <vector>

// A record kept in memory: reads give its texts with a scripted outcome,
// saves answer from a script (Saved once it runs out) and a save that is
// Saved becomes the record the next read gives.
class ScriptedRecordBook final : public RecordBook
{
public:
    struct SaveCall
    {
        int score;
        QString holder;
    };

    Read::Result readResult = Read::Result::Read;
    QString bestText, holderText;
    QString readError;
    QString readNotice;
    std::deque<Save> saveAnswers;
    std::vector<SaveCall> saves;
    int reads = 0;

    Read read() override
    {
        ++reads;
        if (readResult == Read::Result::NoFolder)
            return {readResult, {}, {}, readError, {}};
        return {readResult, bestText, holderText, readError, readNotice};
    }

    Save saveIfBeaten(int score, const QString &holder) override
    {
        saves.push_back({score, holder});
        Save answer{Save::Result::Saved, {}};
        if (!saveAnswers.empty()) {
            answer = saveAnswers.front();
            saveAnswers.pop_front();
        }
        if (answer.result == Save::Result::Saved) {
            bestText = QString::number(score) + QStringLiteral("\r\n");
            holderText = holder + QStringLiteral("\r\n");
        }
        return answer;
    }
};
