// Reading the line back: framing of a byte stream into packets and junk,
// every reply kind and error code, names of sent packets, the session model
// with its file, and the view's filter.
#include "clock.h"
#include "link.h"
#include "rigs.h"
#include "traffic_decoder.h"
#include "traffic_session.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace peltro;
using namespace peltro::traffic;

Q_DECLARE_METATYPE(peltro::traffic::Direction)
Q_DECLARE_METATYPE(peltro::traffic::Kind)

namespace {

QByteArray bytes(const QString& hexText)
{
    const std::optional<QByteArray> b = parseHexForm(hexText);
    if (!b)
        qFatal("bad hex in test: %s", qPrintable(hexText));
    return *b;
}

// "P:90 41 FF" for a packet, "J:12 34" for junk.
QStringList pieces(const QList<Framer::Piece>& list)
{
    QStringList out;
    for (const Framer::Piece& p : list)
        out << (p.junk ? QStringLiteral("J:") : QStringLiteral("P:")) + hexForm(p.bytes);
    return out;
}

struct Fixture {
    ManualClock clock;
    PacketNames names;
    Session session{clock, &names};
    Fixture()
    {
        names.add({0x81, 0x09, 0x00, 0x02, 0xFF}, QStringLiteral("Version inquiry"));
        names.add({0x81, 0x01, 0x04, 0x47, 0, 0, 0, 0, 0xFF}, QStringLiteral("ZoomSlider"), PacketNames::Rest::Value, 3);
        session.setStartTime(QDateTime(QDate(2024, 5, 1), QTime(10, 0, 0)));
    }
    QStringList rows() const
    {
        QStringList out;
        for (int r = 0; r < session.rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < Session::ColumnCount; ++c)
                cells << session.index(r, c).data().toString();
            out << cells.join(QLatin1Char('|'));
        }
        return out;
    }
};

} // namespace

