// A session that runs for days: the bound on its rows with the filter
// following rows that fall off the front, control-surface rows, the daily
// log files on a clock that crosses midnight, and the save in steps.
#include "clock.h"
#include "daily_log.h"
#include "link.h"
#include "save_job.h"
#include "traffic_decoder.h"
#include "traffic_session.h"

#include <QAbstractItemModelTester>
#include <QDirIterator>
#include <QSignalSpy>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QtTest>

using namespace peltro;
using namespace peltro::traffic;

namespace {

QByteArray bytes(const QString& hexText)
{
    const std::optional<QByteArray> b = parseHexForm(hexText);
    if (!b)
        qFatal("bad hex in test: %s", qPrintable(hexText));
    return *b;
}

struct Fixture {
    ManualClock clock;
    PacketNames names;
    Session session{clock, &names};
    explicit Fixture(const QDateTime& start = QDateTime(QDate(2024, 5, 1), QTime(10, 0, 0)))
    {
        session.setStartTime(start);
    }
    // One exchange of camera `camera`: a command, its acknowledge and completion.
    void exchange(int camera, int value)
    {
        session.recordSent(Packet({0x80 + camera, 0x01, 0x04, 0x47, 0, 0, 0, value & 0x0F, 0xFF}).bytes());
        clock.advance(0.01);
        const int reply = 0x80 + 16 * camera;
        session.recordReceived(Packet({reply, 0x41, 0xFF, reply, 0x51, 0xFF}).bytes());
        clock.advance(0.5);
    }
    // The bytes of every row kept, oldest first.
    QStringList kept() const
    {
        QStringList out;
        for (int r = 0; r < session.size(); ++r)
            out << hexForm(session.at(r).bytes);
        return out;
    }
};

// What the filter must show: the session's rows it accepts, by their bytes
// and time, worked out from scratch.
QStringList expectedRows(const Session& session, const Filter& filter)
{
    QStringList out;
    for (int r = 0; r < session.size(); ++r) {
        const Record& rec = session.at(r);
        if (filter.accepts(rec))
            out << rec.time.toString(QStringLiteral("HH:mm:ss.zzz")) + QLatin1Char(' ') + hexForm(rec.bytes) + rec.what;
    }
    return out;
}

QStringList shownRows(const Filter& filter)
{
    QStringList out;
    for (int r = 0; r < filter.rowCount(); ++r) {
        out << filter.index(r, Session::TimeColumn).data().toString() + QLatin1Char(' ')
                   + filter.index(r, Session::BytesColumn).data().toString()
                   + filter.index(r, Session::WhatColumn).data().toString();
    }
    return out;
}

QStringList filesIn(const QString& dir)
{
    QStringList out;
    QDirIterator it(dir, QDir::Files | QDir::Hidden);
    while (it.hasNext())
        out << QFileInfo(it.next()).fileName();
    out.sort();
    return out;
}

QByteArray contentOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

} // namespace

