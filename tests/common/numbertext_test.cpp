#include "numbertext.h"

#include <gtest/gtest.h>
#include <QLocale>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>

using namespace numbertext;

// The leading-number reading never fails and stops where the number stops.
TEST(NumberText, LeadingNumberReadsOnlyTheLeadingNumber)
{
    struct Row { const char16_t *text; double value; };
    const Row rows[] = {
        {u"", 0}, {u"-", 0}, {u"abc", 0}, {u".", 0}, {u"+", 0},
        {u"5-", 5}, {u"007", 7}, {u"-0", 0}, {u"-7", -7}, {u"7xyz", 7},
        {u"12\r\n", 12}, {u"12\r\n34", 12}, {u"  42", 42}, {u"\t-3", -3},
        {u"+8", 8}, {u"2.5", 2.5}, {u".5", 0.5}, {u"3.", 3}, {u"1.2.3", 1.2},
        {u"--5", 0}, {u"- 5", 0}, {u"1 2", 1}, {u"1,5", 1}, {u"\r\n7", 0},
        {u"-3\r\n", -3},
    };
    for (const Row &row : rows)
        EXPECT_EQ(leadingNumber(QStringView(row.text)), row.value) << QString::fromUtf16(row.text).toStdString();
}

TEST(NumberText, LeadingNumberOfHugeDigitRunsStaysOrdered)
{
    const QString huge = QString(400, u'9');
    EXPECT_TRUE(std::isinf(leadingNumber(huge)));
    EXPECT_GT(leadingNumber(huge), 0);
    EXPECT_LT(leadingNumber(u'-' + huge), 0);
    EXPECT_EQ(leadingNumber(QStringLiteral("0.") + QString(400, u'0') + QStringLiteral("1")), 0.0);
}

// An Italian desktop reads "2,5" as two and a half: the game must not.
TEST(NumberText, ReadingsIgnoreTheProcessLocale)
{
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
#ifdef Q_OS_WIN
    constexpr auto italian = "Italian_Italy.1252"; // the C runtime's name for it
#else
    constexpr auto italian = "it_IT.UTF-8";
#endif
    if (!std::setlocale(LC_NUMERIC, italian))
        GTEST_SKIP() << "the " << italian << " locale is not generated here (scripts/test.sh generates it)";
    ASSERT_EQ(std::strtod("2,5", nullptr), 2.5) << "the C library now reads a decimal comma";
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    EXPECT_EQ(leadingNumber(u"2.5"), 2.5);
    EXPECT_EQ(leadingNumber(u"2,5"), 2.0);
    EXPECT_EQ(strictNumber(u"2.5"), 2.5);
    EXPECT_EQ(strictNumber(u"2,5"), std::nullopt);
    QLocale::setDefault(QLocale::c());
    std::setlocale(LC_NUMERIC, before.c_str());
}

TEST(NumberText, StrictNumberRejectsWhatIsNotANumber)
{
    EXPECT_EQ(strictNumber(u"0"), 0.0);
    EXPECT_EQ(strictNumber(u"32767"), 32767.0);
    EXPECT_EQ(strictNumber(u" 12 "), 12.0);
    EXPECT_EQ(strictNumber(u"-4"), -4.0);
    for (const char16_t *bad : {u"", u"abc", u"5-", u"7xyz", u"-"})
        EXPECT_FALSE(strictNumber(QStringView(bad))) << QString::fromUtf16(bad).toStdString();
}

TEST(NumberText, PictureFormats)
{
    struct Row { long long value; Picture picture; const char *text; };
    const Row rows[] = {
        {0, Picture::TwoDigits, "00"}, {5, Picture::TwoDigits, "05"}, {59, Picture::TwoDigits, "59"},
        {100, Picture::TwoDigits, "100"}, {-42, Picture::Plain, "-42"}, {42, Picture::Plain, "42"},
        {0, Picture::Plain, "0"}, {32767, Picture::Plain, "32767"}, {-7, Picture::Plain, "-7"},
        {-9223372036854775807LL - 1, Picture::TwoDigits, "-9223372036854775808"}, {-3, Picture::TwoDigits, "-03"},
    };
    for (const Row &row : rows)
        EXPECT_EQ(format(row.value, row.picture), QString::fromLatin1(row.text)) << row.value;
}
