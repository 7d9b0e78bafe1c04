#pragma once

#include "sim_camera.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

namespace peltro::sim {

// Faults the chain can be told to show.
struct Faults {
    QSet<int> silent;               // chain positions (1-based) that never answer
    QSet<int> refusing;             // chain positions that answer every packet with a syntax error
    // Packets (from the byte after the address on) every camera refuses with
    // a syntax error, or leaves unanswered, without acting on them.
    QSet<QByteArray> refusedPackets;
    QSet<QByteArray> unansweredPackets;
    bool broadcastsLost = false;    // no broadcast comes back to the controller
    QByteArray junk;                // bytes sent before every reply packet
    bool garbled = false;           // every reply's second byte is off by one bit
    double replyDelay = 0.0;        // seconds from a packet's arrival to its first reply
    int lateCount = -1;             // how many more packets are answered replyDelay late; -1 every one
    double completionDelay = 0.0;   // seconds between acknowledge and completion
};

// Bytes the chain sends back, delay seconds after the packet that caused them arrived.
struct Emission {
    double delay;
    QByteArray bytes;
};

// Up to seven cameras on one line. Bytes from the controller go in, in any
// chunking; what the cameras send back comes out with its delay. No timing is
// done here: the port object that carries the bytes applies the delays.
class SimChain {
public:
    static constexpr int kMaxCameras = 7;

    // 1..7 cameras, addresses preassigned 1..n in chain order.
    explicit SimChain(const QList<ModelId>& models);

    // Models by name ("quorin-p3", "TAMIRO-J1A"); an entry may hold several
    // names separated by commas. None, more than seven or an unknown name is
    // an error, described in *error.
    static std::optional<SimChain> fromNames(const QStringList& names, QString* error);
    // The names fromNames takes, one per model, in catalogue order: "quorin-p1" ...
    static QStringList modelNames();

    int size() const { return int(m_cameras.size()); }
    SimCamera& camera(int position) { return m_cameras[position - 1]; }               // 1-based
    const SimCamera& camera(int position) const { return m_cameras[position - 1]; }

    Faults faults;

    // Returns what goes back for every packet these bytes complete.
    QList<Emission> feed(const QByteArray& bytes);

    // The notice the camera at position sends on its own: y0 38 FF.
    QByteArray networkChangeNotice(int position) const;

    QList<QByteArray> log;   // every complete packet received, in order

private:
    QList<Emission> packet(const QByteArray& packet);
    QList<Emission> broadcast(const QByteArray& packet);
    QByteArray withJunk(const QByteArray& reply) const;
    double takeReplyDelay();

    QList<SimCamera> m_cameras;
    QByteArray m_pending;   // the packet being received, from its header byte on
};

} // namespace peltro::sim
