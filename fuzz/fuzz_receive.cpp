// The receive path: arbitrary chunks of bytes through the link's receive
// handler, with operator commands, preset operations of the camera session,
// silent exchanges (echo off) and the clear button in between.
//
// Checked after every step:
//  - the response text is exactly the received bytes as the panel writes
//    them (two upper-case digits and a space a byte, CR LF after each FF),
//    cut to its last 1000 characters, and so is the command history;
//  - what the link recognises at each FF (command pending, finished,
//    network change, nothing), and the end of a running preset operation,
//    agree with a plain reference recognition written here on its own,
//    straight from the reply forms.

#include "camera_session.h"
#include "fuzz_support.h"
#include "link.h"
#include "traffic_log.h"

#include <QRegularExpression>
#include <QStringList>

using namespace peltro;
using namespace peltro::fuzz;

namespace {

// ---- reference recognition -------------------------------------------------
// Each reply form is a run of character tests that must hold at one place of
// the window; the inquiry answer is its head followed, anywhere later, by FF.

using Test = bool (*)(QChar);

bool anyChar(QChar) { return true; }
bool sourceDigit(QChar c)   // 9..F: the high digit of a camera's source byte
{
    const QChar u = c.toUpper();
    return u == '9' || (u >= 'A' && u <= 'F');
}
template <char D> bool is(QChar c) { return c.toUpper() == QChar(D); }

bool runAt(const QString& w, int at, const QList<Test>& run)
{
    if (at + run.size() > w.size())
        return false;
    for (int k = 0; k < run.size(); ++k)
        if (!run[k](w.at(at + k)))
            return false;
    return true;
}

bool anywhere(const QString& w, const QList<Test>& run)
{
    for (int at = 0; at + run.size() <= w.size(); ++at)
        if (runAt(w, at, run))
            return true;
    return false;
}

struct Seen {
    bool completion, error, acknowledge, inquiry, networkChange, clearReturned, addressReturned;
};

Seen reference(const QString& w)
{
    const Test gap = anyChar, d = anyChar;
    Seen s{};
    // y0 5z FF
    s.completion = anywhere(w, {sourceDigit, is<'0'>, gap, is<'5'>, d, gap, is<'F'>, is<'F'>});
    // y0 6z ee FF
    s.error = anywhere(w, {sourceDigit, is<'0'>, gap, is<'6'>, d, gap, d, d, gap, is<'F'>, is<'F'>});
    // y0 4z FF
    s.acknowledge = anywhere(w, {sourceDigit, is<'0'>, gap, is<'4'>, d, gap, is<'F'>, is<'F'>});
    // y0 38 FF
    s.networkChange = anywhere(w, {sourceDigit, is<'0'>, gap, is<'3'>, is<'8'>, gap, is<'F'>, is<'F'>});
    // 88 01 00 01 FF
    s.clearReturned = anywhere(w, {is<'8'>, is<'8'>, gap, is<'0'>, is<'1'>, gap, is<'0'>, is<'0'>, gap, is<'0'>,
                                   is<'1'>, gap, is<'F'>, is<'F'>});
    // 88 30 0p FF
    s.addressReturned = anywhere(w, {is<'8'>, is<'8'>, gap, is<'3'>, is<'0'>, gap, is<'0'>, d, gap, is<'F'>, is<'F'>});
    // y0 50 ... FF
    const QList<Test> head{sourceDigit, is<'0'>, gap, is<'5'>, is<'0'>};
    for (int at = 0; at + head.size() <= w.size() && !s.inquiry; ++at) {
        if (!runAt(w, at, head))
            continue;
        for (int k = at + int(head.size()); k + 1 < w.size(); ++k)
            if (w.at(k).toUpper() == 'F' && w.at(k + 1).toUpper() == 'F')
                s.inquiry = true;
    }
    return s;
}

// ---- the panel's side, as the reference sees it ---------------------------

struct Model {
    QString received;
    QString sent;
    bool echo = false;
    bool presetBusy = false;
    int presetKind = 0;
    int presetNumber = 0;
    bool presetAcknowledged = false;
    int presetSocket = -1;

