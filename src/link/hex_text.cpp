#include "hex_text.h"

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

} // namespace peltro
