#include "sim_chain.h"

#include <QtTest>
#include <functional>

using namespace peltro;
using namespace peltro::sim;

namespace {

QByteArray hex(const QString& text)
{
    return QByteArray::fromHex(text.toLatin1());
}

QString show(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

// Replies as "90 41 FF | 90 51 FF", so a failure shows the bytes.
QString show(const QList<Emission>& emissions)
{
    QStringList parts;
    for (const Emission& e : emissions)
        parts << show(e.bytes);
    return parts.join(QStringLiteral(" | "));
}

QString send(SimChain& chain, const QString& packet)
{
    return show(chain.feed(hex(packet)));
}

SimChain chainOf(const QStringList& names)
{
    QString error;
    std::optional<SimChain> chain = SimChain::fromNames(names, &error);
    if (!chain)
        qFatal("%s", qPrintable(error));
    return std::move(*chain);
}

SimChain chainOf(const QString& name, int count)
{
    return chainOf(QStringList(count, name));
}

const QString kDone = QStringLiteral("90 41 FF | 90 51 FF");
const QString kSyntax = QStringLiteral("90 60 02 FF");

struct Flag {
    bool CameraState::*member = nullptr;
};

} // namespace

Q_DECLARE_METATYPE(Flag)

class TestSimChain : public QObject {
    Q_OBJECT

private slots:
    // ---------------------------------------------------------------------------
    // Broadcasts

    void interfaceClearBroadcast_data()
    {
        QTest::addColumn<int>("cameras");
        QTest::newRow("one") << 1;
        QTest::newRow("two") << 2;
        QTest::newRow("seven") << 7;
    }

    void interfaceClearBroadcast()
    {
        QFETCH(int, cameras);
        SimChain chain = chainOf(QStringLiteral("quorin-p3"), cameras);
        chain.faults.replyDelay = 0.3;
        const QList<Emission> back = chain.feed(hex("88 01 00 01 FF"));
        QCOMPARE(show(back), QStringLiteral("88 01 00 01 FF"));
        QCOMPARE(back.first().delay, 0.3);
    }

    void addressSet_data()
    {
        QTest::addColumn<int>("cameras");
        QTest::addColumn<int>("first");
        QTest::addColumn<QString>("returned");
        QTest::newRow("one camera") << 1 << 1 << "88 30 02 FF";
        QTest::newRow("two cameras") << 2 << 1 << "88 30 03 FF";
        QTest::newRow("seven cameras") << 7 << 1 << "88 30 08 FF";
        QTest::newRow("two cameras from 3") << 2 << 3 << "88 30 05 FF";
    }

    void addressSet()
    {
        QFETCH(int, cameras);
        QFETCH(int, first);
        QFETCH(QString, returned);
        SimChain chain = chainOf(QStringLiteral("tamiro-k9s"), cameras);
        QCOMPARE(send(chain, QStringLiteral("88 30 %1 FF").arg(first, 2, 16, QLatin1Char('0'))), returned);
        for (int position = 1; position <= cameras; ++position)
            QCOMPARE(chain.camera(position).address, first + position - 1);

        // The last camera now answers under its new address.
        const int last = first + cameras - 1;
        const QByteArray answer = chain.feed(hex(QStringLiteral("8%1 09 00 02 FF").arg(last))).value(0).bytes;
        QCOMPARE(answer.size(), 10);
        QCOMPARE(quint8(answer.at(0)), quint8(0x80 + 16 * last));
    }

    void broadcastsLost()
    {
        SimChain chain = chainOf(QStringLiteral("quorin-p3"), 2);
        chain.faults.broadcastsLost = true;
        QVERIFY(chain.feed(hex("88 01 00 01 FF")).isEmpty());
        QVERIFY(chain.feed(hex("88 30 01 FF")).isEmpty());
        // Addressed packets still get their answers.
        QCOMPARE(chain.feed(hex("82 09 00 02 FF")).size(), 1);
    }

    void otherBroadcastReachesEveryCamera()
    {
        SimChain chain = chainOf(QStringList { "quorin-p3", "tamiro-j1a", "tamiro-k9b" });
        QCOMPARE(send(chain, "88 01 04 00 03 FF"), QStringLiteral("88 01 04 00 03 FF"));
        for (int position = 1; position <= chain.size(); ++position)
            QVERIFY(!chain.camera(position).state.power);
    }

