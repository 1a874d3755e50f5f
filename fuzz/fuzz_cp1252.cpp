// Windows-1252 both ways: every byte string survives decoding and encoding
// unchanged; every text encodes to one byte per character, and decodes back
// to itself except where the code page has no such character ("?").
#include "cp1252.h"
#include "fuzzcheck.h"

#include <QList>
#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString decoded = cp1252::decode(bytes);
    FUZZ_CHECK(decoded.size() == bytes.size());
    FUZZ_CHECK(cp1252::encode(decoded) == bytes);

    const QString text = QString::fromUtf16(reinterpret_cast<const char16_t *>(data), qsizetype(size / 2));
    const QList<uint> points = text.toUcs4();
    const QByteArray encoded = cp1252::encode(text);
    FUZZ_CHECK(encoded.size() == points.size());
    const QList<uint> back = cp1252::decode(encoded).toUcs4();
    FUZZ_CHECK(back.size() == points.size());
    for (qsizetype i = 0; i < points.size(); ++i)
        FUZZ_CHECK(back[i] == points[i] || back[i] == u'?');
    return 0;
}
