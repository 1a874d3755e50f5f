// The leading-number reading of any text: never fails, never NaN, and only
// the start of the text counts.
#include "fuzzcheck.h"
#include "numbertext.h"

#include <QString>
#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const QString text = QString::fromUtf16(reinterpret_cast<const char16_t *>(data), qsizetype(size / 2));
    const double value = numbertext::leadingNumber(text);
    FUZZ_CHECK(!std::isnan(value));
    // Leading blanks are skipped, and a carriage return ends the number
    // whatever follows it.
    FUZZ_CHECK(numbertext::leadingNumber(QStringLiteral(" \t") + text) == value);
    const QString upToReturn = text.left(text.indexOf(u'\r') < 0 ? text.size() : text.indexOf(u'\r'));
    FUZZ_CHECK(numbertext::leadingNumber(upToReturn + QStringLiteral("\r\n99")) == numbertext::leadingNumber(upToReturn));
    // A minus in front flips the sign of a number that has no sign of its own.
    if (!text.isEmpty() && text[0] >= u'0' && text[0] <= u'9')
        FUZZ_CHECK(numbertext::leadingNumber(u'-' + text) == -value);
    return 0;
}