class TestTrafficDecoder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Chunks as they were read or written, "seconds:hex" each.
    void framing_data()
    {
        QTest::addColumn<bool>("wholeWrites");
        QTest::addColumn<QStringList>("chunks");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("leftOver");

        auto row = [](const char* name, bool whole, QStringList chunks, QStringList expected, QStringList left = {}) {
            QTest::newRow(name) << whole << chunks << expected << left;
        };
        row("two replies in one read", false, {"0:90 41 FF 90 51 FF"}, {"P:90 41 FF", "P:90 51 FF"});
        row("cut in two reads", false, {"0:90 50 02", "0.01:00 FF"}, {"P:90 50 02 00 FF"});
        row("one byte a read", false, {"0:A0", "0:42", "0:FF"}, {"P:A0 42 FF"});
        row("junk before a reply", false, {"0:12 34 56 90 41 FF"}, {"J:12 34 56", "P:90 41 FF"});
        row("junk over two reads", false, {"0:12", "0:34 90 41 FF"}, {"J:12 34", "P:90 41 FF"});
        row("stray terminator", false, {"0:90 41 FF FF"}, {"P:90 41 FF", "J:FF"});
        row("junk ended by a terminator", false, {"0:00 01 FF"}, {"J:00 01 FF"});
        // Values from 0x80 up inside a packet do not begin another one.
        row("high value inside a packet", false, {"0:81 01 04 76 00 FE 90 FF"}, {"P:81 01 04 76 00 FE 90 FF"});
        row("reply never finished", false, {"0:90 50 01", "2:90 41 FF"}, {"J:90 50 01", "P:90 41 FF"});
        row("pause within the limit", false, {"0:90 50 01", "0.9:02 FF"}, {"P:90 50 01 02 FF"});
        row("open packet left over", false, {"0:90 41"}, {}, {"J:90 41"});
        row("junk left over", false, {"0:90 41 FF 12"}, {"P:90 41 FF"}, {"J:12"});
        row("console bytes", true, {"0:81", "0:01", "0:04", "0:07", "0:02", "0:FF"}, {"P:81 01 04 07 02 FF"});
        row("console packet without terminator", true, {"0:81", "0:01", "0:81 09 00 02 FF"},
            {"J:81 01", "P:81 09 00 02 FF"});
        row("two whole packets", true, {"0:81 01 04 07 02 FF", "0:81 01 04 07 00 FF"},
            {"P:81 01 04 07 02 FF", "P:81 01 04 07 00 FF"});
    }
    void framing()
    {
        QFETCH(bool, wholeWrites);
        QFETCH(QStringList, chunks);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, leftOver);
        Framer framer(wholeWrites);
        QList<Framer::Piece> got;
        for (const QString& chunk : chunks)
            got << framer.feed(bytes(chunk.section(QLatin1Char(':'), 1)), chunk.section(QLatin1Char(':'), 0, 0).toDouble());
        QCOMPARE(pieces(got), expected);
        QCOMPARE(pieces(framer.flush()), leftOver);
        QVERIFY(framer.idle());
    }

    void decoding_data()
    {
        QTest::addColumn<Direction>("direction");
        QTest::addColumn<QString>("packet");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<int>("camera");
        QTest::addColumn<QString>("what");

        const Direction in = Direction::Received, out = Direction::Sent;
        auto row = [](const char* name, Direction d, const char* packet, Kind kind, int camera, const char* what) {
            QTest::newRow(name) << d << QString::fromLatin1(packet) << kind << camera << QString::fromLatin1(what);
        };
        row("acknowledge", in, "90 41 FF", Kind::Acknowledge, 1, "Acknowledge, socket 1");
        row("acknowledge camera 7", in, "F0 42 FF", Kind::Acknowledge, 7, "Acknowledge, socket 2");
        row("completion", in, "A0 52 FF", Kind::Completion, 2, "Completion, socket 2");
        row("completion socket 0", in, "90 50 FF", Kind::Completion, 1, "Completion, socket 0");
        row("syntax error", in, "90 60 02 FF", Kind::Error, 1, "Syntax error, socket 0");
        row("command buffer full", in, "90 60 03 FF", Kind::Error, 1, "Command buffer full, socket 0");
        row("command cancelled", in, "B0 61 04 FF", Kind::Error, 3, "Command cancelled, socket 1");
        row("no socket", in, "90 62 05 FF", Kind::Error, 1, "No socket, socket 2");
        row("not executable", in, "90 61 41 FF", Kind::Error, 1, "Command not executable, socket 1");
        row("unknown error code", in, "90 61 7A FF", Kind::Error, 1, "Error code 0x7A, socket 1");
        row("network change", in, "C0 38 FF", Kind::NetworkChange, 4, "Network change");
        row("inquiry answer, nothing asked", in, "90 50 02 FF", Kind::InquiryAnswer, 1, "Inquiry answer");
        row("interface clear returned", in, "88 01 00 01 FF", Kind::BroadcastReturned, 0, "Interface clear returned");
        row("address set returned", in, "88 30 03 FF", Kind::BroadcastReturned, 0, "Address set returned: 2 cameras");
        row("address set, one camera", in, "88 30 02 FF", Kind::BroadcastReturned, 0, "Address set returned: 1 camera");
        row("unknown broadcast back", in, "88 30 FF", Kind::Unknown, 0, "Unknown broadcast");
        row("reply of no kind", in, "90 99 FF", Kind::Unknown, 1, "Unknown reply");
        row("long reply of no kind", in, "90 41 00 FF", Kind::Unknown, 1, "Unknown reply");
        row("panel header received", in, "81 01 FF", Kind::Unknown, -1, "No camera sends the header 81");
        row("unnamed command", out, "82 01 04 5B 02 FF", Kind::Command, 2, "Command 01 04 5B");
        row("unnamed inquiry", out, "83 09 04 5B FF", Kind::Inquiry, 3, "Inquiry 09 04 5B");
        row("named inquiry", out, "81 09 00 02 FF", Kind::Inquiry, 1, "Version inquiry");
        row("named command with value", out, "85 01 04 47 04 00 00 00 FF", Kind::Command, 5, "ZoomSlider 0x4000");
        row("unnamed broadcast", out, "88 01 00 01 FF", Kind::Broadcast, 0, "Broadcast 01 00 01");
        row("neither command nor inquiry", out, "81 07 FF", Kind::Unknown, 1, "Neither command nor inquiry");
        row("header of a reply sent", out, "90 01 FF", Kind::Unknown, -1, "No camera has the header 90");
        row("no terminator", out, "81 01 04", Kind::Junk, -1, "Junk: 3 bytes that form no packet");
        row("no header", in, "12 FF", Kind::Junk, -1, "Junk: 2 bytes that form no packet");
    }
    void decoding()
    {
        QFETCH(Direction, direction);
        QFETCH(QString, packet);
        PacketNames names;
        names.add({0x81, 0x09, 0x00, 0x02, 0xFF}, QStringLiteral("Version inquiry"));
        names.add({0x81, 0x01, 0x04, 0x47, 0, 0, 0, 0, 0xFF}, QStringLiteral("ZoomSlider"), PacketNames::Rest::Value, 3);
        Decoder decoder(&names);
        const Decoded d = decoder.decode(direction, bytes(packet));
        QTEST(d.kind, "kind");
        QTEST(d.camera, "camera");
        QTEST(d.what, "what");
    }

    // An inquiry answer says what its camera was last asked.
    void answersNameTheirInquiry()
    {
        PacketNames names;
        names.add({0x81, 0x09, 0x00, 0x02, 0xFF}, QStringLiteral("Version inquiry"));
        Decoder d(&names);
        d.decode(Direction::Sent, bytes("81 09 00 02 FF"));
        d.decode(Direction::Sent, bytes("82 09 04 6B FF"));
        QCOMPARE(d.decode(Direction::Received, bytes("90 50 00 01 04 0E 02 05 02 FF")).what,
                 QStringLiteral("Answer to Version inquiry"));
        QCOMPARE(d.decode(Direction::Received, bytes("A0 50 02 FF")).what, QStringLiteral("Answer to Inquiry 09 04 6B"));
        QCOMPARE(d.decode(Direction::Received, bytes("B0 50 02 FF")).what, QStringLiteral("Inquiry answer"));
    }

    void names_data()
    {
        QTest::addColumn<QString>("packet");
        QTest::addColumn<QString>("name");   // empty: none
        auto row = [](const char* name, const char* packet, const char* expected) {
            QTest::newRow(name) << QString::fromLatin1(packet) << QString::fromLatin1(expected);
        };
        row("exact", "81 01 04 39 0A FF", "ShutterPriority");
        row("exact for any camera", "87 01 04 39 0A FF", "ShutterPriority");
        row("exact with more bytes", "81 01 04 39 0A 00 FF", "");
        row("value of nibbles", "81 01 04 47 01 02 03 04 FF", "ZoomSlider 0x1234");
        row("value that is no nibbles", "81 01 04 47 10 02 03 04 FF", "ZoomSlider 10 02 03 04");
        row("bytes", "81 01 04 73 01 1B 1C FF", "Title 01 1B 1C");
        row("longest match wins", "81 01 04 73 00 FF", "Title clear");
        row("first of the same bytes", "81 01 04 15 02 FF", "DataScreen on");
        row("described", "81 01 06 01 18 14 01 02 FF", "Drive 18 14 / 01 02");
        row("description refused, shorter entry", "81 01 06 01 18 14 FF", "Pan-tilt 01 18 14");
        row("camera packet is no broadcast", "88 01 04 39 0A FF", "");
        row("broadcast", "88 30 01 FF", "AddressSet");
        row("broadcast bytes to one camera", "81 30 01 FF", "");
        row("no terminator", "81 01 04 39 0A", "");
        row("unknown", "81 01 04 5B 02 FF", "");
    }
    void names()
    {
        QFETCH(QString, packet);
        QFETCH(QString, name);
        using Rest = PacketNames::Rest;
        PacketNames n;
        n.add({0x81, 0x01, 0x04, 0x39, 0x0A, 0xFF}, QStringLiteral("ShutterPriority"));
        n.add({0x81, 0x01, 0x04, 0x47, 0, 0, 0, 0, 0xFF}, QStringLiteral("ZoomSlider"), Rest::Value, 3);
        n.add({0x81, 0x01, 0x04, 0x73, 0x00, 0xFF}, QStringLiteral("Title"), Rest::Bytes, 3);
        n.add({0x81, 0x01, 0x04, 0x73, 0x00, 0xFF}, QStringLiteral("Title clear"));
        n.add({0x81, 0x01, 0x04, 0x15, 0x02, 0xFF}, QStringLiteral("DataScreen on"));
        n.add({0x81, 0x01, 0x04, 0x15, 0x02, 0xFF}, QStringLiteral("Alarm display on"));
        n.add({0x81, 0x01, 0x06, 0x01, 0xFF}, QStringLiteral("Pan-tilt"), Rest::Bytes, 2);
        n.add({0x81, 0x01, 0x06, 0x01, 0xFF}, 3, QStringLiteral("Drive"),
              [](const QByteArray& rest) -> std::optional<QString> {
                  if (rest.size() != 4)
                      return std::nullopt;
                  return hexForm(rest.left(2)) + QStringLiteral(" / ") + hexForm(rest.mid(2));
              });
        n.add({0x88, 0x30, 0x01, 0xFF}, QStringLiteral("AddressSet"));
        QCOMPARE(n.name(bytes(packet)).value_or(QString()), name);
    }

    void hexFormReadsBack_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("packet") << QStringLiteral("81 01 04 07 02 FF") << true;
        QTest::newRow("lower case") << QStringLiteral("9a ff") << true;
        QTest::newRow("empty") << QString() << true;
        QTest::newRow("two blanks") << QStringLiteral("81  01") << false;
        QTest::newRow("trailing blank") << QStringLiteral("81 01 ") << false;
        QTest::newRow("three digits") << QStringLiteral("810 01") << false;
        QTest::newRow("not hexadecimal") << QStringLiteral("8G") << false;
        QTest::newRow("sign") << QStringLiteral("+1") << false;
    }
    void hexFormReadsBack()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const std::optional<QByteArray> b = parseHexForm(text);
        QCOMPARE(b.has_value(), valid);
        if (valid)
            QCOMPARE(hexForm(*b), text.toUpper());
        // The traffic boxes' form, without their trailing blank.
        QCOMPARE(hexForm(bytes("81 01 FF")), Link::hexBytes(bytes("81 01 FF")).trimmed());
    }

    // The session as rows: a packet cut in two reads is one row, junk before
    // a reply is a row of its own, and times run on the link's clock.
    void sessionRows()
    {
        Fixture f;
        f.clock.advance(1.5);
        f.session.recordSent(bytes("81 09 00 02 FF"));
        f.clock.advance(0.004);
        f.session.recordReceived(bytes("12 34 90 50 00"));
        f.clock.advance(0.002);
        f.session.recordReceived(bytes("01 04 0E 02 05 02 FF 90"));
        f.session.recordReceived(bytes("41 FF 55"));
        f.clock.advance(0.5);
        // The next exchange ends the junk that came in before it.
        f.session.recordSent(bytes("81 01 04 47 04 00 00 00 FF"));
        QCOMPARE(f.rows(), (QStringList{
                               "10:00:01.500|Sent|1|81 09 00 02 FF|Inquiry|Version inquiry",
                               "10:00:01.504|Received||12 34|Junk|Junk: 2 bytes that form no packet",
                               "10:00:01.506|Received|1|90 50 00 01 04 0E 02 05 02 FF|Inquiry answer|Answer to Version inquiry",
                               "10:00:01.506|Received|1|90 41 FF|Acknowledge|Acknowledge, socket 1",
                               "10:00:01.506|Received||55|Junk|Junk: 1 byte that form no packet",
                               "10:00:02.006|Sent|1|81 01 04 47 04 00 00 00 FF|Command|ZoomSlider 0x4000",
                           }));
        QCOMPARE(f.session.headerData(Session::BytesColumn, Qt::Horizontal).toString(), QStringLiteral("Bytes"));
    }

    // Everything the link writes or reads is recorded, whether the traffic
    // boxes show it (an operator command) or not (a silent exchange).
    void sessionFollowsTheLink()
    {
        test::SessionRig r;
        PacketNames names;
        Session session(r.clock, &names);
        session.attach(r.link());
        QCOMPARE(r.link().SD(Packet::fromBytes(bytes("81 01 04 10 05 FF")), SendMode::Command), SendResult::Sent);
        test::ChainRig::pump();
        QCOMPARE(r.link().SD(Packet::fromBytes(bytes("81 09 00 02 FF")), SendMode::Silent), SendResult::Sent);
        QCOMPARE(waitReply(r, r.link(), 10).size(), 10);
        QStringList got;
        for (const Record& rec : session.records())
            got << directionText(rec.direction) + QLatin1Char(' ') + kindText(rec.kind) + QLatin1Char(' ') + hexForm(rec.bytes);
        QCOMPARE(got.mid(0, 4), (QStringList{"Sent Command 81 01 04 10 05 FF", "Received Acknowledge 90 41 FF",
                                              "Received Completion 90 51 FF", "Sent Inquiry 81 09 00 02 FF"}));
        QCOMPARE(got.size(), 5);
        QVERIFY(got.at(4).startsWith(QLatin1String("Received Inquiry answer 90 50 ")));
        QVERIFY(!r.recvText().contains(hexForm(session.records().at(4).bytes)));
    }

    void fileRoundTrip()
    {
        Fixture f;
        f.session.recordSent(bytes("81 09 00 02 FF"));
        f.clock.advance(0.25);
        f.session.recordReceived(bytes("12 90 50 00 01 04 0E 02 05 02 FF 90 61 41 FF 88 30 02 FF"));
        f.session.recordSent(bytes("88 01 00 01 FF"));
        QCOMPARE(f.session.records().size(), 6);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("session.txt"));
        QString error;
        QVERIFY2(f.session.saveTo(path, &error), qPrintable(error));
        const auto loaded = Session::load(path, &error);
        QVERIFY2(loaded, qPrintable(error));
        QCOMPARE(*loaded, f.session.records());
        QCOMPARE(Session::toText(*loaded), Session::toText(f.session.records()));

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        QCOMPARE(lines.at(1), QStringLiteral("Time\tDirection\tCamera\tBytes\tKind\tWhat"));
        QCOMPARE(lines.at(2), QStringLiteral("2024-05-01 10:00:00.000\tSent\t1\t81 09 00 02 FF\tInquiry\tVersion inquiry"));

        // Windows line ends read the same.
        QString crlf = Session::toText(f.session.records());
        crlf.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
        QCOMPARE(Session::fromText(crlf, &error).value_or(QList<Record>()), f.session.records());

        QVERIFY(!f.session.saveTo(dir.filePath(QStringLiteral("missing/session.txt")), &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!Session::load(dir.filePath(QStringLiteral("missing.txt")), &error));
    }

    void badFilesRefused_data()
    {
        QTest::addColumn<QString>("line");   // the third line of a file
        QTest::addColumn<QString>("error");
        const QString good = QStringLiteral("2024-05-01 10:00:00.000\tSent\t1\t81 09 00 02 FF\tInquiry\tVersion inquiry");
        auto with = [&good](int field, const char* value) {
            QStringList f = good.split(QLatin1Char('\t'));
            f[field] = QString::fromLatin1(value);
            return f.join(QLatin1Char('\t'));
        };
        QTest::newRow("fields missing") << QStringLiteral("2024-05-01 10:00:00.000\tSent") << "Line 3: 2 fields instead of 6";
        QTest::newRow("time") << with(0, "10:00") << "Line 3: no time \"10:00\"";
        QTest::newRow("direction") << with(1, "Out") << "Line 3: no direction \"Out\"";
        QTest::newRow("camera") << with(2, "8") << "Line 3: no camera \"8\"";
        QTest::newRow("bytes") << with(3, "81 0G") << "Line 3: no bytes \"81 0G\"";
        QTest::newRow("no bytes") << with(3, "") << "Line 3: no bytes \"\"";
        QTest::newRow("kind") << with(4, "Chatter") << "Line 3: no kind \"Chatter\"";
    }
    void badFilesRefused()
    {
        QFETCH(QString, line);
        QFETCH(QString, error);
        const QString head = QStringLiteral("PELTRO Panel decoded traffic\nTime\tDirection\tCamera\tBytes\tKind\tWhat\n");
        QString why;
        QVERIFY(!Session::fromText(head + line + QLatin1Char('\n'), &why));
        QCOMPARE(why, error);
        QVERIFY(!Session::fromText(QStringLiteral("81 01 04 07 02 FF\n"), &why));
        QCOMPARE(why, QStringLiteral("Line 1: not a saved traffic session"));
        QCOMPARE(Session::fromText(head, &why).value_or(QList<Record>{Record{}}).size(), 0);
    }

    void filterByCameraAndKind_data()
    {
        QTest::addColumn<int>("camera");
        QTest::addColumn<int>("category");
        QTest::addColumn<QStringList>("shown");   // bytes of the rows shown
        const QStringList all{"81 09 00 02 FF", "12", "90 50 00 FF", "82 01 04 39 0A FF", "A0 41 FF",
                              "A0 61 41 FF",    "88 30 01 FF", "88 30 03 FF", "90 38 FF", "90 51 FF"};
        auto row = [](const char* name, int camera, Category c, QStringList shown) {
            QTest::newRow(name) << camera << int(c) << shown;
        };
        row("everything", -1, Category::All, all);
        row("commands", -1, Category::Commands, {"82 01 04 39 0A FF"});
        row("inquiries", -1, Category::Inquiries, {"81 09 00 02 FF"});
        row("broadcasts", -1, Category::Broadcasts, {"88 30 01 FF", "88 30 03 FF"});
        row("replies", -1, Category::Replies, {"90 50 00 FF", "A0 41 FF", "90 51 FF"});
        row("errors", -1, Category::Errors, {"A0 61 41 FF", "90 38 FF"});
        row("junk", -1, Category::Junk, {"12"});
        row("camera 2", 2, Category::All, {"82 01 04 39 0A FF", "A0 41 FF", "A0 61 41 FF"});
        row("camera 1 replies", 1, Category::Replies, {"90 50 00 FF", "90 51 FF"});
        row("camera 5", 5, Category::All, {});
    }
    void filterByCameraAndKind()
    {
        QFETCH(int, camera);
        QFETCH(int, category);
        QFETCH(QStringList, shown);
        Fixture f;
        f.session.recordSent(bytes("81 09 00 02 FF"));
        f.session.recordReceived(bytes("12 90 50 00 FF"));
        f.session.recordSent(bytes("82 01 04 39 0A FF"));
        f.session.recordReceived(bytes("A0 41 FF A0 61 41 FF"));
        f.session.recordSent(bytes("88 30 01 FF"));
        f.session.recordReceived(bytes("88 30 03 FF 90 38 FF 90 51 FF"));
        Filter filter;
        filter.setSourceModel(&f.session);
        filter.setCamera(camera);
        filter.setCategory(Category(category));
        QStringList got;
        for (int r = 0; r < filter.rowCount(); ++r)
            got << filter.index(r, Session::BytesColumn).data().toString();
        QCOMPARE(got, shown);
    }
};

QTEST_MAIN(TestTrafficDecoder)
#include "test_traffic_decoder.moc"