class TestTrafficSession : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // --- the bound ---------------------------------------------------------------

    // Exchanges of three rows each against a limit; batches of pieces larger
    // than the limit still pass every row through.
    void boundKeepsTheNewest_data()
    {
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("exchanges");
        QTest::addColumn<int>("kept");
        QTest::addColumn<qint64>("dropped");
        QTest::newRow("under the limit") << 10 << 3 << 9 << qint64(0);
        QTest::newRow("exactly the limit") << 9 << 3 << 9 << qint64(0);
        QTest::newRow("one over") << 8 << 3 << 8 << qint64(1);
        QTest::newRow("many times over") << 7 << 40 << 7 << qint64(113);
        QTest::newRow("limit smaller than a read") << 1 << 4 << 1 << qint64(11);
    }
    void boundKeepsTheNewest()
    {
        QFETCH(int, limit);
        QFETCH(int, exchanges);
        QFETCH(int, kept);
        QFETCH(qint64, dropped);
        Fixture f;
        QVERIFY(f.session.setLimit(limit));
        QSignalSpy droppedSpy(&f.session, &Session::droppedChanged);
        qint64 inserted = 0;
        connect(&f.session, &QAbstractItemModel::rowsInserted, this,
                [&inserted](const QModelIndex&, int first, int last) { inserted += last - first + 1; });
        for (int i = 0; i < exchanges; ++i)
            f.exchange(1, i);
        QCOMPARE(f.session.size(), kept);
        QCOMPARE(f.session.rowCount(), kept);
        QCOMPARE(f.session.dropped(), dropped);
        QCOMPARE(f.session.endSequence(), qint64(3 * exchanges));
        QCOMPARE(inserted, qint64(3 * exchanges));   // every row was there once
        if (dropped > 0)
            QCOMPARE(droppedSpy.last().at(0).toLongLong(), dropped);
        else
            QCOMPARE(droppedSpy.size(), 0);
        // The newest rows, in order: the last exchange's completion last.
        QCOMPARE(f.kept().last(), QStringLiteral("90 51 FF"));
        QCOMPARE(f.session.at(kept - 1).time, QDateTime(QDate(2024, 5, 1), QTime(10, 0, 0)).addMSecs(510 * exchanges - 500));
    }

    void limitChangesAndRefusals()
    {
        Fixture f;
        QCOMPARE(f.session.limit(), 200000);
        for (int i = 0; i < 4; ++i)
            f.exchange(1, i);
        QVERIFY(!f.session.setLimit(0));
        QVERIFY(!f.session.setLimit(-5));
        QCOMPARE(f.session.limit(), 200000);
        QCOMPARE(f.session.size(), 12);
        // A lower limit drops at once, the oldest first.
        QVERIFY(f.session.setLimit(5));
        QCOMPARE(f.session.size(), 5);
        QCOMPARE(f.session.dropped(), qint64(7));
        QCOMPARE(f.kept(), (QStringList{"90 41 FF", "90 51 FF", "81 01 04 47 00 00 00 03 FF", "90 41 FF", "90 51 FF"}));
        // A higher one keeps what there is and lets it grow again.
        QVERIFY(f.session.setLimit(100));
        f.exchange(1, 4);
        QCOMPARE(f.session.size(), 8);
        QCOMPARE(f.session.dropped(), qint64(7));
    }

    // The filter follows rows that fall off the front, whatever it shows,
    // and stays a consistent model throughout (the tester checks every signal).
    void filterFollowsTheFront_data()
    {
        QTest::addColumn<int>("camera");
        QTest::addColumn<int>("category");
        QTest::newRow("everything") << -1 << int(Category::All);
        QTest::newRow("commands") << -1 << int(Category::Commands);
        QTest::newRow("camera 2") << 2 << int(Category::All);
        QTest::newRow("camera 3 replies") << 3 << int(Category::Replies);
        QTest::newRow("errors, none there") << -1 << int(Category::Errors);
        QTest::newRow("surface events") << -1 << int(Category::Surfaces);
    }
    void filterFollowsTheFront()
    {
        QFETCH(int, camera);
        QFETCH(int, category);
        Fixture f;
        f.session.setLimit(20);
        Filter filter;
        QAbstractItemModelTester tester(&filter, QAbstractItemModelTester::FailureReportingMode::QtTest);
        filter.setSourceModel(&f.session);
        filter.setCamera(camera);
        filter.setCategory(Category(category));
        for (int i = 0; i < 30; ++i) {
            if (i % 7 == 0)
                f.session.noteSurfaceEvent(QStringLiteral("Gamepad"), {}, QStringLiteral("button %1").arg(i));
            f.exchange(1 + i % 3, i);
            QCOMPARE(shownRows(filter), expectedRows(f.session, filter));
            // Both ways of mapping agree on every row shown.
            for (int r = 0; r < filter.rowCount(); ++r) {
                const QModelIndex source = filter.mapToSource(filter.index(r, Session::WhatColumn));
                QVERIFY(source.isValid());
                QCOMPARE(filter.mapFromSource(source).row(), r);
            }
        }
        QVERIFY(f.session.dropped() > 60);
        // A row the filter does not show maps to nothing.
        for (int r = 0; r < f.session.size(); ++r) {
            if (!filter.accepts(f.session.at(r)))
                QVERIFY(!filter.mapFromSource(f.session.index(r, 0)).isValid());
        }
        // A changed filter starts from the rows there are now.
        filter.setCategory(Category::All);
        filter.setCamera(-1);
        QCOMPARE(filter.rowCount(), 20);
    }

    // Rows a front drop takes away from the filter are said as removed from
    // its top; new ones as inserted at its end.
    void filterSignalsOnlyTheRowsThatMove()
    {
        Fixture f;
        f.session.setLimit(6);
        Filter filter;
        filter.setSourceModel(&f.session);
        filter.setCategory(Category::Commands);
        f.exchange(1, 0);
        f.exchange(1, 1);
        QCOMPARE(filter.rowCount(), 2);
        QSignalSpy removed(&filter, &QAbstractItemModel::rowsRemoved);
        QSignalSpy inserted(&filter, &QAbstractItemModel::rowsInserted);
        QSignalSpy reset(&filter, &QAbstractItemModel::modelReset);
        f.exchange(1, 2);   // the oldest command and its replies go
        QCOMPARE(removed.size(), 1);
        QCOMPARE(removed.at(0).at(1).toInt(), 0);
        QCOMPARE(removed.at(0).at(2).toInt(), 0);
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(inserted.at(0).at(1).toInt(), 1);
        QCOMPARE(reset.size(), 0);
        QCOMPARE(filter.index(0, Session::BytesColumn).data().toString(), QStringLiteral("81 01 04 47 00 00 00 01 FF"));
        // Rows it does not show come and go without a word from it.
        f.session.recordReceived(bytes("90 41 FF"));   // drops the command 01
        QCOMPARE(removed.size(), 2);
        QCOMPARE(filter.rowCount(), 1);
        f.session.recordReceived(bytes("90 41 FF"));   // drops a reply
        QCOMPARE(removed.size(), 2);
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(reset.size(), 0);
        // Not a Session: nothing shown, nothing broken.
        QStringListModel other({QStringLiteral("a")});
        filter.setSourceModel(&other);
        QCOMPARE(filter.rowCount(), 0);
    }

    // --- control surfaces --------------------------------------------------------

    void surfaceEventsAreRows_data()
    {
        QTest::addColumn<QString>("surface");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("direction");   // empty: refused
        QTest::addColumn<QString>("shown");
        QTest::newRow("remote control") << "Remote control" << "10.0.0.7:9000" << "/peltro/cam/2/zoom 0.5"
                                        << "Remote control" << "/peltro/cam/2/zoom 0.5 (from 10.0.0.7:9000)";
        QTest::newRow("keyboard, no source") << "Keyboard" << "" << "Ctrl+Up: tilt up" << "Keyboard"
                                             << "Ctrl+Up: tilt up";
        QTest::newRow("tabs and line ends") << "Game\tpad" << "pad\n1" << "button\tA\r\npressed" << "Game pad"
                                            << "button A  pressed (from pad 1)";
        QTest::newRow("no surface") << "" << "x" << "zoom" << "" << "";
        QTest::newRow("blank message") << "Gamepad" << "pad" << "  " << "" << "";
        const QString longText(1000, QLatin1Char('z'));
        QTest::newRow("long message cut") << "Remote control" << "" << longText << "Remote control"
                                          << QString(Session::kSurfaceTextLimit - 3, QLatin1Char('z')) + "...";
    }
    void surfaceEventsAreRows()
    {
        QFETCH(QString, surface);
        QFETCH(QString, source);
        QFETCH(QString, what);
        QFETCH(QString, direction);
        QFETCH(QString, shown);
        Fixture f;
        f.clock.advance(1.25);
        QCOMPARE(f.session.noteSurfaceEvent(surface, source, what), !direction.isEmpty());
        if (direction.isEmpty()) {
            QCOMPARE(f.session.size(), 0);
            return;
        }
        QCOMPARE(f.session.size(), 1);
        auto cell = [&f](int column) { return f.session.index(0, column).data().toString(); };
        QCOMPARE(cell(Session::TimeColumn), QStringLiteral("10:00:01.250"));
        QCOMPARE(cell(Session::DirectionColumn), direction);
        QCOMPARE(cell(Session::CameraColumn), QString());
        QCOMPARE(cell(Session::BytesColumn), QString());
        QCOMPARE(cell(Session::KindColumn), QStringLiteral("Control surface"));
        QCOMPARE(cell(Session::WhatColumn), shown);
        // Saved and read back as it was.
        QString error;
        const auto back = Session::fromText(Session::toText(f.session.records()), &error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(*back, f.session.records());
    }

    // The event comes before the packets it causes, after junk that was
    // already in, and counts against the bound like any row.
    void surfaceEventsInOrder()
    {
        Fixture f;
        f.session.setLimit(4);
        f.session.recordReceived(bytes("12 34"));
        f.session.noteSurfaceEvent(QStringLiteral("Remote control"), QStringLiteral("10.0.0.7:9000"),
                                   QStringLiteral("/peltro/cam/1/zoom 0.5"));
        f.exchange(1, 5);
        QStringList kinds;
        for (int r = 0; r < f.session.size(); ++r)
            kinds << kindText(f.session.at(r).kind);
        QCOMPARE(kinds, (QStringList{"Control surface", "Command", "Acknowledge", "Completion"}));
        QCOMPARE(f.session.dropped(), qint64(1));   // the junk
        f.session.noteSurfaceEvent(QStringLiteral("Keyboard"), {}, QStringLiteral("Stop"));
        QCOMPARE(f.session.size(), 4);
        QCOMPARE(f.session.dropped(), qint64(2));
    }

    void surfaceLinesRefused_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("error");
        QTest::newRow("bytes on a surface event")
            << "2024-05-01 10:00:00.000\tGamepad\t\t90 41 FF\tControl surface\tbutton A"
            << "Line 3: bytes \"90 41 FF\" on a surface event";
        QTest::newRow("no surface") << "2024-05-01 10:00:00.000\t\t\t\tControl surface\tbutton A"
                                    << "Line 3: a surface event without its surface";
        QTest::newRow("packet without bytes") << "2024-05-01 10:00:00.000\tSent\t1\t\tCommand\tZoom"
                                              << "Line 3: no bytes \"\"";
        QTest::newRow("surface name as a packet's direction")
            << "2024-05-01 10:00:00.000\tGamepad\t1\t81 01 FF\tCommand\tZoom" << "Line 3: no direction \"Gamepad\"";
    }
    void surfaceLinesRefused()
    {
        QFETCH(QString, line);
        QFETCH(QString, error);
        const QString head = QString::fromUtf8(RecordWriter::head());
        QString why;
        QVERIFY(!Session::fromText(head + line + QLatin1Char('\n'), &why));
        QCOMPARE(why, error);
    }

    // Times are read exactly in the form they are written, or refused.
    void timesRead_data()
    {
        QTest::addColumn<QString>("time");
        QTest::addColumn<QDateTime>("read");   // invalid: refused
        const QDateTime none;
        QTest::newRow("plain") << "2024-05-01 10:00:20.007" << QDateTime(QDate(2024, 5, 1), QTime(10, 0, 20, 7));
        QTest::newRow("leap day") << "2024-02-29 23:59:59.999" << QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59, 999));
        QTest::newRow("no leap day") << "2023-02-29 10:00:00.000" << none;
        QTest::newRow("month 13") << "2024-13-01 10:00:00.000" << none;
        QTest::newRow("hour 24") << "2024-05-01 24:00:00.000" << none;
        QTest::newRow("minute 60") << "2024-05-01 10:60:00.000" << none;
        QTest::newRow("no milliseconds") << "2024-05-01 10:00:00" << none;
        QTest::newRow("letters") << "2024-05-01 1O:00:00.000" << none;
        QTest::newRow("other separators") << "2024/05/01 10:00:00.000" << none;
        QTest::newRow("signs") << "2024-05-01 10:00:+0.000" << none;
        QTest::newRow("blank") << "" << none;
    }
    void timesRead()
    {
        QFETCH(QString, time);
        QFETCH(QDateTime, read);
        const QString head = QString::fromUtf8(RecordWriter::head());
        // Twice, after another date, since a date is kept from line to line.
        for (const QString& before : {QStringLiteral("2024-05-01 09:00:00.000"), QStringLiteral("2020-01-01 09:00:00.000")}) {
            QString why;
            const auto records = Session::fromText(head + before + "\tSent\t1\t81 FF\tUnknown\tx\n" + time
                                                       + "\tSent\t1\t81 FF\tUnknown\tx\n",
                                                   &why);
            if (!read.isValid()) {
                QVERIFY(!records);
                QCOMPARE(why, QStringLiteral("Line 4: no time \"%1\"").arg(time));
                continue;
            }
            QVERIFY2(records, qPrintable(why));
            QCOMPARE(records->at(1).time, read);
            QCOMPARE(RecordWriter().line(records->at(1)).left(23), time.toLatin1());
        }
    }

    // Local times from the zone's offsets agree with the zone itself, across
    // both changes of summer time, each way.
    void localTimesAcrossSummerTime_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDateTime>("from");   // UTC; six hours on from there, a minute at a time
        QTest::newRow("Berlin, spring") << QByteArray("Europe/Berlin") << QDateTime(QDate(2024, 3, 30), QTime(22, 0), Qt::UTC);
        QTest::newRow("Berlin, autumn") << QByteArray("Europe/Berlin") << QDateTime(QDate(2024, 10, 26), QTime(22, 0), Qt::UTC);
        QTest::newRow("Sydney, autumn") << QByteArray("Australia/Sydney") << QDateTime(QDate(2024, 4, 6), QTime(13, 0), Qt::UTC);
        QTest::newRow("UTC") << QByteArray("UTC") << QDateTime(QDate(2024, 3, 30), QTime(22, 0), Qt::UTC);
    }
    void localTimesAcrossSummerTime()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QDateTime, from);
        const QTimeZone tz(zone);
        if (!tz.isValid())
            QSKIP("no such time zone on this machine");
        LocalTime local(tz);
        LocalTime back(tz);
        for (int minute = 0; minute < 6 * 60; ++minute) {
            const QDateTime at = from.addSecs(60 * minute + 7);
            const QDateTime expected = at.toTimeZone(tz);
            const QDateTime got = local.fromUtc(at.toMSecsSinceEpoch());
            QCOMPARE(got, at);
            QCOMPARE(got.date(), expected.date());
            QCOMPARE(got.time(), expected.time());
            // And read back from its wall time: an instant with that wall
            // time in the zone (the same one, but in the hour that repeats,
            // where either instant has it).
            const QDateTime read = back.fromLocal(expected.date(), expected.time());
            QCOMPARE(read.toTimeZone(tz).date(), expected.date());
            QCOMPARE(read.toTimeZone(tz).time(), expected.time());
            QCOMPARE(read.date(), expected.date());
            QCOMPARE(read.time(), expected.time());
            if (read != at)
                QCOMPARE(qAbs(read.secsTo(at)), qint64(3600));
        }
    }

    // --- daily log files ---------------------------------------------------------

    // Rows go to the file of their own day; the day turns at midnight on the
    // session's clock; each file loads as a session; rows the bound dropped
    // are in the files all the same.
    void dailyFilesAcrossMidnight()
    {
        QTemporaryDir dir;
        Fixture f(QDateTime(QDate(2024, 5, 1), QTime(23, 59, 58)));
        f.session.setLimit(4);
        const QString logDir = dir.filePath(QStringLiteral("logs/traffic"));   // made as needed
        DailyLog log(f.session, logDir);
        QStringList told;
        log.setReport([&told](const QString& text) { told << text; });

        f.exchange(1, 1);                                   // 23:59:58.000 .. .010
        f.session.noteSurfaceEvent(QStringLiteral("Keyboard"), {}, QStringLiteral("F5"));   // .510
        f.clock.advance(1.0);                               // 23:59:59.510
        f.session.recordSent(bytes("81 09 00 02 FF"));
        f.clock.advance(0.6);                               // 00:00:00.110, the next day
        f.session.recordReceived(bytes("90 50 00 01 04 0E 02 05 02 FF"));
        f.exchange(2, 3);
        QVERIFY2(told.isEmpty(), qPrintable(told.join('\n')));
        QCOMPARE(filesIn(logDir), (QStringList{"traffic-2024-05-01.txt", "traffic-2024-05-02.txt"}));

        QString error;
        const auto first = Session::load(QDir(logDir).filePath(QStringLiteral("traffic-2024-05-01.txt")), &error);
        QVERIFY2(first, qPrintable(error));
        const auto second = Session::load(QDir(logDir).filePath(QStringLiteral("traffic-2024-05-02.txt")), &error);
        QVERIFY2(second, qPrintable(error));
        QStringList firstKinds, secondKinds;
        for (const Record& r : *first) {
            QCOMPARE(r.time.date(), QDate(2024, 5, 1));
            firstKinds << kindText(r.kind);
        }
        for (const Record& r : *second) {
            QCOMPARE(r.time.date(), QDate(2024, 5, 2));
            secondKinds << kindText(r.kind);
        }
        QCOMPARE(firstKinds, (QStringList{"Command", "Acknowledge", "Completion", "Control surface", "Inquiry"}));
        QCOMPARE(secondKinds, (QStringList{"Inquiry answer", "Command", "Acknowledge", "Completion"}));
        QCOMPARE(f.session.size(), 4);
        QCOMPARE(second->mid(0), f.session.records());

        // The panel started again the same day: its rows follow in the same
        // file, under the one head.
        {
            Fixture again(QDateTime(QDate(2024, 5, 2), QTime(8, 0, 0)));
            DailyLog log2(again.session, logDir);
            again.exchange(3, 7);
        }
        const auto appended = Session::load(QDir(logDir).filePath(QStringLiteral("traffic-2024-05-02.txt")), &error);
        QVERIFY2(appended, qPrintable(error));
        QCOMPARE(appended->size(), 7);
        QCOMPARE(hexForm(appended->at(4).bytes), QStringLiteral("83 01 04 47 00 00 00 07 FF"));
        QCOMPARE(contentOf(QDir(logDir).filePath(QStringLiteral("traffic-2024-05-02.txt"))).count("PELTRO Panel decoded traffic"), 1);
    }

    // A file that cannot be written is said once; the session goes on; once
    // the file can be written again, that is said with the rows missed.
    void unwritableLogSaidOnce()
    {
        QTemporaryDir dir;
        const QString logDir = dir.filePath(QStringLiteral("logs"));
        Fixture f;
        DailyLog log(f.session, logDir);
        QStringList told;
        log.setReport([&told](const QString& text) { told << text; });
        const QString path = QDir(logDir).filePath(DailyLog::fileName(QDate(2024, 5, 1)));
        // A directory where the file should be: no one can write it.
        QVERIFY(QDir().mkpath(path));
        f.exchange(1, 1);
        f.exchange(1, 2);
        QCOMPARE(f.session.size(), 6);
        QCOMPARE(told.size(), 1);
        QVERIFY2(told.at(0).startsWith(QStringLiteral("The traffic log file %1 cannot be written (").arg(
                     QDir::toNativeSeparators(path))),
                 qPrintable(told.at(0)));
        QVERIFY(told.at(0).endsWith(QLatin1String("The panel goes on; its rows are not logged until the file can be written.")));

        QVERIFY(QDir(path).removeRecursively());
        f.exchange(1, 3);
        QCOMPARE(told.size(), 2);
        QCOMPARE(told.at(1), QStringLiteral("The traffic log file %1 is written again; 6 rows could not be logged meanwhile.")
                                 .arg(QDir::toNativeSeparators(path)));
        QString error;
        const auto rows = Session::load(path, &error);
        QVERIFY2(rows, qPrintable(error));
        QCOMPARE(rows->size(), 3);
    }

    // A line cut short (a full disk, a crash) does not swallow the next one.
    void logEndsACutLine()
    {
        QTemporaryDir dir;
        Fixture f;
        const QString path = dir.filePath(DailyLog::fileName(QDate(2024, 5, 1)));
        {
            QFile cut(path);
            QVERIFY(cut.open(QIODevice::WriteOnly));
            cut.write(RecordWriter::head() + "2024-05-01 09:00:00.000\tSent\t1\t81 01 04 07 00 FF\tCommand\tStop\n2024-05-01 09:0");
        }
        DailyLog log(f.session, dir.path());
        f.exchange(1, 1);
        const QList<QByteArray> lines = contentOf(path).split('\n');
        QCOMPARE(lines.at(3), QByteArray("2024-05-01 09:0"));
        QVERIFY(lines.at(4).startsWith("2024-05-01 10:00:00.000\tSent\t1\t81 01 04 47"));
    }

    // --- the save in steps --------------------------------------------------------

    // The rows there were when the save began, whatever comes and goes while
    // it runs; the bound is enforced again after it.
    void saveKeepsItsRowsWhileRowsArrive()
    {
        Fixture f;
        f.session.setLimit(300);
        for (int i = 0; i < 100; ++i)
            f.exchange(1 + i % 7, i);
        const QList<Record> atStart = f.session.records();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("saved.txt"));
        SaveJob job(f.session, path);
        QSignalSpy finished(&job, &SaveJob::finished);
        QSignalSpy progress(&job, &SaveJob::progress);
        job.start();
        QCOMPARE(job.total(), qint64(300));
        // Far more rows than the limit come in before the first step runs.
        for (int i = 0; i < 400; ++i)
            f.exchange(2, i);
        QVERIFY(f.session.size() > 300);   // held for the save
        QVERIFY(finished.wait(5000));
        QCOMPARE(finished.at(0).at(0).toBool(), true);
        QCOMPARE(finished.at(0).at(1).toString(), QString());
        QCOMPARE(progress.last().at(0).toLongLong(), qint64(300));
        QCOMPARE(f.session.size(), 300);   // released: the limit holds again
        QCOMPARE(f.session.dropped(), qint64(1200));
        QString error;
        const auto saved = Session::load(path, &error);
        QVERIFY2(saved, qPrintable(error));
        QCOMPARE(*saved, atStart);
        QCOMPARE(contentOf(path), Session::toText(atStart).toUtf8());
        QCOMPARE(filesIn(dir.path()), QStringList{"saved.txt"});
    }

    // Cancelled or failed: nothing under the name (or what was there stays),
    // and no half file beside it.
    void cancelledOrFailedSaveLeavesNothing()
    {
        Fixture f;
        for (int i = 0; i < 2000; ++i)
            f.exchange(1, i);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("kept.txt"));
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("an older file\n");
        }
        SaveJob job(f.session, path);
        QSignalSpy finished(&job, &SaveJob::finished);
        connect(&job, &SaveJob::progress, &job, [&job](qint64 done) {
            if (done > 0)
                job.cancel();
        });
        job.start();
        QVERIFY(finished.wait(5000));
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        QCOMPARE(finished.at(0).at(1).toString(), QString());
        QVERIFY(!job.running());
        QCOMPARE(contentOf(path), QByteArray("an older file\n"));
        QCOMPARE(filesIn(dir.path()), QStringList{"kept.txt"});
        // The hold went with it: new rows are bounded again.
        f.session.setLimit(10);
        QCOMPARE(f.session.size(), 10);

        SaveJob bad(f.session, dir.filePath(QStringLiteral("no/such/folder/x.txt")));
        QSignalSpy failed(&bad, &SaveJob::finished);
        bad.start();
        QVERIFY(failed.wait(5000));
        QCOMPARE(failed.at(0).at(0).toBool(), false);
        QVERIFY(!failed.at(0).at(1).toString().isEmpty());
        QCOMPARE(filesIn(dir.path()), QStringList{"kept.txt"});
    }

    // A job destroyed before it is done leaves no file, not even a
    // temporary one.
    void saveDestroyedMidway()
    {
        Fixture f;
        for (int i = 0; i < 3000; ++i)
            f.exchange(1, i);
        QTemporaryDir dir;
        {
            SaveJob job(f.session, dir.filePath(QStringLiteral("gone.txt")));
            job.start();
            QVERIFY(job.running());
        }
        QCOMPARE(filesIn(dir.path()), QStringList{});
        f.session.setLimit(5);
        QCOMPARE(f.session.size(), 5);
    }
};

QTEST_MAIN(TestTrafficSession)
#include "test_traffic_session.moc"
