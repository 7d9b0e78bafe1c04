#pragma once

#include "osc_message.h"

#include <QObject>
#include <functional>
#include <vector>

class QSocketNotifier;

namespace peltro {

// An OSC server on a UDP socket, run by Qt's event loop: liblo decodes and
// encodes every message; its socket is watched by a QSocketNotifier and read
// with liblo's non-blocking receive, so no thread of its own is needed and
// nothing ever waits for the network.
class OscEndpoint final : public QObject {
    Q_OBJECT
public:
    using Receiver = std::function<void(const OscMessage&)>;

    explicit OscEndpoint(QObject* parent = nullptr);
    ~OscEndpoint() override;

    // Listens on the address and UDP port (0: any free port). False, with
    // the reason in the operator's words, when it cannot.
    bool open(const QHostAddress& address, quint16 port, QString* why);
    void close();
    bool isOpen() const { return m_server != nullptr; }
    QHostAddress address() const { return m_address; }
    quint16 port() const { return m_port; }

    // Every message received, bundles taken apart, in order of arrival.
    void setReceiver(Receiver receiver) { m_receiver = std::move(receiver); }

    // Sends from the endpoint's own socket, so that replies come from the
    // port the sender wrote to. False when it could not be sent; a full send
    // buffer drops the message rather than wait.
    bool send(const OscPeer& to, const QString& path, const QList<OscArg>& args);

    // Datagrams liblo could not read as OSC.
    int malformedCount() const { return m_malformed; }

    // Messages taken from the socket in one go before the event loop gets
    // its turn again; the rest follow on the next notification.
    static constexpr int kBatch = 64;

private:
    static int onMessage(const char* path, const char* types, lo_arg** argv, int argc, void* message,
                         void* self);
    static void onError(int number, const char* text, const char* where);
    void readPending();

    void* m_server = nullptr;   // lo_server
    QSocketNotifier* m_notifier = nullptr;
    QHostAddress m_address;
    quint16 m_port = 0;
    Receiver m_receiver;
    bool m_receiving = false;
    std::vector<void*> m_retired;   // closed while one of their messages was handled
    int m_malformed = 0;
};

} // namespace peltro
