#include "startup.h"

#include "frm_main.h"
#include "message_service.h"
#include "startup_windows.h"
#include "twips.h"
#include "waits.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QMenuBar>
#include <QScreen>
#include <QPushButton>
#include <QTimer>

namespace peltro {

Startup::Startup(FrmMain& main, PanelSettings& settings, PanTiltFlags& panTilt, QObject* parent)
    : QObject(parent), m_main(main), m_settings(settings), m_panTilt(panTilt)
{
    connect(&m_main, &FrmMain::unloading, this, &Startup::saveAndEnd);
    connect(m_main.action(QStringLiteral("ComSetting")), &QAction::triggered, this, &Startup::openComSetting);
}

Startup::~Startup()
{
    destroyJobs();
    delete m_info;
    delete m_open;
}

Task<void> Startup::waitOneSecond(const QString& pollText)
{
    if (!pollText.isEmpty())
        m_info->setSubtitle(pollText);
    co_await m_main.session().pause(1.0);
}

Task<bool> Startup::interfaceCheck(bool& opened)
{
    // Before a port has been chosen the port keeps its initial configuration.
    CameraSession& session = m_main.session();
    const std::optional<int> com = m_com.portNumber != 0 ? std::optional<int>(m_com.portNumber) : std::nullopt;
    opened = session.link().openPort(com, m_com.speedText);
    m_info->setSubtitle(QStringLiteral("Interface Clear Start"));
    m_info->advance();
    co_await waitOneSecond(QStringLiteral("Interface Clear Start-Wait 1sec "));
    m_info->setSubtitle(QStringLiteral("Interface Clear Start"));
    m_info->advance();
    const bool answered = co_await session.interfaceClearAnswered();
    m_info->advance();
    co_return answered;
}

namespace {

// The operator's answer in the Com Setting dialog, or, when the seconds are
// up first, a turn to try the last port and speed again. A line under the
// buttons counts down to that.
class ComAnswer final : public WaitBase {
public:
    enum Outcome { Confirmed, Closed, TryAgain };
    ComAnswer(FrmOpen& dialog, Clock& clock, int seconds, QString what)
        : m_dialog(dialog), m_tick(clock), m_left(seconds), m_what(std::move(what))
    {
    }
    ~ComAnswer() override
    {
        for (const auto& c : m_connections)
            QObject::disconnect(c);
    }
    Outcome await_resume() const { return m_outcome; }

private:
    void start() override
    {
        m_connections << QObject::connect(&m_dialog, &FrmOpen::confirmed, &m_dialog, [this] { end(Confirmed); })
                      << QObject::connect(&m_dialog, &FrmOpen::closedWithoutOk, &m_dialog, [this] { end(Closed); })
                      << QObject::connect(&m_tick, &ClockTimer::timeout, &m_dialog, [this] {
                             if (--m_left <= 0)
                                 end(TryAgain);
                             else
                                 countDown();
                         });
        countDown();
    }
    void countDown()
    {
        m_dialog.lblRetry->setText(QStringLiteral("Trying %1 again in %2 s.").arg(m_what).arg(m_left));
        m_tick.start(1.0);
    }
    void end(Outcome outcome)
    {
        m_tick.stop();
        for (const auto& c : m_connections)
            QObject::disconnect(c);
        m_connections.clear();
        m_outcome = outcome;
        finish();
    }

