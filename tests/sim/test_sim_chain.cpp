#include "sim_chain.h"

#include <QtTest>

using namespace peltro;
using namespace peltro::sim;

namespace {

QByteArray hex(const QString& text) { return QByteArray::fromHex(text.toLatin1()); }
QString show(const QByteArray& bytes) { return QString::fromLatin1(bytes.toHex(' ').toUpper()); }

// Replies as "90 41 FF | 90 51 FF", so a failure shows the bytes.
QString show(const QList<Emission>& emissions)
{
    QStringList parts;
    for (const Emission& e : emissions)
        parts << show(e.bytes);
    return parts.join(QStringLiteral(" | "));
}

QString send(SimChain& chain, const QString& packet) { return show(chain.feed(hex(packet))); }
QByteArray answer(SimChain& chain, const QString& packet) { return chain.feed(hex(packet)).value(0).bytes; }

SimChain chainOf(const QStringList& names)
{
    QString error;
    std::optional<SimChain> chain = SimChain::fromNames(names, &error);
    if (!chain)
        qFatal("%s", qPrintable(error));
    return std::move(*chain);
}
SimChain chainOf(const QString& name, int count = 1) { return chainOf(QStringList(count, name)); }

const QString kDone = QStringLiteral("90 41 FF | 90 51 FF");
const QString kSyntax = QStringLiteral("90 60 02 FF");

} // namespace

class TestSimChain : public QObject {
    Q_OBJECT

private slots:
    // Interface clear comes back as sent after the reply delay; address set
    // numbers the chain from the given address and returns the next one.
    void broadcasts_data()
    {
        QTest::addColumn<int>("cameras");
        QTest::addColumn<int>("first");
        QTest::newRow("one camera") << 1 << 1;
        QTest::newRow("seven cameras") << 7 << 1;
        QTest::newRow("two cameras from 3") << 2 << 3;
    }

    void broadcasts()
    {
        QFETCH(int, cameras);
        QFETCH(int, first);
        SimChain chain = chainOf(QStringLiteral("tamiro-k9s"), cameras);
        chain.faults.replyDelay = 0.3;
        const QList<Emission> clear = chain.feed(hex("88 01 00 01 FF"));
        QCOMPARE(show(clear), QStringLiteral("88 01 00 01 FF"));
        QCOMPARE(clear.first().delay, 0.3);

        const QString addressSet = QStringLiteral("88 30 0%1 FF");
        QCOMPARE(send(chain, addressSet.arg(first)), addressSet.arg(first + cameras));
        for (int position = 1; position <= cameras; ++position)
            QCOMPARE(chain.camera(position).address, first + position - 1);
        // The last camera now answers under its new address.
        const int last = first + cameras - 1;
        const QByteArray version = answer(chain, QStringLiteral("8%1 09 00 02 FF").arg(last));
        QCOMPARE(version.size(), 10);
        QCOMPARE(quint8(version.at(0)), quint8(0x80 + 16 * last));
    }

    void otherAndLostBroadcasts()
    {
        SimChain chain = chainOf(QStringList { "quorin-p3", "tamiro-j1a", "tamiro-k9b" });
        // Addressed to one camera, interface clear comes back from it.
        QCOMPARE(send(chain, "82 01 00 01 FF"), QStringLiteral("A0 01 00 01 FF"));
        QCOMPARE(send(chain, "88 01 04 00 03 FF"), QStringLiteral("88 01 04 00 03 FF"));
        for (int position = 1; position <= chain.size(); ++position)
            QVERIFY(!chain.camera(position).state.power);

        chain.faults.broadcastsLost = true;
        QVERIFY(chain.feed(hex("88 01 00 01 FF")).isEmpty());
        QVERIFY(chain.feed(hex("88 30 01 FF")).isEmpty());
        QCOMPARE(chain.feed(hex("82 09 00 02 FF")).size(), 1); // addressed packets still answered
    }

