#pragma once

#include <QChar>
#include <QString>
#include <optional>

namespace peltro {

// Hexadecimal digits as operators type them and packets carry them, one
// nibble a character, either case.

// 0..15, or -1 for any other character (a blank, a sign, a non-ASCII digit).
int hexDigit(QChar c);

// The value of exactly `digits` hexadecimal digits and nothing else; none for
// any other text (shorter, longer, blanks or signs included).
std::optional<int> hexNumber(const QString& text, int digits);

} // namespace peltro
