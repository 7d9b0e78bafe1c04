// Auto refresh on its own: what each event and hold does to the timer and
// to the toggle and "Refresh Once", starting from each state it can be in.
#include "refresh_machine.h"

#include <QMap>
#include <QSignalSpy>
#include <functional>
#include <vector>

#include <QtTest>

using namespace peltro;

namespace {

// "Auto 1 2000 10": caption, timer running, interval, the toggle and
// "Refresh Once" usable.
QString seen(const RefreshMachine& m)
{
    return QStringLiteral("%1 %2 %3 %4%5")
        .arg(m.caption())
        .arg(int(m.timer().isActive()))
        .arg(m.timer().interval())
        .arg(int(m.toggleEnabled()))
        .arg(int(m.refreshOnceEnabled()));
}

// The machine and the window holds a script has taken.
struct Scripted {
    RefreshMachine machine;
    std::vector<RefreshHold> holds;
    void release(RefreshHold::Closing closing)
    {
        holds.back().setClosing(closing);
        holds.pop_back();
    }
};

using Step = std::function<void(Scripted&)>;

const QMap<QString, Step>& steps()
{
    using C = RefreshHold::Closing;
    static const QMap<QString, Step> s{
        {"toggle", [](Scripted& c) { c.machine.toggleAuto(); }},
        {"suspend", [](Scripted& c) { c.machine.commandGoing(); }},
        {"resume", [](Scripted& c) { c.machine.commandFinished(); }},
        {"preset", [](Scripted& c) { c.machine.presetEnded(); }},
        {"read", [](Scripted& c) { QVERIFY(c.machine.admitRead()); }},
        {"delay6000", [](Scripted& c) { c.machine.readOnceAfter(6000); }},
        {"powerSlow", [](Scripted& c) { c.machine.powerOn(true); }},
        {"power", [](Scripted& c) { c.machine.powerOn(false); }},
        {"alarm", [](Scripted& c) { c.machine.alarmDetected(); }},
        {"error", [](Scripted& c) { c.machine.readFailed(); }},
        {"press", [](Scripted& c) { c.machine.sliderPressed(); }},
        {"releaseSlider", [](Scripted& c) { c.machine.sliderReleased(true); }},
        {"hold", [](Scripted& c) { c.holds.push_back(c.machine.holdForWindow(C::ResumeIfAuto)); }},
        {"holdTimers", [](Scripted& c) { c.holds.push_back(c.machine.holdForWindow(C::ResumeIfAuto, false)); }},
        {"release", [](Scripted& c) { c.release(C::ResumeIfAuto); }},
        {"releaseAlarm",
         [](Scripted& c) {
             c.machine.setAlarmOn(true);
             c.release(C::StopIfAlarm);
         }},
        {"releaseStop", [](Scripted& c) { c.release(C::Stop); }},
        {"noBlocks", [](Scripted& c) { c.machine.noStatusBlocks(); }},
        {"forget", [](Scripted& c) { c.machine.forgetDelayedRead(); }},
        {"lost", [](Scripted& c) { c.machine.setLinkLost(true); }},
        {"back", [](Scripted& c) { c.machine.setLinkLost(false); }},
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
        // Powering on: with auto refresh on the next reads are skipped;
        // off, one read follows the command's finish after the start-up time.
        QTest::newRow("power on while running") << "toggle powerSlow" << "Auto 0 2000 00";
        QTest::newRow("power on while stopped") << "powerSlow" << "Stop 0 6000 11";
        QTest::newRow("... read after its finish") << "power resume" << "Stop 1 2000 11";
        QTest::newRow("read error while suspended") << "toggle suspend error" << "Stop 0 2000 11";
        QTest::newRow("alarm while suspended") << "toggle suspend alarm" << "Stop 0 2000 11";
        QTest::newRow("alarm while stopped") << "alarm" << "Stop 0 2000 11";
        QTest::newRow("slider press pauses") << "toggle press" << "Auto 0 2000 10";
        QTest::newRow("a command after the press") << "toggle press suspend resume" << "Auto 1 2000 10";
        QTest::newRow("the slider let go") << "toggle press releaseSlider" << "Auto 1 2000 10";
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
        // Some windows stop the timer but leave the toggle alone.
        QTest::newRow("timers only") << "toggle holdTimers" << "Auto 0 2000 10";
        QTest::newRow("... released") << "toggle holdTimers release" << "Auto 1 2000 10";
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
        Scripted r;
        for (const QString& step : script.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            steps().value(step)(r);
        QCOMPARE(seen(r.machine), expected);
    }

    // A hold ends with its token, whoever forgets to release it.
    void holdEndsWithItsToken()
    {
        RefreshMachine m;
        m.toggleAuto();
        {
            RefreshHold hold = m.holdForWindow(RefreshHold::Closing::ResumeIfAuto);
            RefreshHold moved = std::move(hold);
            QVERIFY(!hold.isHeld() && moved.isHeld());
            QCOMPARE(seen(m), QStringLiteral("Auto 0 2000 00"));
        }
        QCOMPARE(seen(m), QStringLiteral("Auto 1 2000 10"));
        RefreshHold stop = m.holdForWindow(RefreshHold::Closing::Stop);
        stop.release();
        stop.release();   // once
        QCOMPARE(seen(m), QStringLiteral("Stop 0 2000 11"));
    }

    void skipCount()
    {
        RefreshMachine m;
        m.presetEnded();
        QCOMPARE(m.skipCount(), 2);
        m.skipOneMore();
        QVERIFY(!m.admitRead() && !m.admitRead() && !m.admitRead());
        QVERIFY(m.admitRead());
        for (int i = 0; i < 300; ++i)
            m.skipOneMore();   // an 8-bit count: more is not provided for
        QCOMPARE(m.skipCount(), 255);
    }

    void ticksAskForTheRead()
    {
        RefreshMachine m;
        QSignalSpy due(&m, &RefreshMachine::readDue);
        QSignalSpy changed(&m, &RefreshMachine::changed);
        m.toggleAuto();
        QCOMPARE(changed.size(), 1);
        QCOMPARE(m.timer().objectName(), QStringLiteral("Timer1"));
        QMetaObject::invokeMethod(&m.timer(), "timeout", Qt::DirectConnection);
        QCOMPARE(due.size(), 1);
        QVERIFY(m.timer().isActive());   // the timer keeps going
    }

    void refreshErrorIsToldOnce()
    {
        RefreshMachine m;
        QSignalSpy warnings(&m, &RefreshMachine::readErrorWarning);
        m.toggleAuto();
        m.readFailed();
        m.readFailed();   // a second failing read before the operator answered
        QCOMPARE(warnings.size(), 1);
        m.errorWarningClosed();
        m.toggleAuto();
        m.readFailed();
        QCOMPARE(warnings.size(), 2);
        QCOMPARE(m.caption(), QStringLiteral("Stop"));
    }
};

QTEST_GUILESS_MAIN(TestRefresh)
#include "test_refresh.moc"
