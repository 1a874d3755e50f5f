#include "storerecordbook.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
using Read = RecordBook::Read::Result;
using Save = RecordBook::Save::Result;

struct Folder
{
    QTemporaryDir temp;
    QString path = temp.path() + u'/';

    void write(const char *name, const QByteArray &bytes) const
    {
        QFile file(path + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray bytes(const char *name) const
    {
        QFile file(path + QLatin1String(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
};
} // namespace

// What each state of the record folder reads as. With no folder nothing is
// read at all, not even record files in the working directory.
TEST(StoreRecordBook, ReadsThePairAsTheFolderHoldsIt)
{
    struct Row { const char *what; QByteArray score, holder; const char *folderAt; bool noFolder; Read result; const char *best, *holderText, *errorHas; QByteArray journal = {}; const char *noticeHas = ""; };
    const Row rows[] = {
        {"first start", {}, {}, nullptr, false, Read::Read, "", "", ""},
        {"a record", "12\r\n", "Luca\r\n", nullptr, false, Read::Read, "12\r\n", "Luca\r\n", ""},
        {"a folder for the holder", "50\r\n", {}, "nquozrec.txt", false, Read::Unreadable, "50\r\n", "", "nquozrec.txt"},
        {"no folder", "12\r\n", "Luca\r\n", nullptr, true, Read::NoFolder, "", "", "cartella"},
        {"a journal set aside", "12\r\n", "Luca\r\n", nullptr, false, Read::Read, "12\r\n", "Luca\r\n", "", "rotto", "quozrec-journal-unread-1"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        Folder folder;
        if (row.folderAt) {
            ASSERT_TRUE(QDir(folder.path).mkdir(QLatin1String(row.folderAt)));
        }
        if (!row.score.isNull())
            folder.write("quozrec.txt", row.score);
        if (!row.holder.isNull())
            folder.write("nquozrec.txt", row.holder);
        if (!row.journal.isNull())
            folder.write(".~quozrec-journal", row.journal);
        const QString before = QDir::currentPath();
        QDir::setCurrent(folder.path); // record files in the working directory, for the row without a folder
        StoreRecordBook book([&] { return row.noFolder ? QString() : folder.path; });
        const RecordBook::Read read = book.read();
        QDir::setCurrent(before);
        EXPECT_EQ(read.result, row.result);
        EXPECT_EQ(read.bestText, QLatin1String(row.best));
        EXPECT_EQ(read.holderText, QLatin1String(row.holderText));
        EXPECT_TRUE(read.error.contains(QLatin1String(row.errorHas))) << read.error.toStdString();
        EXPECT_TRUE(read.notice.contains(QLatin1String(row.noticeHas))) << read.notice.toStdString();
        EXPECT_EQ(read.notice.isEmpty(), !*row.noticeHas);
        if (row.result == Read::Read) {
            EXPECT_EQ(folder.bytes("quozrec.txt"), row.score.isNull() ? "" : row.score) << "created empty, or kept";
        }
    }
}

// A save rewrites the pair only when the score beats the record on disk now.
TEST(StoreRecordBook, SavesOnlyOverALowerRecord)
{
    struct Row { int score; const char *holder; bool noFolder; Save result; QByteArray scoreAfter, holderAfter; };
    const Row rows[] = {
        {6, "Anna", false, Save::Saved, "6\r\n", "Anna\r\n"},
        {5, "Anna", false, Save::NotBeaten, "5\r\n", "Bice\r\n"},
        {9, "", false, Save::Saved, "9\r\n", "\r\n"},
        {9, "Anna", true, Save::Failed, "5\r\n", "Bice\r\n"},
    };
    for (const Row &row : rows) {
        Folder folder;
        folder.write("quozrec.txt", "5\r\n");
        folder.write("nquozrec.txt", "Bice\r\n");
        StoreRecordBook book([&] { return row.noFolder ? QString() : folder.path; });
        ASSERT_EQ(book.read().result, row.noFolder ? Read::NoFolder : Read::Read);
        const RecordBook::Save saved = book.saveIfBeaten(row.score, QLatin1String(row.holder));
        EXPECT_EQ(saved.result, row.result) << row.score;
        EXPECT_EQ(saved.error.isEmpty(), row.result != Save::Failed) << row.score;
        EXPECT_EQ(folder.bytes("quozrec.txt"), row.scoreAfter) << row.score;
        EXPECT_EQ(folder.bytes("nquozrec.txt"), row.holderAfter) << row.score;
    }
}
