#pragma once

#include <QString>

namespace peltro {

// Reply kinds as they show in the response box, matched over its newest
// characters with wildcard patterns: '*' any run (line ends included), '?' one
// character, "[9A-F]" one of 9..F, anything else itself, case ignored.
enum class ReplyKind {
    Completion,
    Error,
    Acknowledge,
    InquiryAnswer,
    NetworkChange,
    InterfaceClearReturned,
    AddressSetReturned,
};

// The newest characters of the response text that recognition looks at.
QString recognitionWindow(const QString& responseText);

bool wildcardMatch(const QString& pattern, const QString& text);
bool windowShows(ReplyKind kind, const QString& window);
// Completion, error, inquiry answer and the two returned broadcasts end a command.
bool windowShowsFinishing(const QString& window);

} // namespace peltro
