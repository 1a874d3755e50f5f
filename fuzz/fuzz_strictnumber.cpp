// The strict conversion: whatever it accepts reads back the same from the
// shortest text of its value, and plain digits are always accepted.
#include "fuzzcheck.h"
#include "numbertext.h"

#include <QString>
#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const std::optional<double> value = numbertext::strictNumber(text); value && std::isfinite(*value)) {
        const std::optional<double> again = numbertext::strictNumber(QString::number(*value, 'g', 17));
        FUZZ_CHECK(again && *again == *value);
    }
    // A run of digits is a number, and reads the same both ways.
    QString digits;
    for (size_t i = 0; i < size && i < 15; ++i)
        digits += QChar(u'0' + data[i] % 10);
    if (!digits.isEmpty()) {
        const std::optional<double> strict = numbertext::strictNumber(digits);
        FUZZ_CHECK(strict && *strict == numbertext::leadingNumber(digits));
    }
    return 0;
}