    // ---------------------------------------------------------------------------
    // Commands

    void commandAcknowledgedThenCompleted()
    {
        SimChain chain = chainOf(QStringLiteral("quorin-p3"), 1);
        chain.faults.replyDelay = 0.25;
        chain.faults.completionDelay = 0.5;
        const QList<Emission> back = chain.feed(hex("81 01 04 47 04 00 00 00 FF"));
        QCOMPARE(show(back), kDone);
        QCOMPARE(back[0].delay, 0.25);
        QCOMPARE(back[1].delay, 0.75);
        QCOMPARE(chain.camera(1).state.zoom, 0x4000);

        // An error comes alone, after the reply delay.
        const QList<Emission> error = chain.feed(hex("81 01 04 99 FF"));
        QCOMPARE(show(error), kSyntax);
        QCOMPARE(error[0].delay, 0.25);
    }

    void commandAcceptance_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("packet");
        QTest::addColumn<bool>("accepted");
        auto row = [](const char* name, const char* model, const char* packet, bool accepted) {
            QTest::newRow(name) << model << packet << accepted;
        };
        row("P3 zoom at its end", "quorin-p3", "81 01 04 47 07 0A 0C 00 FF", true);
        row("P3 zoom past its end", "quorin-p3", "81 01 04 47 07 0A 0C 01 FF", false);
        row("P2 zoom past 0x7000", "quorin-p2", "81 01 04 47 07 00 00 01 FF", false);
        row("P2 focus at 0x8400", "quorin-p2", "81 01 04 48 08 04 00 00 FF", true);
        row("P2 focus past 0x8400", "quorin-p2", "81 01 04 48 08 04 00 01 FF", false);
        row("focus below 0x1000", "quorin-p3", "81 01 04 48 00 0F 0F 0F FF", false);
        row("P3 gain 15", "quorin-p3", "81 01 04 4C 00 00 00 0F FF", true);
        row("P3 gain 16", "quorin-p3", "81 01 04 4C 00 00 01 00 FF", false);
        row("P2 gain 8", "quorin-p2", "81 01 04 4C 00 00 00 08 FF", false);
        row("P2 shutter 20", "quorin-p2", "81 01 04 4A 00 00 01 04 FF", false);
        row("25x bright 31", "tamiro-k9s", "81 01 04 4D 00 00 01 0F FF", true);
        row("10x bright 24", "tamiro-j1a", "81 01 04 4D 00 00 01 08 FF", false);
        row("aperture 16", "quorin-p3", "81 01 04 42 00 00 01 00 FF", false);
        row("R gain with upper bytes", "quorin-p3", "81 01 04 43 00 01 00 00 FF", false);
        row("byte above a nibble", "quorin-p3", "81 01 04 47 00 10 00 00 FF", false);
        row("zoom drive speed 8", "quorin-p3", "81 01 04 07 28 FF", false);
        row("P1 zoom", "quorin-p1", "81 01 04 47 01 00 00 00 FF", true);
        row("P1 fixed-speed focus", "quorin-p1", "81 01 04 08 03 FF", true);
        row("P1 AE mode", "quorin-p1", "81 01 04 39 03 FF", false);
        row("P3 shutter auto", "quorin-p3", "81 01 04 39 1A FF", false);
        row("P2 shutter auto", "quorin-p2", "81 01 04 39 1A FF", true);
        row("monochrome camera WB", "tamiro-k3m", "81 01 04 35 05 FF", false);
        row("J4A freeze", "tamiro-j4a", "81 01 04 62 02 FF", false);
        row("J4AP freeze", "tamiro-j4ap", "81 01 04 62 02 FF", true);
        row("K3MB black & white", "tamiro-k3mb", "81 01 04 63 04 FF", false);
        row("key lock off is 00", "tamiro-k9s", "81 01 04 17 00 FF", true);
        row("custom memory on a block camera", "tamiro-k9s", "81 01 04 3F 02 7F FF", true);
        row("custom memory on a pan/tilt camera", "quorin-p3", "81 01 04 3F 02 7F FF", false);
        row("block camera pan-tilt", "tamiro-k9s", "81 01 06 01 18 18 01 03 FF", false);
        row("pan at its maximum speed", "quorin-p3", "81 01 06 01 18 18 01 03 FF", true);
        row("pan above its maximum speed", "quorin-p3", "81 01 06 01 19 18 01 03 FF", false);
        row("moving pan at speed 0", "quorin-p3", "81 01 06 01 00 18 02 03 FF", false);
        row("pan direction 4", "quorin-p3", "81 01 06 01 18 18 04 03 FF", false);
        row("unknown command", "quorin-p3", "81 01 04 99 FF", false);
        row("header and terminator only", "quorin-p3", "81 FF", false);
    }

