#include "hex_text.h"

#include <algorithm>

namespace peltro {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

std::optional<int> hexNumber(const QString& text, int digits)
{
    if (text.size() != digits)
        return std::nullopt;
    int value = 0;
    for (QChar c : text) {
        const int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        value = value * 16 + d;
    }
    return value;
}

int speedValue(const QString& text, int minimum, int maximum)
{
    qsizetype i = 0;
    while (i < text.size() && (text.at(i) == QLatin1Char(' ') || text.at(i) == QLatin1Char('\t')))
        ++i;
    // Digits beyond what any range needs only have to stay above it, not
    // overflow.
    constexpr long long kCap = 1'000'000'000'000LL;
    long long number = 0;
    for (; i < text.size() && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'); ++i)
        number = std::min(number * 10 + (text.at(i).unicode() - '0'), kCap);
    if (maximum < minimum)
        maximum = minimum;
    return int(std::clamp<long long>(number, minimum, maximum));
}

} // namespace peltro
