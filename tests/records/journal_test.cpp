#include "journal.h"

#include <gtest/gtest.h>

using namespace records;

namespace {

// A journal is acted on only when it reads whole, in a version this release
// knows; the previous release's, as it wrote it, is one.
TEST(Journal, OnlyAWholeJournalOfAKnownVersionGivesItsPair)
{
    const QByteArray written = journal::encode("5\r\n", "Anna\r\n");
    const struct
    {
        const char *name;
        QByteArray bytes;
        int version; // 0: refused
    } cases[] = {
        {"as written", written, 2},
        {"the previous release's", "QUOZZOLO JOURNAL 1\n3 6\n5\r\nAnna\r\na3604865\n", 1},
        {"cut short", written.chopped(1), 0},
        {"one byte longer", written + '\n', 0},
        {"one byte changed", QByteArray(written).replace("Anna", "Anne"), 0},
        {"a later version", QByteArray(written).replace("JOURNAL 2", "JOURNAL 3"), 0},
        {"sizes past the end", QByteArray(written).replace("\n3 6\n", "\n3 60\n"), 0},
        {"a negative size", QByteArray(written).replace("\n3 6\n", "\n-3 6\n"), 0},
        {"empty", "", 0},
        {"garbage", QByteArray("\xff\x00junk", 6), 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<journal::Contents> read = journal::decode(c.bytes, 64 * 1024);
        ASSERT_EQ(read.has_value(), c.version != 0);
        if (read) {
            EXPECT_EQ(read->version, c.version);
            EXPECT_EQ(read->score, "5\r\n");
            EXPECT_EQ(read->holder, "Anna\r\n");
        }
    }
    EXPECT_TRUE(written.startsWith("QUOZZOLO JOURNAL 2\n3 6\n5\r\nAnna\r\n")) << written.toStdString();
    EXPECT_FALSE(journal::decode(journal::encode(QByteArray(11, 'x'), ""), 10)) << "a file past the limit";
}

} // namespace
