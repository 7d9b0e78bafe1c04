#include "clock.h"

#include <QSignalSpy>
#include <QtTest>

using namespace peltro;

class TestClock : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Virtual time fires each deadline at its own time, in order, and only
    // when advanced: a blocking sleep lets no timer run.
    void virtualDeadlines()
    {
        ManualClock clock;
        ClockTimer late(clock), early(clock), stopped(clock);
        QList<std::pair<QString, double>> fired;
        connect(&late, &ClockTimer::timeout, this, [&] { fired.append({"late", clock.now()}); });
        connect(&early, &ClockTimer::timeout, this, [&] {
            fired.append({"early", clock.now()});
            early.start(0.5);   // re-armed from inside its own timeout
        });
        connect(&stopped, &ClockTimer::timeout, this, [&] { fired.append({"stopped", clock.now()}); });
        const double t0 = clock.now();
        late.start(2.0);
        early.start(0.25);
        stopped.start(0.1);
        stopped.stop();
        clock.sleep(1.0);
        QVERIFY(fired.isEmpty());
        QCOMPARE(clock.nextDue(), t0 + 0.25);
        clock.advance(1.5);   // now t0 + 2.5
        QCOMPARE(fired.size(), 5);
        QCOMPARE(fired[0].first, QStringLiteral("early"));
        QCOMPARE(fired[0].second, t0 + 1.0);   // overdue after the sleep: fired at once
        // A tie goes to the deadline armed first.
        QCOMPARE(fired[2].first, QStringLiteral("late"));
        QCOMPARE(fired[2].second, t0 + 2.0);
        QCOMPARE(fired[3].second, t0 + 2.0);
        QCOMPARE(fired[4].first, QStringLiteral("early"));
        QCOMPARE(fired[4].second, t0 + 2.5);
        QCOMPARE(clock.now(), t0 + 2.5);
        QVERIFY(early.isActive());
        QVERIFY(clock.advanceToNext());
        QCOMPARE(clock.now(), t0 + 3.0);
        early.stop();
        QVERIFY(!clock.advanceToNext());
        QCOMPARE(clock.nextDue(), -1.0);
    }

    void realDeadline()
    {
        SteadyClock clock;
        ClockTimer timer(clock);
        QSignalSpy spy(&timer, &ClockTimer::timeout);
        timer.start(0.02);
        QVERIFY(timer.isActive());
        QVERIFY(spy.wait(2000));
        QVERIFY(!timer.isActive());
        QVERIFY(clock.now() >= timer.due());
    }
};

QTEST_GUILESS_MAIN(TestClock)
#include "test_clock.moc"
