#pragma once

// What crossed the line, read back as packets: the framing of a byte stream
// into packets and junk, the reply kinds with their sockets and error codes,
// and the names of the commands and inquiries the panel sends. Qt Core only.

#include "packet.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace peltro::traffic {

// Surface: an event of a control surface (remote control, gamepad,
// keyboard) that the panel acts on; no bytes of its own.
enum class Direction { Sent, Received, Surface };

enum class Kind {
    Command,            // 8x 01 ...
    Inquiry,            // 8x 09 ...
    Broadcast,          // 88 ... sent
    BroadcastReturned,  // 88 ... back around the chain
    Acknowledge,        // y0 4z FF
    Completion,         // y0 5z FF
    InquiryAnswer,      // y0 50 ... FF
    Error,              // y0 6z ee FF
    NetworkChange,      // y0 38 FF
    Unknown,            // ends with FF, starts with a header, but reads as none of the above
    Junk,               // bytes that form no packet
    Surface,            // a control surface's event, not a packet
};
QString kindText(Kind kind);

// Error codes of the error reply y0 6z ee FF.
enum ErrorCode : int {
    SyntaxError = 0x02,
    CommandBufferFull = 0x03,
    CommandCancelled = 0x04,
    NoSocket = 0x05,
    NotExecutable = 0x41,
};
// "syntax error" ...; "error code 0x7A" for a code not in the list.
QString errorText(int code);

// A header byte: 0x80..0x8F from the panel, 0x90..0xF0 (y0) or 0x88 from the
// chain. Anything from 0x80 to 0xFE may begin a packet.
inline bool isHeaderByte(quint8 b)
{
    return b >= 0x80 && b != 0xFF;
}

// Cuts one direction's byte stream into packets (a header byte up to and
// including the next FF) and runs of junk (bytes before a header byte, a
// stray FF, a packet that never ended). Bytes may come in any chunking: a
// packet cut in two reads comes out whole.
class Framer {
public:
    struct Piece {
        QByteArray bytes;
        bool junk = false;
        double at = 0.0;    // when its last byte came
    };

    // A packet whose bytes stop coming for this long never ends: what came of
    // it is junk. Answers take well under a second to come in whole.
    static constexpr double kGap = 1.0;

    // wholeWrites: every chunk that holds more than one byte starts a new
    // packet (the panel writes a packet in one piece, the console byte by byte),
    // so that an unterminated console packet is not glued to the next one.
    explicit Framer(bool wholeWrites = false) : m_wholeWrites(wholeWrites) {}

    QList<Piece> feed(const QByteArray& bytes, double now);
    // What is left over, as junk: a run of junk waiting for a header, or a
    // packet without its FF. Empty when nothing is left.
    QList<Piece> flush();
    // A run of junk waiting for a header, as junk; an open packet stays.
    QList<Piece> flushJunk();
    bool idle() const { return m_pending.isEmpty(); }

private:
    void flushInto(QList<Piece>& out);

    bool m_wholeWrites;
    QByteArray m_pending;   // an open packet (from its header) or a junk run
    bool m_inPacket = false;
    double m_last = 0.0;
};

// The names of the packets the panel sends, built from the packet builders
// themselves: each entry is a packet as the panel builds it (for any camera
// address; a broadcast only names broadcasts), how many bytes after the
// header name it, and how to show the bytes after those.
class PacketNames {
public:
    enum class Rest {
        None,     // the packet is exactly the named bytes
        Value,    // one number, one nibble per byte ("ZoomSlider 0x4000")
        Bytes,    // parameter bytes as hexadecimal ("... 01 0A")
    };
    using Describe = std::function<std::optional<QString>(const QByteArray& rest)>;

    // packet: header, body, FF. length: body bytes that identify it (all of
    // them for Rest::None).
    void add(const Packet& packet, const QString& name, Rest rest = Rest::None, int length = -1);
    // The rest of the packet is read by describe; a rest it cannot read
    // (none returned) does not match this entry.
    void add(const Packet& packet, int length, const QString& name, Describe describe);

    // The name of a packet (header .. FF): the entry with the longest
    // matching body; the first added among equals. None when no entry fits.
    std::optional<QString> name(const QByteArray& packet) const;
    int size() const { return int(m_entries.size()); }

private:
    struct Entry {
        bool broadcast;     // a packet to the whole chain (88) or to one camera
        QByteArray body;
        QString name;
        Rest rest;
        Describe describe;
    };
    QList<Entry> m_entries;
};

struct Decoded {
    Kind kind = Kind::Junk;
    int camera = -1;        // 1..7; 0 the whole chain; -1 none
    QString what;
};

// Reads packets one at a time, in the order they crossed the line. It keeps
// the last packet sent to each camera, so that an inquiry answer says what it
// answers.
class Decoder {
public:
    explicit Decoder(const PacketNames* names = nullptr) : m_names(names) {}

    Decoded decode(Direction direction, const QByteArray& packet);
    static Decoded junk(const QByteArray& bytes);

private:
    Decoded decodeSent(const QByteArray& packet);
    Decoded decodeReceived(const QByteArray& packet);

    const PacketNames* m_names;
    QString m_lastSent[8];    // by camera address: what was last sent to it
    // One text per question asked: a long session shares them, row after row.
    QHash<QString, QString> m_answers;
};

// Hexadecimal form of the traffic boxes without the trailing blank: "90 41 FF".
QString hexForm(const QByteArray& bytes);
// The reverse; none for anything but pairs of hexadecimal digits split by
// single blanks.
std::optional<QByteArray> parseHexForm(const QString& text);

} // namespace peltro::traffic
