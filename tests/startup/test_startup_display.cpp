// Start-up on a real X server (run under xvfb-run with the xcb platform):
// what the screen shows while start-up keeps the event loop busy. The
// offscreen platform cannot show this; the X server's own framebuffer can.
#include "frm_main.h"
#include "message_service.h"
#include "panel_app.h"
#include "panel_settings.h"
#include "app_rig.h"
#include "startup.h"
#include "startup_windows.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <functional>

using namespace peltro;
using namespace peltro::test;

namespace {

// What the X server shows of the Information window at one moment, next to
// what the window itself would draw.
struct Shot {
    QString subtitle;
    int progress = 0;
    double sameFraction = 0.0;  // pixels on screen equal to the window's own rendering
    int subtitleInk = 0;        // pixels of the subtitle's area unlike the window background
};

int inkPixels(const QImage& image, QRgb background)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background)
                ++n;
    return n;
}

Shot look(FrmInfo& info)
{
    Shot s;
    s.subtitle = info.lbSubtitle->text();
    s.progress = info.progressBar1->value();
    const QImage screen =
        QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage shown = screen.copy(QRect(info.mapToGlobal(QPoint(0, 0)), info.size()));
    const QImage own = info.grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (shown.size() != own.size())
        return s;
    int same = 0;
    for (int y = 0; y < own.height(); ++y)
        for (int x = 0; x < own.width(); ++x)
            if (shown.pixel(x, y) == own.pixel(x, y))
                ++same;
    s.sameFraction = double(same) / (own.width() * own.height());
    const QRect label(info.lbSubtitle->mapTo(&info, QPoint(0, 0)), info.lbSubtitle->size());
    s.subtitleInk = inkPixels(shown.copy(label), own.pixel(0, 0));
    return s;
}

// Start-up over a chain that answers 0.7 s late, looking at the screen at
// every wait with a new step or progress on the Information window.
constexpr int kDisplayTurnMs = 40;

struct DisplayRig {
    DisplayRig()
        : chain(models({QStringLiteral("quorin-p3")})), port(chain, clock),
          settings(dir.filePath(QStringLiteral("panel.ini"))), app(port, clock, messages, settings), main(app.main)
    {
        chain.faults.replyDelay = 0.7;  // start-up waits for every answer
        port.close();                   // start-up opens it
        QObject::connect(&app.session, &CameraSession::identified, [this] { lookOnce(); });
        QObject::connect(&app.session, &CameraSession::statusRead, [this] {
            lookOnce();
            if (onStatusRead)
                onStatusRead();
        });
    }
    // Start-up to its end, looking at the screen at every turn of the loop
    // (and acting as the operator, when given) while it waits.
    bool run(const std::function<void()>& operatorTurn = {})
    {
        return runStartup(clock, port, app.startup, [this, operatorTurn] {
            lookOnce();
            if (operatorTurn)
                operatorTurn();
        });
    }
    void lookOnce()
    {
        FrmInfo* info = app.startup.info();
        if (!info || !info->isVisible())
            return;
        if (!shots.isEmpty() && shots.last().subtitle == info->lbSubtitle->text()
            && shots.last().progress == info->progressBar1->value())
            return;
        // Every step waits at least a reply's time with the loop turning: the
        // window system gets that long (or less) to put the step on screen.
        QTest::qWait(kDisplayTurnMs);
        shots << look(*info);
    }
    // Each shot showed the window as it draws itself, subtitle included.
    QString badShots() const
    {
        QStringList bad;
        for (const Shot& s : shots)
            if (s.sameFraction < 0.99 || s.subtitleInk < 20)
                bad << QStringLiteral("\"%1\" at %2: %3 of the window as drawn, %4 ink pixels")
                           .arg(s.subtitle)
                           .arg(s.progress)
                           .arg(s.sameFraction)
                           .arg(s.subtitleInk);
        return bad.join('\n');
    }
    bool seen(const QString& subtitle, int minProgress = 0) const
    {
        return std::any_of(shots.cbegin(), shots.cend(), [&](const Shot& s) {
            return s.subtitle == subtitle && s.progress >= minProgress;
        });
    }

    ManualClock clock;
    RecordingMessageService messages;
    sim::SimChain chain;
    sim::SimPort port;
    QTemporaryDir dir;
    PanelSettings settings;
    PanelApp app;
    FrmMain& main;
    std::function<void()> onStatusRead;   // start-up's status read has come in
    QList<Shot> shots;
};

} // namespace

class TestStartupDisplay : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    }

    // Every step of start-up is on the screen while start-up waits for the
    // camera, and the event loop goes on meanwhile.
    void everyStepIsOnScreen()
    {
        DisplayRig r;
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(1);
        int ticksDuringStartup = -1;
        r.onStatusRead = [&] {
            if (ticksDuringStartup < 0)
                ticksDuringStartup = ticks;
        };
        QVERIFY(r.run());

        for (const QString& step : {QStringLiteral("Interface Clear Start-Wait 1sec "), QStringLiteral("Interface Clear Start"),
                                    QStringLiteral("Address Set Start"), QStringLiteral("Camera Version Check Start"),
                                    QStringLiteral("Camera Staus Check Start")})
            QVERIFY2(r.seen(step), qPrintable(step));
        QVERIFY(r.seen(QStringLiteral("Camera Staus Check Start"), 100));
        QVERIFY2(r.badShots().isEmpty(), qPrintable(r.badShots()));
        QVERIFY(ticksDuringStartup > 0);  // timers ran while start-up waited
    }

    // The whole menu bar fits the window's fixed width on a real display:
    // no menu, the last one (Tools) included, hides behind an overflow arrow.
    void everyMenuInSight()
    {
        DisplayRig r;
        QVERIFY(r.run());  // the window placed as start-up leaves it
        r.main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&r.main));
        QMenuBar* bar = r.main.menuBar();
        for (QAction* item : bar->actions()) {
            item->setVisible(true);
            item->setEnabled(true);
        }
        bar->adjustSize();
        QCoreApplication::processEvents();
        for (QAction* item : bar->actions()) {
            const QRect at = bar->actionGeometry(item);
            QVERIFY2(!at.isEmpty() && at.right() < bar->width(), qPrintable(item->text()));
        }
    }

    // Shown again after the operator chose another port: on screen at once.
    void shownAgainAfterComSetting()
    {
        DisplayRig r;
        r.port.chainComPort = 3;
        bool chosen = false;
        QVERIFY(r.run([&] {
            FrmOpen* dlg = r.app.startup.comSetting();
            if (chosen || !dlg || !dlg->isVisible())
                return;
            chosen = true;
            dlg->comList1->setCurrentIndex(2);
            dlg->command1->click();
            r.lookOnce();   // the progress window is back at once
        }));
        QCOMPARE(r.port.commPort(), 3);
        // the bar restarts from 3 and goes on from there, on screen
        QVERIFY(r.seen(QStringLiteral("Interface Clear Start-Wait 1sec "), 4));
        QVERIFY2(r.badShots().isEmpty(), qPrintable(r.badShots()));
    }
};

QTEST_MAIN(TestStartupDisplay)
#include "test_startup_display.moc"
