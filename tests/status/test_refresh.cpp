// The refresh controller on its own: what each operation does to the
// timer and the two buttons, starting from each state it can be in.
#include "rigs.h"

#include <QtTest>

using namespace peltro;
using namespace peltro::test;

namespace {

// "Auto 1 2000 10": caption, timer running, interval, AutoRefreshed and
// RefreshOnce enabled.
QString seen(LinkRig& r)
{
    return QStringLiteral("%1 %2 %3 %4%5")
        .arg(r.autoRefreshed.text())
        .arg(int(r.timer1.isActive()))
        .arg(r.timer1.interval())
        .arg(int(r.autoRefreshed.isEnabled()))
        .arg(int(r.refreshOnce.isEnabled()));
}

using Step = std::function<void(RefreshController&)>;

const QMap<QString, Step>& steps()
{
    static const QMap<QString, Step> s{
        {"toggle", [](RefreshController& c) { c.toggleAuto(); }},
        {"suspend", [](RefreshController& c) { c.suspendForCommand(); }},
        {"resume", [](RefreshController& c) { c.resumeAfterCommand(); }},
        {"preset", [](RefreshController& c) { c.resumeAfterPreset(); }},
        {"read", [](RefreshController& c) { c.beginRead(); }},
        {"delay6000", [](RefreshController& c) { c.readOnceAfterCommand(6000); }},
        {"skip3", [](RefreshController& c) { c.suspendAndSkip(3); }},
        {"alarm", [](RefreshController& c) { c.stopForAlarm(); }},
        {"error", [](RefreshController& c) { c.ARError(); }},
        {"press", [](RefreshController& c) { c.pauseForSlider(); }},
        {"hold", [](RefreshController& c) { c.holdForWindow(); }},
        {"release", [](RefreshController& c) { c.releaseWindow(RefreshController::Closing::ResumeIfAuto); }},
        {"releaseAlarm",
         [](RefreshController& c) { c.releaseWindow(RefreshController::Closing::StopIfAlarm, true); }},
        {"releaseStop", [](RefreshController& c) { c.releaseWindow(RefreshController::Closing::Stop); }},
        {"noBlocks", [](RefreshController& c) { c.noStatusToRead(); }},
        {"forget", [](RefreshController& c) { c.forgetDelayedRead(); }},
        {"lost", [](RefreshController& c) { c.holdForLostPort(); }},
        {"back", [](RefreshController& c) { c.releaseLostPort(); }},
    };
    return s;
}

} // namespace

