#pragma once

#include "camera_operations.h"
#include "clock.h"
#include "osc_endpoint.h"
#include "remote_access.h"
#include "remote_dispatcher.h"
#include "remote_feedback.h"

#include <QObject>

namespace peltro {

// Remote control over OSC: an endpoint on the port the access names, the
// senders it lets through, the dispatcher that turns their messages into
// camera operations, and the feedback to subscribers. A refused message is
// answered with /peltro/error and the reason in words; a message from a
// sender not allowed is dropped and counted.
class RemoteControl final : public QObject {
    Q_OBJECT
public:
    RemoteControl(CameraOperations& operations, Clock& clock, QObject* parent = nullptr);
    // Stops every camera still moving at its command.
    ~RemoteControl() override;

    // Turns the remote control on, off or over to another port or address.
    // A port that cannot be opened leaves it off, with the reason in
    // stateText(); everything else runs on without it.
    void configure(const RemoteAccess& access);
    const RemoteAccess& access() const { return m_access; }

    void setHoldMs(int ms) { m_dispatcher.setHoldMs(ms); }
    int holdMs() const { return m_dispatcher.holdMs(); }

    bool isListening() const { return m_endpoint.isOpen(); }
    quint16 port() const { return m_endpoint.port(); }   // the bound port while listening
    // "Remote control is off.", "Listening on 127.0.0.1, UDP port 9000
    // (this computer only).", or why it is off.
    QString stateText() const { return m_state; }
    int droppedCount() const { return m_dropped; }
    // Datagrams that were no OSC at all (nobody to answer: liblo names no sender).
    int malformedCount() const { return m_endpoint.malformedCount(); }
    QList<OscPeer> subscribers() const { return m_feedback.subscribers(); }
    RemoteDispatcher& dispatcher() { return m_dispatcher; }

Q_SIGNALS:
    void stateChanged();
    void droppedCountChanged(int count);
    // The access changed (to be saved with the settings).
    void accessChanged(const peltro::RemoteAccess& access);

private:
    void receive(const OscMessage& message);
    void reply(const OscPeer& to, const QString& error);
    void setState(const QString& text);

    RemoteAccess m_access;
    SenderFilter m_filter;
    OscEndpoint m_endpoint;
    RemoteDispatcher m_dispatcher;
    RemoteFeedback m_feedback;
    QString m_state;
    int m_dropped = 0;
};

} // namespace peltro
