#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

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

// The reply that has just ended: the newest line of the window (the text
// after its last line end), read as bytes. Acknowledge, completion and error
// carry their socket (the low digit of their second byte); the other kinds
// carry -1. None when the line holds no whole reply of a known kind.
struct NewestReply {
    ReplyKind kind;
    int socket = -1;
};
std::optional<NewestReply> newestReply(const QString& window);

// One whole reply packet from the chain, read by its bytes: its kind, the
// camera that sent it (0 for a returned broadcast), the socket of an
// acknowledge, completion or error, the error code, and the camera count a
// returned address set carries. None for bytes that are no reply the
// cameras send.
struct ReplyPacket {
    ReplyKind kind;
    int camera = 0;
    int socket = -1;
    int errorCode = -1;
    int cameraCount = -1;
};
std::optional<ReplyPacket> classifyReply(const QByteArray& packet);

} // namespace peltro
