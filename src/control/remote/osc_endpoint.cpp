#include "osc_endpoint.h"

#include <QSocketNotifier>
#include <utility>
#include <lo/lo.h>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace peltro {

namespace {

// liblo's error callback carries no context: what it reports while an
// endpoint receives (or is made) is counted where that endpoint says.
thread_local int* t_errors = nullptr;

struct CountErrors {
    explicit CountErrors(int* errors) : m_previous(std::exchange(t_errors, errors)) {}
    ~CountErrors() { t_errors = m_previous; }
    int* m_previous;
};

QString whyNot(int error, const QHostAddress& address, quint16 port)
{
    const QString off = QStringLiteral("Remote control is off: ");
    switch (error) {
    case EADDRINUSE:
        return off + QStringLiteral("UDP port %1 is in use by another program.").arg(port);
    case EADDRNOTAVAIL:
        return off + QStringLiteral("%1 is not an address of this computer.").arg(address.toString());
    case EACCES:
        return off + QStringLiteral("UDP port %1 needs administrator rights.").arg(port);
    case EAFNOSUPPORT:
        return off + QStringLiteral("this computer does not speak %1.")
                         .arg(address.protocol() == QAbstractSocket::IPv6Protocol ? QStringLiteral("IPv6")
                                                                                 : QStringLiteral("IPv4"));
    default:
        return off + QStringLiteral("UDP port %1 could not be opened (%2).")
                         .arg(port)
                         .arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

} // namespace

OscEndpoint::OscEndpoint(QObject* parent) : QObject(parent) {}

OscEndpoint::~OscEndpoint()
{
    close();
    for (void* retired : m_retired)
        lo_server_free(static_cast<lo_server>(retired));
}

bool OscEndpoint::open(const QHostAddress& address, quint16 port, QString* why)
{
    close();
    auto fail = [why](const QString& text) {
        if (why)
            *why = text;
        return false;
    };
    const bool v6 = address.protocol() == QAbstractSocket::IPv6Protocol;
    if (address.isNull() || (!v6 && address.protocol() != QAbstractSocket::IPv4Protocol))
        return fail(QStringLiteral("Remote control is off: \"%1\" is not an IP address.").arg(address.toString()));

    // liblo as Debian 12 ships it binds every interface; the socket it reads
    // is replaced by one bound where the operator asked, which also tells a
    // port in use apart from the other reasons.
    const int fd = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return fail(whyNot(errno, address, port));
    int bound = -1;
    if (v6) {
        sockaddr_in6 sa{};
        sa.sin6_family = AF_INET6;
        sa.sin6_port = htons(port);
        const Q_IPV6ADDR raw = address.toIPv6Address();
        std::memcpy(&sa.sin6_addr, raw.c, sizeof raw.c);
        sa.sin6_scope_id = address.scopeId().toUInt();
        // "::" listens for IPv4 senders too.
        const int dual = 0;
        ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &dual, sizeof dual);
        bound = ::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    } else {
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_port = htons(port);
        sa.sin_addr.s_addr = htonl(address.toIPv4Address());
        bound = ::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    }
    if (bound != 0) {
        const int error = errno;
        ::close(fd);
        return fail(whyNot(error, address, port));
    }
    // Room for a burst from a busy controller while the event loop is away.
    const int buffer = 1 << 20;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);

    int errors = 0;
    lo_server server = nullptr;
    {
        CountErrors counting(&errors);
        server = lo_server_new_with_proto("0", LO_UDP, &OscEndpoint::onError);
    }
    const int loFd = server ? lo_server_get_socket_fd(server) : -1;
    if (loFd < 0 || ::dup3(fd, loFd, O_CLOEXEC) < 0) {
        if (server)
            lo_server_free(server);
        ::close(fd);
        return fail(QStringLiteral("Remote control is off: the OSC library could not start a server."));
    }
    ::close(fd);
    // Every message at once, whatever time tag a bundle carries: nothing
    // here would come back later to deliver a held one.
    lo_server_enable_queue(server, 0, 1);
    lo_server_add_method(server, nullptr, nullptr, &OscEndpoint::onMessage, this);