class TestRefresh : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void transitions_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("expected");
        QTest::newRow("designed: stopped") << "" << "Stop 0 2000 11";
        QTest::newRow("running") << "toggle" << "Auto 1 2000 10";
        QTest::newRow("stopped again") << "toggle toggle" << "Stop 0 2000 11";
        QTest::newRow("a command suspends") << "toggle suspend" << "Auto 0 2000 00";
        QTest::newRow("its finish resumes") << "toggle suspend resume" << "Auto 1 2000 10";
        QTest::newRow("stopped: a command changes nothing") << "suspend resume" << "Stop 0 2000 11";
        QTest::newRow("delayed read armed") << "delay6000" << "Stop 0 6000 11";
        QTest::newRow("... due after the finish") << "delay6000 resume" << "Stop 1 6000 11";
        QTest::newRow("... used up by its read") << "delay6000 resume read" << "Stop 0 2000 11";
        QTest::newRow("running: no delayed read") << "toggle delay6000" << "Auto 1 2000 10";
        // Switching on while a delayed read is armed or due: the running
        // timer covers it, and the read that follows does not stop it.
        QTest::newRow("on over an armed read") << "delay6000 toggle read" << "Auto 1 2000 10";
        QTest::newRow("on over a due read") << "delay6000 resume toggle read" << "Auto 1 2000 10";
        QTest::newRow("power on while running") << "toggle skip3" << "Auto 0 2000 00";
        QTest::newRow("power on while stopped") << "skip3" << "Stop 0 2000 11";
        QTest::newRow("read error while suspended") << "toggle suspend error" << "Stop 0 2000 11";
        QTest::newRow("alarm while suspended") << "toggle suspend alarm" << "Stop 0 2000 11";
        QTest::newRow("alarm while stopped") << "alarm" << "Stop 0 2000 11";
        QTest::newRow("slider press pauses") << "toggle press" << "Auto 0 2000 10";
        QTest::newRow("a command after the press") << "toggle press suspend resume" << "Auto 1 2000 10";
        QTest::newRow("no status blocks") << "noBlocks" << "Stop 0 2000 10";
        QTest::newRow("... until stopped by the operator") << "noBlocks toggle toggle" << "Stop 0 2000 11";
        // A window that must not see a read holds the timer, whatever the
        // replies to its own commands resume, until its closing rule.
        QTest::newRow("window hold") << "toggle hold" << "Auto 0 2000 00";
        QTest::newRow("commands under the hold") << "toggle hold suspend resume resume" << "Auto 0 2000 00";
        QTest::newRow("released: running") << "toggle hold suspend resume release" << "Auto 1 2000 10";
        QTest::newRow("released while suspended") << "toggle suspend hold release" << "Auto 1 2000 10";
        QTest::newRow("released with the alarm on") << "toggle hold releaseAlarm" << "Stop 0 2000 11";
        QTest::newRow("released to stop") << "toggle hold releaseStop" << "Stop 0 2000 11";
        QTest::newRow("released while stopped") << "hold release" << "Stop 0 2000 11";
        QTest::newRow("two windows, one closes") << "toggle hold hold release" << "Auto 0 2000 00";
        QTest::newRow("delayed read under a hold") << "delay6000 hold resume" << "Stop 0 6000 01";
        QTest::newRow("delayed read forgotten") << "delay6000 hold resume forget release" << "Stop 0 2000 11";
        // A lost port holds the timer; the operator's choice stays his and
        // counts again when the port is back.
        QTest::newRow("port lost while running") << "toggle lost" << "Auto 0 2000 10";
        QTest::newRow("... back: running again") << "toggle lost back" << "Auto 1 2000 10";
        QTest::newRow("switched on while lost") << "lost toggle" << "Auto 0 2000 10";
        QTest::newRow("... back") << "lost toggle back" << "Auto 1 2000 10";
        QTest::newRow("switched off while lost") << "toggle lost toggle back" << "Stop 0 2000 11";
        QTest::newRow("a finish while lost") << "toggle suspend lost resume" << "Auto 0 2000 10";
        QTest::newRow("delayed read while lost") << "delay6000 lost resume" << "Stop 0 6000 11";
        QTest::newRow("... due when back") << "delay6000 lost resume back" << "Stop 1 6000 11";
        QTest::newRow("lost under a window hold") << "toggle hold lost back" << "Auto 0 2000 00";
    }

    void transitions()
    {
        QFETCH(QString, script);
        QFETCH(QString, expected);
        LinkRig r;
        for (const QString& step : script.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            steps().value(step)(r.refresh);
        QCOMPARE(seen(r), expected);
    }

    void skipCount()
    {
        LinkRig r;
        RefreshController& c = r.refresh;
        c.resumeAfterPreset();
        QCOMPARE(c.skipCount(), 2);
        c.skipOneMore();
        QVERIFY(c.takeSkip() && c.takeSkip() && c.takeSkip());
        QVERIFY(!c.takeSkip());
        c.skipTicks(255);
        c.skipOneMore();   // an 8-bit count: more is not provided for
        QCOMPARE(c.skipCount(), 255);
    }

    void ticksAskForTheRead()
    {
        LinkRig r;
        QSignalSpy due(&r.refresh, &RefreshController::readDue);
        r.refresh.toggleAuto();
        QMetaObject::invokeMethod(&r.timer1, "timeout", Qt::DirectConnection);
        QCOMPARE(due.size(), 1);
        QVERIFY(r.timer1.isActive());   // the timer keeps going
    }

    void refreshErrorIsShownOnce()
    {
        LinkRig r;
        r.messages.keepOpen = true;
        r.refresh.toggleAuto();
        r.refresh.ARError();
        r.refresh.ARError();   // a second failing read before the operator answered
        QCOMPARE(r.messages.openCount(), 1);
        r.messages.answerAll();
        r.refresh.toggleAuto();
        r.refresh.ARError();
        QCOMPARE(r.messages.boxes.size(), 2);
        QCOMPARE(r.autoRefreshed.text(), QStringLiteral("Stop"));
    }
};

QTEST_MAIN(TestRefresh)
#include "test_refresh.moc"
