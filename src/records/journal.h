#pragma once

#include <QByteArray>
#include <optional>

// The journal of a save: the old pair, kept until both record files are
// replaced. Bytes in, bytes out; the file itself is the store's business.
//
// Layout: "QUOZZOLO JOURNAL <version>\n", the two sizes in decimal separated
// by a blank and ended by "\n", the old score file and the old holder file
// back to back, then the CRC-32 of everything before it in eight hex digits
// and "\n".
namespace records::journal {

// The version this release writes. Version 1, the same layout, is what the
// previous release wrote.
inline constexpr int currentVersion = 2;

struct Contents
{
    int version = 0;
    QByteArray score, holder;
};

QByteArray encode(const QByteArray &score, const QByteArray &holder);

// The old pair, when bytes are a whole journal of a version this release
// knows (1 or 2) with each file at most maxFileBytes; nothing otherwise.
std::optional<Contents> decode(const QByteArray &bytes, qint64 maxFileBytes);

// The most bytes a journal of two files of maxFileBytes takes.
qint64 sizeLimit(qint64 maxFileBytes);

} // namespace records::journal