    FrmOpen& m_dialog;
    ClockTimer m_tick;
    int m_left;
    QString m_what;
    Outcome m_outcome = Closed;
    QList<QMetaObject::Connection> m_connections;
};

} // namespace

Task<Startup::ComOutcome> Startup::setcom()
{
    // The operator's turn; meanwhile the port and speed last tried are
    // tried again every few seconds, for a post whose cameras come later.
    CameraSession& session = m_main.session();
    Link& link = session.link();
    m_portDialogDone = false;
    m_open->show();
    m_open->raise();
    m_open->activateWindow();
    for (;;) {
        const QString what = QStringLiteral("Com %1 at %2 bps").arg(link.commPort()).arg(link.baudRate());
        const ComAnswer::Outcome outcome = co_await ComAnswer(*m_open, session.clock(), kRetrySeconds, what);
        m_open->lblRetry->clear();
        if (outcome == ComAnswer::Confirmed) {
            m_com.portNumber = m_open->selectedPort();
            m_com.speedText = m_open->selectedSpeed();
            m_portDialogDone = true;
            co_return ComOutcome::Chosen;
        }
        if (outcome == ComAnswer::Closed) {
            m_aborted = true;
            co_return ComOutcome::Closed;
        }
        bool opened = false;
        m_open->lblRetry->setText(QStringLiteral("Trying %1 again now.").arg(what));
        if (co_await interfaceCheck(opened)) {
            m_open->hide();
            co_return ComOutcome::Answered;
        }
        link.closePort();
    }
}

Task<void> Startup::addressAssignment()
{
    m_info->setSubtitle(QStringLiteral("Address Set Start"));
    m_info->advance();
    const std::optional<int> count = co_await m_main.session().assignAddresses([this] { m_info->advance(); });
    if (!count)
        co_return;
    // The Select menu shows the chain's cameras (the session has said how
    // many), one progress step for each item looked at.
    for (int i = 1; i <= 7 + *count; ++i)
        m_info->advance();
    m_main.checkCamera(1);
}

Task<void> Startup::versionCheck()
{
    m_info->setSubtitle(QStringLiteral("Camera Version Check Start"));
    m_info->advance();
    const std::optional<Identity> id = co_await m_main.session().checkVersion([this] { m_info->advance(); });
    // The steps of identification: the family, and the third pan/tilt model's panel.
    if (id && id->family == Family::Quorin) {
        m_info->advance();
        m_info->advance();
        if (id->model == kModelP3) {
            m_info->advance();
            m_info->advance();
        }
    }
}

void Startup::applyPlacement(const Placement& p)
{
    // The saved place is the frame's corner and the size the client's.
    QRect placed = twips::toRect(p.left, p.top, p.width, p.height);
    // Never less than the whole panel: its menu bar and every frame.
    placed.setSize(placed.size().expandedTo(
        QSize(m_main.canvas()->width(), m_main.menuBar()->sizeHint().height() + m_main.canvas()->height())));
    // The main window has not been shown yet: the window system's frame is
    // taken to be that of the progress window, which it has shown.
    QMargins frame;
    if (m_info && m_info->isVisible()) {
        const QRect outer = m_info->frameGeometry();
        const QRect inner = m_info->geometry();
        frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                         outer.bottom() - inner.bottom());
    }
    // A placement made on a larger screen, or one that is gone (or nonsense
    // in the settings file), would put part of the panel out of reach: the
    // whole window is kept on the screen's free area.
    const QScreen* screen = QGuiApplication::screenAt(placed.topLeft());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        QRect outer(placed.topLeft(), placed.size().grownBy(frame).boundedTo(area.size()));
        outer.moveLeft(qMax(area.left(), qMin(outer.left(), area.right() + 1 - outer.width())));
        outer.moveTop(qMax(area.top(), qMin(outer.top(), area.bottom() + 1 - outer.height())));
        placed = QRect(outer.topLeft(), outer.size().shrunkBy(frame));
    }
    m_main.move(placed.topLeft());
    m_main.resize(placed.size());
}

void Startup::start()
{
    run();
}

