#include "cp1252.h"

#include <gtest/gtest.h>

// One byte per character both ways; the 0x80..0x9F block is where
// Windows-1252 differs from Latin-1.
TEST(Cp1252, EncodesOneBytePerCharacter)
{
    struct Row { QString text; QByteArray bytes; };
    const Row rows[] = {
        {u"Anna"_qs, "Anna"},
        {u"Niccol\u00F2 \u00E8"_qs, "Niccol\xF2 \xE8"},
        {u"\u20AC \u2019 \u0153 \u0178"_qs, "\x80 \x92 \x9C \x9F"},
        {u"\u0416"_qs, "?"},                            // Cyrillic: not in the code page
        {QString::fromUcs4(U"a\U0001F600b"), "a?b"},   // one "?" per character, not per UTF-16 unit
        {QString(), QByteArray()},
    };
    for (const Row &row : rows)
        EXPECT_EQ(cp1252::encode(row.text), row.bytes) << row.text.toStdString();
}

TEST(Cp1252, EveryByteDecodesAndReEncodesToItself)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = cp1252::decode(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text[0xE8], QChar(0x00E8));
    EXPECT_EQ(text[0x80], QChar(0x20AC));
    EXPECT_EQ(text[0x0D], QChar(u'\r'));
    EXPECT_EQ(cp1252::encode(text), all);
}