    void commandAcceptance()
    {
        QFETCH(QString, model);
        QFETCH(QString, packet);
        QFETCH(bool, accepted);
        SimChain chain = chainOf(model, 1);
        QCOMPARE(send(chain, packet), accepted ? kDone : kSyntax);
    }

    void poweredOffCamera()
    {
        SimChain chain = chainOf(QStringLiteral("quorin-p3"), 1);
        QCOMPARE(send(chain, "81 01 04 00 03 FF"), kDone);
        QCOMPARE(send(chain, "81 01 04 47 04 00 00 00 FF"), QStringLiteral("90 61 41 FF"));
        QCOMPARE(send(chain, "81 01 06 04 FF"), QStringLiteral("90 61 41 FF"));
        QCOMPARE(chain.camera(1).state.zoom, 0);
        QCOMPARE(send(chain, "81 01 04 99 FF"), kSyntax);

        // Inquiries still work, and report the power off.
        const QByteArray other = chain.feed(hex("81 09 7E 7E 02 FF")).value(0).bytes;
        QCOMPARE(other.size(), 16);
        QCOMPARE(other.at(2) & 0x01, 0);

        QCOMPARE(send(chain, "81 01 04 00 02 FF"), kDone);
        QVERIFY(chain.camera(1).state.power);
        QCOMPARE(send(chain, "81 01 04 47 04 00 00 00 FF"), kDone);
    }

    void interfaceClearOneCamera()
    {
        SimChain chain = chainOf(QStringLiteral("quorin-p3"), 2);
        QCOMPARE(send(chain, "82 01 00 01 FF"), QStringLiteral("A0 01 00 01 FF"));
    }

    void drivesMoveWithinRange()
    {
        SimChain chain = chainOf(QStringLiteral("quorin-p3"), 1);
        CameraState& s = chain.camera(1).state;

        QCOMPARE(send(chain, "81 01 04 07 37 FF"), kDone); // wide at the wide end
        QCOMPARE(s.zoom, 0);
        send(chain, "81 01 04 07 27 FF");
        const int afterTele = s.zoom;
        QVERIFY(afterTele > 0);
        send(chain, "81 01 04 07 00 FF"); // stop
        QCOMPARE(s.zoom, afterTele);
        for (int i = 0; i < 100; ++i)
            send(chain, "81 01 04 07 27 FF");
        QCOMPARE(s.zoom, 0x7AC0); // held at the tele end

        send(chain, "81 01 04 08 37 FF"); // near
        QVERIFY(s.focus > 0x1000);
        for (int i = 0; i < 100; ++i)
            send(chain, "81 01 04 08 27 FF"); // far
        QCOMPARE(s.focus, 0x1000);

        QCOMPARE(send(chain, "81 01 04 06 25 FF"), kDone); // digital tele
        QVERIFY(s.digitalZoom > 0);
    }