    void commandReplies()
    {
        SimChain chain = chainOf(QStringLiteral("quorin-p3"));
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

        // Powered off: commands are refused as such, unknown ones still as syntax.
        QCOMPARE(send(chain, "81 01 04 00 03 FF"), kDone);
        QCOMPARE(send(chain, "81 01 04 47 00 00 00 00 FF"), QStringLiteral("90 61 41 FF"));
        QCOMPARE(send(chain, "81 01 06 04 FF"), QStringLiteral("90 61 41 FF"));
        QCOMPARE(chain.camera(1).state.zoom, 0x4000);
        QCOMPARE(send(chain, "81 01 04 99 FF"), kSyntax);
        // Inquiries still work, and report the power off.
        const QByteArray other = answer(chain, "81 09 7E 7E 02 FF");
        QCOMPARE(other.size(), 16);
        QCOMPARE(other.at(2) & 0x01, 0);
        QCOMPARE(send(chain, "81 01 04 00 02 FF"), kDone);
        QCOMPARE(send(chain, "81 01 04 47 00 00 00 00 FF"), kDone);
    }

    // What each model accepts or refuses, and the shape of answers no other case pins down.
    void replyByModel_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("packet");
        QTest::addColumn<QString>("reply"); // "??": any byte but the terminator
        auto row = [](const char* name, const char* model, const char* packet, const QString& reply) {
            QTest::newRow(name) << model << packet << reply;
        };
        const char *p1 = "quorin-p1", *p2 = "quorin-p2", *p3 = "quorin-p3", *k9s = "tamiro-k9s";
        row("P3 zoom at its end", p3, "81 01 04 47 07 0A 0C 00 FF", kDone);
        row("P3 zoom past its end", p3, "81 01 04 47 07 0A 0C 01 FF", kSyntax);
        row("P2 zoom past 0x7000", p2, "81 01 04 47 07 00 00 01 FF", kSyntax);
        row("P2 focus at 0x8400", p2, "81 01 04 48 08 04 00 00 FF", kDone);
        row("P2 focus past 0x8400", p2, "81 01 04 48 08 04 00 01 FF", kSyntax);
        row("focus below 0x1000", p3, "81 01 04 48 00 0F 0F 0F FF", kSyntax);
        row("P3 gain 15", p3, "81 01 04 4C 00 00 00 0F FF", kDone);
        row("P3 gain 16", p3, "81 01 04 4C 00 00 01 00 FF", kSyntax);
        row("P2 gain 8", p2, "81 01 04 4C 00 00 00 08 FF", kSyntax);
        row("25x bright 31", k9s, "81 01 04 4D 00 00 01 0F FF", kDone);
        row("10x bright 24", "tamiro-j1a", "81 01 04 4D 00 00 01 08 FF", kSyntax);
        row("R gain with upper bytes", p3, "81 01 04 43 00 01 00 00 FF", kSyntax);
        row("byte above a nibble", p3, "81 01 04 47 00 10 00 00 FF", kSyntax);
        row("zoom drive speed 8", p3, "81 01 04 07 28 FF", kSyntax);
        row("P1 fixed-speed focus", p1, "81 01 04 08 03 FF", kDone);
        row("P1 AE mode", p1, "81 01 04 39 03 FF", kSyntax);
        row("P3 shutter auto", p3, "81 01 04 39 1A FF", kSyntax);
        row("P2 shutter auto", p2, "81 01 04 39 1A FF", kDone);
        row("monochrome camera WB", "tamiro-k3m", "81 01 04 35 05 FF", kSyntax);
        row("J4A freeze", "tamiro-j4a", "81 01 04 62 02 FF", kSyntax);
        row("J4AP freeze", "tamiro-j4ap", "81 01 04 62 02 FF", kDone);
        row("K3MB black & white", "tamiro-k3mb", "81 01 04 63 04 FF", kSyntax);
        row("key lock off is 00", k9s, "81 01 04 17 00 FF", kDone);
        row("custom memory on a block camera", k9s, "81 01 04 3F 02 7F FF", kDone);
        row("custom memory on a pan/tilt camera", p3, "81 01 04 3F 02 7F FF", kSyntax);
        row("block camera pan-tilt", k9s, "81 01 06 01 18 18 01 03 FF", kSyntax);
        row("pan at its maximum speed", p3, "81 01 06 01 18 18 01 03 FF", kDone);
        row("pan above its maximum speed", p3, "81 01 06 01 19 18 01 03 FF", kSyntax);
        row("moving pan at speed 0", p3, "81 01 06 01 00 18 02 03 FF", kSyntax);
        row("pan direction 4", p3, "81 01 06 01 18 18 04 03 FF", kSyntax);
        row("header and terminator only", p3, "81 FF", kSyntax);
        row("P1 pan-tilt position", p1, "81 09 06 12 FF", "90 50 ?? ?? ?? ?? ?? ?? ?? ?? FF");
        row("alarm levels", p3, "81 09 04 6D FF", "90 50 ?? ?? ?? ?? ?? ?? ?? ?? ?? FF");
        row("auto power-off", p3, "81 09 04 40 FF", "90 50 ?? ?? ?? ?? FF");
        row("night power-off", p3, "81 09 04 41 FF", "90 50 ?? ?? ?? ?? FF");
        row("P1 lens block", p1, "81 09 7E 7E 00 FF", kSyntax);
        row("block camera pan-tilt position", k9s, "81 09 06 12 FF", kSyntax);
        row("P2 alarm", p2, "81 09 04 6B FF", kSyntax);
        row("block 04", p2, "81 09 7E 7E 04 FF", kSyntax);
    }

    void replyByModel()
    {
        QFETCH(QString, model);
        QFETCH(QString, packet);
        QFETCH(QString, reply);
        SimChain chain = chainOf(model);
        const QStringList got = send(chain, packet).split(' '), want = reply.split(' ');
        bool same = got.size() == want.size();
        for (int i = 0; same && i < want.size(); ++i)
            same = want[i] == QLatin1String("??") ? got[i] != QLatin1String("FF") : got[i] == want[i];
        QVERIFY2(same, qPrintable(got.join(' ')));
    }

    void drivesMoveWithinRange()
    {
        SimChain chain = chainOf(QStringLiteral("quorin-p3"));
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

        // Digital zoom on moves the tele end of the zoom beyond the optical one.
        QCOMPARE(send(chain, "81 01 04 47 08 0B 0E 00 FF"), kSyntax);
        send(chain, "81 01 04 06 02 FF");
        QCOMPARE(send(chain, "81 01 04 47 08 0B 0E 01 FF"), kSyntax);
        QCOMPARE(send(chain, "81 01 04 47 08 0B 0E 00 FF"), kDone);
        send(chain, "81 01 04 07 27 FF");
        QCOMPARE(s.zoom, 0x8BE0); // the drive stops there too
        send(chain, "81 01 04 06 03 FF");
        QCOMPARE(s.zoom, 0x7AC0); // off: back to the optical end
    }

    void panTiltHead()
    {
        SimChain chain = chainOf(QStringLiteral("quorin-p3"));
        auto position = [&chain] { // pan and tilt, four nibbles each
            const QByteArray a = answer(chain, "81 09 06 12 FF");
            auto word = [&a](int i) { return qint16(a[i] << 12 | a[i + 1] << 8 | a[i + 2] << 4 | a[i + 3]); };
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

    void answersByModel()
    {
        SimChain chain = chainOf(QStringList { "quorin-p3", "tamiro-j1a", "tamiro-j1ap", "tamiro-k3bce" });
        chain.camera(1).state.romHigh = 0x0A;
        chain.camera(1).state.romLow = 0x1F;
        QCOMPARE(send(chain, "81 09 00 02 FF"), QStringLiteral("90 50 00 01 00 0E 0A 1F 02 FF"));
        QCOMPARE(send(chain, "82 09 00 02 FF"), QStringLiteral("A0 50 00 20 00 1C 02 05 02 FF"));
        // The video system in the other block follows the model.
        QString systems;
        for (int position = 2; position <= 4; ++position)
            systems += QString::number(answer(chain, QStringLiteral("8%1 09 7E 7E 02 FF").arg(position)).at(12));
        QCOMPARE(systems, QStringLiteral("011"));
    }

    void blockLayout()
    {
        SimChain chain = chainOf(QStringLiteral("quorin-p3"));
        CameraState& s = chain.camera(1).state;
        s.zoom = 0x1234; s.focusNearLimit = 0xA500; s.focus = 0x5678; s.focusAuto = true; s.afSubMode = 2;
        QCOMPARE(send(chain, "81 09 7E 7E 00 FF"), QStringLiteral("90 50 01 02 03 04 0A 05 05 06 07 08 00 11 00 FF"));

        s.rGain = 0x9C; s.bGain = 0x3E; s.wbMode = 5; s.aperture = 0x0F; s.aeMode = 0x0D;
        s.slowShutter = s.backLight = true;
        s.shutter = 0x13; s.iris = 0x11; s.gain = 0x0E; s.bright = 0x1F; s.expComp = 0x0E;
        QCOMPARE(send(chain, "81 09 7E 7E 01 FF"), QStringLiteral("90 50 09 0C 03 0E 05 0F 0D 05 13 11 0E 1F 0E FF"));

        s.keyLock = s.lrReverse = s.titleDisplay = true;
        s.pictureEffect = 4; s.digitalEffect = 3; s.effectLevel = 0x14; s.cameraId = 0xBEEF; s.videoSystem = 1;
        QCOMPARE(send(chain, "81 09 7E 7E 02 FF"), QStringLiteral("90 50 03 04 08 04 03 14 0B 0E 0E 0F 01 00 00 FF"));

        s.digitalZoom = 0xEB; s.alarmOn = true;
        QCOMPARE(send(chain, "81 09 7E 7E 03 FF"), QStringLiteral("90 50 0E 0B 00 00 00 00 00 00 02 02 00 00 00 FF"));
    }

    // Flipping one switch changes exactly its bit and nothing else in any block.
    void blockFlagBits()
    {
        struct Bit {
            const char* name;
            bool CameraState::*member;
            int block, byte, mask; // block -1: no block reports it
        };
        using C = CameraState;
        const Bit bits[] = {
            { "focus auto", &C::focusAuto, 0, 13, 0x01 }, { "digital zoom on", &C::digitalZoomOn, 0, 13, 0x02 },
            { "AF sensitivity", &C::afSensitivityLow, 0, 13, 0x04 },
            { "separate mode", &C::digitalZoomSeparate, 0, 13, 0x20 },
            { "slow shutter", &C::slowShutter, 1, 9, 0x01 }, { "exp comp on", &C::expCompOn, 1, 9, 0x02 },
            { "back light", &C::backLight, 1, 9, 0x04 }, { "power", &C::power, 2, 2, 0x01 },
            { "key lock", &C::keyLock, 2, 2, 0x02 }, { "auto ICR", &C::autoIcr, 2, 2, 0x04 },
            { "LR reverse", &C::lrReverse, 2, 3, 0x04 }, { "freeze", &C::freeze, 2, 3, 0x08 },
            { "data screen", &C::dataScreen, 2, 4, 0x04 }, { "title display", &C::titleDisplay, 2, 4, 0x08 },
            { "ceiling mount", &C::ceilingMount, 3, 10, 0x01 }, { "alarm on", &C::alarmOn, 3, 10, 0x02 },
            { "motion detection", &C::motionDetectionAvailable, 3, 11, 0x02 },
            { "mute", &C::mute, -1, 0, 0 }, { "picture flip", &C::flip, -1, 0, 0 },
            { "ICR", &C::icr, -1, 0, 0 }, { "stabilizer", &C::stabilizer, -1, 0, 0 },
        };
        for (const Bit& bit : bits) {
            SimCamera cam(*findModel(QStringLiteral("quorin-p3")));
            cam.address = 1;
            auto blocks = [&cam] {
                return cam.statusBlock(0) + cam.statusBlock(1) + cam.statusBlock(2) + cam.statusBlock(3);
            };
            const QByteArray before = blocks();
            cam.state.*bit.member = !(cam.state.*bit.member);
            const QByteArray after = blocks();
            QCOMPARE(after.size(), 64);
            for (int i = 0; i < 64; ++i) {
                const int expected = i == bit.block * 16 + bit.byte ? bit.mask : 0;
                QVERIFY2((before.at(i) ^ after.at(i)) == expected,
                    qPrintable(QStringLiteral("%1: block %2 byte %3").arg(bit.name).arg(i / 16).arg(i % 16)));
            }
        }
    }

    void commandChangesNextBlock_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QStringList>("packets"); // bodies of 81 01 04 ... FF
        QTest::addColumn<int>("block");
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, QStringList packets, int block, int from, const char* expected,
                       const char* model = "quorin-p3") {
            QTest::newRow(name) << model << packets << block << from << expected;
        };
        row("zoom direct", { "47 04 00 00 00" }, 0, 2, "04 00 00 00");
        row("focus direct", { "48 0A 0B 0C 0D" }, 0, 8, "0A 0B 0C 0D");
        row("near limit", { "28 08 04 00 00" }, 0, 6, "08 04");
        row("infinity", { "48 08 00 00 00", "18 02" }, 0, 8, "01 00 00 00");
        row("manual focus", { "38 03" }, 0, 13, "00");
        row("interval AF", { "57 01" }, 0, 13, "09");
        row("AF sensitivity", { "58 02" }, 0, 13, "05");
        row("digital zoom on, separate", { "06 02", "36 01" }, 0, 13, "23");
        row("digital zoom off, combine", { "06 02", "36 01", "06 03", "36 00" }, 0, 13, "01");
        row("AE manual", { "39 03" }, 1, 8, "03");
        row("manual WB and R gain", { "35 05", "43 00 00 0A 0B" }, 1, 2, "0A 0B 08 00 05");
        row("B gain reset", { "44 00 00 01 02", "04 00" }, 1, 4, "08 00");
        row("gain up at its end", { "4C 00 00 00 0F", "0C 02" }, 1, 12, "0F");
        row("aperture up", { "42 00 00 00 09", "02 02" }, 1, 7, "0A");
        row("exp comp direct", { "4E 00 00 00 0E" }, 1, 14, "0E");
        row("back light, slow shutter, exp comp", { "33 02", "5A 02", "3E 02" }, 1, 9, "07");
        row("key lock", { "17 02" }, 2, 2, "03", "tamiro-k9s");
        row("freeze and LR reverse", { "62 02", "61 02" }, 2, 3, "0C");
        row("effects and level", { "63 05", "64 03", "65 14" }, 2, 5, "05 03 14", "tamiro-k9s");
        row("camera ID", { "22 01 02 03 04" }, 2, 8, "01 02 03 04");
        row("block camera digital tele end", { "06 02", "47 08 0B 0E 00", "07 27" }, 0, 2, "08 0B 0E 00", "tamiro-j1a");
        row("digital zoom direct", { "46 00 00 0E 0B" }, 3, 2, "0E 0B");
        row("digital zoom back to 1x", { "06 10", "06 10" }, 3, 2, "00 00");
        row("memory recall", { "47 01 00 00 00", "3F 01 02", "47 03 00 00 00", "3F 02 02" }, 0, 2, "01 00 00 00");
        row("recall of a reset memory", { "47 01 00 00 00", "3F 01 02", "3F 00 02", "47 03 00 00 00", "3F 02 02" },
            0, 2, "03 00 00 00");
    }

    void commandChangesNextBlock()
    {
        QFETCH(QString, model);
        QFETCH(QStringList, packets);
        QFETCH(int, block);
        QFETCH(int, from);
        QFETCH(QString, expected);
        SimChain chain = chainOf(model);
        for (const QString& body : packets)
            QCOMPARE(send(chain, "81 01 04 " + body + " FF"), kDone);
        const QByteArray a = answer(chain, QStringLiteral("81 09 7E 7E 0%1 FF").arg(block));
        QCOMPARE(a.size(), 16);
        QCOMPARE(show(a.mid(from, hex(expected).size())), expected);
    }

    void chunking_data()
    {
        QTest::addColumn<QStringList>("chunks");
        QTest::addColumn<QString>("expected");
        const QString version = QStringLiteral("90 50 00 01 00 0E 02 05 02 FF");
        QTest::newRow("byte by byte") << QStringLiteral("81 09 00 02 FF").split(' ') << version;
        QTest::newRow("noise before the header") << QStringList { "12 34 FF 00 81 09 00 02 FF" } << version;
        QTest::newRow("two packets in one chunk") << QStringList { "81 01 04 00 02 FF 81 09 04 6B FF" }
                                                  << kDone + " | 90 50 03 FF";
        QTest::newRow("noise between packets")
            << QStringList { "81 09 04 6B FF 55 80 89", "81 09 04 6B FF" } << "90 50 03 FF | 90 50 03 FF";
        // A header-like byte inside a packet is a parameter, not a new packet.
        QTest::newRow("header byte as a parameter") << QStringList { "81 01 04 65 85 FF" } << kSyntax;
    }

    void chunking()
    {
        QFETCH(QStringList, chunks);
        QFETCH(QString, expected);
        SimChain chain = chainOf(QStringLiteral("quorin-p3"));
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

    void silentCamerasJunkAndNotices()
    {
        SimChain chain = chainOf(QStringLiteral("tamiro-k9s"), 2);
        chain.faults.silent = { 2 };
        QCOMPARE(send(chain, "83 09 00 02 FF"), QString()); // no camera 3
        QCOMPARE(send(chain, "82 01 04 00 03 FF"), QString());
        QCOMPARE(send(chain, "81 01 04 00 03 FF"), kDone);
        // A silent camera still passes broadcasts on and takes its address.
        QCOMPARE(send(chain, "88 30 01 FF"), QStringLiteral("88 30 03 FF"));
        QCOMPARE(chain.camera(2).address, 2);
        QCOMPARE(chain.log.size(), 4);

        chain.faults.junk = hex("12 34");
        QCOMPARE(send(chain, "81 01 04 00 02 FF"), QStringLiteral("12 34 90 41 FF | 12 34 90 51 FF"));
        QCOMPARE(send(chain, "88 01 00 01 FF"), QStringLiteral("12 34 88 01 00 01 FF"));

        QCOMPARE(show(chain.networkChangeNotice(2)), QStringLiteral("A0 38 FF"));
        send(chain, "88 30 04 FF");
        QCOMPARE(show(chain.networkChangeNotice(2)), QStringLiteral("D0 38 FF"));
    }

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
        QCOMPARE(chain.has_value(), cameras > 0);
        if (!chain) {
            QVERIFY2(error.contains(detail), qPrintable(error));
            return;
        }
        QCOMPARE(chain->size(), cameras);
        QCOMPARE(chain->camera(1).model().name, detail);
        QCOMPARE(chain->camera(cameras).address, cameras);
    }
};

QTEST_GUILESS_MAIN(TestSimChain)
#include "test_sim_chain.moc"
