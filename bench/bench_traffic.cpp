// Measures, side by side in one run, what a long session of decoded traffic
// costs:
//  1. the memory of a session fed a week of auto refresh (a QUORIN-P3 status
//     read every 2 s, the bytes of a real read on the simulated chain), with
//     the bound on its rows and without it;
//  2. Save As of a million rows: the whole text built and written at once
//     (as the panel used to) against the window's save in steps, each with a
//     20 ms timer on the UI thread whose longest wait is the longest stall.
// Prints ratios; not a test.
#include "app_rig.h"
#include "frm_traffic.h"
#include "packet_names.h"
#include "save_job.h"
#include "traffic_session.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSaveFile>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <limits>
#include <malloc.h>

using namespace peltro;
using traffic::Record;
using traffic::Session;

namespace {

constexpr int kReadsPerWeek = 7 * 24 * 3600 / 2;
constexpr int kSaveRows = 1000000;

qint64 heapInUse()
{
    const struct mallinfo2 m = mallinfo2();
    return qint64(m.uordblks + m.hblkhd);
}

double mb(qint64 bytes)
{
    return bytes / (1024.0 * 1024.0);
}

// What crossed the line in one status read: each chunk with its direction
// and when it came, in seconds from the start of the read.
struct Chunk {
    bool sent;
    double at;
    QByteArray bytes;
};

QList<Chunk> oneStatusRead()
{
    test::AppRig rig({QStringLiteral("quorin-p3")});
    rig.identify();
    rig.session.readStatus();   // the first read settles what it finds
    QList<Chunk> chunks;
    const double start = rig.clock.now();
    QObject::connect(&rig.link(), &Link::wrote, [&](const QByteArray& b) { chunks.append({true, rig.clock.now() - start, b}); });
    QObject::connect(&rig.link(), &Link::received,
                     [&](const QByteArray& b) { chunks.append({false, rig.clock.now() - start, b}); });
    rig.session.readStatus();
    QCoreApplication::processEvents();
    return chunks;
}

// A week of reads, one every 2 s, into the session.
void feedAWeek(Session& session, ManualClock& clock, const QList<Chunk>& read)
{
    double readStart = clock.now();
    for (int i = 0; i < kReadsPerWeek; ++i) {
        for (const Chunk& c : read) {
            clock.advance(readStart + c.at - clock.now());
            if (c.sent)
                session.recordSent(c.bytes);
            else
                session.recordReceived(c.bytes);
        }
        readStart += 2.0;
    }
}

// A save as the panel made it before: the whole text in memory, then written.
bool saveAtOnce(const Session& session, const QString& path, qint64* extraMemory)
{
    const qint64 before = heapInUse();
    QString text = QStringLiteral("PELTRO Panel decoded traffic\nTime\tDirection\tCamera\tBytes\tKind\tWhat\n");
    for (int r = 0; r < session.size(); ++r) {
        const Record& rec = session.at(r);
        text += QStringList{rec.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")),
                            traffic::directionText(rec.direction), traffic::cameraText(rec.camera),
                            traffic::hexForm(rec.bytes), traffic::kindText(rec.kind), rec.what}
                    .join(QLatin1Char('\t'));
        text += QLatin1Char('\n');
    }
    const QByteArray utf8 = text.toUtf8();
    *extraMemory = heapInUse() - before;
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(utf8) == utf8.size() && file.commit();
}

struct Stalls {
    qint64 longestMs = 0;
    double seconds = 0;
    qint64 extraMemory = 0;
};

// Runs work from the event loop with a 20 ms heartbeat beside it, until
// done() is called; the heartbeat's longest wait and the heap's growth over
// what it was at the start, sampled at each beat.
Stalls withHeartbeat(const std::function<void(const std::function<void()>& done)>& work)
{
    Stalls s;
    QEventLoop loop;
    QTimer beat;
    beat.setInterval(20);
    QElapsedTimer since, total;
    const qint64 base = heapInUse();
    QObject::connect(&beat, &QTimer::timeout, [&] {
        s.longestMs = qMax(s.longestMs, since.restart());
        s.extraMemory = qMax(s.extraMemory, heapInUse() - base);
    });
    bool finished = false;
    auto done = [&] {
        finished = true;
        s.seconds = total.nsecsElapsed() / 1e9;
        loop.quit();
    };
    QTimer::singleShot(0, [&] {
        since.start();
        total.start();
        work(done);
    });
    beat.start();
    if (!finished)
        loop.exec();
    s.longestMs = qMax(s.longestMs, since.elapsed());
    return s;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    test::quietPlatform();

    const QList<Chunk> read = oneStatusRead();
    int rowsPerRead = 0;
    {
        ManualClock clock;
        Session probe(clock, &panelPacketNames());
        for (const Chunk& c : read)
            c.sent ? probe.recordSent(c.bytes) : probe.recordReceived(c.bytes);
        rowsPerRead = probe.size();
    }
    std::printf("a week of auto refresh: %d status reads of a QUORIN-P3, %d rows each (%.1f rows a second)\n",
                kReadsPerWeek, rowsPerRead, rowsPerRead / 2.0);

    // 1. Memory after a week, with the bound and without it.
    qint64 boundBytes = 0, allBytes = 0;
    int boundRows = 0;
    qint64 allRows = 0;
    double feedSeconds[2] = {};
    {
        const qint64 before = heapInUse();
        ManualClock clock;
        Session session(clock, &panelPacketNames());
        QElapsedTimer t;
        t.start();
        feedAWeek(session, clock, read);
        feedSeconds[0] = t.nsecsElapsed() / 1e9;
        boundBytes = heapInUse() - before;
        boundRows = session.size();
    }
    std::unique_ptr<ManualClock> clock = std::make_unique<ManualClock>();
    std::unique_ptr<Session> all = std::make_unique<Session>(*clock, &panelPacketNames());
    {
        const qint64 before = heapInUse();
        all->setLimit(std::numeric_limits<int>::max());
        QElapsedTimer t;
        t.start();
        feedAWeek(*all, *clock, read);
        feedSeconds[1] = t.nsecsElapsed() / 1e9;
        allBytes = heapInUse() - before;
        allRows = all->size();
    }
    std::printf("session memory after the week (heap in use):\n");
    std::printf("  bound of %d rows: %8d rows kept, %8.1f MB (fed in %.1f s)\n", Session::kDefaultLimit, boundRows,
                mb(boundBytes), feedSeconds[0]);
    std::printf("  no bound:          %8lld rows kept, %8.1f MB (fed in %.1f s), %.0f bytes a row, %.2f MB an hour\n",
                static_cast<long long>(allRows), mb(allBytes), feedSeconds[1], double(allBytes) / allRows,
                mb(allBytes) / (7 * 24));
    std::printf("  the bound keeps %.4f of the memory (%.1f times less)\n", double(boundBytes) / allBytes,
                double(allBytes) / boundBytes);

    // 2. Save As of a million rows: the newest of the week.
    all->setLimit(kSaveRows);
    test::AppRig rig;
    FrmTraffic window(rig.app->context, *all);
    window.show();
    QTemporaryDir dir;
    qint64 atOnceMemory = 0;
    bool atOnceSaved = false;
    const Stalls atOnce = withHeartbeat([&](const std::function<void()>& done) {
        atOnceSaved = saveAtOnce(*all, dir.filePath(QStringLiteral("at-once.txt")), &atOnceMemory);
        done();
    });
    bool streamed = false;
    const Stalls steps = withHeartbeat([&](const std::function<void()>& done) {
        traffic::SaveJob* job = window.saveTo(dir.filePath(QStringLiteral("in-steps.txt")));
        QObject::connect(job, &traffic::SaveJob::finished, [&streamed, done](bool saved) {
            streamed = saved;
            done();
        });
    });
    const qint64 size = QFileInfo(dir.filePath(QStringLiteral("in-steps.txt"))).size();
    if (!atOnceSaved || !streamed || size != QFileInfo(dir.filePath(QStringLiteral("at-once.txt"))).size()) {
        std::fprintf(stderr, "the two saves did not write the same file\n");
        return 1;
    }
    std::printf("Save As of %d rows (%.1f MB of text):\n", all->size(), mb(size));
    std::printf("  all at once: %6.2f s, longest stall %6lld ms, extra memory %7.1f MB (%.2f x the file)\n",
                atOnce.seconds, static_cast<long long>(atOnce.longestMs), mb(atOnceMemory), double(atOnceMemory) / size);
    std::printf("  in steps:    %6.2f s, longest stall %6lld ms, extra memory %7.1f MB (%.2f x the file)\n",
                steps.seconds, static_cast<long long>(steps.longestMs), mb(steps.extraMemory),
                double(steps.extraMemory) / size);
    std::printf("  in steps takes %.2f x the time, %.4f x the longest stall, %.4f x the extra memory\n",
                steps.seconds / atOnce.seconds, double(steps.longestMs) / qMax<qint64>(atOnce.longestMs, 1),
                double(steps.extraMemory) / qMax<qint64>(atOnceMemory, 1));
    test::loudPlatform();
    return 0;
}