    void panTiltHead()
    {
        SimChain chain = chainOf(QStringLiteral("quorin-p3"), 1);
        auto position = [&chain] {
            const QByteArray a = chain.feed(hex("81 09 06 12 FF")).value(0).bytes;
            auto word = [&a](int from) {
                return qint16(
                    (a.at(from) << 12) | (a.at(from + 1) << 8) | (a.at(from + 2) << 4) | a.at(from + 3));
            };
            return std::pair<int, int> { word(2), word(6) };
        };

        QCOMPARE(send(chain, "81 09 06 11 FF"), QStringLiteral("90 50 18 18 FF"));
        QCOMPARE(send(chain, "81 01 06 01 05 05 02 03 FF"), kDone); // right
        QVERIFY(position().first > 0);
        QCOMPARE(position().second, 0);
        send(chain, "81 01 06 01 05 05 01 03 FF"); // left, back
        send(chain, "81 01 06 01 05 05 01 02 FF"); // down-left
        QVERIFY(position().first < 0);
        QVERIFY(position().second < 0);
        QCOMPARE(send(chain, "81 01 06 04 FF"), kDone); // home
        QCOMPARE(position(), (std::pair<int, int> { 0, 0 }));

        // A lower reported maximum refuses what it used to allow.
        chain.camera(1).state.panMaxSpeed = 0x10;
        QCOMPARE(send(chain, "81 09 06 11 FF"), QStringLiteral("90 50 10 18 FF"));
        QCOMPARE(send(chain, "81 01 06 01 11 05 02 03 FF"), kSyntax);

        chain.camera(1).state.panTiltStatus = 0x0400;
        QCOMPARE(send(chain, "81 09 06 10 FF"), QStringLiteral("90 50 04 00 FF"));
    }

    // ---------------------------------------------------------------------------
    // Inquiries and status blocks

    void inquiryLengths_data()
    {
        QTest::addColumn<QString>("packet");
        QTest::addColumn<int>("length");
        QTest::newRow("version") << "81 09 00 02 FF" << 10;
        QTest::newRow("lens block") << "81 09 7E 7E 00 FF" << 16;
        QTest::newRow("camera block") << "81 09 7E 7E 01 FF" << 16;
        QTest::newRow("other block") << "81 09 7E 7E 02 FF" << 16;
        QTest::newRow("expanded block") << "81 09 7E 7E 03 FF" << 16;
        QTest::newRow("pan-tilt position") << "81 09 06 12 FF" << 11;
        QTest::newRow("pan-tilt status") << "81 09 06 10 FF" << 5;
        QTest::newRow("maximum speeds") << "81 09 06 11 FF" << 5;
        QTest::newRow("alarm on/off") << "81 09 04 6B FF" << 4;
        QTest::newRow("alarm mode") << "81 09 04 6C FF" << 4;
        QTest::newRow("alarm levels") << "81 09 04 6D FF" << 12;
        QTest::newRow("auto power-off") << "81 09 04 40 FF" << 7;
        QTest::newRow("night power-off") << "81 09 04 41 FF" << 7;
    }

    void inquiryLengths()
    {
        QFETCH(QString, packet);
        QFETCH(int, length);
        SimChain chain = chainOf(QStringLiteral("quorin-p3"), 1);
        const QList<Emission> back = chain.feed(hex(packet));
        QCOMPARE(back.size(), 1);
        const QByteArray a = back[0].bytes;
        QCOMPARE(a.size(), length);
        QCOMPARE(quint8(a.at(0)), quint8(0x90));
        QCOMPARE(quint8(a.at(1)), quint8(0x50));
        QCOMPARE(a.indexOf(char(0xFF)), length - 1); // the one terminator is the last byte
    }

    void inquiriesOnlyWhereKnown()
    {
        SimChain p1 = chainOf(QStringLiteral("quorin-p1"), 1);
        QCOMPARE(send(p1, "81 09 7E 7E 00 FF"), kSyntax);
        QCOMPARE(p1.feed(hex("81 09 06 12 FF")).value(0).bytes.size(), 11);
        SimChain block = chainOf(QStringLiteral("tamiro-k9s"), 1);
        QCOMPARE(send(block, "81 09 06 12 FF"), kSyntax);
        SimChain p2 = chainOf(QStringLiteral("quorin-p2"), 1);
        QCOMPARE(send(p2, "81 09 04 6B FF"), kSyntax);
        QCOMPARE(send(p2, "81 09 7E 7E 04 FF"), kSyntax);
    }

    void versionAnswer()
    {
        SimChain chain = chainOf(QStringList { "quorin-p3", "tamiro-j1a" });
        chain.camera(1).state.romHigh = 0x0A;
        chain.camera(1).state.romLow = 0x1F;
        QCOMPARE(send(chain, "81 09 00 02 FF"), QStringLiteral("90 50 00 01 00 0E 0A 1F 02 FF"));
        QCOMPARE(send(chain, "82 09 00 02 FF"), QStringLiteral("A0 50 00 20 00 1C 02 05 02 FF"));
    }

