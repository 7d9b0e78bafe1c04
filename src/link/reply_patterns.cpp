#include "reply_patterns.h"

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

} // namespace peltro
