#pragma once

// The panel put together over a real serial device, and a simulated chain
// served on a pseudo-terminal from a thread of its own, for the benchmarks.
#include "clock.h"
#include "frm_main.h"
#include "message_service.h"
#include "panel_app.h"
#include "panel_settings.h"
#include "serial_port_object.h"
#include "sim_chain.h"
#include "sim_pty.h"

#include <QEventLoop>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>

namespace peltro {

struct Assembly {
    explicit Assembly(const QStringList& devices) : serial(devices), app(serial, clock, messages, settings) {}
    PortObject& port() { return serial; }
    Link& link() { return app.session.link(); }
    CameraSession& session() { return app.session; }
    // What start-up leaves behind before the first status read.
    void prepare() { fillStartupLabels(app.main.labels); }

    SteadyClock clock;
    RecordingMessageService messages;
    SerialPortObject serial;
    QTemporaryDir settingsDir;
    PanelSettings settings{settingsDir.filePath(QStringLiteral("settings.ini"))};
    PanelApp app;
};

class SimServerThread {
public:
    SimServerThread(const QStringList& models, int baud)
    {
        QSemaphore ready;
        m_thread = QThread::create([this, models, baud, &ready] {
            auto chain = sim::SimChain::fromNames(models, nullptr);
            sim::PtyServer server(*chain);
            server.pace = true;
            server.baud = baud;
            server.start(nullptr);
            m_server = &server;
            m_path = server.devicePath();
            QEventLoop loop;
            QObject::connect(QThread::currentThread(), &QThread::finished, &loop, &QEventLoop::quit);
            m_loop = &loop;
            ready.release();
            loop.exec();  // until stopped
            m_server = nullptr;
        });
        m_thread->start();
        ready.acquire();
    }
    ~SimServerThread()
    {
        QMetaObject::invokeMethod(m_loop, &QEventLoop::quit, Qt::QueuedConnection);
        m_thread->wait();
        delete m_thread;
    }
    QString devicePath() const { return m_path; }
    qint64 bytesExchanged() const { return m_server ? m_server->bytesReceived + m_server->bytesSent : 0; }

private:
    QThread* m_thread = nullptr;
    QEventLoop* m_loop = nullptr;
    sim::PtyServer* m_server = nullptr;
    QString m_path;
};

} // namespace peltro
