#include "remote_access.h"

#include "panel_settings.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace peltro {

QStringList splitAllowed(const QString& text)
{
    static const QRegularExpression separators(QStringLiteral("[,;\\s]+"));
    return text.split(separators, Qt::SkipEmptyParts);
}

namespace {

std::optional<std::pair<QHostAddress, int>> parseEntry(const QString& entry)
{
    if (entry.contains(QLatin1Char('/'))) {
        const auto subnet = QHostAddress::parseSubnet(entry);
        if (subnet.first.isNull() || subnet.second < 0)
            return std::nullopt;
        return subnet;
    }
    QHostAddress address;
    if (!address.setAddress(entry))
        return std::nullopt;
    return std::pair{address, address.protocol() == QAbstractSocket::IPv6Protocol ? 128 : 32};
}

} // namespace

std::optional<QString> allowedEntryError(const QString& entry)
{
    if (parseEntry(entry))
        return std::nullopt;
    return QStringLiteral("\"%1\" is not an address or a subnet of senders "
                          "(for example 192.168.1.20 or 192.168.1.0/24).")
        .arg(entry.left(60));
}

SenderFilter::SenderFilter(const QStringList& allowed)
{
    for (const QString& entry : allowed) {
        if (auto subnet = parseEntry(entry))
            m_subnets.append(*subnet);
    }
}

bool SenderFilter::allows(const QHostAddress& sender) const
{
    if (m_subnets.isEmpty())
        return true;
    // An IPv4 sender seen on an IPv6 socket is matched as IPv4.
    QHostAddress plain = sender;
    bool v4 = false;
    const quint32 ipv4 = sender.toIPv4Address(&v4);
    if (v4)
        plain = QHostAddress(ipv4);
    for (const auto& subnet : m_subnets) {
        if (plain.isInSubnet(subnet))
            return true;
    }
    return false;
}

RemoteAccess RemoteOptions::over(RemoteAccess saved) const
{
    if (port) {
        saved.on = true;
        saved.port = *port;
    }
    if (bind)
        saved.bind = *bind;
    return saved;
}

void RemoteOptions::addTo(QCommandLineParser& parser)
{
    parser.addOption({QStringLiteral("osc"),
                      QStringLiteral("Remote control over OSC on this UDP port."), QStringLiteral("PORT")});
    parser.addOption({QStringLiteral("osc-bind"),
                      QStringLiteral("Address the remote control listens on: 127.0.0.1 (this computer "
                                     "only, the default), 0.0.0.0 (the network) or one of this "
                                     "computer's addresses."),
                      QStringLiteral("ADDRESS")});
    parser.addOption({QStringLiteral("osc-hold-ms"),
                      QStringLiteral("A remote motion stops when no new motion message comes for "
                                     "this many milliseconds (default 500)."),
                      QStringLiteral("MS")});
}

std::optional<RemoteOptions> RemoteOptions::read(const QCommandLineParser& parser, QString* error)
{
    auto fail = [error](const QString& text) -> std::optional<RemoteOptions> {
        if (error)
            *error = text;
        return std::nullopt;
    };
    RemoteOptions options;
    if (parser.isSet(QStringLiteral("osc"))) {
        bool ok = false;
        const QString text = parser.value(QStringLiteral("osc"));
        const uint port = text.toUInt(&ok);
        if (!ok || port < 1 || port > 65535)
            return fail(QStringLiteral("--osc %1: the port must be a number from 1 to 65535.").arg(text));
        options.port = quint16(port);
    }
    if (parser.isSet(QStringLiteral("osc-bind"))) {
        const QString text = parser.value(QStringLiteral("osc-bind")).trimmed();
        QHostAddress address;
        if (!address.setAddress(text))
            return fail(QStringLiteral("--osc-bind %1: not an IP address (127.0.0.1 for this computer "
                                       "only, 0.0.0.0 for the network).")
                            .arg(text));
        options.bind = address.toString();
    }
    if (parser.isSet(QStringLiteral("osc-hold-ms"))) {
        bool ok = false;
        const QString text = parser.value(QStringLiteral("osc-hold-ms"));
        const int ms = text.toInt(&ok);
        if (!ok || ms < kMinHoldMs || ms > kMaxHoldMs)
            return fail(QStringLiteral("--osc-hold-ms %1: the hold must be a whole number of "
                                       "milliseconds from %2 to %3.")
                            .arg(text)
                            .arg(kMinHoldMs)
                            .arg(kMaxHoldMs));
        options.holdMs = ms;
    }
    return options;
}

RemoteAccess readRemoteAccess(const PanelSettings& settings)
{
    RemoteAccess access;
    auto text = [&settings](const char* key) { return settings.value(QLatin1String(key)).toString().trimmed(); };
    if (auto on = PanelSettings::parseBool(text("RemoteControl")))
        access.on = *on;
    bool ok = false;
    const uint port = text("RemotePort").toUInt(&ok);
    if (ok && port >= 1 && port <= 65535)
        access.port = quint16(port);
    const QHostAddress bind(text("RemoteBind"));
    if (!bind.isNull())
        access.bind = bind.toString();
    // Written by hand with commas, the INI store reads the line as a list.
    const QVariant allowed = settings.value(QStringLiteral("RemoteAllowed"));
    const QString allowedText = allowed.typeId() == QMetaType::QStringList ? allowed.toStringList().join(QLatin1Char(' '))
                                                                             : allowed.toString();
    for (const QString& entry : splitAllowed(allowedText)) {
        if (!allowedEntryError(entry))
            access.allowed << entry;
    }
    return access;
}

void saveRemoteAccess(PanelSettings& settings, const RemoteAccess& access)
{
    settings.setValue(QStringLiteral("RemoteControl"), PanelSettings::boolText(access.on));
    settings.setValue(QStringLiteral("RemotePort"), QString::number(access.port));
    settings.setValue(QStringLiteral("RemoteBind"), access.bind);
    settings.setValue(QStringLiteral("RemoteAllowed"), access.allowed.join(QLatin1Char(' ')));
}

} // namespace peltro