    void blockLayout()
    {
        SimChain chain = chainOf(QStringLiteral("quorin-p3"), 1);
        CameraState& s = chain.camera(1).state;
        s.zoom = 0x1234;
        s.focusNearLimit = 0xA500;
        s.focus = 0x5678;
        s.focusAuto = true;
        s.afSubMode = 2;
        QCOMPARE(send(chain, "81 09 7E 7E 00 FF"),
            QStringLiteral("90 50 01 02 03 04 0A 05 05 06 07 08 00 11 00 FF"));

        s.rGain = 0x9C;
        s.bGain = 0x3E;
        s.wbMode = 5;
        s.aperture = 0x0F;
        s.aeMode = 0x0D;
        s.slowShutter = true;
        s.backLight = true;
        s.shutter = 0x13;
        s.iris = 0x11;
        s.gain = 0x0E;
        s.bright = 0x1F;
        s.expComp = 0x0E;
        QCOMPARE(send(chain, "81 09 7E 7E 01 FF"),
            QStringLiteral("90 50 09 0C 03 0E 05 0F 0D 05 13 11 0E 1F 0E FF"));

        s.keyLock = true;
        s.lrReverse = true;
        s.titleDisplay = true;
        s.pictureEffect = 4;
        s.digitalEffect = 3;
        s.effectLevel = 0x14;
        s.cameraId = 0xBEEF;
        s.videoSystem = 1;
        QCOMPARE(send(chain, "81 09 7E 7E 02 FF"),
            QStringLiteral("90 50 03 04 08 04 03 14 0B 0E 0E 0F 01 00 00 FF"));

        s.digitalZoom = 0xEB;
        s.alarmOn = true;
        QCOMPARE(send(chain, "81 09 7E 7E 03 FF"),
            QStringLiteral("90 50 0E 0B 00 00 00 00 00 00 02 02 00 00 00 FF"));
    }

    void blockFlagBits_data()
    {
        QTest::addColumn<Flag>("field");
        QTest::addColumn<int>("block"); // -1: no block reports it
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("mask");
        QTest::newRow("focus auto") << Flag { &CameraState::focusAuto } << 0 << 13 << 0x01;
        QTest::newRow("digital zoom on") << Flag { &CameraState::digitalZoomOn } << 0 << 13 << 0x02;
        QTest::newRow("AF sensitivity") << Flag { &CameraState::afSensitivityLow } << 0 << 13 << 0x04;
        QTest::newRow("separate mode") << Flag { &CameraState::digitalZoomSeparate } << 0 << 13 << 0x20;
        QTest::newRow("slow shutter") << Flag { &CameraState::slowShutter } << 1 << 9 << 0x01;
        QTest::newRow("exp comp on") << Flag { &CameraState::expCompOn } << 1 << 9 << 0x02;
        QTest::newRow("back light") << Flag { &CameraState::backLight } << 1 << 9 << 0x04;
        QTest::newRow("power") << Flag { &CameraState::power } << 2 << 2 << 0x01;
        QTest::newRow("key lock") << Flag { &CameraState::keyLock } << 2 << 2 << 0x02;
        QTest::newRow("auto ICR") << Flag { &CameraState::autoIcr } << 2 << 2 << 0x04;
        QTest::newRow("LR reverse") << Flag { &CameraState::lrReverse } << 2 << 3 << 0x04;
        QTest::newRow("freeze") << Flag { &CameraState::freeze } << 2 << 3 << 0x08;
        QTest::newRow("data screen") << Flag { &CameraState::dataScreen } << 2 << 4 << 0x04;
        QTest::newRow("title display") << Flag { &CameraState::titleDisplay } << 2 << 4 << 0x08;
        QTest::newRow("ceiling mount") << Flag { &CameraState::ceilingMount } << 3 << 10 << 0x01;
        QTest::newRow("alarm on") << Flag { &CameraState::alarmOn } << 3 << 10 << 0x02;
        QTest::newRow("motion detection")
            << Flag { &CameraState::motionDetectionAvailable } << 3 << 11 << 0x02;
        QTest::newRow("mute") << Flag { &CameraState::mute } << -1 << 0 << 0;
        QTest::newRow("picture flip") << Flag { &CameraState::flip } << -1 << 0 << 0;
        QTest::newRow("ICR") << Flag { &CameraState::icr } << -1 << 0 << 0;
        QTest::newRow("stabilizer") << Flag { &CameraState::stabilizer } << -1 << 0 << 0;
    }

