#include "reply_patterns.h"
#include "rigs.h"

#include <QtTest>

using namespace peltro;
using namespace peltro::test;

class TestLink : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sendModesEchoAndSuspend()
    {
        SessionRig r;
        r.refresh().toggleAuto();
        QCOMPARE(resultText(r.link().SD(Packet::fromBytes(bytes("81 01 04 07 02 FF")), SendMode(1))), QStringLiteral("OK"));
        QCOMPARE(r.sendText(), QStringLiteral("81 01 04 07 02 FF \r\n"));
        QVERIFY(!r.refresh().timer().isActive());
        QVERIFY(!r.refresh().toggleEnabled());
        QCOMPARE(r.refresh().caption(), QStringLiteral("Auto"));
        QCOMPARE(r.port.rThreshold(), 1);
        QVERIFY(r.link().echo());

        // mode 2: echoed, notifications off
        r.link().SD(Packet::fromBytes(bytes("88 30 01 FF")), SendMode(2));
        QCOMPARE(r.port.rThreshold(), 0);
        QVERIFY(r.sendText().endsWith(QStringLiteral("88 30 01 FF \r\n")));

        // mode 0: silent even after an echoing send
        const QString before = r.sendText();
        r.link().SD(Packet::fromBytes(bytes("81 09 00 02 FF")), SendMode(0));
        QCOMPARE(r.sendText(), before);
        QVERIFY(!r.link().echo());
        QCOMPARE(r.port.rThreshold(), 0);

        const auto writes = r.takeWrites();
        QCOMPARE(writes.size(), 3);
        QCOMPARE(hex(writes[2]), QStringLiteral("81 09 00 02 FF"));

        // stopped auto refresh: a delayed read that is due is left alone
        SessionRig s;
        s.refresh().readOnceAfter(2000);
        s.refresh().commandFinished();  // one delayed read pending
        QVERIFY(s.refresh().timer().isActive());
        s.link().SD(Packet::fromBytes(bytes("81 01 04 07 02 FF")), SendMode(1));
        QVERIFY(s.refresh().timer().isActive());
    }

    // A silent exchange that starts before the receive handler had its turn
    // lets it take the replies waiting for it first.
    void silentExchangeLetsWaitingRepliesFinish()
    {
        SessionRig r;
        r.refresh().toggleAuto();
        r.link().SD(Packet::fromBytes(bytes("81 01 04 07 02 FF")), SendMode(1));   // acknowledged and completed at once
        QVERIFY(r.refresh().isSuspended());
        r.link().SD(Packet::fromBytes(bytes("81 09 7E 7E 00 FF")), SendMode(0));   // before any notification was delivered
        QVERIFY(!r.refresh().isSuspended());
        QCOMPARE(r.recvText(), QStringLiteral("90 41 FF \r\n90 51 FF \r\n"));
        QCOMPARE(waitReply(r, r.link(), 16).size(), 16);   // and the inquiry's own answer is intact
    }

    void refusedWhileStatusReadRuns()
    {
        SessionRig r;
        r.refresh().toggleAuto();
        r.link().setExchangeRunning(true);
        QCOMPARE(resultText(r.link().SD(Packet::fromBytes(bytes("81 01 04 07 02 FF")), SendMode(1))), QStringLiteral("NG"));
        QCOMPARE(resultText(r.link().SD(Packet::fromBytes(bytes("88 30 01 FF")), SendMode(2))), QStringLiteral("NG"));
        QCOMPARE(resultText(r.link().SendDirect(QStringLiteral("8101040702FF"))), QStringLiteral("NG"));
        QVERIFY(r.takeWrites().isEmpty());
        QVERIFY(r.sendText().isEmpty());
        QVERIFY(!r.refresh().timer().isActive());
        QVERIFY(!r.refresh().toggleEnabled());
    }

    // A packet that never left (the port is closed or gone) is not "OK".
    // A lost port: nothing goes out, nothing is waited for, nothing is
    // suspended; what the operator asked for is refused in words.
    void lostPortRefusesAndDoesNotWait_data()
    {
        QTest::addColumn<QString>("send");
        QTest::addColumn<bool>("operatorCommand");
        QTest::newRow("silent inquiry") << "sd0" << false;
        QTest::newRow("operator command") << "sd1" << true;
        QTest::newRow("address set") << "sd2" << true;
        QTest::newRow("direct command") << "direct" << true;
        QTest::newRow("a window's own send") << "window" << true;
    }

    void lostPortRefusesAndDoesNotWait()
    {
        QFETCH(QString, send);
        QFETCH(bool, operatorCommand);
        SessionRig r;
        r.refresh().toggleAuto();
        r.port.pull();
        QSignalSpy refused(&r.link(), &Link::refused);
        const double before = r.clock.now();
        const QByteArray packet = bytes("81 09 04 47 FF");
        SendResult result = SendResult::Sent;
        if (send == QLatin1String("direct"))
            result = r.link().SendDirect(QStringLiteral("81090447FF"));
        else if (send == QLatin1String("window"))
            result = r.link().sendForWindow(Packet::fromBytes(packet));
        else
            result = r.link().SD(Packet::fromBytes(packet), SendMode(send.back().digitValue()));
        QCOMPARE(resultText(result), QStringLiteral("NG"));
        QCOMPARE(hex(waitReply(r, r.link(), 7)), QStringLiteral("00 01 02 03 04 05 06"));
        QVERIFY(r.link().lastWaitTimedOut());
        QCOMPARE(r.clock.now(), before);  // no second waited out
        QVERIFY(r.takeWrites().isEmpty());
        QVERIFY(r.sendText().isEmpty());
        QVERIFY(r.refresh().toggleEnabled());  // not suspended for a command that never left
        QCOMPARE(refused.size(), operatorCommand ? 1 : 0);
        if (operatorCommand)
            QCOMPARE(refused.at(0).at(0).toString(),
                     QStringLiteral("simulated chain: device gone (unplugged?)"));
    }

    // The adapter comes out as an inquiry goes: its wait ends at once. Out
    // after an answer missed its second: the next inquiry does not wait for
    // a late answer that cannot come.
    void pulledDuringAnExchange()
    {
        SessionRig r;
        r.port.pullAtWrite = 2;
        r.link().SD(Packet::fromBytes(bytes("81 09 00 02 FF")), SendMode(0));
        QCOMPARE(waitReply(r, r.link(), 10).size(), 10);  // answered
        double before = r.clock.now();
        QCOMPARE(resultText(r.link().SD(Packet::fromBytes(bytes("81 09 04 47 FF")), SendMode(0))), QStringLiteral("NG"));
        waitReply(r, r.link(), 7);
        QVERIFY(r.link().portLost());
        QCOMPARE(r.clock.now(), before);

        SessionRig s;
        s.chain.faults.replyDelay = 1.5;  // the answer comes late
        s.link().SD(Packet::fromBytes(bytes("81 09 04 47 FF")), SendMode(0));
        waitReply(s, s.link(), 7);
        QVERIFY(s.link().lastWaitTimedOut());
        s.port.pull();
        before = s.clock.now();
        QCOMPARE(resultText(s.link().SD(Packet::fromBytes(bytes("81 09 04 48 FF")), SendMode(0))), QStringLiteral("NG"));
        waitReply(s, s.link(), 7);
        QCOMPARE(s.clock.now(), before);
    }

    void failedWriteIsNg()
    {
        SessionRig r;
        QCOMPARE(resultText(r.link().SD(Packet::fromBytes(bytes("81 09 00 02 FF")), SendMode(0))), QStringLiteral("OK"));
        r.port.close();
        QCOMPARE(resultText(r.link().SD(Packet::fromBytes(bytes("81 09 00 02 FF")), SendMode(0))), QStringLiteral("NG"));
        QCOMPARE(resultText(r.link().SD(Packet::fromBytes(bytes("81 01 04 07 02 FF")), SendMode(1))), QStringLiteral("NG"));
        QCOMPARE(resultText(r.link().SendDirect(QStringLiteral("8101040702FF"))), QStringLiteral("NG"));
        QCOMPARE(r.takeWrites().size(), 1);
    }

    // Values that make no packet never reach the line: a value outside one
    // byte, a terminator inside or none at the end, a header that addresses
    // no camera.
    void malformedPacketIsNeverSent_data()
    {
        QTest::addColumn<QList<int>>("values");
        QTest::addColumn<bool>("valid");
        QTest::newRow("command") << QList<int>{0x81, 0x01, 0x04, 0x07, 0x2F, 0xFF} << true;
        QTest::newRow("broadcast") << QList<int>{0x88, 0x30, 0x01, 0xFF} << true;
        QTest::newRow("above a byte") << QList<int>{0x81, 0x01, 0x100, 0xFF} << false;
        QTest::newRow("negative") << QList<int>{0x81, -1, 0xFF} << false;
        QTest::newRow("terminator inside") << QList<int>{0x81, 0x01, 0xFF, 0x02, 0xFF} << false;
        QTest::newRow("no terminator") << QList<int>{0x81, 0x01, 0x04} << false;
        QTest::newRow("camera 0") << QList<int>{0x80, 0x01, 0x04, 0xFF} << false;
        QTest::newRow("no header") << QList<int>{0x01, 0x04, 0x07, 0xFF} << false;
        QTest::newRow("empty") << QList<int>{} << false;
    }

    void malformedPacketIsNeverSent()
    {
        QFETCH(QList<int>, values);
        QFETCH(bool, valid);
        const Packet packet(values);
        QCOMPARE(packet.isValid(), valid);
        SessionRig r;
        r.refresh().toggleAuto();
        const SendResult result = r.link().SD(packet, SendMode::Command);
        QCOMPARE(result, valid ? SendResult::Sent : SendResult::RefusedMalformed);
        const QList<QByteArray> writes = r.takeWrites();
        QCOMPARE(writes.size(), valid ? 1 : 0);
        if (valid)
            QCOMPARE(writes[0], packet.bytes());
    }

    void historyKeepsLastThousandCharacters()
    {
        SessionRig r;
        r.link().traffic().append(TrafficLog::Sent, QString(995, 'x'));
        r.link().SD(Packet::fromBytes(bytes("81 01 04 07 02 FF")), SendMode(1));
        const QString expected = (QString(995, 'x') + QStringLiteral("81 01 04 07 02 FF \r\n")).right(1000);
        QCOMPARE(r.sendText().size(), 1000);
        QCOMPARE(r.sendText(), expected);
    }

    void receiveHandlerEchoesAndRecognisesEachReply()
    {
        SessionRig r;
        r.refresh().toggleAuto();
        r.link().SD(Packet::fromBytes(bytes("81 01 04 07 02 FF")), SendMode(1));  // suspends; the camera acknowledges and completes
        QVERIFY(!r.refresh().timer().isActive());
        ChainRig::pump();
        QCOMPARE(r.recvText(), QStringLiteral("90 41 FF \r\n90 51 FF \r\n"));
        // the completion resumed auto refresh
        QVERIFY(r.refresh().timer().isActive());
        QCOMPARE(r.refresh().timer().interval(), 2000);
        QVERIFY(r.refresh().toggleEnabled());
        QVERIFY(r.link().terminatorReceived());
        QVERIFY(!r.link().replyPending());
    }

    void notificationsIgnoredWhileThresholdZero()
    {
        SessionRig r;
        r.link().SD(Packet::fromBytes(bytes("81 09 00 02 FF")), SendMode(0));
        ChainRig::pump();
        QVERIFY(r.recvText().isEmpty());
        QCOMPARE(r.port.inBufferCount(), 10);  // the answer waits for WaitReply
        QCOMPARE(waitReply(r, r.link(), 10).size(), 10);
    }

    void waitReplyReturnsEverythingWaiting()
    {
        SessionRig r;
        r.port.injectFromChain(bytes("90 41 FF 90 51 FF"));
        const double t0 = r.clock.now();
        QCOMPARE(hex(waitReply(r, r.link(), 3)), QStringLiteral("90 41 FF 90 51 FF"));
        QCOMPARE(r.clock.now(), t0);
        QCOMPARE(r.port.inBufferCount(), 0);
    }

    void waitReplyTimesOutWithFiller()
    {
        SessionRig r({QStringLiteral("quorin-p3")});
        // A packet that left is pending until a terminator comes back.
        r.port.setSThreshold(1);
        r.link().SD(Packet::fromBytes(bytes("83 09 04 47 FF")), SendMode::Silent);   // nobody at 3
        ChainRig::pump();
        QVERIFY(r.link().replyPending());
        r.port.injectFromChain(bytes("90 50 01"));
        const double t0 = r.clock.now();
        QCOMPARE(hex(waitReply(r, r.link(), 5)), QStringLiteral("00 01 02 03 04"));
        QVERIFY(r.clock.now() - t0 >= 1.0);
        QVERIFY(r.clock.now() - t0 < 1.1);
        QCOMPARE(r.port.inBufferCount(), 0);
        QVERIFY(!r.link().replyPending());

        // a reply slower than a second counts as missing
        r.chain.faults.replyDelay = 1.5;
        r.link().SD(Packet::fromBytes(bytes("81 09 00 02 FF")), SendMode(0));
        QCOMPARE(waitReply(r, r.link(), 10).left(3), bytes("00 01 02"));
        // the next call starts its own second
        r.chain.faults.replyDelay = 0.3;
        r.link().SD(Packet::fromBytes(bytes("81 09 00 02 FF")), SendMode(0));
        const QByteArray v = waitReply(r, r.link(), 10);
        QCOMPARE(quint8(v[0]), quint8(0x90));
    }

    void waitCheckStopwatch()
    {
        SessionRig r;
        QVERIFY(r.link().WaitCheck(0));
        QVERIFY(!r.link().WaitCheck(1.0));  // arms
        r.clock.advance(0.5);
        QVERIFY(!r.link().WaitCheck(1.0));
        r.clock.advance(0.5);
        QVERIFY(r.link().WaitCheck(1.0));   // disarms
        QVERIFY(!r.link().WaitCheck(1.0));  // a new wait starts afresh
    }

    void recognitionPatterns_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("finishing");
        QTest::addColumn<bool>("ack");
        QTest::addColumn<bool>("netChange");
        QTest::newRow("ack") << "90 41 FF " << false << true << false;
        QTest::newRow("completion") << "90 51 FF " << true << false << false;
        QTest::newRow("completion then ack") << "90 51 FF \r\n90 41 FF " << true << true << false;
        QTest::newRow("error") << "90 60 02 FF " << true << false << false;
        QTest::newRow("inquiry") << "90 50 02 FF " << true << false << false;
        QTest::newRow("if clear returned") << "88 01 00 01 FF " << true << false << false;
        QTest::newRow("address set returned") << "88 30 03 FF " << true << false << false;
        QTest::newRow("network change") << "90 38 FF " << false << false << true;
        QTest::newRow("lower case") << "a0 51 ff " << true << false << false;
        QTest::newRow("camera 7") << "F0 41 FF " << false << true << false;
        QTest::newRow("no header") << "10 51 FF " << false << false << false;
        QTest::newRow("single if clear answer") << "90 01 00 01 FF " << false << false << false;
    }

    void recognitionPatterns()
    {
        QFETCH(QString, window);
        QFETCH(bool, finishing);
        QFETCH(bool, ack);
        QFETCH(bool, netChange);
        QCOMPARE(windowShowsFinishing(window), finishing);
        QCOMPARE(windowShows(ReplyKind::Acknowledge, window), ack);
        QCOMPARE(windowShows(ReplyKind::NetworkChange, window), netChange);
        QCOMPARE(recognitionWindow(QString(30, 'x') + QStringLiteral("90 41 FF ")).size(), 24);
    }

    void finishingReplyResumesAutoRefresh()
    {
        // The ack of a new command seen together with the previous completion
        // takes the finishing path: auto refresh resumes at that ack.
        SessionRig r;
        r.refresh().toggleAuto();
        r.link().SD(Packet::fromBytes(bytes("81 01 04 07 02 FF")), SendMode(1));
        r.link().traffic().append(TrafficLog::Received, QStringLiteral("90 51 FF \r\n"));
        r.link().handleReceived(bytes("90 41 FF"));
        QVERIFY(r.refresh().timer().isActive());
        QVERIFY(r.refresh().toggleEnabled());

        // stopped with a pending delayed read: the timer is enabled again
        SessionRig s;
        s.link().resumeReceiving();
        s.refresh().readOnceAfter(6000);
        QVERIFY(!s.refresh().timer().isActive());
        s.link().handleReceived(bytes("90 60 02 FF"));
        QVERIFY(s.refresh().timer().isActive());
        QCOMPARE(s.refresh().timer().interval(), 6000);
        QCOMPARE(s.refresh().caption(), QStringLiteral("Stop"));
    }

    void networkChangeIsAnnounced()
    {
        SessionRig r;
        QSignalSpy notices(&r.session, &CameraSession::networkChange);
        r.link().SD(Packet::fromBytes(bytes("81 01 04 07 02 FF")), SendMode(1));
        ChainRig::pump();
        // seen next to the completion, the notice is taken for a finishing reply
        r.port.injectNetworkChange(1);
        ChainRig::pump();
        QCOMPARE(notices.size(), 0);
        r.link().traffic().clear();
        r.port.injectNetworkChange(1);
        ChainRig::pump();
        QCOMPARE(notices.size(), 1);
    }

    void sendDirectWritesEachByte()
    {
        SessionRig r;
        QCOMPARE(resultText(r.link().SendDirect(QStringLiteral("8101040702FF"))), QStringLiteral("OK"));
        const auto writes = r.takeWrites();
        QCOMPARE(writes.size(), 6);
        QCOMPARE(hex(writes.join()), QStringLiteral("81 01 04 07 02 FF"));
        QCOMPARE(r.sendText(), QStringLiteral("81 01 04 07 02 FF \r\n"));
        QCOMPARE(r.port.rThreshold(), 1);
        ChainRig::pump();
        QCOMPARE(r.recvText(), QStringLiteral("90 41 FF \r\n90 51 FF \r\n"));

        // empty: no byte, an empty line all the same
        QCOMPARE(resultText(r.link().SendDirect(QString())), QStringLiteral("OK"));
        QVERIFY(r.takeWrites().isEmpty());
        QVERIFY(r.sendText().endsWith(QStringLiteral("FF \r\n\r\n")));
        // text that is not whole hex pairs is refused as a whole
        QCOMPARE(resultText(r.link().SendDirect(QStringLiteral("810"))), QStringLiteral("NG"));
        QCOMPARE(resultText(r.link().SendDirect(QStringLiteral("81G1"))), QStringLiteral("NG"));
        // a blank or a control character inside a pair is no digit either
        QCOMPARE(resultText(r.link().SendDirect(QStringLiteral("4\r0500"))), QStringLiteral("NG"));
        QCOMPARE(resultText(r.link().SendDirect(QStringLiteral(" 40500"))), QStringLiteral("NG"));
        QCOMPARE(resultText(r.link().SendDirect(QStringLiteral("+1"))), QStringLiteral("NG"));
        QCOMPARE(resultText(r.link().SendDirect(QString(QChar(0)) + QStringLiteral("1"))), QStringLiteral("NG"));
        QVERIFY(r.takeWrites().isEmpty());
    }
};

QTEST_MAIN(TestLink)
#include "test_link.moc"
