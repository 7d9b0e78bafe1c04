#pragma once

#include "clock.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

namespace peltro {

// A command packet as the pacer passes it on; the whole packet, header to
// terminator.
using MotionPacket = QByteArray;

// What a pacer needs of the line its camera hangs on. The session implements
// it; the pacer never sees the port.
class MotionLine {
public:
    virtual ~MotionLine() = default;
    // Puts the packet on the line now. False: refused, nothing was written;
    // the pacer tries again when it is told that the line is free.
    virtual bool sendMotion(const MotionPacket& packet) = 0;
    // Whether a packet may go now. An exchange (a status read) may hold the
    // line; the pacer then waits until the session calls lineFreed().
    virtual bool lineFree() const = 0;
    // Whether a stop may go now. A stop's first send may be let in between
    // two exchanges that hold the line (a gap the session opens for owed
    // stops), where nothing else may; a stop sent again waits for a free
    // line, as the late replies of each send fall into the exchange after it.
    virtual bool stopMayGo() const { return lineFree(); }
    // Seconds the line takes to carry this many bytes at its present speed.
    virtual double lineTime(int bytes) const = 0;
};

// What a packet moves. A drive (pan-tilt, zoom, focus, digital zoom, the
// video phase) runs until its stop; a position (a value slider's packet,
// told apart by its command byte) is a value the camera goes to.
class MotionKind {
public:
    enum Group : quint8 { Drive, Position };

    MotionKind() = default;   // pan-tilt

    static MotionKind panTilt() { return {Drive, 0}; }
    static MotionKind zoom() { return {Drive, 1}; }
    static MotionKind focus() { return {Drive, 2}; }
    static MotionKind digitalZoom() { return {Drive, 3}; }
    static MotionKind phase() { return {Drive, 4}; }
    static MotionKind position(int command) { return {Position, command & 0xFF}; }

    bool isDrive() const { return m_group == Drive; }
    bool operator==(const MotionKind&) const = default;
    QString name() const;   // "pan-tilt", "zoom", ..., "position 47"

private:
    MotionKind(Group group, int id) : m_group(group), m_id(id) {}
    Group m_group = Drive;
    int m_id = 0;
};

// Paces the continuous motion of one camera to what the camera and the line
// can take. Of each kind only the latest value waits (a value that has not
// gone yet is replaced by a newer one in its place in the queue); at most one
// packet waits for the camera's acknowledge; a stop goes before every waiting
// value and is never dropped, and one that is not acknowledged is sent again.
// A camera that does not acknowledge is paced by the line time of each
// packet instead, so that it never holds the motion up.
//
// The session feeds it the camera's replies: acknowledged() and failed() for
// each acknowledge or error of this camera, lineFreed() when an exchange has
// let go of the line, linkLost() and linkBack(). Completions play no part: a
// completion cannot be told apart from that of the packet before, so only
// the acknowledge paces and confirms.
class MotionPacer final : public QObject {
    Q_OBJECT
public:
    // How long the camera may take to acknowledge, beyond the line time of
    // the packet and of the acknowledge itself. A camera that misses it is
    // taken as one that does not acknowledge, until it does again in time.
    static constexpr double kAckDeadline = 0.1;
    // A stop that has not been acknowledged goes again this long after its
    // previous send, at most kStopResends more times.
    static constexpr double kStopResendInterval = 0.15;
    static constexpr int kStopResends = 3;
    static constexpr int kAckBytes = 3;

    MotionPacer(int address, MotionLine& line, Clock& clock, QObject* parent = nullptr);

    int address() const { return m_address; }

    // Each takes only a whole packet for one camera (header 81..87, one FF
    // at its end) and answers false, taking nothing, for anything else.
    // A drive at a new speed; stopPacket is what stops it, kept in case the
    // link is lost while it runs. Not taken while the link is down.
    bool drive(MotionKind kind, const MotionPacket& packet, const MotionPacket& stopPacket);
    // A position; sent even when it equals the value sent last (the final
    // value of a drag is sent again on release). Not taken while the link is down.
    bool setPosition(MotionKind kind, const MotionPacket& packet);
    // A value of this kind that has not gone yet is dropped: a newer one has
    // gone past the pacer.
    void dropWaiting(MotionKind kind);
    // Stops a drive. A waiting drive of the same kind is dropped.
    bool stop(MotionKind kind, const MotionPacket& packet);
    static bool wellFormed(const MotionPacket& packet);

    // Replies and line events, from the session.
    void acknowledged();
    void failed();
    void lineFreed();
    // Waiting values are dropped and a stop is owed for every drive that may
    // be running; while the link is down only stops are taken.
    void linkLost();
    // The owed stops go first.
    void linkBack();

    // A drive has been sent and not yet stopped.
    bool moving() const { return !m_running.isEmpty(); }
    // Packets waiting to go (stops owed included).
    int waiting() const { return int(m_stops.size() + m_values.size()); }
    // The camera acknowledges in time (the pacer waits for it).
    bool acknowledging() const { return m_acknowledging; }
    bool linkUp() const { return !m_linkDown; }
    // A stop not sent yet is owed and may go now (not waiting for an
    // acknowledge): what a gap between two exchanges lets through.
    bool stopDue() const;

Q_SIGNALS:
    void movingChanged(bool moving);
    // A stop went out 1 + kStopResends times without an acknowledge.
    void stopUnconfirmed(MotionKind kind);

private:
    struct Value {
        MotionKind kind;
        MotionPacket packet;
        MotionPacket stop;   // a drive's stop; empty for a position
    };
    struct Stop {
        MotionKind kind;
        MotionPacket packet;
        int sends = 0;
        double dueAt = 0.0;   // when it may go (again)
        quint64 id = 0;
    };
    struct InFlight {
        bool awaiting = false;   // no acknowledge yet, deadline not passed
        quint64 stopId = 0;      // the stop it carries; 0: a value
        double deadline = 0.0;
    };

    void pump();
    void schedule();
    void onTimer();
    void expireAck(double now);
    void answer(bool acknowledged);
    void owe(MotionKind kind, const MotionPacket& packet);
    void setRunning(const Value& drive, bool running);
    bool send(const MotionPacket& packet);
    Stop* findStop(MotionKind kind);
    // The first stop due; with unsentOnly, the first due and never sent.
    Stop* dueStop(double now, bool unsentOnly);

    const int m_address;
    MotionLine& m_line;
    Clock& m_clock;
    ClockTimer m_timer;

    QList<Stop> m_stops;      // in the order they were asked for
    QList<Value> m_values;    // one per kind, in the order first asked for
    QList<Value> m_running;   // drives sent and not stopped, with their stops
    InFlight m_inFlight;
    double m_lineBusyUntil = 0.0;
    bool m_acknowledging = true;
    bool m_linkDown = false;
    bool m_pumping = false;
    quint64 m_nextStopId = 1;
};

} // namespace peltro

Q_DECLARE_METATYPE(peltro::MotionKind)