Job Startup::run()
{
    m_running = true;
    CameraSession& session = m_main.session();
    Link& link = session.link();

    // 1
    session.beginStartup();
    m_main.timer2->stop();
    m_main.hide();

    // 2
    if (!m_info)
        m_info = new FrmInfo;
    m_info->lbTitle->setText(QStringLiteral("Initialize"));
    m_info->lbSubtitle->clear();
    m_info->setProgress(1);
    m_info->showNow();

    // 3: the link loop
    bool opened = false;
    bool answered = co_await interfaceCheck(opened);
    while (!answered) {
        link.closePort();
        m_info->hide();
        if (!m_open)
            m_open = new FrmOpen([&link](int com) { return link.describe(com); });
        // The Com that was tried: before the operator has chosen one, the
        // port's own first one.
        QString failure = QStringLiteral("IF_Clear Error\r\nPort = %1").arg(link.commPort());
        // Why the port did not open, or why it failed at once (a device
        // server that cannot open its own serial device drops the connection).
        if (!opened || !link.portError().isEmpty())
            failure += QStringLiteral("\r\n") + link.portError();
        else
            failure += QStringLiteral("\r\nNo answer to the interface clear within one second: check the Com, "
                                      "the speed, the cable and the cameras' power.");
        m_open->lblDBG0->setText(failure);
        m_open->refreshDevices();
        const ComOutcome outcome = co_await setcom();
        if (outcome == ComOutcome::Closed) {
            m_info->hide();
            m_running = false;
            Q_EMIT finished(false);
            co_return;
        }
        m_info->setSubtitle(QStringLiteral("Com Port Setting Restart"));
        m_info->setProgress(3);
        m_info->showNow();
        // Tried again by itself, the port answered already.
        answered = outcome == ComOutcome::Answered || co_await interfaceCheck(opened);
    }

    // 4
    m_info->setSubtitle(QStringLiteral("Interface Clear End"));
    m_info->advance();

    // 5
    applyPlacement(m_settings.readPlacement());
    m_settings.readPanTiltFlags(m_panTilt);

    // 6
    for (int address = 0; address <= 8; ++address)
        session.titleRow(address).fill(27);
    m_main.active->setText(QStringLiteral("1"));

    // 7
    fillStartupLabels(m_main.labels);

    // 8
    // The speed in force, also when none was chosen and the port kept its
    // initial configuration.
    m_main.baudRateText->setText(QString::number(link.baudRate()));

    // 9, 10
    co_await addressAssignment();
    co_await versionCheck();

    // 11
    m_main.control<QPushButton>(QStringLiteral("DZoomX"))->setText(QStringLiteral("X1"));
    session.endStartup();

    // 12
    m_info->setSubtitle(QStringLiteral("Camera Staus Check Start"));
    m_info->advance();
    co_await session.statusReadDone();

    // 13
    while (m_info->progressBar1->value() < 100)
        m_info->advance();
    co_await waitOneSecond({});

    // 14
    delete m_info;
    delete m_open;
    m_main.timer2->start();

    // 15, 16
    m_main.show();
    m_running = false;
    Q_EMIT mainShown();
    Q_EMIT finished(true);
}

void Startup::openComSetting()
{
    if (m_open) {   // open already (or still in start-up's hands)
        m_open->raise();
        m_open->activateWindow();
        return;
    }
    Link& link = m_main.session().link();
    auto* dialog = new FrmOpen([&link](int com) { return link.describe(com); }, &m_main);
    m_open = dialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->offerCancel(link.commPort(), link.baudRate());
    connect(dialog, &FrmOpen::confirmed, this, [this, dialog] {
        m_com = {dialog->selectedPort(), dialog->selectedSpeed()};
        dialog->close();
        CameraSession& session = m_main.session();
        session.changePort(m_com.portNumber, m_com.speedText);
        m_main.baudRateText->setText(QString::number(session.link().baudRate()));
    });
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void Startup::saveAndEnd()
{
    m_panTilt.mainClosing = true;
    // Unload the other windows, newest first.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        QWidget* w = *it;
        if (w != &m_main && w->isVisible())
            w->close();
    }
    std::optional<Placement> placement;
    if (!m_main.isMinimized()) {
        placement = Placement{twips::fromPixels(m_main.x()), twips::fromPixels(m_main.y()),
                              twips::fromPixels(m_main.width()), twips::fromPixels(m_main.height())};
    }
    m_settings.save(placement, m_panTilt, m_com);
    Q_EMIT ended();
}

} // namespace peltro
