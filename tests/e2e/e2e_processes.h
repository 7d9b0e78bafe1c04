#pragma once

// The built programs as processes: peltro-sim with its packet log, the panel
// with its log of the link's state, and Debian's ser2net as a serial device
// server in front of the simulator's terminal.
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace e2e {

// peltro-sim: "<- 88 01 00 01 FF" for what it received, "-> ..." for its answers.
struct Sim {
    QProcess process;
    QString device;
    QStringList seen;

    bool start(const QStringList& args)
    {
        process.start(QStringLiteral(PELTRO_SIM), QStringList{QStringLiteral("--log")} + args);
        if (!process.waitForStarted() || !process.waitForReadyRead(10000))
            return false;
        device = QString::fromLocal8Bit(process.readLine()).trimmed();
        return device.startsWith(QStringLiteral("/dev/pts/"));
    }
    void take()
    {
        while (process.canReadLine())
            seen << QString::fromLocal8Bit(process.readLine()).trimmed();
    }
    // Waits (at most ms) until the simulator has answered packet.
    bool waitForAnswerTo(const QString& packet, int from = 0, int ms = 20000)
    {
        QDeadlineTimer deadline(ms);
        for (;;) {
            take();
            const int at = seen.indexOf(QStringLiteral("<- ") + packet, from);
            if (at >= 0 && at + 1 < seen.size() && seen.at(at + 1).startsWith(QLatin1String("-> ")))
                return true;
            if (deadline.hasExpired() || process.state() != QProcess::Running)
                return false;
            process.waitForReadyRead(100);
        }
    }
    // The packets received from index from on.
    QStringList received(int from = 0) const
    {
        QStringList out;
        for (int i = from; i < seen.size(); ++i)
            if (seen.at(i).startsWith(QLatin1String("<- ")))
                out << seen.at(i).mid(3);
        return out;
    }
    bool stop()
    {
        if (process.state() == QProcess::NotRunning)
            return true;
        ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        return process.waitForFinished(10000);
    }
    ~Sim() { stop(); }
};

// peltro-panel on the offscreen platform, its settings in dir.
struct Panel {
    QProcess process;
    QString log;  // what it wrote on stderr

    bool start(const QTemporaryDir& dir, const QStringList& ports, const QStringList& more = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        process.setProcessEnvironment(env);
        QStringList args;
        for (const QString& p : ports)
            args << QStringLiteral("--port") << p;
        process.start(QStringLiteral(PELTRO_PANEL), args + more);
        return process.waitForStarted();
    }
    // Waits (at most ms) for a line of its log that starts with text; the
    // whole line, or nothing.
    QString waitForLine(const QString& text, int ms = 10000)
    {
        QDeadlineTimer deadline(ms);
        for (;;) {
            log += QString::fromLocal8Bit(process.readAllStandardError());
            const QStringList lines = log.split(QLatin1Char('\n'));
            for (const QString& line : lines)
                if (line.startsWith(text))
                    return line;
            if (deadline.hasExpired() || process.state() != QProcess::Running)
                return {};
            process.waitForReadyRead(50);
        }
    }
    ~Panel()
    {
        process.terminate();
        process.waitForFinished(10000);
    }
};

// A port on 127.0.0.1 that nobody listens on just now.
inline quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

inline bool listening(quint16 port)
{
    QFile tcp(QStringLiteral("/proc/net/tcp"));
    if (!tcp.open(QIODevice::ReadOnly))
        return false;
    // "  0: 0100007F:1F90 00000000:0000 0A ..." (0A: listening)
    const QRegularExpression row(QStringLiteral("^\\s*\\d+: [0-9A-F]{8}:([0-9A-F]{4}) [0-9A-F]{8}:[0-9A-F]{4} 0A "));
    for (const QByteArray& line : tcp.readAll().split('\n')) {
        const auto m = row.match(QString::fromLatin1(line));
        if (m.hasMatch() && m.captured(1).toUShort(nullptr, 16) == port)
            return true;
    }
    return false;
}

// ser2net 4 serving device raw on 127.0.0.1:port: 9600 8N1, no telnet, no
// modem lines; a new connection takes over from a stale one.
struct Ser2net {
    QProcess process;
    QString config;

    static QString yaml(const QString& device, quint16 port)
    {
        return QStringLiteral("%YAML 1.1\n"
                              "---\n"
                              "connection: &camera\n"
                              "    accepter: tcp,127.0.0.1,%1\n"
                              "    enable: on\n"
                              "    options:\n"
                              "      kickolduser: true\n"
                              "      chardelay: false\n"
                              "    connector: serialdev,%2,9600n81,local\n")
            .arg(port)
            .arg(device);
    }
    // false when it did not come up listening within five seconds
    bool start(const QTemporaryDir& dir, const QString& device, quint16 port)
    {
        config = dir.filePath(QStringLiteral("ser2net.yaml"));
        QFile f(config);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        f.write(yaml(device, port).toUtf8());
        f.close();
        // foreground, no UUCP lock files, its pid file out of /run
        process.start(QStringLiteral(PELTRO_SER2NET),
                      {QStringLiteral("-n"), QStringLiteral("-u"), QStringLiteral("-c"), config, QStringLiteral("-P"),
                       dir.filePath(QStringLiteral("ser2net.pid"))});
        if (!process.waitForStarted())
            return false;
        QDeadlineTimer deadline(5000);
        while (!listening(port)) {
            if (deadline.hasExpired() || process.state() != QProcess::Running)
                return false;
            QThread::msleep(20);
        }
        return true;
    }
    bool stop()
    {
        if (process.state() == QProcess::NotRunning)
            return true;
        process.terminate();
        return process.waitForFinished(10000);
    }
    ~Ser2net() { stop(); }
};

// The simulator on a pseudo-terminal (dir/cam links to it) with ser2net in
// front of it on a free port of 127.0.0.1.
struct ServedChain {
    QTemporaryDir dir;
    QString cam = dir.filePath(QStringLiteral("cam"));
    Sim sim;
    Ser2net server;
    quint16 port = freePort();
    // chain: the simulator's --chain; more: its other options
    bool start(const QString& chain = QStringLiteral("quorin-p3"), const QStringList& more = {})
    {
        return sim.start(QStringList{QStringLiteral("--chain"), chain, QStringLiteral("--link"), cam} + more)
               && server.start(dir, cam, port);
    }
    QString address() const { return QStringLiteral("tcp://127.0.0.1:%1").arg(port); }
};

// What the panel sends from the first interface clear to the end of its
// status read of one QUORIN-P3 (the version asked again as the read begins).
inline QStringList startupExchange()
{
    return {
        QStringLiteral("88 01 00 01 FF"),    QStringLiteral("88 30 01 FF"),       QStringLiteral("81 09 00 02 FF"),
        QStringLiteral("81 09 00 02 FF"),    QStringLiteral("81 09 7E 7E 00 FF"), QStringLiteral("81 09 7E 7E 01 FF"),
        QStringLiteral("81 09 7E 7E 02 FF"), QStringLiteral("81 09 7E 7E 03 FF"), QStringLiteral("81 09 06 12 FF"),
        QStringLiteral("81 09 06 10 FF"),    QStringLiteral("81 09 06 11 FF"),
    };
}

// ... and after it has reopened a port that came back: the clear and the
// address set, then the status read with the model identified afresh.
inline QStringList returnExchange()
{
    QStringList e = startupExchange();
    e.removeAt(2);
    return e;
}

} // namespace e2e
