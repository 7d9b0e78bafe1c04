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
        LinkRig r;
        r.setAutoRunning();
        QCOMPARE(r.link.SD(bytes("81 01 04 07 02 FF"), 1), QStringLiteral("OK"));
        QCOMPARE(r.sendText.text(), QStringLiteral("81 01 04 07 02 FF \r\n"));
        QVERIFY(!r.timer1.isActive());
        QVERIFY(!r.autoRefreshed.isEnabled());
        QCOMPARE(r.autoRefreshed.text(), QStringLiteral("Auto"));
        QCOMPARE(r.port.rThreshold(), 1);
        QVERIFY(r.state.echo);

        // mode 2: echoed, notifications off
        r.link.SD(bytes("88 30 01 FF"), 2);
        QCOMPARE(r.port.rThreshold(), 0);
        QVERIFY(r.sendText.text().endsWith(QStringLiteral("88 30 01 FF \r\n")));

        // mode 0: silent even after an echoing send
        const QString before = r.sendText.text();
        r.link.SD(bytes("81 09 00 02 FF"), 0);
        QCOMPARE(r.sendText.text(), before);
        QVERIFY(!r.state.echo);
        QCOMPARE(r.port.rThreshold(), 0);

        const auto writes = r.takeWrites();
        QCOMPARE(writes.size(), 3);
        QCOMPARE(hex(writes[2]), QStringLiteral("81 09 00 02 FF"));

        // stopped auto refresh: a delayed read that is due is left alone
        LinkRig s;
        s.refresh.readOnceAfterCommand(2000);
        s.refresh.resumeAfterCommand();  // one delayed read pending
        QVERIFY(s.timer1.isActive());
        s.link.SD(bytes("81 01 04 07 02 FF"), 1);
        QVERIFY(s.timer1.isActive());
    }

    // A silent exchange that starts before the receive handler had its turn
    // lets it take the replies waiting for it first.
    void silentExchangeLetsWaitingRepliesFinish()
    {
        LinkRig r;
        r.setAutoRunning();
        r.link.SD(bytes("81 01 04 07 02 FF"), 1);   // acknowledged and completed at once
        QVERIFY(r.refresh.isSuspended());
        r.link.SD(bytes("81 09 7E 7E 00 FF"), 0);   // before any notification was delivered
        QVERIFY(!r.refresh.isSuspended());
        QCOMPARE(r.recvText.text(), QStringLiteral("90 41 FF \r\n90 51 FF \r\n"));
        QCOMPARE(r.link.WaitReply(16).size(), 16);   // and the inquiry's own answer is intact
    }

    void refusedWhileStatusReadRuns()
    {
        LinkRig r;
        r.setAutoRunning();
        r.state.statusReadBusy = true;
        QCOMPARE(r.link.SD(bytes("81 01 04 07 02 FF"), 1), QStringLiteral("NG"));
        QCOMPARE(r.link.SD(bytes("88 30 01 FF"), 2), QStringLiteral("NG"));
        QCOMPARE(r.link.SendDirect(QStringLiteral("8101040702FF")), QStringLiteral("NG"));
        QVERIFY(r.takeWrites().isEmpty());
        QVERIFY(r.sendText.text().isEmpty());
        QVERIFY(!r.timer1.isActive());
        QVERIFY(!r.autoRefreshed.isEnabled());
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
        LinkRig r;
        r.setAutoRunning();
        r.port.pull();
        QSignalSpy refused(&r.link, &Link::refused);
        const double before = r.clock.now();
        const QByteArray packet = bytes("81 09 04 47 FF");
        QString result;
        if (send == QLatin1String("direct"))
            result = r.link.SendDirect(QStringLiteral("81090447FF"));
        else if (send == QLatin1String("window"))
            result = r.link.sendForWindow(packet);
        else
            result = r.link.SD(packet, send.back().digitValue());
        QCOMPARE(result, QStringLiteral("NG"));
        QCOMPARE(hex(r.link.WaitReply(7)), QStringLiteral("00 01 02 03 04 05 06"));
        QVERIFY(r.link.lastWaitTimedOut());
        QCOMPARE(r.clock.now(), before);  // no second waited out
        QVERIFY(r.takeWrites().isEmpty());
        QVERIFY(r.sendText.text().isEmpty());
        QVERIFY(r.autoRefreshed.isEnabled());  // not suspended for a command that never left
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
        LinkRig r;
        r.port.pullAtWrite = 2;
        r.link.SD(bytes("81 09 00 02 FF"), 0);
        QCOMPARE(r.link.WaitReply(10).size(), 10);  // answered
        double before = r.clock.now();
        QCOMPARE(r.link.SD(bytes("81 09 04 47 FF"), 0), QStringLiteral("NG"));
        r.link.WaitReply(7);
        QVERIFY(r.link.portLost());
        QCOMPARE(r.clock.now(), before);

        LinkRig s;
        s.chain.faults.replyDelay = 1.5;  // the answer comes late
        s.link.SD(bytes("81 09 04 47 FF"), 0);
        s.link.WaitReply(7);
        QVERIFY(s.link.lastWaitTimedOut());
        s.port.pull();
        before = s.clock.now();
        QCOMPARE(s.link.SD(bytes("81 09 04 48 FF"), 0), QStringLiteral("NG"));
        s.link.WaitReply(7);
        QCOMPARE(s.clock.now(), before);
    }

    void failedWriteIsNg()
    {
        LinkRig r;
        QCOMPARE(r.link.SD(bytes("81 09 00 02 FF"), 0), QStringLiteral("OK"));
        r.port.close();
        QCOMPARE(r.link.SD(bytes("81 09 00 02 FF"), 0), QStringLiteral("NG"));
        QCOMPARE(r.link.SD(bytes("81 01 04 07 02 FF"), 1), QStringLiteral("NG"));
        QCOMPARE(r.link.SendDirect(QStringLiteral("8101040702FF")), QStringLiteral("NG"));
        QCOMPARE(r.takeWrites().size(), 1);
    }

    void packetOutsideOneByteIsNeverSent()
    {
        QVERIFY(Link::VarArrayToBytes({0x81, 0x01, 0x100, 0xFF}).isEmpty());
        QVERIFY(Link::VarArrayToBytes({0x81, -1, 0xFF}).isEmpty());
        QCOMPARE(hex(Link::VarArrayToBytes({0x81, 0x01, 0x04, 0x07, 0x2F, 0xFF})), QStringLiteral("81 01 04 07 2F FF"));
        LinkRig r;
        QCOMPARE(r.link.SD(Link::VarArrayToBytes({0x81, 0x1FF, 0xFF}), 1), QStringLiteral("NG"));
        QVERIFY(r.takeWrites().isEmpty());
    }

    void historyKeepsLastThousandCharacters()
    {
        LinkRig r;
        r.link.traffic().append(TrafficLog::Sent, QString(995, 'x'));
        r.link.SD(bytes("81 01 04 07 02 FF"), 1);
        const QString expected = (QString(995, 'x') + QStringLiteral("81 01 04 07 02 FF \r\n")).right(1000);
        QCOMPARE(r.sendText.text().size(), 1000);
        QCOMPARE(r.sendText.text(), expected);
        QVERIFY(r.sendText.toPlainText().endsWith(QStringLiteral("81 01 04 07 02 FF \n")));
    }

    void receiveHandlerEchoesAndRecognisesEachReply()
    {
        LinkRig r;
        r.setAutoRunning();
        r.link.SD(bytes("81 01 04 07 02 FF"), 1);  // suspends; the camera acknowledges and completes
        QVERIFY(!r.timer1.isActive());
        LinkRig::pump();
        QCOMPARE(r.recvText.text(), QStringLiteral("90 41 FF \r\n90 51 FF \r\n"));
        // the completion resumed auto refresh
        QVERIFY(r.timer1.isActive());
        QCOMPARE(r.timer1.interval(), 2000);
        QVERIFY(r.autoRefreshed.isEnabled());
        QVERIFY(r.state.terminatorReceived);
        QVERIFY(!r.state.replyPending);
    }

    void notificationsIgnoredWhileThresholdZero()
    {
        LinkRig r;
        r.link.SD(bytes("81 09 00 02 FF"), 0);
        LinkRig::pump();
        QVERIFY(r.recvText.text().isEmpty());
        QCOMPARE(r.port.inBufferCount(), 10);  // the answer waits for WaitReply
        QCOMPARE(r.link.WaitReply(10).size(), 10);
    }

    void waitReplyReturnsEverythingWaiting()
    {
        LinkRig r;
        r.port.injectFromChain(bytes("90 41 FF 90 51 FF"));
        const double t0 = r.clock.now();
        QCOMPARE(hex(r.link.WaitReply(3)), QStringLiteral("90 41 FF 90 51 FF"));
        QCOMPARE(r.clock.now(), t0);
        QCOMPARE(r.port.inBufferCount(), 0);
    }

    void waitReplyTimesOutWithFiller()
    {
        LinkRig r({QStringLiteral("quorin-p3")});
        r.state.replyPending = true;
        r.port.injectFromChain(bytes("90 50 01"));
        const double t0 = r.clock.now();
        QCOMPARE(hex(r.link.WaitReply(5)), QStringLiteral("00 01 02 03 04"));
        QVERIFY(r.clock.now() - t0 >= 1.0);
        QVERIFY(r.clock.now() - t0 < 1.1);
        QCOMPARE(r.port.inBufferCount(), 0);
        QVERIFY(!r.state.replyPending);

        // a reply slower than a second counts as missing
        r.chain.faults.replyDelay = 1.5;
        r.link.SD(bytes("81 09 00 02 FF"), 0);
        QCOMPARE(r.link.WaitReply(10).left(3), bytes("00 01 02"));
        // the next call starts its own second
        r.chain.faults.replyDelay = 0.3;
        r.link.SD(bytes("81 09 00 02 FF"), 0);
        const QByteArray v = r.link.WaitReply(10);
        QCOMPARE(quint8(v[0]), quint8(0x90));
    }

    void waitCheckStopwatch()
    {
        LinkRig r;
        QVERIFY(r.link.WaitCheck(0));
        QVERIFY(!r.link.WaitCheck(1.0));  // arms
        r.clock.advance(0.5);
        QVERIFY(!r.link.WaitCheck(1.0));
        r.clock.advance(0.5);
        QVERIFY(r.link.WaitCheck(1.0));   // disarms
        QVERIFY(!r.link.WaitCheck(1.0));  // a new wait starts afresh
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
        LinkRig r;
        r.setAutoRunning();
        r.link.SD(bytes("81 01 04 07 02 FF"), 1);
        r.link.traffic().append(TrafficLog::Received, QStringLiteral("90 51 FF \r\n"));
        r.link.handleReceived(bytes("90 41 FF"));
        QVERIFY(r.timer1.isActive());
        QVERIFY(r.autoRefreshed.isEnabled());

        // stopped with a pending delayed read: the timer is enabled again
        LinkRig s;
        s.state.echo = true;
        s.refresh.readOnceAfterCommand(6000);
        QVERIFY(!s.timer1.isActive());
        s.link.handleReceived(bytes("90 60 02 FF"));
        QVERIFY(s.timer1.isActive());
        QCOMPARE(s.timer1.interval(), 6000);
        QCOMPARE(s.autoRefreshed.text(), QStringLiteral("Stop"));
    }

    void acknowledgeAloneSuspends()
    {
        LinkRig r;
        r.setAutoRunning();
        r.state.echo = true;
        r.state.presetBusy = true;
        QVERIFY(!r.link.CheckFinishCommand());  // empty window
        r.link.handleReceived(bytes("90 41 FF"));
        QVERIFY(!r.timer1.isActive());
        QVERIFY(!r.autoRefreshed.isEnabled());
        QVERIFY(r.state.presetAcknowledged);
    }

    void networkChangeIsAnnounced()
    {
        LinkRig r;
        QSignalSpy notices(&r.link, &Link::networkChange);
        r.link.SD(bytes("81 01 04 07 02 FF"), 1);
        LinkRig::pump();
        // seen next to the completion, the notice is taken for a finishing reply
        r.port.injectNetworkChange(1);
        LinkRig::pump();
        QCOMPARE(notices.size(), 0);
        r.link.traffic().clear();
        r.port.injectNetworkChange(1);
        LinkRig::pump();
        QCOMPARE(notices.size(), 1);
    }

    void presetFinishing()
    {
        LinkRig r;
        r.state.echo = true;
        QList<QPair<int, int>> released;
        connect(&r.link, &Link::presetFinished, this, [&](int kind, int number) { released << qMakePair(kind, number); });
        r.setAutoRunning();
        r.state.presetBusy = true;
        r.state.presetKind = 1;
        r.state.presetNumber = 4;

        // an inquiry answer does not end it, and auto refresh stays suspended
        r.link.SD(bytes("81 01 04 3F 02 04 FF"), 1);
        r.link.handleReceived(bytes("90 50 02 FF"));
        QVERIFY(r.state.presetBusy);
        QVERIFY(!r.timer1.isActive());

        // a completion without an acknowledge first does not end it either
        r.link.traffic().clear();
        r.link.handleReceived(bytes("90 51 FF"));
        QVERIFY(r.state.presetBusy);

        // acknowledge, then completion: finished
        r.link.traffic().clear();
        r.link.handleReceived(bytes("90 41 FF"));
        r.link.traffic().clear();
        r.link.handleReceived(bytes("90 51 FF"));
        QVERIFY(!r.state.presetBusy);
        QCOMPARE(r.refresh.skipCount(), 2);
        QCOMPARE(released, (QList<QPair<int, int>>{{1, 4}}));
        QVERIFY(r.timer1.isActive());

        // an error ends a preset at once
        r.state.presetBusy = true;
        r.state.presetAcknowledged = false;
        r.state.presetKind = 0;
        r.state.presetNumber = 2;
        r.link.traffic().clear();
        r.link.handleReceived(bytes("90 60 02 FF"));
        QVERIFY(!r.state.presetBusy);
        QCOMPARE(released.last(), qMakePair(0, 2));
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
        LinkRig r;
        r.state.echo = true;
        r.setAutoRunning();
        QSignalSpy ends(&r.link, &Link::presetFinished);
        const int presets = int(traffic.count(QLatin1Char('P')));
        int sincePreset = -1;  // replies since the last preset's packet
        int endedAt = -1;      // ... when the last preset ended
        for (const QString& step : traffic.split(QLatin1Char('|'))) {
            if (step == QLatin1String("P")) {
                QVERIFY(!r.state.presetBusy);
                r.link.startPreset(1, 3);
                r.link.SD(bytes("81 01 04 3F 02 03 FF"), 1);
                sincePreset = 0;
                continue;
            }
            r.link.handleReceived(bytes(qPrintable(step)));
            if (endedAt < 0 && ends.size() == presets)
                endedAt = sincePreset;
            ++sincePreset;
        }
        QCOMPARE(endedAt, released);
        QCOMPARE(r.state.presetBusy, released < 0);
        // Suspended while it runs; two reads skipped and running again after.
        QCOMPARE(r.timer1.isActive(), released >= 0);
        if (released >= 0) {
            QCOMPARE(ends.last(), (QList<QVariant>{1, 3}));
            QCOMPARE(r.refresh.skipCount(), 2);
        }
    }

    void presetGivenUpWhenNeverEnded()
    {
        LinkRig r;
        r.state.echo = true;
        r.setAutoRunning();
        QSignalSpy abandoned(&r.link, &Link::presetAbandoned);
        QSignalSpy ends(&r.link, &Link::presetFinished);
        auto* watch = r.link.findChild<QTimer*>(QStringLiteral("PresetWatch"));
        QVERIFY(watch);
        r.link.startPreset(0, 4);
        r.link.SD(bytes("81 01 04 3F 01 04 FF"), 1);
        QVERIFY(watch->isActive());
        QCOMPARE(watch->interval(), int(Link::kPresetLimit * 1000));
        r.link.handleReceived(bytes("90 41 FF"));

        r.clock.advance(Link::kPresetLimit - 0.1);
        QVERIFY(!r.link.expireOverduePreset());
        QVERIFY(r.state.presetBusy);
        r.clock.advance(0.1);
        QVERIFY(r.link.expireOverduePreset());
        QCOMPARE(abandoned.size(), 1);
        QCOMPARE(ends.size(), 1);
        QCOMPARE(ends.first(), (QList<QVariant>{0, 4}));
        QVERIFY(!r.state.presetBusy && !watch->isActive());
        QVERIFY(r.timer1.isActive());
        QVERIFY(!r.link.expireOverduePreset());  // once

        // A completion that comes after all is an ordinary finishing reply.
        r.link.handleReceived(bytes("90 51 FF"));
        QCOMPARE(ends.size(), 1);

        // An operation that ends in time stops its watch.
        r.link.startPreset(2, 1);
        r.link.handleReceived(bytes("90 60 02 FF"));
        QVERIFY(!watch->isActive());
        r.clock.advance(Link::kPresetLimit);
        QVERIFY(!r.link.expireOverduePreset());
        QCOMPARE(abandoned.size(), 1);
    }

    void refreshErrorStopsAutoRefresh()
    {
        LinkRig r;
        r.setAutoRunning();
        r.refresh.suspendForCommand();
        QVERIFY(!r.autoRefreshed.isEnabled() && !r.refreshOnce.isEnabled());
        r.port.injectFromChain(bytes("12 34"));
        r.refresh.ARError();
        QCOMPARE(r.messages.boxes.size(), 1);
        QCOMPARE(r.messages.boxes[0].text, QStringLiteral("Refresh Action Error !\nRefresh Action is Stopped."));
        QCOMPARE(r.messages.boxes[0].icon, QMessageBox::Critical);
        QVERIFY(!r.timer1.isActive());
        QCOMPARE(r.autoRefreshed.text(), QStringLiteral("Stop"));
        QVERIFY(r.autoRefreshed.isEnabled());
        QVERIFY(r.refreshOnce.isEnabled());
        QCOMPARE(r.port.inBufferCount(), 0);
    }

    void sendDirectWritesEachByte()
    {
        LinkRig r;
        QCOMPARE(r.link.SendDirect(QStringLiteral("8101040702FF")), QStringLiteral("OK"));
        const auto writes = r.takeWrites();
        QCOMPARE(writes.size(), 6);
        QCOMPARE(hex(writes.join()), QStringLiteral("81 01 04 07 02 FF"));
        QCOMPARE(r.sendText.text(), QStringLiteral("81 01 04 07 02 FF \r\n"));
        QCOMPARE(r.port.rThreshold(), 1);
        LinkRig::pump();
        QCOMPARE(r.recvText.text(), QStringLiteral("90 41 FF \r\n90 51 FF \r\n"));

        // empty: no byte, an empty line all the same
        QCOMPARE(r.link.SendDirect(QString()), QStringLiteral("OK"));
        QVERIFY(r.takeWrites().isEmpty());
        QVERIFY(r.sendText.text().endsWith(QStringLiteral("FF \r\n\r\n")));
        // text that is not whole hex pairs is refused as a whole
        QCOMPARE(r.link.SendDirect(QStringLiteral("810")), QStringLiteral("NG"));
        QCOMPARE(r.link.SendDirect(QStringLiteral("81G1")), QStringLiteral("NG"));
        // a blank or a control character inside a pair is no digit either
        QCOMPARE(r.link.SendDirect(QStringLiteral("4\r0500")), QStringLiteral("NG"));
        QCOMPARE(r.link.SendDirect(QStringLiteral(" 40500")), QStringLiteral("NG"));
        QCOMPARE(r.link.SendDirect(QStringLiteral("+1")), QStringLiteral("NG"));
        QCOMPARE(r.link.SendDirect(QString(QChar(0)) + QStringLiteral("1")), QStringLiteral("NG"));
        QVERIFY(r.takeWrites().isEmpty());
    }
};

QTEST_MAIN(TestLink)
#include "test_link.moc"
