// Start-up on a real X server (run under xvfb-run with the xcb platform):
// what the screen shows while start-up keeps the event loop busy. The
// offscreen platform cannot show this; the X server's own framebuffer can.
#include "frm_main.h"
#include "message_service.h"
#include "panel_settings.h"
#include "rigs.h"
#include "startup.h"
#include "startup_windows.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

using namespace peltro;
using namespace peltro::test;

namespace {

// Virtual time that lets the test look at the screen whenever start-up waits.
class WatchedClock final : public Clock {
public:
    double now() const override { return m_now; }
    void sleep(double seconds) override
    {
        if (onSleep)
            onSleep();
        if (seconds > 0)
            m_now += seconds;
    }
    std::function<void()> onSleep;

private:
    double m_now = 1000.0;
};

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

} // namespace

class TestStartupDisplay : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    }

    // Every step of start-up is on the screen while start-up waits for the
    // camera, and nothing but window-system events runs meanwhile.
    void everyStepIsOnScreen()
    {
        PanelState state;
        WatchedClock clock;
        RecordingMessageService messages;
        sim::SimChain chain(models({QStringLiteral("quorin-p3")}));
        chain.faults.replyDelay = 0.7;  // start-up waits for every answer
        sim::SimPort port(chain, clock);
        FrmMain main(state, port, clock, messages);
        QTemporaryDir dir;
        PanelSettings settings(dir.filePath(QStringLiteral("panel.ini")));
        StartupHooks hooks;
        std::unique_ptr<Startup> startup;
        QList<Shot> shots;
        auto lookOnce = [&] {
            FrmInfo* info = startup ? startup->info() : nullptr;
            if (!info || !info->isVisible())
                return;
            if (!shots.isEmpty() && shots.last().subtitle == info->lbSubtitle->text()
                && shots.last().progress == info->progressBar1->value())
                return;
            shots << look(*info);
        };
        clock.onSleep = lookOnce;
        hooks.identifyModel = [&](const QByteArray&, const std::function<void()>&) { lookOnce(); };

        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(1);
        int ticksDuringStartup = -1;
        hooks.readCameraStatus = [&] {
            lookOnce();
            ticksDuringStartup = ticks;
        };

        startup = std::make_unique<Startup>(main, settings, hooks);
        QVERIFY(startup->run());

        QStringList subtitles;
        for (const Shot& s : shots)
            if (!subtitles.contains(s.subtitle))
                subtitles << s.subtitle;
        for (const QString& step : {QStringLiteral("Interface Clear Start-Wait 1sec "), QStringLiteral("Interface Clear Start"),
                                    QStringLiteral("Address Set Start"), QStringLiteral("Camera Version Check Start"),
                                    QStringLiteral("Camera Staus Check Start")})
            QVERIFY2(subtitles.contains(step), qPrintable(subtitles.join('|')));
        for (const Shot& s : shots) {
            const QString what = QStringLiteral("\"%1\" at %2: %3 of the window as drawn, %4 ink pixels")
                                     .arg(s.subtitle)
                                     .arg(s.progress)
                                     .arg(s.sameFraction)
                                     .arg(s.subtitleInk);
            QVERIFY2(s.sameFraction > 0.99, qPrintable(what));
            QVERIFY2(s.subtitleInk > 20, qPrintable(what));
        }
        QCOMPARE(ticksDuringStartup, 0);  // no timer ran inside start-up
        QTRY_VERIFY(ticks > 0);            // and runs once start-up is over
    }
};

QTEST_MAIN(TestStartupDisplay)
#include "test_startup_display.moc"
