#include "title_glyphs.h"

#include "title_codes.h"

#include <QPainter>

namespace peltro::title {

namespace {

constexpr int kBodyRows = 7;

// Letter bodies, seven rows each.
struct Body {
    const char* name;
    const char* rows[kBodyRows];
};

constexpr Body kBodies[] = {
    {"A", {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {"B", {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {"C", {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
    {"D", {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {"E", {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {"F", {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {"G", {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"}},
    {"H", {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {"I", {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {"J", {"..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."}},
    {"K", {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    {"L", {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {"M", {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {"N", {"#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"}},
    {"O", {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {"P", {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {"Q", {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
    {"R", {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {"S", {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {"T", {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {"U", {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {"V", {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {"W", {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."}},
    {"X", {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"}},
    {"Y", {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."}},
    {"Z", {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
    {"&", {".##..", "#..#.", "#.#..", ".#...", "#.#.#", "#..#.", ".##.#"}},
    {" ", {".....", ".....", ".....", ".....", ".....", ".....", "....."}},
    {"?", {".###.", "#...#", "....#", "...#.", "..#..", ".....", "..#.."}},
    {"!", {"#", "#", "#", "#", "#", ".", "#"}},
    {"1", {".#.", "##.", ".#.", ".#.", ".#.", ".#.", "###"}},
    {"2", {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {"3", {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."}},
    {"4", {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {"5", {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {"6", {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    {"7", {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {"8", {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {"9", {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
    {"0", {".##.", "#..#", "#..#", "#..#", "#..#", "#..#", ".##."}},
    {"$", {"..#..", ".####", "#.#..", ".###.", "..#.#", "####.", "..#.."}},
    // franc sign: an F crossed low on its stem
    {"F=", {"#####", "#....", "#....", "####.", "#....", "###..", "#...."}},
    // yen sign: a Y with two bars
    {"Y=", {"#...#", ".#.#.", "..#..", "#####", "..#..", "#####", "..#.."}},
    // Deutsche Mark: D and M side by side
    {"DM", {"##..#...#", "#.#.##.##", "#.#.#.#.#", "#.#.#...#", "#.#.#...#", "#.#.#...#", "##..#...#"}},
    {"\u00A3", {"..##.", ".#..#", ".#...", "###..", ".#...", ".#..#", "#####"}},
    {"\u00BF", {"..#..", ".....", "..#..", ".#...", "#....", "#...#", ".###."}},
    {"\u00A1", {"#", ".", "#", "#", "#", "#", "#"}},
    {"\u00D8", {".####", "#..##", "#.#.#", "#.#.#", "#.#.#", "##..#", "####."}},
    {"\"", {"#.#", "#.#", "...", "...", "...", "...", "..."}},
    {":", {".", "#", "#", ".", "#", "#", "."}},
    {"'", {"#", "#", ".", ".", ".", ".", "."}},
    {".", {"..", "..", "..", "..", "..", "##", "##"}},
    {",", {"..", "..", "..", "..", "..", "##", "##"}},
    {"/", {"....#", "...#.", "...#.", "..#..", ".#...", ".#...", "#...."}},
    {"-", {".....", ".....", ".....", "#####", ".....", ".....", "....."}},
    {"AE", {".####", "#.#..", "#.#..", "#####", "#.#..", "#.#..", "#.###"}},
    {"OE", {".####", "#.#..", "#.#..", "#.###", "#.#..", "#.#..", ".####"}},
    {"ss", {".##..", "#..#.", "#..#.", "#.#..", "#..#.", "#..#.", "#.##."}},
};

// Marks above a five-dot letter, two rows each.
enum class Accent { None, Grave, Acute, Circumflex, Tilde, Diaeresis, Ring };

const char* const* accentRows(Accent accent)
{
    static const char* const kRows[][2] = {
        {".....", "....."},   // none
        {".#...", "..#.."},   // grave
        {"...#.", "..#.."},   // acute
        {"..#..", ".#.#."},   // circumflex
        {".#..#", "#.##."},   // tilde
        {".....", ".#.#."},   // diaeresis
        {".###.", ".#.#."},   // ring, closed by the letter's top
    };
    return kRows[int(accent)];
}

// Codes in order: the body, the accent above it and the row below the line.
struct Glyph {
    const char* body;
    Accent accent = Accent::None;
    const char* below = nullptr;
};

const Glyph kGlyphs[kGlyphCount] = {
    {"A"}, {"B"}, {"C"}, {"D"}, {"E"}, {"F"}, {"G"}, {"H"}, {"I"}, {"J"}, {"K"}, {"L"}, {"M"},
    {"N"}, {"O"}, {"P"}, {"Q"}, {"R"}, {"S"}, {"T"}, {"U"}, {"V"}, {"W"}, {"X"}, {"Y"}, {"Z"},
    {"&"}, {" "}, {"?"}, {"!"},
    {"1"}, {"2"}, {"3"}, {"4"}, {"5"}, {"6"}, {"7"}, {"8"}, {"9"}, {"0"},
    // 0x28: A E I O U grave, A E I O U acute
    {"A", Accent::Grave}, {"E", Accent::Grave}, {"I", Accent::Grave}, {"O", Accent::Grave}, {"U", Accent::Grave},
    {"A", Accent::Acute}, {"E", Accent::Acute}, {"I", Accent::Acute}, {"O", Accent::Acute}, {"U", Accent::Acute},
    // 0x32: A E O circumflex, AE, OE, A O tilde, N tilde, C cedilla, sharp s
    {"A", Accent::Circumflex}, {"E", Accent::Circumflex}, {"O", Accent::Circumflex}, {"AE"}, {"OE"},
    {"A", Accent::Tilde}, {"O", Accent::Tilde}, {"N", Accent::Tilde}, {"C", Accent::None, "..##."}, {"ss"},
    // 0x3C: A I O U diaeresis, A ring
    {"A", Accent::Diaeresis}, {"I", Accent::Diaeresis}, {"O", Accent::Diaeresis}, {"U", Accent::Diaeresis},
    {"A", Accent::Ring},
    // 0x41
    {"$"}, {"F="}, {"Y="}, {"DM"}, {"\u00A3"}, {"\u00BF"}, {"\u00A1"}, {"\u00D8"},
    {"\""}, {":"}, {"'"}, {"."}, {",", Accent::None, ".#"}, {"/"}, {"-"},
};

const Body* findBody(const char* name)
{
    const QByteArray wanted(name);
    for (const Body& b : kBodies) {
        if (wanted == b.name)
            return &b;
    }
    return nullptr;
}

} // namespace

QStringList glyphDots(int code)
{
    if (code < 0 || code >= kGlyphCount)
        return {};
    const Glyph& g = kGlyphs[code];
    const Body* body = findBody(g.body);
    if (!body)
        return {};
    const int width = int(qstrlen(body->rows[0]));
    const QString blank(width, QLatin1Char('.'));
    QStringList rows;
    const char* const* accent = accentRows(g.accent);
    for (int i = 0; i < 2; ++i)
        rows << (g.accent == Accent::None ? blank : QString::fromLatin1(accent[i]));
    for (const char* r : body->rows)
        rows << QString::fromLatin1(r);
    rows << (g.below ? QString::fromLatin1(g.below) : blank);
    return rows;
}

QImage glyphPicture()
{
    QImage picture(kColumns * kCell, kRows * kCell, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    for (int code = 0; code < kGlyphCount; ++code) {
        const QStringList rows = glyphDots(code);
        const int width = rows.isEmpty() ? 0 : int(rows.first().size());
        // Centred across the cell; the ten rows from 2 to 22 units down.
        const int left = kCell * (code % kColumns) + (kCell - kDot * width) / 2;
        const int top = kCell * (code / kColumns) + (kCell - kDot * int(rows.size())) / 2;
        for (int r = 0; r < rows.size(); ++r) {
            for (int c = 0; c < width; ++c) {
                if (rows[r].at(c) == QLatin1Char('#'))
                    painter.fillRect(left + kDot * c, top + kDot * r, kDot, kDot, Qt::black);
            }
        }
    }
    return picture;
}

} // namespace peltro::title
