#include "tcp_endpoint.h"

#include <QTcpSocket>
#include <QUrl>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace peltro {

bool isTcpDevice(const QString& device)
{
    return device.startsWith(QLatin1String("tcp://"), Qt::CaseInsensitive);
}

std::optional<TcpEndpoint> parseTcpDevice(const QString& device)
{
    if (!isTcpDevice(device))
        return std::nullopt;
    const QUrl url(device, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || url.port() < 1 || !url.userInfo().isEmpty()
        || !(url.path().isEmpty() || url.path() == QLatin1String("/")) || url.hasQuery() || url.hasFragment())
        return std::nullopt;
    return TcpEndpoint{url.host(), static_cast<quint16>(url.port())};
}

QString socketErrorText(QAbstractSocket::SocketError error, const QString& systemText)
{
    const auto withSystemText = [&systemText](const QString& words) {
        return systemText.isEmpty() ? words : QStringLiteral("%1 (%2)").arg(words, systemText);
    };
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("connection refused: is the device server running?");
    case QAbstractSocket::RemoteHostClosedError:
        return QStringLiteral("connection closed by the device server");
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("no such host");
    case QAbstractSocket::SocketTimeoutError:
        return QStringLiteral("no answer from the device server");
    case QAbstractSocket::NetworkError:
        return withSystemText(QStringLiteral("network failure"));
    case QAbstractSocket::SocketAccessError:
        return withSystemText(QStringLiteral("not allowed"));
    default:
        return withSystemText(QStringLiteral("connection failed"));
    }
}

void tuneCameraSocket(QTcpSocket& socket)
{
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    const qintptr fd = socket.socketDescriptor();
    if (fd < 0)
        return;
    // Probe an idle connection after 5 s, every 2 s, give up after 3 misses;
    // give up on bytes the far end has not taken for 10 s.
    const int idle = 5, interval = 2, count = 3;
    const unsigned userTimeoutMs = 10000;
    ::setsockopt(int(fd), IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    ::setsockopt(int(fd), IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    ::setsockopt(int(fd), IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
    ::setsockopt(int(fd), IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeoutMs, sizeof userTimeoutMs);
}

} // namespace peltro
