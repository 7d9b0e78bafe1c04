#pragma once

#include "clock.h"
#include "reply_patterns.h"

#include <QObject>
#include <QTimer>

namespace peltro {

// One preset operation (set, recall or reset of a memory of a pan/tilt
// camera) from its packet to its end: the camera's completion on the socket
// of the first acknowledge that follows the packet, or an error, ends it;
// one that has not ended after kLimit seconds is given up. The session runs
// one at a time and deletes it after it has ended.
class PresetOperation final : public QObject {
    Q_OBJECT
public:
    enum class Kind { Set = 0, Recall = 1, Reset = 2 };
    // A camera unplugged or a lost reply would otherwise keep the preset
    // buttons refusing every click.
    static constexpr double kLimit = 20.0;

    PresetOperation(Kind kind, int number, int address, Clock& clock, QObject* parent = nullptr);

    Kind kind() const { return m_kind; }
    int number() const { return m_number; }
    int address() const { return m_address; }
    bool ended() const { return m_ended; }

    // The reply that has just ended while the operation runs. True when it
    // ended the operation; false when it goes on (acknowledge, an answer, an
    // earlier command's completion).
    bool takeReply(const NewestReply& reply);
    // Gives the operation up when kLimit has passed since it started:
    // abandoned() and then finished(). True when it did.
    bool expireIfOverdue();
    // The chain was cleared or renumbered: nothing will end it any more.
    void endNow();

Q_SIGNALS:
    void finished();
    void abandoned();

private:
    void end();

    Kind m_kind;
    int m_number;
    int m_address;
    Clock& m_clock;
    double m_started;
    bool m_acknowledged = false;
    int m_socket = -1;          // socket of its own acknowledge; -1 before it
    bool m_ended = false;
    QTimer m_watch;             // runs on the real clock; the session's clock decides
};

} // namespace peltro
