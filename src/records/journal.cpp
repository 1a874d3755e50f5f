#include "journal.h"

#include <QList>

namespace records::journal {

namespace {

constexpr QByteArrayView magic = "QUOZZOLO JOURNAL ";

quint32 crc32(QByteArrayView bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

} // namespace

QByteArray encode(const QByteArray &score, const QByteArray &holder)
{
    QByteArray bytes = magic.toByteArray() + QByteArray::number(currentVersion) + '\n'
                       + QByteArray::number(score.size()) + ' ' + QByteArray::number(holder.size()) + '\n' + score
                       + holder;
    return bytes + QByteArray::number(crc32(bytes), 16).rightJustified(8, '0') + '\n';
}

qint64 sizeLimit(qint64 maxFileBytes) { return 2 * maxFileBytes + 256; }

std::optional<Contents> decode(const QByteArray &bytes, qint64 maxFileBytes)
{
    if (!bytes.startsWith(magic))
        return std::nullopt;
    const qsizetype versionEnd = bytes.indexOf('\n', magic.size());
    if (versionEnd < 0)
        return std::nullopt;
    const QByteArray version = bytes.mid(magic.size(), versionEnd - magic.size());
    if (version != "1" && version != "2")
        return std::nullopt;
    const qsizetype headerEnd = bytes.indexOf('\n', versionEnd + 1);
    if (headerEnd < 0)
        return std::nullopt;
    const QList<QByteArray> sizes = bytes.mid(versionEnd + 1, headerEnd - versionEnd - 1).split(' ');
    if (sizes.size() != 2)
        return std::nullopt;
    bool ok1 = false, ok2 = false;
    const qlonglong scoreSize = sizes[0].toLongLong(&ok1), holderSize = sizes[1].toLongLong(&ok2);
    if (!ok1 || !ok2 || scoreSize < 0 || holderSize < 0 || scoreSize > maxFileBytes || holderSize > maxFileBytes)
        return std::nullopt;
    const qsizetype bodyEnd = headerEnd + 1 + scoreSize + holderSize;
    if (bytes.size() != bodyEnd + 9 || bytes.back() != '\n')
        return std::nullopt;
    bool ok = false;
    const quint32 sum = bytes.mid(bodyEnd, 8).toUInt(&ok, 16);
    if (!ok || sum != crc32(QByteArrayView(bytes).first(bodyEnd)))
        return std::nullopt;
    return Contents{version.toInt(), bytes.mid(headerEnd + 1, scoreSize), bytes.mid(headerEnd + 1 + scoreSize, holderSize)};
}

} // namespace records::journal
