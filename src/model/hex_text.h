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

// The number a speed box stands for: the leading decimal number of its text
// (after leading blanks; a sign does not count), 0 when there is none, then
// kept within minimum..maximum so that it always fits the field it goes into.
int speedValue(const QString& text, int minimum, int maximum);

} // namespace peltro
