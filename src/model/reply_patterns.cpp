#include "reply_patterns.h"

#include <QList>
#include <QStringList>

namespace peltro {

namespace {

constexpr int kWindowSize = 24;

const char* patternOf(ReplyKind kind)
{
    switch (kind) {
    case ReplyKind::Completion: return "*[9A-F]0?5??FF*";
    case ReplyKind::Error: return "*[9A-F]0?6?????FF*";
    case ReplyKind::Acknowledge: return "*[9A-F]0?4??FF*";
    case ReplyKind::InquiryAnswer: return "*[9A-F]0?50*FF*";
    case ReplyKind::NetworkChange: return "*[9A-F]0?38?FF*";
    case ReplyKind::InterfaceClearReturned: return "*88?01?00?01?FF*";
    case ReplyKind::AddressSetReturned: return "*88?30?0??FF*";
    }
    return "";
}

bool matchAt(const QString& p, int pi, const QString& t, int ti)
{
    while (pi < p.size()) {
        const QChar c = p.at(pi);
        if (c == '*') {
            while (pi < p.size() && p.at(pi) == '*')
                ++pi;
            if (pi == p.size())
                return true;
            for (int k = ti; k <= t.size(); ++k)
                if (matchAt(p, pi, t, k))
                    return true;
            return false;
        }
        if (ti >= t.size())
            return false;
        if (c == '?') {
            ++pi;
            ++ti;
            continue;
        }
        if (c == '[') {
            const int close = p.indexOf(']', pi);
            if (close < 0)
                return false;
            const QString set = p.mid(pi + 1, close - pi - 1);
            const QChar tc = t.at(ti).toUpper();
            bool hit = false;
            for (int i = 0; i < set.size(); ++i) {
                if (i + 2 < set.size() && set.at(i + 1) == '-') {
                    if (tc >= set.at(i).toUpper() && tc <= set.at(i + 2).toUpper())
                        hit = true;
                    i += 2;
                } else if (tc == set.at(i).toUpper()) {
                    hit = true;
                }
            }
            if (!hit)
                return false;
            pi = close + 1;
            ++ti;
            continue;
        }
        if (c.toUpper() != t.at(ti).toUpper())
            return false;
        ++pi;
        ++ti;
    }
    return ti == t.size();
}

} // namespace

QString recognitionWindow(const QString& responseText)
{
    return responseText.right(kWindowSize);
}

bool wildcardMatch(const QString& pattern, const QString& text)
{
    return matchAt(pattern, 0, text, 0);
}

bool windowShows(ReplyKind kind, const QString& window)
{
    return wildcardMatch(QString::fromLatin1(patternOf(kind)), window);
}

bool windowShowsFinishing(const QString& window)
{
    return windowShows(ReplyKind::Completion, window) || windowShows(ReplyKind::Error, window)
        || windowShows(ReplyKind::InquiryAnswer, window)
        || windowShows(ReplyKind::InterfaceClearReturned, window)
        || windowShows(ReplyKind::AddressSetReturned, window);
}

std::optional<NewestReply> newestReply(const QString& window)
{
    const qsizetype lineEnd = window.lastIndexOf(QLatin1String("\r\n"));
    const QString line = lineEnd < 0 ? window : window.mid(lineEnd + 2);
    // Whole pairs of hexadecimal digits only: a pair cut off at the start of
    // the window, or anything else, is no byte of the reply.
    QList<int> b;
    for (const QString& token : line.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int v = token.size() == 2 ? token.toInt(&ok, 16) : -1;
        if (ok)
            b << v;
    }
    const qsizetype n = b.size();
    if (n < 3 || b[n - 1] != 0xFF)
        return std::nullopt;
    auto fromCamera = [](int v) { return v >= 0x90 && (v & 0x0F) == 0; };
    for (qsizetype i = 0; i + 1 < n - 1; ++i) {
        if (fromCamera(b[i]) && b[i + 1] == 0x50)
            return NewestReply{ReplyKind::InquiryAnswer};
    }
    if (n >= 5 && b[n - 5] == 0x88 && b[n - 4] == 0x01 && b[n - 3] == 0x00 && b[n - 2] == 0x01)
        return NewestReply{ReplyKind::InterfaceClearReturned};
    if (n >= 4 && b[n - 4] == 0x88 && b[n - 3] == 0x30 && b[n - 2] <= 0x0F)
        return NewestReply{ReplyKind::AddressSetReturned};
    if (n >= 4 && fromCamera(b[n - 4]) && (b[n - 3] & 0xF0) == 0x60)
        return NewestReply{ReplyKind::Error, b[n - 3] & 0x0F};
    if (!fromCamera(b[n - 3]))
        return std::nullopt;
    if (b[n - 2] == 0x38)
        return NewestReply{ReplyKind::NetworkChange};
    switch (b[n - 2] & 0xF0) {
    case 0x40: return NewestReply{ReplyKind::Acknowledge, b[n - 2] & 0x0F};
    case 0x50: return NewestReply{ReplyKind::Completion, b[n - 2] & 0x0F};
    default: return std::nullopt;
    }
}

std::optional<ReplyPacket> classifyReply(const QByteArray& packet)
{
    const auto at = [&packet](qsizetype i) { return i < packet.size() ? int(quint8(packet.at(i))) : -1; };
    const qsizetype n = packet.size();
    if (n < 3 || at(n - 1) != 0xFF)
        return std::nullopt;
    const int header = at(0);
    if (header == 0x88) {
        if (n == 5 && at(1) == 0x01 && at(2) == 0x00 && at(3) == 0x01)
            return ReplyPacket{ReplyKind::InterfaceClearReturned};
        // Each camera passed the address set on with one more.
        if (n == 4 && at(1) == 0x30 && at(2) >= 0x01 && at(2) <= 0x0F)
            return ReplyPacket{ReplyKind::AddressSetReturned, 0, -1, -1, at(2) - 1};
        return std::nullopt;
    }
    if (header < 0x90 || (header & 0x0F) != 0)
        return std::nullopt;
    const int camera = (header >> 4) - 8;
    const int second = at(1);
    if (n == 3) {
        if (second == 0x38)
            return ReplyPacket{ReplyKind::NetworkChange, camera};
        if ((second & 0xF0) == 0x40)
            return ReplyPacket{ReplyKind::Acknowledge, camera, second & 0x0F};
        if ((second & 0xF0) == 0x50)
            return ReplyPacket{ReplyKind::Completion, camera, second & 0x0F};
    }
    if (n == 4 && (second & 0xF0) == 0x60)
        return ReplyPacket{ReplyKind::Error, camera, second & 0x0F, at(2)};
    if (n >= 4 && second == 0x50)
        return ReplyPacket{ReplyKind::InquiryAnswer, camera};
    return std::nullopt;
}

} // namespace peltro
