// Save As of a million rows from the decoded traffic window: the window's
// event loop keeps running (a 20 ms heartbeat never waits 100 ms), the file
// holds every row and reads back, and Cancel leaves no file.
#include "app_rig.h"
#include "heartbeat.h"
#include "frm_traffic.h"
#include "save_job.h"
#include "traffic_session.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace peltro;
using namespace peltro::test;
using traffic::Record;
using traffic::SaveJob;
using traffic::Session;

namespace {

constexpr int kRows = 1000000;

QStringList filesIn(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class TestTrafficSave : public QObject {
    Q_OBJECT

    AppRig* r = nullptr;
    ManualClock clock;
    Session* session = nullptr;
    FrmTraffic* window = nullptr;

private Q_SLOTS:
    void initTestCase()
    {
        quietPlatform();
        r = new AppRig;
        session = new Session(clock, nullptr);
        session->setStartTime(QDateTime(QDate(2024, 5, 1), QTime(10, 0, 0)));
        session->setLimit(kRows);
        // A command, acknowledges a thousand at a time, and a surface event last.
        session->recordSent(QByteArray::fromHex("810104390AFF"));
        QByteArray acks;
        for (int i = 0; i < 1000; ++i)
            acks += QByteArray::fromHex("9041FF");
        for (int i = 0; i < 1000; ++i) {
            clock.advance(0.02);
            session->recordReceived(i == 999 ? acks.left(998 * 3) : acks);
        }
        session->noteSurfaceEvent(QStringLiteral("Remote control"), QStringLiteral("10.0.0.7:9000"),
                                  QStringLiteral("/peltro/cam/1/zoom 0.5"));
        QCOMPARE(session->size(), kRows);
        QCOMPARE(session->dropped(), qint64(0));
        window = new FrmTraffic(r->app->context, *session);
        window->show();
    }
    void cleanupTestCase()
    {
        delete window;
        delete session;
        delete r;
        loudPlatform();
    }

    void millionRowsWithoutAStall()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("million.txt"));
        Heartbeat heart;
        SaveJob* job = window->saveTo(path);
        QVERIFY(job);
        QSignalSpy finished(job, &SaveJob::finished);
        heart.since.restart();
        heart.longest = 0;
        QVERIFY(finished.wait(120000));
        heart.tick();
        QVERIFY2(finished.at(0).at(0).toBool(), qPrintable(finished.at(0).at(1).toString()));
        qInfo("saved in %d beats; longest wait of the heartbeat %lld ms", heart.beats, heart.longest);
        QVERIFY2(heart.longest < kLongestStillMs, qPrintable(QStringLiteral("the window stood still for %1 ms").arg(heart.longest)));
        QVERIFY(heart.beats > 5);

        // Text: head, first and last rows, and one line per row.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readLine(), QByteArray("PELTRO Panel decoded traffic\n"));
        QCOMPARE(file.readLine(), QByteArray("Time\tDirection\tCamera\tBytes\tKind\tWhat\n"));
        QCOMPARE(file.readLine(), QByteArray("2024-05-01 10:00:00.000\tSent\t1\t81 01 04 39 0A FF\tCommand\tCommand 01 04 39\n"));
        QCOMPARE(file.readLine(), QByteArray("2024-05-01 10:00:00.020\tReceived\t1\t90 41 FF\tAcknowledge\tAcknowledge, socket 1\n"));
        int lines = 4;
        QByteArray last;
        while (!file.atEnd()) {
            last = file.readLine();
            ++lines;
        }
        QCOMPARE(lines, kRows + 2);
        QCOMPARE(last, QByteArray("2024-05-01 10:00:20.000\tRemote control\t\t\tControl surface\t"
                                  "/peltro/cam/1/zoom 0.5 (from 10.0.0.7:9000)\n"));
        file.close();

        QString error;
        const auto loaded = Session::load(path, &error);
        QVERIFY2(loaded, qPrintable(error));
        QCOMPARE(loaded->size(), kRows);
        QCOMPARE(loaded->first(), session->at(0));
        QCOMPARE(loaded->at(kRows / 2), session->at(kRows / 2));
        QCOMPARE(loaded->last(), session->at(kRows - 1));
        QCOMPARE(filesIn(dir.path()), QStringList{"million.txt"});
        QVERIFY(r->messages.boxes.isEmpty());
    }

    // The progress dialog's Cancel: no file under the name, none beside it,
    // no warning, and the window can save again.
    void cancelLeavesNoFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("cancelled.txt"));
        SaveJob* job = window->saveTo(path);
        QVERIFY(job);
        QSignalSpy finished(job, &SaveJob::finished);
        auto* progress = window->findChild<QProgressDialog*>(QStringLiteral("TrafficSaveProgress"));
        QVERIFY(progress);
        QCOMPARE(progress->labelText(), QStringLiteral("Saving the traffic to %1...").arg(QDir::toNativeSeparators(path)));
        QTRY_VERIFY(job->done() > 0);
        QVERIFY(job->done() < job->total());
        auto* cancel = progress->findChild<QPushButton*>();
        QVERIFY(cancel);
        QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
        cancel->click();
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        QCOMPARE(filesIn(dir.path()), QStringList{});
        QVERIFY(r->messages.boxes.isEmpty());
        QVERIFY(window->save->isEnabled());
        QCOMPARE(session->size(), kRows);
    }
};

QTEST_MAIN(TestTrafficSave)
#include "test_traffic_save.moc"
