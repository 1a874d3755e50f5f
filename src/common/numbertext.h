#pragma once

#include <QString>
#include <QStringView>
#include <optional>

// How numbers become text and text becomes numbers across the game.
namespace numbertext {

// The leading decimal number of a text: leading blanks skipped, then an
// optional sign, digits and one decimal point; reading stops at the first
// character that cannot continue the number. No number gives 0; never fails.
double leadingNumber(QStringView text);

// A text that must be a number as a whole (blanks around it allowed);
// nothing when it is not one.
std::optional<double> strictNumber(QStringView text);

enum class Picture {
    TwoDigits,  // "00": at least two digits, leading zeros
    Plain,      // "#0", "###0", "####0": the plain digits, minus when negative
};

QString format(long long value, Picture picture);

} // namespace numbertext
