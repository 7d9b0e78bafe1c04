// What the panel's tests, which drive the simulated chain through the windows,
// never reach: broadcasts, errors by model, answer lengths, faults, framing.
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

SimChain chainOf(const QString& names, int count = 1) // names: one model or a comma list
{
    QString error;
    std::optional<SimChain> chain = SimChain::fromNames(QStringList(count, names), &error);
    if (!chain)
        qFatal("%s", qPrintable(error));
    return std::move(*chain);
}

const QString kDone = QStringLiteral("90 41 FF | 90 51 FF");
const QString kSyntax = QStringLiteral("90 60 02 FF");

} // namespace

class TestSimChain : public QObject {
    Q_OBJECT

private slots:
    // Interface clear comes back as sent after the reply delay; address set
    // numbers the chain from the given address and returns the next one; any
    // other broadcast reaches every camera; lost broadcasts come back empty.
    void broadcasts()
    {
        for (const auto& [cameras, first] : { std::pair { 1, 1 }, { 7, 1 }, { 2, 3 } }) {
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

        SimChain chain = chainOf(QStringLiteral("quorin-p3,tamiro-j1a,tamiro-k9b"));
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
        // Late for a given number of packets only; a broadcast counts as one.
        chain.faults.lateCount = 2;
        QCOMPARE(chain.feed(hex("81 09 00 02 FF")).first().delay, 0.25);
        QCOMPARE(chain.feed(hex("88 01 00 01 FF")).first().delay, 0.25);
        QCOMPARE(chain.feed(hex("81 09 00 02 FF")).first().delay, 0.0);
        QCOMPARE(chain.faults.lateCount, 0);
        // Inquiries still work, and report the power off.
        const QByteArray other = answer(chain, "81 09 7E 7E 02 FF");
        QCOMPARE(other.size(), 16);
        QCOMPARE(other.at(2) & 0x01, 0);
        QCOMPARE(send(chain, "81 01 04 00 02 FF"), kDone);
        QCOMPARE(send(chain, "81 01 04 47 00 00 00 00 FF"), kDone);
    }

    // What each model answers: direct positions within and past its ranges,
    // command groups it lacks, and the length of each inquiry's answer.
    void answersByModel()
    {
        enum { Syntax = 0, Done = -1 }; // or an answer of that many bytes
        const char *p1 = "quorin-p1", *p2 = "quorin-p2", *p3 = "quorin-p3", *k9s = "tamiro-k9s";
        const struct { const char *model, *packet; int reply; } rows[] = {
            // zoom, focus, gain and bright ends by model
            { p3, "81 01 04 47 07 0A 0C 00 FF", Done }, { p3, "81 01 04 47 07 0A 0C 01 FF", Syntax },
            { p2, "81 01 04 47 07 00 00 01 FF", Syntax }, { p3, "81 01 04 48 00 0F 0F 0F FF", Syntax },
            { p2, "81 01 04 48 08 04 00 00 FF", Done }, { p2, "81 01 04 48 08 04 00 01 FF", Syntax },
            { p3, "81 01 04 4C 00 00 00 0F FF", Done }, { p3, "81 01 04 4C 00 00 01 00 FF", Syntax },
            { k9s, "81 01 04 4D 00 00 01 0F FF", Done }, { "tamiro-j1a", "81 01 04 4D 00 00 01 08 FF", Syntax },
            // malformed parameters; pan-tilt speeds and directions
            { p3, "81 01 04 43 00 01 00 00 FF", Syntax }, { p3, "81 01 04 47 00 10 00 00 FF", Syntax },
            { p3, "81 FF", Syntax }, { p3, "81 01 04 07 28 FF", Syntax },
            { p3, "81 01 06 01 18 18 01 03 FF", Done }, { p3, "81 01 06 01 19 18 01 03 FF", Syntax },
            { p3, "81 01 06 01 00 18 02 03 FF", Syntax }, { p3, "81 01 06 01 18 18 04 03 FF", Syntax },
            // command groups a model lacks
            { k9s, "81 01 06 01 18 18 01 03 FF", Syntax }, { p1, "81 01 04 39 03 FF", Syntax },
            { p3, "81 01 04 39 1A FF", Syntax }, { p2, "81 01 04 39 1A FF", Done },
            { "tamiro-j4a", "81 01 04 62 02 FF", Syntax }, { "tamiro-j4ap", "81 01 04 62 02 FF", Done },
            { p3, "81 01 04 3F 02 7F FF", Syntax }, { k9s, "81 01 04 3F 02 7F FF", Done },
            { "tamiro-k3m", "81 01 04 35 05 FF", Syntax },
            // inquiries
            { p3, "81 09 00 02 FF", 10 }, { p3, "81 09 7E 7E 00 FF", 16 }, { k9s, "81 09 7E 7E 03 FF", 16 },
            { p1, "81 09 06 12 FF", 11 }, { p3, "81 09 06 10 FF", 5 }, { p3, "81 09 06 11 FF", 5 },
            { p3, "81 09 04 6B FF", 4 }, { p3, "81 09 04 6D FF", 12 }, { p3, "81 09 04 40 FF", 7 },
            { p3, "81 09 04 41 FF", 7 }, { p1, "81 09 7E 7E 00 FF", Syntax }, { p2, "81 09 7E 7E 04 FF", Syntax },
            { k9s, "81 09 06 12 FF", Syntax }, { p2, "81 09 04 6B FF", Syntax },
        };
        for (const auto& [model, packet, reply] : rows) {
            SimChain chain = chainOf(QString::fromLatin1(model));
            const QList<Emission> back = chain.feed(hex(QString::fromLatin1(packet)));
            const QByteArray a = back.value(0).bytes;
            const bool right = reply == Done ? show(back) == kDone
                : reply == Syntax            ? show(back) == kSyntax
                // one answer, after the completion header, with its only terminator at the end
                : back.size() == 1 && a.size() == reply && a.startsWith(hex("90 50")) && a.indexOf('\xFF') == reply - 1;
            QVERIFY2(right, qPrintable(QStringLiteral("%1 %2: %3").arg(model, packet, show(back))));
        }
    }

    // Digital zoom on moves the tele end beyond the optical one, for direct
    // positions and the drive alike; off, the zoom falls back to the optical end.
    void digitalTeleEnd()
    {
        SimChain chain = chainOf(QStringLiteral("quorin-p3"));
        QCOMPARE(send(chain, "81 01 04 47 08 0B 0E 00 FF"), kSyntax);
        QCOMPARE(send(chain, "81 01 04 06 02 FF"), kDone);
        for (int i = 0; i < 100; ++i)
            send(chain, "81 01 04 07 27 FF");
        QCOMPARE(chain.camera(1).state.zoom, 0x8BE0);
        QCOMPARE(send(chain, "81 01 04 47 08 0B 0E 01 FF"), kSyntax);
        QCOMPARE(send(chain, "81 01 04 47 08 0B 0E 00 FF"), kDone);
        QCOMPARE(send(chain, "81 01 04 06 03 FF"), kDone);
        QCOMPARE(chain.camera(1).state.zoom, 0x7AC0);
    }

    // Arbitrary chunks and noise on the line; a header-like byte inside a
    // packet is a parameter, not a new packet; a packet over 16 bytes is refused.
    void framing()
    {
        const QString version = QStringLiteral("90 50 00 01 00 0E 02 05 02 FF");
        const std::pair<QStringList, QString> rows[] = {
            { QStringLiteral("81 09 00 02 FF").split(' '), version },
            { { "12 34 FF 00 81 09 00 02 FF" }, version },
            { { "81 01 04 00 02 FF 81 09 04 6B FF" }, kDone + " | 90 50 03 FF" },
            { { "81 09 04 6B FF 55 80 89", "81 09 04 6B FF" }, "90 50 03 FF | 90 50 03 FF" },
            { { "81 01 04 65 85 FF" }, kSyntax },
        };
        for (const auto& [chunks, expected] : rows) {
            SimChain chain = chainOf(QStringLiteral("quorin-p3"));
            QList<Emission> back;
            for (const QString& chunk : chunks)
                back += chain.feed(hex(chunk));
            QCOMPARE(show(back), expected);
        }

        SimChain chain = chainOf(QStringLiteral("quorin-p3"), 2);
        const QString longBody = QStringLiteral("01 04 73 01 1B 1B 1B 1B 1B 1B 1B 1B 1B 1B 1B"); // 15 bytes
        QCOMPARE(send(chain, "82 " + longBody + " FF"), QStringLiteral("A0 60 03 FF"));
        QCOMPARE(send(chain, "85 " + longBody + " FF"), QString()); // nobody there
        QCOMPARE(chain.log.size(), 2);
        QCOMPARE(chain.log[0].size(), 17);
        // The line is back in step afterwards.
        QCOMPARE(send(chain, "81 09 04 6C FF"), QStringLiteral("90 50 00 FF"));
    }

    // Whatever comes in, a reply ends with its one FF: a garbled byte never
    // makes or hides a terminator, and an address outside 1..7 is taken by
    // no camera (it is passed on as it came), so it never counts up to FF.
    void repliesKeepTheirFraming()
    {
        struct Row {
            int cameras;
            bool garbled;
            const char* packet;
            const char* back;
            QList<int> addresses;
        };
        const Row rows[] = {
            { 1, true, "81 09 04 6B FF", "90 51 03 FF", { 1 } },
            { 1, true, "88 FF", "88 FF", { 1 } },
            { 1, true, "88 FE FF", "88 FE FF", { 1 } },
            { 1, false, "88 30 FE FF", "88 30 FE FF", { 1 } },
            { 2, false, "88 30 00 FF", "88 30 00 FF", { 1, 2 } },
            { 2, false, "88 30 07 FF", "88 30 08 FF", { 7, 2 } },
            { 3, false, "88 30 06 FF", "88 30 08 FF", { 6, 7, 3 } },
        };
        for (const Row& row : rows) {
            SimChain chain = chainOf(QStringLiteral("quorin-p3"), row.cameras);
            chain.faults.garbled = row.garbled;
            QCOMPARE(send(chain, QString::fromLatin1(row.packet)), QString::fromLatin1(row.back));
            for (int position = 1; position <= row.cameras; ++position)
                QCOMPARE(chain.camera(position).address, row.addresses[position - 1]);
        }
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

    void fromNames()
    {
        const struct { QStringList names; int cameras; const char* detail; } rows[] = {
            // cameras 0: refused; detail: the first model's name, or a word of the error
            { { "quorin-p3,tamiro-j1a" }, 2, "QUORIN-P3" },
            { { "TAMIRO-K9S/SP", " quorin-p2 " }, 2, "TAMIRO-K9S/SP" }, // separate names, any case
            { QStringList(7, "tamiro-k3a"), 7, "TAMIRO-K3A" }, { { "quorin-p3,quorin-p9" }, 0, "quorin-p9" },
            { {}, 0, "no camera" }, { { " , " }, 0, "no camera" }, { QStringList(8, "quorin-p3"), 0, "8" },
        };
        for (const auto& [names, cameras, detail] : rows) {
            QString error;
            const std::optional<SimChain> chain = SimChain::fromNames(names, &error);
            QVERIFY2(chain.has_value() == (cameras > 0), qPrintable(error));
            if (!chain) {
                QVERIFY2(error.contains(QLatin1String(detail)), qPrintable(error));
                continue;
            }
            QCOMPARE(chain->size(), cameras);
            QCOMPARE(chain->camera(1).model().name, QLatin1String(detail));
            QCOMPARE(chain->camera(cameras).address, cameras);
        }

        // The names it takes are one per model, and a name it does not know
        // is answered with all of them.
        const QStringList known = SimChain::modelNames();
        QCOMPARE(known.size(), allModels().size());
        QCOMPARE(QSet<QString>(known.cbegin(), known.cend()).size(), known.size());
        for (int i = 0; i < known.size(); ++i) {
            QString error;
            const std::optional<SimChain> chain = SimChain::fromNames({known.at(i)}, &error);
            QVERIFY2(chain && chain->camera(1).model().name == allModels().at(i).name, qPrintable(known.at(i)));
        }
        QString error;
        QVERIFY(!SimChain::fromNames({QStringLiteral("tamiro-zz")}, &error));
        for (const QString& name : known)
            QVERIFY2(error.contains(QStringLiteral(" ") + name), qPrintable(name));
        QVERIFY(error.startsWith(QStringLiteral("unknown camera model \"tamiro-zz\"")));
    }
};

QTEST_GUILESS_MAIN(TestSimChain)
#include "test_sim_chain.moc"
