// Continuous motion asked of the session by a control surface goes through
// the camera's motion pacer, on the simulated chain paced at 9600 bps in
// virtual time: a stop is let in between two inquiries of a running status
// read, a new speed waits for the read's end, acknowledges reach the pacer
// (no stop is sent twice), and the read itself comes in whole.
#include "rigs.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

using namespace peltro;
using namespace peltro::test;

namespace {

using Outcome = CameraOperations::Outcome;

const QString kPanTiltStop = QStringLiteral("81 01 06 01 18 18 03 03 FF");
const QString kZoomStop = QStringLiteral("81 01 04 07 00 FF");
const QString kFocusStop = QStringLiteral("81 01 04 08 00 FF");
const QString kLastInquiry = QStringLiteral("81 09 7E 7E 03 FF");

// Every write with the virtual time it went out at.
struct Written {
    double at;
    QString bytes;
};

struct PacedSession : SessionRig {
    PacedSession() : SessionRig({QStringLiteral("quorin-p3")})
    {
        port.pace = true;
        startUp();
        QObject::connect(&link(), &Link::wrote, [this](const QByteArray& b) {
            log.append({clock.now(), hex(b)});
            line.append({true, hex(b)});
        });
        QObject::connect(&link(), &Link::received, [this](const QByteArray& b) { line.append({false, hex(b)}); });
    }
    // Runs the chain for this long in virtual time.
    void runFor(double seconds)
    {
        const double end = clock.now() + seconds;
        settle(seconds);
        if (clock.now() < end) {
            clock.advance(end - clock.now());
            port.deliverDue();
            pump();
        }
    }
    int indexOf(const QString& bytes, int from = 0) const
    {
        for (int i = from; i < log.size(); ++i)
            if (log.at(i).bytes == bytes)
                return i;
        return -1;
    }
    QStringList written() const
    {
        QStringList out;
        for (const Written& w : log)
            out << w.bytes;
        return out;
    }
    // Where a stop went in the order of the line: after an inquiry whose
    // answer had come in whole, and before the next inquiry. Empty when so.
    QString misplaced(const QString& stop) const
    {
        for (int i = 0; i < line.size(); ++i) {
            if (!line.at(i).out || line.at(i).bytes != stop)
                continue;
            int before = i - 1;
            QString answered;
            for (; before >= 0; --before) {
                const Traffic& t = line.at(before);
                if (!t.out)
                    answered.prepend(t.bytes + QLatin1Char(' '));
                else if (!isStop(t.bytes))
                    break;
            }
            int after = i + 1;
            while (after < line.size() && (!line.at(after).out || isStop(line.at(after).bytes)))
                ++after;
            if (before < 0 || !line.at(before).bytes.startsWith(QLatin1String("81 09")))
                return QStringLiteral("not after an inquiry");
            if (!QRegularExpression(QStringLiteral("90 50( [0-9A-F]{2})* FF")).match(answered).hasMatch())
                return QStringLiteral("inside the reply wait of ") + line.at(before).bytes;
            if (after >= line.size() || !line.at(after).bytes.startsWith(QLatin1String("81 09")))
                return QStringLiteral("not before an inquiry");
        }
        return {};
    }
    static bool isStop(const QString& bytes)
    {
        return bytes == kPanTiltStop || bytes == kZoomStop || bytes == kFocusStop;
    }
    QList<Written> log;
    struct Traffic {
        bool out;   // written; otherwise received
        QString bytes;
    };
    QList<Traffic> line;
};


} // namespace

