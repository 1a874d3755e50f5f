// The picture formats over every 64-bit value: plain decimal digits with a
// minus when negative, "00" padded to two digits, and both read back.
#include "fuzzcheck.h"
#include "numbertext.h"

#include <QString>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    long long value = 0;
    std::memcpy(&value, data, std::min(size, sizeof value));
    for (const auto picture : {numbertext::Picture::Plain, numbertext::Picture::TwoDigits}) {
        const QString text = numbertext::format(value, picture);
        const QString digits = value < 0 ? text.mid(1) : text;
        FUZZ_CHECK(!digits.isEmpty());
        FUZZ_CHECK((value < 0) == text.startsWith(u'-'));
        for (const QChar c : digits)
            FUZZ_CHECK(c >= u'0' && c <= u'9');
        if (picture == numbertext::Picture::TwoDigits)
            FUZZ_CHECK(digits.size() >= 2);
        else
            FUZZ_CHECK(digits.size() == 1 || digits[0] != u'0');
        // The text is the value: exact while a double holds it exactly.
        if (value > -(1LL << 53) && value < (1LL << 53))
            FUZZ_CHECK(numbertext::leadingNumber(text) == double(value));
    }
    return 0;
}
