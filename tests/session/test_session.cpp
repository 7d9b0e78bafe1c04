// The camera session on the simulated chain, without any widget: start-up's
// exchanges, the status read into a CameraStatus, presets from their packet
// to their end, cameras switched in a mixed chain, and what a lost link
// refuses.
#include "rigs.h"

#include <QSignalSpy>
#include <QtTest>

using namespace peltro;
using namespace peltro::test;

namespace {

// Replies as the receive handler takes them, one terminator at a time.
void reply(SessionRig& r, const char* hexText)
{
    r.link().handleReceived(bytes(hexText));
}

} // namespace

class TestSession : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Start-up's address set and version check, a status read, a preset
    // recall to its end and a camera switch, all without a window.
    void drivesTheChainWithoutAWindow()
    {
        SessionRig r({QStringLiteral("quorin-p3"), QStringLiteral("tamiro-j1a")});
        QSignalSpy counted(&r.session, &CameraSession::chainCounted);
        QSignalSpy identified(&r.session, &CameraSession::identified);
        r.session.beginStartup();
        QVERIFY(finish(r, r.session.interfaceClearAnswered()));
        int steps = 0;
        QCOMPARE(finish(r, r.session.assignAddresses([&steps] { ++steps; })), std::optional<int>(2));
        QCOMPARE(steps, 1);
        QCOMPARE(counted.size(), 1);
        const std::optional<Identity> id = finish(r, r.session.checkVersion([] {}));
        QVERIFY(id && id->name == QLatin1String("QUORIN-P3"));
        r.session.endStartup();
        QCOMPARE(r.sent(), (QStringList{"88 01 00 01 FF", "88 30 01 FF", "81 09 00 02 FF"}));

        QSignalSpy reads(&r.session, &CameraSession::statusRead);
        QVERIFY(r.session.readStatus());
        r.settle();
        QCOMPARE(r.sent(), (QStringList{"81 09 00 02 FF", "81 09 7E 7E 00 FF", "81 09 7E 7E 01 FF",
                                        "81 09 7E 7E 02 FF", "81 09 7E 7E 03 FF"}));
        QCOMPARE(reads.size(), 1);
        QVERIFY(r.session.modelIdentified() && r.session.panTiltFamily());

        PresetOperation* recall = r.session.startPreset(PresetOperation::Kind::Recall, 3);
        QVERIFY(recall);
        QSignalSpy finished(recall, &PresetOperation::finished);
        QCOMPARE(r.sent(), QStringList{"81 01 04 3F 02 03 FF"});
        ChainRig::pump();   // the camera acknowledges and completes
        QCOMPARE(finished.size(), 1);
        QCOMPARE(r.refresh().skipCount(), 2);
        // The two reads after a preset are skipped; then camera 2 is addressed.
        QVERIFY(!r.session.readStatus() && !r.session.readStatus());
        QVERIFY(r.sent().isEmpty());
        r.session.selectCamera(2);
        r.settle();
        QCOMPARE(r.session.address(), 2);
        QCOMPARE(r.sent().value(0), QStringLiteral("82 09 00 02 FF"));
        QCOMPARE(identified.size(), 3);   // start-up, the first read, camera 2
        QCOMPARE(identified.last().at(1).value<Identity>().name, QStringLiteral("TAMIRO-J1A"));
    }

    // The blocks of a read, decoded whole before anything is emitted.
    void statusReadDecodedIntoOneValue()
    {
        SessionRig r({QStringLiteral("quorin-p3")});
        r.startUp();
        sim::CameraState& cam = r.chain.camera(1).state;
        cam.zoom = 0x2345;
        cam.focusAuto = false;
        cam.wbMode = 5;
        cam.shutter = 10;
        cam.cameraId = 4321;
        cam.alarmOn = true;
        cam.ceilingMount = true;
        r.session.setPanTiltStatusWanted(true);
        cam.power = true;
        QSignalSpy reads(&r.session, &CameraSession::statusRead);
        r.refresh().toggleAuto();
        QVERIFY(r.session.readStatus());
        r.settle();
        QCOMPARE(reads.size(), 1);
        const auto s = reads.first().at(0).value<CameraStatus>();
        QCOMPARE(s.address, 1);
        QVERIFY(s.blocksRead);
        QCOMPARE(s.lens.zoom, std::optional<int>(0x2345));
        QVERIFY(!s.lens.autoFocus);
        QCOMPARE(s.camera.wbMode, 5);
        QCOMPARE(s.camera.shutter, 10);
        QCOMPARE(s.other.cameraId, 4321);
        QVERIFY(s.expanded && s.expanded->alarmOn && s.expanded->ceilingMount);
        // The power bit just read asks for the head's status too, next read.
        QVERIFY(r.session.powerOn());
        // The alarm is on: auto refresh stops.
        QVERIFY(r.session.alarm().on);
        QCOMPARE(r.refresh().caption(), QStringLiteral("Stop"));
        QVERIFY(r.session.readStatus());
        r.settle();
        QVERIFY(reads.last().at(0).value<CameraStatus>().panTilt.has_value());
        QCOMPARE(r.session.camera(1).zoomPosition, 0x2345);

        // A block camera's expanded block is none of its business.
        SessionRig t({QStringLiteral("tamiro-j1a")});
        QSignalSpy tReads(&t.session, &CameraSession::statusRead);
        t.chain.camera(1).state.alarmOn = true;
        QVERIFY(t.session.readStatus());
        t.settle();
        QVERIFY(!tReads.first().at(0).value<CameraStatus>().expanded);
        QVERIFY(!t.session.alarm().on);
    }

    // Selecting a camera of the other family identifies it afresh: its own
    // family, model and status blocks, each time.
    void mixedChainIdentifiesEachCamera()
    {
        SessionRig r({QStringLiteral("tamiro-k9b"), QStringLiteral("quorin-p2")});
        r.startUp();
        QSignalSpy identified(&r.session, &CameraSession::identified);
        for (int round = 0; round < 2; ++round) {
            r.session.selectCamera(2);
            r.settle();
            QVERIFY(r.session.panTiltFamily());
            QCOMPARE(int(r.session.panTiltModel()), int(kModelP2));
            r.session.selectCamera(1);
            r.settle();
            QVERIFY(!r.session.panTiltFamily());
            QCOMPARE(int(r.session.panTiltModel()), 0);
        }
        QCOMPARE(identified.size(), 4);
        QCOMPARE(identified.at(2).at(1).value<Identity>().name, QStringLiteral("QUORIN-P2"));
        QCOMPARE(identified.at(3).at(1).value<Identity>().name, QStringLiteral("TAMIRO-K9B"));
        QCOMPARE(r.session.identity(1)->name, QStringLiteral("TAMIRO-K9B"));
        QCOMPARE(r.session.identity(2)->name, QStringLiteral("QUORIN-P2"));
    }

    // A lost link: nothing goes out, the operator is told, nothing is
    // suspended or read; the chain's operations say why.
    void lostLinkRefusesSends()
    {
        SessionRig r;
        r.startUp();
        r.refresh().toggleAuto();
        QSignalSpy news(&r.session, &CameraSession::linkNews);
        QSignalSpy link(&r.session, &CameraOperations::linkChanged);
        r.port.pull();
        ChainRig::pump();
        QCOMPARE(link.size(), 1);
        QVERIFY(news.last().at(0).value<LinkNews>().text.startsWith(QLatin1String("Link lost: simulated chain")));
        QCOMPARE(r.session.command(Packet{0x81, 0x01, 0x04, 0x07, 0x02, 0xFF}), SendResult::RefusedLinkLost);
        QVERIFY(news.last().at(0).value<LinkNews>().text.startsWith(QLatin1String("Not sent: link lost: ")));
        QVERIFY(!r.session.readStatus());
        QVERIFY(!r.session.startPreset(PresetOperation::Kind::Recall, 1) || r.takeWrites().isEmpty());
        QCOMPARE(r.session.zoom(1, 3, Surface::Remote), CameraOperations::Outcome::LinkLost);
        QVERIFY(!r.session.setPowerOf(true));
        QVERIFY(r.takeWrites().isEmpty());
        QCOMPARE(r.refresh().caption(), QStringLiteral("Auto"));
        QVERIFY(!r.refresh().timer().isActive());
    }

    // --- presets -------------------------------------------------------------

    void presetFinishing()
    {
        SessionRig r;
        r.link().resumeReceiving();
        r.refresh().toggleAuto();
        PresetOperation* op = r.session.startPreset(PresetOperation::Kind::Recall, 4);
        QVERIFY(op);
        QSignalSpy finished(op, &PresetOperation::finished);
        QCOMPARE(r.sent(), QStringList{"81 01 04 3F 02 04 FF"});

        // An inquiry answer does not end it, and auto refresh stays suspended.
        reply(r, "90 50 02 FF");
        QCOMPARE(finished.size(), 0);
        QVERIFY(!r.refresh().timer().isActive());
        // Nor does a completion without an acknowledge first.
        r.link().traffic().clear();
        reply(r, "90 51 FF");
        QCOMPARE(finished.size(), 0);
        QVERIFY(!r.refresh().toggleEnabled());
        // Acknowledge, then completion: finished.
        r.link().traffic().clear();
        reply(r, "90 41 FF");
        r.link().traffic().clear();
        reply(r, "90 51 FF");
        QCOMPARE(finished.size(), 1);
        QCOMPARE(r.refresh().skipCount(), 2);
        QVERIFY(r.refresh().timer().isActive());
        QVERIFY(!r.session.runningPreset() || r.session.runningPreset()->ended());

        // An error ends a preset at once.
        PresetOperation* set = r.session.startPreset(PresetOperation::Kind::Set, 2);
        QSignalSpy setFinished(set, &PresetOperation::finished);
        r.link().traffic().clear();
        reply(r, "90 60 02 FF");
        QCOMPARE(setFinished.size(), 1);
    }

    // A preset started after other traffic ends at its own completion or
    // error: replies are "|"-separated, "P" marks where the preset's packet
    // goes out, "released" is the index (among the replies after P) at which
    // it ends, -1 for none.
    void presetEndsAtItsOwnReply_data()
    {
        QTest::addColumn<QString>("traffic");
        QTest::addColumn<int>("released");
        QTest::newRow("acknowledge, completion") << "P|90 41 FF|90 51 FF" << 1;
        QTest::newRow("after a finished command") << "90 41 FF|90 51 FF|P|90 41 FF|90 51 FF" << 1;
        QTest::newRow("after a finished preset and command")
            << "P|90 41 FF|90 51 FF|90 41 FF|90 51 FF|P|90 41 FF|90 51 FF" << 1;
        QTest::newRow("earlier command still running") << "90 41 FF|P|90 42 FF|90 51 FF|90 52 FF" << 2;
        QTest::newRow("earlier completion comes late") << "P|90 51 FF|90 41 FF|90 51 FF" << 2;
        QTest::newRow("refused at once") << "P|90 60 02 FF" << 0;
        QTest::newRow("error on another socket") << "P|90 41 FF|90 62 41 FF|90 51 FF" << 2;
        QTest::newRow("error on its socket") << "P|90 41 FF|90 61 41 FF" << 1;
        QTest::newRow("inquiry answer") << "P|90 50 02 FF|90 41 FF|90 51 FF" << 2;
        QTest::newRow("noise before its replies") << "P|12 34 90 41 FF|7F 90 51 FF" << 1;
        QTest::newRow("interface clear came back") << "P|90 41 FF|88 01 00 01 FF" << 1;
        QTest::newRow("no completion") << "P|90 41 FF|90 38 FF" << -1;
    }

    void presetEndsAtItsOwnReply()
    {
        QFETCH(QString, traffic);
        QFETCH(int, released);
        SessionRig r;
        r.link().resumeReceiving();
        r.refresh().toggleAuto();
        const int presets = int(traffic.count(QLatin1Char('P')));
        int ends = 0;
        int sincePreset = -1;  // replies since the last preset's packet
        int endedAt = -1;      // ... when the last preset ended
        PresetOperation* last = nullptr;
        for (const QString& step : traffic.split(QLatin1Char('|'))) {
            if (step == QLatin1String("P")) {
                last = r.session.startPreset(PresetOperation::Kind::Recall, 3);
                QVERIFY(last);
                connect(last, &PresetOperation::finished, this, [&ends] { ++ends; });
                sincePreset = 0;
                continue;
            }
            reply(r, qPrintable(step));
            if (endedAt < 0 && ends == presets)
                endedAt = sincePreset;
            ++sincePreset;
        }
        QCOMPARE(endedAt, released);
        QCOMPARE(r.session.runningPreset() != nullptr && !r.session.runningPreset()->ended(), released < 0);
        // Suspended while it runs; two reads skipped and running again after.
        QCOMPARE(r.refresh().timer().isActive(), released >= 0);
        if (released >= 0)
            QCOMPARE(r.refresh().skipCount(), 2);
        else
            QVERIFY(!r.session.startPreset(PresetOperation::Kind::Set, 1));   // one at a time
    }

    void presetGivenUpWhenNeverEnded()
    {
        SessionRig r;
        r.link().resumeReceiving();
        r.refresh().toggleAuto();
        PresetOperation* op = r.session.startPreset(PresetOperation::Kind::Set, 4);
        QSignalSpy abandoned(op, &PresetOperation::abandoned);
        QSignalSpy ends(op, &PresetOperation::finished);
        r.takeWrites();
        reply(r, "90 41 FF");
        r.clock.advance(PresetOperation::kLimit - 0.1);
        QVERIFY(!op->expireIfOverdue());
        QVERIFY(!r.session.startPreset(PresetOperation::Kind::Reset, 1));   // still running
        r.clock.advance(0.1);
        // The next click gives it up and starts its own.
        PresetOperation* next = r.session.startPreset(PresetOperation::Kind::Reset, 1);
        QVERIFY(next && next != op);
        QCOMPARE(abandoned.size(), 1);
        QCOMPARE(ends.size(), 1);
        QCOMPARE(r.sent(), QStringList{"81 01 04 3F 00 01 FF"});
        QVERIFY(!op->expireIfOverdue());   // once

        // One that ends in time is never given up.
        QSignalSpy nextAbandoned(next, &PresetOperation::abandoned);
        reply(r, "90 60 02 FF");
        r.clock.advance(PresetOperation::kLimit);
        QVERIFY(!next->expireIfOverdue());
        QCOMPARE(nextAbandoned.size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestSession)
#include "test_session.moc"