    // A running preset goes by the newest reply alone: its own acknowledge
    // gives its socket; a completion on that socket, an error on it (or
    // before any acknowledge) or a returned broadcast ends it.
    QString decidePreset(const QString& window)
    {
        const qsizetype lineEnd = window.lastIndexOf(QLatin1String("\r\n"));
        const QString lastLine = lineEnd < 0 ? window : window.mid(lineEnd + 2);
        static const QRegularExpression pair(QStringLiteral("^[0-9A-Fa-f]{2}$"));
        QStringList pairs;
        for (const QString& token : lastLine.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            if (pair.match(token).hasMatch())
                pairs << token.toUpper();
        const QString line = pairs.join(QLatin1Char(' '));
        if (pairs.size() < 3 || !line.endsWith(QLatin1String("FF")))
            return {};
        auto match = [&](const char* pattern) {
            return QRegularExpression(QString::fromLatin1(pattern)).match(line);
        };
        bool finished = false;
        if (match("(^| )[9A-F]0 50 (.* )?FF$").hasMatch()) {
            return QStringLiteral("pending");
        } else if (match("88 01 00 01 FF$").hasMatch() || match("88 30 0[0-9A-F] FF$").hasMatch()) {
            finished = true;
        } else if (auto e = match("[9A-F]0 6([0-9A-F]) [0-9A-F]{2} FF$"); e.hasMatch()) {
            finished = !presetAcknowledged || e.captured(1).toInt(nullptr, 16) == presetSocket;
        } else if (match("[9A-F]0 38 FF$").hasMatch()) {
            return QStringLiteral("network");
        } else if (auto a = match("[9A-F]0 4([0-9A-F]) FF$"); a.hasMatch()) {
            if (!presetAcknowledged) {
                presetAcknowledged = true;
                presetSocket = a.captured(1).toInt(nullptr, 16);
            }
            return QStringLiteral("pending");
        } else if (auto c = match("[9A-F]0 5([0-9A-F]) FF$"); c.hasMatch()) {
            finished = presetAcknowledged && c.captured(1).toInt(nullptr, 16) == presetSocket;
        } else {
            return {};
        }
        if (!finished)
            return QStringLiteral("pending");
        presetBusy = false;
        return QStringLiteral("preset %1 %2").arg(presetKind).arg(presetNumber);
    }

    // What the link is to announce at a reply's end, in the link's words.
    QString decide()
    {
        if (presetBusy)
            return decidePreset(received.right(24));
        const Seen s = reference(received.right(24));
        const bool finishing = s.completion || s.error || s.inquiry || s.clearReturned || s.addressReturned;
        if (!finishing) {
            if (s.acknowledge) {
                return QStringLiteral("pending");
            }
            return s.networkChange ? QStringLiteral("network") : QString();
        }
        return QStringLiteral("finished");
    }
};

QString hex(quint8 b)
{
    return QStringLiteral("%1 ").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

void cut(QString& text)
{
    if (text.size() > TrafficLog::kLimit)
        text = text.right(TrafficLog::kLimit);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    startQt();
    ManualClock clock;
    ScriptedPort port(clock);
    port.open();
    CameraSession session(port, clock);
    Link& link = session.link();
    auto presetRunning = [&session] {
        const PresetOperation* op = session.runningPreset();
        return op && !op->ended();
    };

    // What the session made of each reply's end, in the reference's words.
    // The session looks at a reply before anyone else: a preset it ended
    // has said so by the time the link's news reaches this receiver.
    QStringList announced;
    bool presetJustEnded = false;
    QObject::connect(&session, &CameraSession::presetStarted, [&](PresetOperation* op) {
        QObject::connect(op, &PresetOperation::finished, [&, kind = int(op->kind()), number = op->number()] {
            announced << QStringLiteral("preset %1 %2").arg(kind).arg(number);
            presetJustEnded = true;
        });
    });
    QObject::connect(&link, &Link::replyEnded, [&](const ReplyEnd& end) {
        if (presetJustEnded) {
            presetJustEnded = false;
        } else if (presetRunning()) {
            // Whole replies that do not end it keep it going.
            if (end.newest)
                announced << (end.newest->kind == ReplyKind::NetworkChange ? QStringLiteral("network")
                                                                           : QStringLiteral("pending"));
        } else if (end.finishing) {
            announced << QStringLiteral("finished");
        } else if (end.acknowledge) {
            announced << QStringLiteral("pending");
        } else if (end.networkChange) {
            announced << QStringLiteral("network");
        }
    });

    Model model;
    Input in(data, size);
    while (!in.empty()) {
        const int op = in.byte();
        switch (op % 8) {
        case 5:
            // Echo goes off with a silent exchange and on when the receive
            // handler takes over again.
            if (model.echo) {
                link.SD(Packet{0x81, 0x09, 0x00, 0x02, 0xFF}, SendMode::Silent);
                model.echo = false;
            } else {
                link.resumeReceiving();
                model.echo = true;
            }
            require(link.echo() == model.echo, "echo did not follow the exchange");
            break;
        case 6: {
            // A preset set, recall or reset goes out and waits for its end;
            // while one runs, another is refused and nothing goes out.
            const int kind = in.byte() % 3;
            const int number = in.byte() % 6;
            const qsizetype before = port.writes.size();
            PresetOperation* started = session.startPreset(PresetOperation::Kind(kind), number);
            if (model.presetBusy) {
                require(!started && port.writes.size() == before, "a second preset operation went out");
                break;
            }
            require(started && port.writes.size() == before + 1, "a preset operation did not go out");
            static const int opCodes[] = {0x01, 0x02, 0x00};   // set, recall, reset
            const QByteArray packet = Packet{0x81, 0x01, 0x04, 0x3F, opCodes[kind], number, 0xFF}.bytes();
            require(port.writes.last() == packet, "the preset packet is not the memory command", port.writes.last());
            model.presetBusy = true;
            model.presetKind = kind;
            model.presetNumber = number;
            model.presetAcknowledged = false;
            model.presetSocket = -1;
            model.echo = true;
            for (char c : packet)
                model.sent += hex(quint8(c));
            model.sent += TrafficLog::kLineEnd;
            cut(model.sent);
            break;
        }
        case 7:
            if (op & 0x80) {
                link.traffic().clear();   // "Clear Txt"
                model.received.clear();
                model.sent.clear();
            } else {
                // An operator command: header, body without FF, terminator.
                // Without a body it is no packet and is refused.
                QByteArray packet(1, char(0x81 + in.byte() % 8));
                for (char c : in.record(14))
                    packet += char(quint8(c) == 0xFF ? 0xFE : c);
                packet += char(0xFF);
                const qsizetype before = port.writes.size();
                const SendResult result = link.SD(Packet::fromBytes(packet), SendMode::Command);
                model.echo = true;
                if (packet.size() < 3) {
                    require(result == SendResult::RefusedMalformed && port.writes.size() == before,
                            "a command without a body went out", packet);
                    break;
                }
                require(result == SendResult::Sent, "an operator command was refused", packet);
                for (char c : packet)
                    model.sent += hex(quint8(c));
                model.sent += TrafficLog::kLineEnd;
                cut(model.sent);
                require(port.writes.last() == packet, "the command went out changed", port.writes.last());
            }
            break;
        default: {
            // Bytes from the line, in one receive notification.
            const QByteArray chunk = in.record(40);
            QStringList expected;
            for (char c : chunk) {
                if (model.echo)
                    model.received += hex(quint8(c));
                if (quint8(c) == 0xFF) {
                    const QString outcome = model.decide();
                    if (!outcome.isEmpty())
                        expected << outcome;
                    if (model.echo)
                        model.received += TrafficLog::kLineEnd;
                }
            }
            cut(model.received);
            announced.clear();
            link.handleReceived(chunk);
            if (announced != expected)
                fail(qPrintable(QStringLiteral("recognition differs: session [%1], reference [%2] over \"%3\"")
                                    .arg(announced.join(", "), expected.join(", "),
                                         model.received.right(24).replace("\r", "\\r").replace("\n", "\\n"))),
                     chunk);
            require(presetRunning() == model.presetBusy, "the preset's end differs from the reference");
            break;
        }
        }
        const QString& received = link.traffic().text(TrafficLog::Received);
        const QString& sent = link.traffic().text(TrafficLog::Sent);
        require(received.size() <= TrafficLog::kLimit && sent.size() <= TrafficLog::kLimit,
                "a traffic box holds more than 1000 characters");
        require(received == model.received, "the response text is not the bytes received");
        require(sent == model.sent, "the command history is not the packets sent");
    }
    pumpEvents();
    return 0;
}
