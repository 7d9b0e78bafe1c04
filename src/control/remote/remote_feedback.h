#pragma once

#include "camera_operations.h"
#include "osc_message.h"

#include <QObject>
#include <QPointer>
#include <array>
#include <functional>

namespace peltro {

// The chain's state pushed to subscribers, once when they subscribe and then
// whenever a value changes:
//   /peltro/link s                "up" or "lost"
//   /peltro/selected i            the panel's addressed camera
//   /peltro/cam/N/model s         "" once the camera has left the chain
//   /peltro/cam/N/preset i        last recalled, -1 after a manual move
//   /peltro/cam/N/zoom/position i from the status read, -1 not known
//   /peltro/cam/N/moving i        1 while a continuous motion runs
class RemoteFeedback final : public QObject {
    Q_OBJECT
public:
    using Sender = std::function<void(const OscPeer& to, const QString& path, const QList<OscArg>& args)>;
    // Enough for every controller of a show; more would let anyone who can
    // reach the port make the panel send on their behalf.
    static constexpr int kMaxSubscribers = 16;

    RemoteFeedback(CameraOperations& operations, Sender send, QObject* parent = nullptr);

    // Adds the subscriber (a known one stays once) and sends it the whole
    // state; false when the list is full.
    bool subscribe(const OscPeer& peer);
    void unsubscribe(const OscPeer& peer);
    void clear() { m_subscribers.clear(); }
    const QList<OscPeer>& subscribers() const { return m_subscribers; }

private:
    struct CameraState {
        bool inChain = false;
        QString model;
        int preset = -1;
        int zoom = -1;
        bool moving = false;
        bool operator==(const CameraState&) const = default;
    };
    struct State {
        bool link = false;
        int selected = 0;
        std::array<CameraState, 8> cameras;   // by chain address 1..7
    };
    struct Item {
        QString path;
        OscArg value;
    };

    State snapshot() const;
    static QList<Item> items(const State& state);
    static QList<Item> changes(const State& before, const State& now);
    void publish();
    void sendTo(const OscPeer& peer, const QList<Item>& items);

    QPointer<CameraOperations> m_ops;
    Sender m_send;
    QList<OscPeer> m_subscribers;
    State m_state;
};

} // namespace peltro
