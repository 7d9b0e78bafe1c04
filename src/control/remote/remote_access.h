#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

class QCommandLineParser;

namespace peltro {

class PanelSettings;

// Who may drive the cameras over OSC: off by default; when on, a UDP port on
// this computer only (127.0.0.1) or on the network (0.0.0.0), and an optional
// list of allowed senders (addresses or subnets). Saved with the settings.
struct RemoteAccess {
    static constexpr quint16 kDefaultPort = 9000;
    static QString thisComputer() { return QStringLiteral("127.0.0.1"); }
    static QString network() { return QStringLiteral("0.0.0.0"); }

    bool on = false;
    quint16 port = kDefaultPort;     // 0: any free port (tests)
    QString bind = thisComputer();
    QStringList allowed;             // empty: every sender that reaches the port

    bool operator==(const RemoteAccess&) const = default;
};

// The allowed senders as typed: addresses or subnets separated by commas,
// spaces or new lines.
QStringList splitAllowed(const QString& text);
// Why an entry is not an address or subnet, in words; nothing when it is one.
std::optional<QString> allowedEntryError(const QString& entry);

// Decides whether a sender may drive the cameras.
class SenderFilter {
public:
    SenderFilter() = default;
    // Entries that are not addresses or subnets are left out.
    explicit SenderFilter(const QStringList& allowed);
    bool allows(const QHostAddress& sender) const;
    bool everyone() const { return m_subnets.isEmpty(); }

private:
    QList<std::pair<QHostAddress, int>> m_subnets;
};

// The access saved with the other settings: "RemoteControl", "RemotePort",
// "RemoteBind" and "RemoteAllowed", written when the operator changes it. A
// stored value that cannot be read leaves the default.
RemoteAccess readRemoteAccess(const PanelSettings& settings);
void saveRemoteAccess(PanelSettings& settings, const RemoteAccess& access);

// --osc PORT, --osc-bind ADDRESS, --osc-hold-ms MS.
struct RemoteOptions {
    static constexpr int kDefaultHoldMs = 500;
    static constexpr int kMinHoldMs = 50;
    static constexpr int kMaxHoldMs = 60000;

    std::optional<quint16> port;     // --osc: remote control on, on this port
    std::optional<QString> bind;     // --osc-bind
    int holdMs = kDefaultHoldMs;

    // The saved access with the command line's choices over it.
    RemoteAccess over(RemoteAccess saved) const;

    static void addTo(QCommandLineParser& parser);
    // The options as given, or why they cannot be used, in words.
    static std::optional<RemoteOptions> read(const QCommandLineParser& parser, QString* error);
};

} // namespace peltro
