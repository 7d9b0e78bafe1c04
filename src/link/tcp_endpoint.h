#pragma once

#include <QAbstractSocket>
#include <QString>
#include <optional>

class QTcpSocket;

namespace peltro {

// A serial device server (an Ethernet-to-serial converter, or ser2net on a
// small computer beside the cameras) reached as "tcp://HOST:PORT": raw bytes
// both ways, no telnet negotiation.
struct TcpEndpoint {
    QString host;
    quint16 port = 0;
};

bool isTcpDevice(const QString& device);
// "tcp://HOST:PORT", "tcp://[::1]:4001"; nothing for text that is not one.
std::optional<TcpEndpoint> parseTcpDevice(const QString& device);

// Why a connection to a device server failed or ended, in the operator's words.
QString socketErrorText(QAbstractSocket::SocketError error, const QString& systemText = {});

// Small packets leave at once; a connection whose far end has gone silent
// (a cable pulled out on the way) is found dead within seconds, not hours.
void tuneCameraSocket(QTcpSocket& socket);

} // namespace peltro