    // Flipping one switch changes exactly its bit and nothing else in any block.
    void blockFlagBits()
    {
        QFETCH(Flag, field);
        QFETCH(int, block);
        QFETCH(int, byte);
        QFETCH(int, mask);

        SimCamera cam(*findModel(QStringLiteral("quorin-p3")));
        cam.address = 1;
        QByteArray before[4], after[4];
        for (int b = 0; b < 4; ++b)
            before[b] = cam.statusBlock(b);
        cam.state.*field.member = !(cam.state.*field.member);
        for (int b = 0; b < 4; ++b)
            after[b] = cam.statusBlock(b);

        for (int b = 0; b < 4; ++b) {
            for (int i = 0; i < 16; ++i) {
                const int expected = (b == block && i == byte) ? mask : 0;
                if ((before[b].at(i) ^ after[b].at(i)) != expected)
                    QFAIL(qPrintable(QStringLiteral("block %1 byte %2: %3 -> %4")
                                         .arg(b)
                                         .arg(i)
                                         .arg(show(before[b]), show(after[b]))));
            }
        }
    }

    void commandChangesNextBlock_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QStringList>("packets");
        QTest::addColumn<int>("block");
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const char* model, QStringList packets, int block, int from,
                       const char* expected) {
            QTest::newRow(name) << model << packets << block << from << expected;
        };
        const char* p3 = "quorin-p3";
        row("zoom direct", p3, { "81 01 04 47 04 00 00 00 FF" }, 0, 2, "04 00 00 00");
        row("focus direct", p3, { "81 01 04 48 0A 0B 0C 0D FF" }, 0, 8, "0A 0B 0C 0D");
        row("near limit", p3, { "81 01 04 28 08 04 00 00 FF" }, 0, 6, "08 04");
        row("infinity", p3, { "81 01 04 48 08 00 00 00 FF", "81 01 04 18 02 FF" }, 0, 8, "01 00 00 00");
        row("manual focus", p3, { "81 01 04 38 03 FF" }, 0, 13, "00");
        row("interval AF", p3, { "81 01 04 57 01 FF" }, 0, 13, "09");
        row("AF sensitivity", p3, { "81 01 04 58 02 FF" }, 0, 13, "05");
        row("digital zoom on, separate", p3, { "81 01 04 06 02 FF", "81 01 04 36 01 FF" }, 0, 13, "23");
        row("digital zoom off, combine", p3,
            { "81 01 04 06 02 FF", "81 01 04 36 01 FF", "81 01 04 06 03 FF", "81 01 04 36 00 FF" }, 0, 13,
            "01");
        row("AE manual", p3, { "81 01 04 39 03 FF" }, 1, 8, "03");
        row("manual WB and R gain", p3, { "81 01 04 35 05 FF", "81 01 04 43 00 00 0A 0B FF" }, 1, 2,
            "0A 0B 08 00 05");
        row("B gain reset", p3, { "81 01 04 44 00 00 01 02 FF", "81 01 04 04 00 FF" }, 1, 4, "08 00");
        row("gain up at its end", p3, { "81 01 04 4C 00 00 00 0F FF", "81 01 04 0C 02 FF" }, 1, 12, "0F");
        row("aperture up", p3, { "81 01 04 42 00 00 00 09 FF", "81 01 04 02 02 FF" }, 1, 7, "0A");
        row("exp comp direct", p3, { "81 01 04 4E 00 00 00 0E FF" }, 1, 14, "0E");
        row("back light, slow shutter, exp comp", p3,
            { "81 01 04 33 02 FF", "81 01 04 5A 02 FF", "81 01 04 3E 02 FF" }, 1, 9, "07");
        row("power off", p3, { "81 01 04 00 03 FF" }, 2, 2, "00");
        row("key lock", "tamiro-k9s", { "81 01 04 17 02 FF" }, 2, 2, "03");
        row("freeze and LR reverse", p3, { "81 01 04 62 02 FF", "81 01 04 61 02 FF" }, 2, 3, "0C");
        row("effects and level", "tamiro-k9s",
            { "81 01 04 63 05 FF", "81 01 04 64 03 FF", "81 01 04 65 14 FF" }, 2, 5, "05 03 14");
        row("camera ID", p3, { "81 01 04 22 01 02 03 04 FF" }, 2, 8, "01 02 03 04");
        row("digital zoom direct", p3, { "81 01 04 46 00 00 0E 0B FF" }, 3, 2, "0E 0B");
        row("digital zoom back to 1x", p3, { "81 01 04 06 10 FF", "81 01 04 06 10 FF" }, 3, 2, "00 00");
        row("memory recall", p3,
            { "81 01 04 47 01 00 00 00 FF", "81 01 04 3F 01 02 FF", "81 01 04 47 03 00 00 00 FF",
                "81 01 04 3F 02 02 FF" },
            0, 2, "01 00 00 00");
        row("recall of a reset memory", p3,
            { "81 01 04 47 01 00 00 00 FF", "81 01 04 3F 01 02 FF", "81 01 04 3F 00 02 FF",
                "81 01 04 47 03 00 00 00 FF", "81 01 04 3F 02 02 FF" },
            0, 2, "03 00 00 00");
    }

    void commandChangesNextBlock()
    {
        QFETCH(QString, model);
        QFETCH(QStringList, packets);
        QFETCH(int, block);
        QFETCH(int, from);
        QFETCH(QString, expected);
        SimChain chain = chainOf(model, 1);
        for (const QString& packet : packets)
            QCOMPARE(send(chain, packet), kDone);
        const QByteArray answer
            = chain.feed(hex(QStringLiteral("81 09 7E 7E %1 FF").arg(block, 2, 10, QLatin1Char('0'))))
                  .value(0)
                  .bytes;
        QCOMPARE(answer.size(), 16);
        QCOMPARE(show(answer.mid(from, hex(expected).size())), expected);
    }

    void videoSystemFromModel()
    {
        SimChain chain = chainOf(QStringList { "tamiro-j1a", "tamiro-j1ap", "tamiro-k3bce", "tamiro-k9s" });
        const int expected[] = { 0, 1, 1, 0 };
        for (int position = 1; position <= 4; ++position) {
            const QByteArray other
                = chain.feed(hex(QStringLiteral("8%1 09 7E 7E 02 FF").arg(position))).value(0).bytes;
            QCOMPARE(int(other.at(12)), expected[position - 1]);
        }
    }

    // ---------------------------------------------------------------------------
    // Receiving bytes

    void chunking_data()
    {
        QTest::addColumn<QStringList>("chunks");
        QTest::addColumn<QString>("expected");
        const QString version = QStringLiteral("90 50 00 01 00 0E 02 05 02 FF");
        QStringList bytewise;
        for (const QString& b : QStringLiteral("81 09 00 02 FF").split(' '))
            bytewise << b;
        QTest::newRow("byte by byte") << bytewise << version;
        QTest::newRow("split inside a packet") << QStringList { "81 01 04", "47 04 00", "00 00 FF" } << kDone;
        QTest::newRow("noise before the header") << QStringList { "12 34 FF 00 81 09 00 02 FF" } << version;
        QTest::newRow("two packets in one chunk")
            << QStringList { "81 01 04 00 02 FF 81 09 04 6B FF" } << kDone + " | 90 50 03 FF";
        QTest::newRow("noise between packets")
            << QStringList { "81 09 04 6B FF 55 80 89", "81 09 04 6B FF" } << "90 50 03 FF | 90 50 03 FF";
        // A header-like byte inside a packet is a parameter, not a new packet.
        QTest::newRow("header byte as a parameter") << QStringList { "81 01 04 65 85 FF" } << kSyntax;
    }

    void chunking()
    {
        QFETCH(QStringList, chunks);
        QFETCH(QString, expected);
        SimChain chain = chainOf(QStringLiteral("quorin-p3"), 1);
        QList<Emission> back;
        for (const QString& chunk : chunks)
            back += chain.feed(hex(chunk));
        QCOMPARE(show(back), expected);
    }

    void overlongPacket()
    {
        SimChain chain = chainOf(QStringLiteral("quorin-p3"), 2);
        const QString longBody = QStringLiteral("01 04 73 01 1B 1B 1B 1B 1B 1B 1B 1B 1B 1B 1B"); // 15 bytes
        QCOMPARE(send(chain, "82 " + longBody + " FF"), QStringLiteral("A0 60 03 FF"));
        QCOMPARE(send(chain, "85 " + longBody + " FF"), QString()); // nobody there
        QCOMPARE(chain.log.size(), 2);
        QCOMPARE(chain.log[0].size(), 17);
        // The line is back in step afterwards.
        QCOMPARE(send(chain, "81 09 04 6C FF"), QStringLiteral("90 50 00 FF"));
    }

    void unaddressedAndSilentCameras()
    {
        SimChain chain = chainOf(QStringLiteral("tamiro-k9s"), 2);
        chain.faults.silent = { 2 };
        QCOMPARE(send(chain, "83 09 00 02 FF"), QString());
        QCOMPARE(send(chain, "82 01 04 00 03 FF"), QString());
        QCOMPARE(send(chain, "81 01 04 00 03 FF"), kDone);
        // A silent camera still passes broadcasts on and takes its address.
        QCOMPARE(send(chain, "88 30 01 FF"), QStringLiteral("88 30 03 FF"));
        QCOMPARE(chain.camera(2).address, 2);
        QCOMPARE(chain.log.size(), 4);
    }

    void junkBeforeReplies()
    {
        SimChain chain = chainOf(QStringLiteral("quorin-p3"), 1);
        chain.faults.junk = hex("12 34");
        QCOMPARE(send(chain, "81 01 04 00 02 FF"), QStringLiteral("12 34 90 41 FF | 12 34 90 51 FF"));
        QCOMPARE(send(chain, "88 01 00 01 FF"), QStringLiteral("12 34 88 01 00 01 FF"));
    }

    void networkChangeNotice()
    {
        SimChain chain = chainOf(QStringLiteral("quorin-p3"), 3);
        QCOMPARE(show(chain.networkChangeNotice(2)), QStringLiteral("A0 38 FF"));
        send(chain, "88 30 04 FF");
        QCOMPARE(show(chain.networkChangeNotice(2)), QStringLiteral("D0 38 FF"));
    }

    // ---------------------------------------------------------------------------
    // Choosing models

    void fromNames_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("cameras"); // 0: refused
        QTest::addColumn<QString>("detail"); // first model's name, or a word of the error
        QTest::newRow("comma list") << QStringList { "quorin-p3,tamiro-j1a" } << 2 << "QUORIN-P3";
        QTest::newRow("separate names, any case")
            << QStringList { "TAMIRO-K9S/SP", " quorin-p2 " } << 2 << "TAMIRO-K9S/SP";
        QTest::newRow("seven") << QStringList(7, "tamiro-k3a") << 7 << "TAMIRO-K3A";
        QTest::newRow("unknown") << QStringList { "quorin-p3,quorin-p9" } << 0 << "quorin-p9";
        QTest::newRow("none") << QStringList {} << 0 << "no camera";
        QTest::newRow("empty text") << QStringList { " , " } << 0 << "no camera";
        QTest::newRow("eight") << QStringList(8, "quorin-p3") << 0 << "8";
    }

    void fromNames()
    {
        QFETCH(QStringList, names);
        QFETCH(int, cameras);
        QFETCH(QString, detail);
        QString error;
        const std::optional<SimChain> chain = SimChain::fromNames(names, &error);
        if (cameras == 0) {
            QVERIFY(!chain);
            QVERIFY2(error.contains(detail), qPrintable(error));
            return;
        }
        QVERIFY2(chain, qPrintable(error));
        QCOMPARE(chain->size(), cameras);
        QCOMPARE(chain->camera(1).model().name, detail);
        QCOMPARE(chain->camera(cameras).address, cameras);
    }
};

QTEST_GUILESS_MAIN(TestSimChain)
#include "test_sim_chain.moc"
