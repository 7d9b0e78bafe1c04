#include "traffic_decoder.h"

#include "link.h"
#include "reply_patterns.h"

#include <QStringList>

namespace peltro::traffic {

namespace {

quint8 at(const QByteArray& bytes, qsizetype i)
{
    return static_cast<quint8>(bytes.at(i));
}

QString capitalised(QString text)
{
    if (!text.isEmpty())
        text[0] = text.at(0).toUpper();
    return text;
}

QString countText(int n, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

// A number carried one nibble per byte; none when a byte is above 0x0F.
std::optional<int> nibbleValue(const QByteArray& bytes)
{
    if (bytes.isEmpty() || bytes.size() > 7)
        return std::nullopt;
    int value = 0;
    for (char c : bytes) {
        if (static_cast<quint8>(c) > 0x0F)
            return std::nullopt;
        value = value * 16 + static_cast<quint8>(c);
    }
    return value;
}

QByteArray bodyOf(const QByteArray& packet)
{
    // Header and terminator off.
    return packet.size() >= 2 ? packet.mid(1, packet.size() - 2) : QByteArray();
}

} // namespace

QString kindText(Kind kind)
{
    switch (kind) {
    case Kind::Command: return QStringLiteral("Command");
    case Kind::Inquiry: return QStringLiteral("Inquiry");
    case Kind::Broadcast: return QStringLiteral("Broadcast");
    case Kind::BroadcastReturned: return QStringLiteral("Broadcast returned");
    case Kind::Acknowledge: return QStringLiteral("Acknowledge");
    case Kind::Completion: return QStringLiteral("Completion");
    case Kind::InquiryAnswer: return QStringLiteral("Inquiry answer");
    case Kind::Error: return QStringLiteral("Error");
    case Kind::NetworkChange: return QStringLiteral("Network change");
    case Kind::Unknown: return QStringLiteral("Unknown");
    case Kind::Junk: return QStringLiteral("Junk");
    case Kind::Surface: return QStringLiteral("Control surface");
    }
    return {};
}

QString errorText(int code)
{
    switch (code) {
    case SyntaxError: return QStringLiteral("syntax error");
    case CommandBufferFull: return QStringLiteral("command buffer full");
    case CommandCancelled: return QStringLiteral("command cancelled");
    case NoSocket: return QStringLiteral("no socket");
    case NotExecutable: return QStringLiteral("command not executable");
    }
    return QStringLiteral("error code 0x%1").arg(QString::number(code, 16).toUpper().rightJustified(2, QLatin1Char('0')));
}

// --- Framer -------------------------------------------------------------------

void Framer::flushInto(QList<Piece>& out)
{
    if (!m_pending.isEmpty())
        out.append({m_pending, true, m_last});
    m_pending.clear();
    m_inPacket = false;
}

QList<Framer::Piece> Framer::feed(const QByteArray& bytes, double now)
{
    QList<Piece> out;
    if (bytes.isEmpty())
        return out;
    if (!m_pending.isEmpty() && (now - m_last > kGap || (m_wholeWrites && bytes.size() > 1)))
        flushInto(out);
    m_last = now;
    for (char c : bytes) {
        const quint8 b = static_cast<quint8>(c);
        if (!m_inPacket && isHeaderByte(b)) {
            // Whatever came before a header is no part of a packet.
            flushInto(out);
            m_inPacket = true;
        }
        m_pending.append(c);
        if (b == 0xFF) {
            out.append({m_pending, !m_inPacket, now});
            m_pending.clear();
            m_inPacket = false;
        }
    }
    return out;
}

QList<Framer::Piece> Framer::flush()
{
    QList<Piece> out;
    flushInto(out);
    return out;
}

QList<Framer::Piece> Framer::flushJunk()
{
    QList<Piece> out;
    if (!m_inPacket)
        flushInto(out);
    return out;
}

// --- PacketNames --------------------------------------------------------------

void PacketNames::add(const Packet& packet, const QString& name, Rest rest, int length)
{
    const QByteArray& built = packet.bytes();
    if (built.isEmpty())
        return;
    const bool broadcast = at(built, 0) == 0x88;
    QByteArray body = bodyOf(built);
    if (rest == Rest::None)
        length = int(body.size());
    else if (length < 0 || length > body.size())
        length = int(body.size());
    body.truncate(length);
    for (const Entry& e : m_entries) {
        if (e.broadcast == broadcast && e.body == body && e.rest == rest && !e.describe)
            return;   // the first name of the same bytes stays
    }
    m_entries.append({broadcast, body, name, rest, {}});
}

void PacketNames::add(const Packet& packet, int length, const QString& name, Describe describe)
{
    const QByteArray& built = packet.bytes();
    if (built.isEmpty())
        return;
    QByteArray body = bodyOf(built);
    body.truncate(length);
    m_entries.append({at(built, 0) == 0x88, body, name, Rest::Bytes, std::move(describe)});
}

std::optional<QString> PacketNames::name(const QByteArray& packet) const
{
    if (packet.size() < 2 || at(packet, packet.size() - 1) != 0xFF)
        return std::nullopt;
    const QByteArray body = bodyOf(packet);
    const bool broadcast = at(packet, 0) == 0x88;
    const Entry* best = nullptr;
    QString bestText;
    for (const Entry& e : m_entries) {
        if (e.broadcast != broadcast || !body.startsWith(e.body) || (best && e.body.size() <= best->body.size()))
            continue;
        const QByteArray rest = body.mid(e.body.size());
        QString text;
        if (e.describe) {
            const std::optional<QString> said = e.describe(rest);
            if (!said)
                continue;
            text = said->isEmpty() ? e.name : e.name + QLatin1Char(' ') + *said;
        } else {
            switch (e.rest) {
            case Rest::None:
                if (!rest.isEmpty())
                    continue;
                text = e.name;
                break;
            case Rest::Value:
                if (const std::optional<int> v = nibbleValue(rest))
                    text = e.name + QStringLiteral(" 0x") + QString::number(*v, 16).toUpper();
                else
                    text = rest.isEmpty() ? e.name : e.name + QLatin1Char(' ') + hexForm(rest);
                break;
            case Rest::Bytes:
                text = rest.isEmpty() ? e.name : e.name + QLatin1Char(' ') + hexForm(rest);
                break;
            }
        }
        best = &e;
        bestText = text;
    }
    if (!best)
        return std::nullopt;
    return bestText;
}

// --- Decoder ------------------------------------------------------------------

Decoded Decoder::junk(const QByteArray& bytes)
{
    return {Kind::Junk, -1, QStringLiteral("Junk: %1 that form no packet").arg(countText(int(bytes.size()), "byte", "bytes"))};
}

Decoded Decoder::decode(Direction direction, const QByteArray& packet)
{
    if (packet.size() < 2 || !isHeaderByte(at(packet, 0)) || at(packet, packet.size() - 1) != 0xFF)
        return junk(packet);
    return direction == Direction::Sent ? decodeSent(packet) : decodeReceived(packet);
}

Decoded Decoder::decodeSent(const QByteArray& packet)
{
    const quint8 header = at(packet, 0);
    const std::optional<QString> named = m_names ? m_names->name(packet) : std::nullopt;
    const QByteArray body = bodyOf(packet);
    auto generic = [&](const char* word) {
        return QStringLiteral("%1 %2").arg(QLatin1String(word), hexForm(body.left(3)));
    };
    Decoded d;
    if (header == 0x88) {
        d = {Kind::Broadcast, 0, named.value_or(generic("Broadcast"))};
    } else if (header >= 0x81 && header <= 0x87) {
        d.camera = header - 0x80;
        const quint8 category = body.isEmpty() ? 0 : at(body, 0);
        if (category == 0x01)
            d = {Kind::Command, d.camera, named.value_or(generic("Command"))};
        else if (category == 0x09)
            d = {Kind::Inquiry, d.camera, named.value_or(generic("Inquiry"))};
        else
            d = {Kind::Unknown, d.camera, QStringLiteral("Neither command nor inquiry")};
        m_lastSent[d.camera] = d.what;
    } else {
        d = {Kind::Unknown, -1, QStringLiteral("No camera has the header %1").arg(hexForm(packet.left(1)))};
    }
    return d;
}

Decoded Decoder::decodeReceived(const QByteArray& packet)
{
    const std::optional<ReplyPacket> reply = classifyReply(packet);
    const quint8 header = at(packet, 0);
    if (!reply) {
        if (header == 0x88)
            return {Kind::Unknown, 0, QStringLiteral("Unknown broadcast")};
        if (header < 0x90 || (header & 0x0F) != 0)
            return {Kind::Unknown, -1, QStringLiteral("No camera sends the header %1").arg(hexForm(packet.left(1)))};
        return {Kind::Unknown, (header >> 4) - 8, QStringLiteral("Unknown reply")};
    }
    const int camera = reply->camera;
    switch (reply->kind) {
    case ReplyKind::InterfaceClearReturned:
        return {Kind::BroadcastReturned, 0, QStringLiteral("Interface clear returned")};
    case ReplyKind::AddressSetReturned:
        return {Kind::BroadcastReturned, 0,
                QStringLiteral("Address set returned: %1").arg(countText(reply->cameraCount, "camera", "cameras"))};
    case ReplyKind::NetworkChange: return {Kind::NetworkChange, camera, QStringLiteral("Network change")};
    case ReplyKind::Acknowledge:
        return {Kind::Acknowledge, camera, QStringLiteral("Acknowledge, socket %1").arg(reply->socket)};
    case ReplyKind::Completion:
        return {Kind::Completion, camera, QStringLiteral("Completion, socket %1").arg(reply->socket)};
    case ReplyKind::Error:
        return {Kind::Error, camera,
                QStringLiteral("%1, socket %2").arg(capitalised(errorText(reply->errorCode))).arg(reply->socket)};
    case ReplyKind::InquiryAnswer: {
        const QString& asked = m_lastSent[camera];
        if (asked.isEmpty())
            return {Kind::InquiryAnswer, camera, QStringLiteral("Inquiry answer")};
        auto answer = m_answers.constFind(asked);
        if (answer == m_answers.constEnd())
            answer = m_answers.insert(asked, QStringLiteral("Answer to ") + asked);
        return {Kind::InquiryAnswer, camera, *answer};
    }
    }
    return {Kind::Unknown, camera, QStringLiteral("Unknown reply")};
}

// --- Hexadecimal form -----------------------------------------------------------

QString hexForm(const QByteArray& bytes)
{
    return Link::hexBytes(bytes).chopped(bytes.isEmpty() ? 0 : 1);
}

std::optional<QByteArray> parseHexForm(const QString& text)
{
    QByteArray bytes;
    if (text.isEmpty())
        return bytes;
    const QStringList pairs = text.split(QLatin1Char(' '));
    for (const QString& pair : pairs) {
        bool ok = false;
        const int v = pair.size() == 2 ? pair.toInt(&ok, 16) : -1;
        if (!ok || pair.startsWith(QLatin1Char('+')) || pair.startsWith(QLatin1Char('-')))
            return std::nullopt;
        bytes.append(static_cast<char>(v));
    }
    return bytes;
}

} // namespace peltro::traffic
