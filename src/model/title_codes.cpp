#include "title_codes.h"

#include <algorithm>

namespace peltro::title {

namespace {

// Keys for codes 0x41..0x4F, in code order.
constexpr char16_t kTailKeys[] = u"$z\\<>()@\":'.,/-";

} // namespace

std::optional<int> codeOf(QChar key)
{
    const char16_t k = key.unicode();
    if (k >= u'A' && k <= u'Z')
        return k - u'A';
    if (k >= u'a' && k <= u'y')
        return 0x28 + (k - u'a');
    if (k >= u'1' && k <= u'9')
        return 0x1E + (k - u'1');
    switch (k) {
    case u'&': return 0x1A;
    case u' ': return 0x1B;
    case u'?': return 0x1C;
    case u'!': return 0x1D;
    case u'0': return 0x27;
    default: break;
    }
    for (int i = 0; kTailKeys[i]; ++i) {
        if (kTailKeys[i] == k)
            return 0x41 + i;
    }
    return std::nullopt;
}

int Conv(QChar key)
{
    return codeOf(key).value_or(0x00);
}

QString codeListText()
{
    // Each line: eight pairs of glyph (as the code page writes it) and key.
    struct Pair {
        const char16_t* glyph;
        char16_t key;
    };
    static const QList<QList<Pair>> kLines = {
        {{u"A", u'A'}, {u"B", u'B'}, {u"C", u'C'}, {u"D", u'D'}, {u"E", u'E'}, {u"F", u'F'}, {u"G", u'G'}, {u"H", u'H'}},
        {{u"I", u'I'}, {u"J", u'J'}, {u"K", u'K'}, {u"L", u'L'}, {u"M", u'M'}, {u"N", u'N'}, {u"O", u'O'}, {u"P", u'P'}},
        {{u"Q", u'Q'}, {u"R", u'R'}, {u"S", u'S'}, {u"T", u'T'}, {u"U", u'U'}, {u"V", u'V'}, {u"W", u'W'}, {u"X", u'X'}},
        {{u"Y", u'Y'}, {u"Z", u'Z'}, {u"\u00D8", u'@'}, {u"1", u'1'}, {u"2", u'2'}, {u"3", u'3'}, {u"4", u'4'}, {u"5", u'5'}},
        {{u"6", u'6'}, {u"7", u'7'}, {u"8", u'8'}, {u"9", u'9'}, {u"0", u'0'}, {u"!", u'!'}, {u"\"", u'"'}, {u"$", u'$'}},
        {{u"&", u'&'}, {u"'", u'\''}, {u"-", u'-'}, {u"/", u'/'}, {u",", u','}, {u".", u'.'}, {u"Y=", u'\\'}, {u":", u':'}},
        {{u"?", u'?'}, {u" ", u' '}, {u"\u00C0", u'a'}, {u"\u00C8", u'b'}, {u"\u00CC", u'c'}, {u"\u00D2", u'd'}, {u"\u00D9", u'e'}, {u"\u00C1", u'f'}},
        {{u"\u00C9", u'g'}, {u"\u00CD", u'h'}, {u"\u00D3", u'i'}, {u"\u00DA", u'j'}, {u"\u00C2", u'k'}, {u"\u00CA", u'l'}, {u"\u00D4", u'm'}, {u"\u00C6", u'n'}},
        {{u"OE", u'o'}, {u"\u00C3", u'p'}, {u"\u00D5", u'q'}, {u"\u00D1", u'r'}, {u"\u00C7", u's'}, {u"\u00DF", u't'}, {u"\u00C4", u'u'}, {u"\u00CF", u'v'}},
        {{u"\u00D6", u'w'}, {u"\u00DC", u'x'}, {u"\u00C5", u'y'}, {u"F=", u'z'}, {u"\u00BF", u'('}, {u"\u00A1", u')'}, {u"DM", u'<'}, {u"\u00A3", u'>'}},
    };
    constexpr int kColumn = 9;
    QString text;
    for (const QList<Pair>& line : kLines) {
        for (int i = 0; i < line.size(); ++i) {
            const QString pair = QStringLiteral("[%1]=[%2]").arg(QString::fromUtf16(line[i].glyph), QChar(line[i].key));
            text += pair;
            if (i + 1 < line.size())
                text += QString(kColumn - pair.size(), QLatin1Char(' '));
        }
        text += QStringLiteral("\r\n");
    }
    return text;
}

QList<Packet> titlePackets(int address, const Look& look, const std::array<int, kLength>& codes)
{
    const int header = 0x80 + address;
    QList<int> first{header, 0x01, 0x04, 0x73, 0x00, look.vertical, look.horizontal, look.colour, look.blink,
                     0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF};
    QList<int> second{header, 0x01, 0x04, 0x73, 0x01};
    QList<int> third{header, 0x01, 0x04, 0x73, 0x02};
    for (int i = 0; i < kLength; ++i)
        (i < kLength / 2 ? second : third) << codes[i];
    second << 0xFF;
    third << 0xFF;
    return {first, second, third};
}

Packet clearPacket(int address)
{
    return {0x80 + address, 0x01, 0x04, 0x74, 0x00, 0xFF};
}

Packet displayPacket(int address, bool on)
{
    return {0x80 + address, 0x01, 0x04, 0x74, on ? 0x02 : 0x03, 0xFF};
}

std::optional<int> positionValue(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    int value = 0;
    for (QChar c : t) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > kPositionMax)
            return std::nullopt;
    }
    return value;
}

void insertCode(Row& row, int& cursor, int code)
{
    for (int i = kLength - 1; i > cursor; --i)
        row[i] = row[i - 1];
    row[cursor] = std::uint8_t(code);
    cursor = std::min(cursor + 1, kLength - 1);
}

void backspace(Row& row, int& cursor)
{
    if (cursor <= 0)
        return;
    --cursor;
    deleteAt(row, cursor);
}

void deleteAt(Row& row, int cursor)
{
    for (int i = cursor; i < kLength - 1; ++i)
        row[i] = row[i + 1];
    row[kLength - 1] = kSpace;
}

void moveLeft(int& cursor)
{
    cursor = std::max(cursor - 1, 0);
}

void moveRight(int& cursor)
{
    cursor = std::min(cursor + 1, kLength - 1);
}

std::optional<int> pictureCode(int x, int y)
{
    if (x < 0 || y < 0 || x >= kColumns * kCell || y >= kRows * kCell)
        return std::nullopt;
    return kColumns * (y / kCell) + x / kCell;
}

} // namespace peltro::title