class TestSessionPacing : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Asked while a status read holds the line: a stop goes within 50 ms,
    // between two of the read's inquiries; a new speed goes as soon as the
    // read has ended. Either way the read comes in whole.
    void motionDuringAStatusRead_data()
    {
        QTest::addColumn<bool>("stop");
        QTest::newRow("stop jumps the read") << true;
        QTest::newRow("speed waits for it") << false;
    }
    void motionDuringAStatusRead()
    {
        QFETCH(bool, stop);
        PacedSession r;
        QCOMPARE(r.session.panTilt(1, 5, 0, Surface::Gamepad), Outcome::Done);
        r.settle();
        QCOMPARE(r.written(), QStringList{QStringLiteral("81 01 06 01 05 01 02 03 FF")});

        QSignalSpy reads(&r.session, &CameraSession::statusRead);
        QSignalSpy failed(&r.session, &CameraSession::noAnswer);
        QVERIFY(r.session.readStatus());
        r.runFor(0.01);
        QVERIFY(r.session.busy());
        const double asked = r.clock.now();
        const int before = int(r.log.size());
        if (stop)
            QCOMPARE(r.session.stop(1, Surface::Gamepad), Outcome::Done);
        else
            QCOMPARE(r.session.panTilt(1, -7, 3, Surface::Gamepad), Outcome::Done);
        r.settle();
        QCOMPARE(reads.size(), 1);
        QCOMPARE(failed.size(), 0);

        const int end = r.indexOf(kLastInquiry, before);
        QVERIFY(end > before);
        if (stop) {
            const int at = r.indexOf(kPanTiltStop, before);
            QVERIFY2(at > 0 && at < end, qPrintable(r.written().join('\n')));
            QVERIFY2(r.log.at(at).at - asked <= 0.05, qPrintable(QString::number(r.log.at(at).at - asked)));
            // Each stop once (every one was acknowledged), each between two
            // of the read's inquiries, never inside an inquiry's reply wait.
            for (const QString& s : {kPanTiltStop, kZoomStop, kFocusStop}) {
                QCOMPARE(r.written().count(s), 1);
                QVERIFY2(r.misplaced(s).isEmpty(), qPrintable(s + QStringLiteral(": ") + r.misplaced(s)));
            }
            QVERIFY(!r.session.pacer(1).moving());
            QCOMPARE(r.session.pacer(1).waiting(), 0);
        } else {
            const QString drive = QStringLiteral("81 01 06 01 07 03 01 01 FF");
            const int at = r.indexOf(drive, before);
            QCOMPARE(at, end + 1);
            // One line time of the last answer after its inquiry at most.
            QVERIFY(r.log.at(at).at - r.log.at(end).at < 0.1);
        }
    }

    // A camera that answers late (after the pacer's wait for an acknowledge,
    // within the read's): a stop goes once in a gap of the read, and is
    // sent again only once the read is over. Each send's late replies fall
    // into the next inquiry's wait and cost it a second try; resends in the
    // gaps could cost an inquiry all its tries and fail the read.
    void lateCameraStopsResendAfterTheRead()
    {
        PacedSession r;
        QCOMPARE(r.session.panTilt(1, 5, 0, Surface::Gamepad), Outcome::Done);
        r.settle();
        r.chain.faults.replyDelay = 0.3;
        QSignalSpy reads(&r.session, &CameraSession::statusRead);
        QSignalSpy failed(&r.session, &CameraSession::noAnswer);
        QVERIFY(r.session.readStatus());
        r.runFor(0.01);
        const int before = int(r.log.size());
        QCOMPARE(r.session.stop(1, Surface::Gamepad), Outcome::Done);
        r.settle();
        // The read ends well (one more may follow: the stops' answers fell
        // into its waits, so the session reads the camera back).
        QVERIFY(reads.size() >= 1);
        QCOMPARE(failed.size(), 0);
        const int end = r.indexOf(kLastInquiry, before);
        QVERIFY(end > before);
        const QStringList inRead = r.written().mid(before, end - before);
        for (const QString& s : {kPanTiltStop, kZoomStop, kFocusStop})
            QVERIFY2(inRead.count(s) <= 1, qPrintable(inRead.join('\n')));
        QVERIFY2(inRead.count(kPanTiltStop) == 1, qPrintable(inRead.join('\n')));
        // Sent again after the read, as the camera's acknowledges came late.
        QVERIFY(r.written().mid(end).contains(kPanTiltStop));
    }

    // Speeds asked faster than the line carries them: only the latest goes
    // once the one before is acknowledged, and the stop after them all goes
    // last, once.
    void latestSpeedWinsThenTheStop()
    {
        PacedSession r;
        for (int speed = 1; speed <= 8; ++speed)
            QCOMPARE(r.session.zoom(1, speed % 2 ? speed : -speed, Surface::Remote), Outcome::Done);
        QCOMPARE(r.session.zoom(1, 0, Surface::Remote), Outcome::Done);
        r.settle();
        QCOMPARE(r.written(), (QStringList{QStringLiteral("81 01 04 07 20 FF"), kZoomStop}));
        QVERIFY(!r.session.camera(1).moving);
    }

    // A lost link takes no speed; the stop owed for the focus that was
    // running goes once the link is back.
    void stopOwedAcrossALostLink()
    {
        PacedSession r;
        QCOMPARE(r.session.focus(1, 3, Surface::Keyboard), Outcome::Done);
        r.settle();
        QCOMPARE(r.written(), QStringList{QStringLiteral("81 01 04 08 22 FF")});
        r.port.pull();
        r.settle();
        QCOMPARE(r.session.focus(1, 2, Surface::Keyboard), Outcome::LinkLost);
        QVERIFY(r.session.pacer(1).waiting() > 0);
        r.port.putBack();
        r.settle();
        QVERIFY(r.session.linkUp());
        QCOMPARE(r.written().count(kFocusStop), 1);
        QCOMPARE(r.written().filter(QStringLiteral("81 01 04 08 2")).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestSessionPacing)
#include "test_session_pacing.moc"