    sockaddr_storage local{};
    socklen_t length = sizeof local;
    if (::getsockname(loFd, reinterpret_cast<sockaddr*>(&local), &length) == 0)
        port = ntohs(local.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&local)->sin6_port
                                                 : reinterpret_cast<sockaddr_in*>(&local)->sin_port);
    m_server = server;
    m_address = address;
    m_port = port;
    m_notifier = new QSocketNotifier(loFd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &OscEndpoint::readPending);
    return true;
}

void OscEndpoint::close()
{
    if (!m_server)
        return;
    // Inside liblo's dispatch (and the notifier's signal) both must live on
    // until it returns.
    if (m_receiving) {
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_retired.push_back(m_server);
    } else {
        delete m_notifier;
        lo_server_free(static_cast<lo_server>(m_server));
    }
    m_notifier = nullptr;
    m_server = nullptr;
    m_port = 0;
}

void OscEndpoint::readPending()
{
    if (!m_server || m_receiving)
        return;
    void* const server = m_server;
    m_receiving = true;
    {
        CountErrors counting(&m_malformed);
        // Stops early when a handler closed the endpoint.
        for (int i = 0; i < kBatch && m_server == server; ++i) {
            if (lo_server_recv_noblock(static_cast<lo_server>(server), 0) <= 0)
                break;
        }
    }
    m_receiving = false;
    for (void* retired : std::exchange(m_retired, {}))
        lo_server_free(static_cast<lo_server>(retired));
}

int OscEndpoint::onMessage(const char* path, const char* types, lo_arg** argv, int argc, void* message, void* self)
{
    auto* endpoint = static_cast<OscEndpoint*>(self);
    if (!endpoint->m_server || !endpoint->m_receiver)
        return 0;
    OscMessage m;
    m.path = QString::fromUtf8(path);
    m.args = oscArgs(types, argv, argc);
    if (lo_address source = lo_message_get_source(static_cast<lo_message>(message))) {
        m.from.address = oscHostAddress(lo_address_get_hostname(source));
        m.from.port = quint16(QByteArray(lo_address_get_port(source)).toUInt());
    }
    endpoint->m_receiver(m);
    return 0;
}

void OscEndpoint::onError(int, const char*, const char*)
{
    if (t_errors)
        ++*t_errors;
}

bool OscEndpoint::send(const OscPeer& to, const QString& path, const QList<OscArg>& args)
{
    if (!isOpen() || to.address.isNull() || to.port == 0)
        return false;
    lo_message message = lo_message_new();
    for (const OscArg& a : args) {
        switch (a.kind) {
        case OscArg::Kind::Int:
            lo_message_add_int32(message, qint32(a.number));
            break;
        case OscArg::Kind::Float:
            lo_message_add_float(message, float(a.number));
            break;
        case OscArg::Kind::Bool:
            if (a.number != 0)
                lo_message_add_true(message);
            else
                lo_message_add_false(message);
            break;
        case OscArg::Kind::Text:
            lo_message_add_string(message, a.text.toUtf8().constData());
            break;
        case OscArg::Kind::Other:
            lo_message_add_nil(message);
            break;
        }
    }
    const QByteArray host = to.address.toString().toLatin1();
    const QByteArray port = QByteArray::number(to.port);
    lo_address target = lo_address_new(host.constData(), port.constData());
    int sent = -1;
    if (target) {
        int errors = 0;
        CountErrors counting(&errors);
        sent = lo_send_message_from(target, static_cast<lo_server>(m_server), path.toUtf8().constData(), message);
        lo_address_free(target);
    }
    lo_message_free(message);
    return sent >= 0;
}

} // namespace peltro
