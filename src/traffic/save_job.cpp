#include "save_job.h"

#include "traffic_session.h"

#include <QSaveFile>

namespace peltro::traffic {

// The side of the job in the writing thread. Every call comes in the order
// the job made them; the file appears under its name on commit only.
class FileWriter {
public:
    explicit FileWriter(SaveJob* job) : m_job(job) {}

    std::atomic<qint64> pending{0};       // bytes handed over, not yet written
    std::atomic<bool> cancelled{false};
    QObject context;                      // lives in the writing thread

    void open(const QString& path)
    {
        m_file = std::make_unique<QSaveFile>(path);
        if (!m_file->open(QIODevice::WriteOnly))
            fail();
    }
    void write(const QByteArray& text)
    {
        if (m_file && !cancelled && m_file->write(text) != text.size())
            fail();
        pending -= text.size();
    }
    // True when the file is complete under its name; else the reason, empty
    // for a cancel.
    bool commit(QString* error)
    {
        if (!m_file || cancelled) {
            discard();
            *error = m_error;
            return false;
        }
        const bool ok = m_file->commit();
        if (!ok)
            *error = m_file->errorString();
        m_file.reset();
        return ok;
    }
    void discard()
    {
        if (m_file)
            m_file->cancelWriting();
        m_file.reset();   // the temporary file goes with it
    }
    // Tells the job how the save ended. The job waits for this thread
    // before it goes, so it is there to be told.
    void report(bool saved, const QString& error)
    {
        SaveJob* job = m_job;
        QMetaObject::invokeMethod(job, [job, saved, error] { job->writerEnded(saved, error); }, Qt::QueuedConnection);
    }

private:
    void fail()
    {
        m_error = m_file->errorString();
        if (m_error.isEmpty())
            m_error = QStringLiteral("the file could not be written");
        discard();
        report(false, m_error);
    }

    SaveJob* m_job;
    std::unique_ptr<QSaveFile> m_file;
    QString m_error;
};

SaveJob::SaveJob(Session& session, const QString& path, QObject* parent)
    : QObject(parent), m_session(&session), m_path(path)
{
    m_steps.setInterval(0);
    connect(&m_steps, &QTimer::timeout, this, &SaveJob::step);
    // A session that goes away ends the save; nothing of it is kept.
    connect(&session, &QObject::destroyed, this, [this] {
        m_session = nullptr;
        if (m_running)
            cancel();
    });
}

SaveJob::~SaveJob()
{
    if (m_writer) {
        m_writer->cancelled = true;
        FileWriter* w = m_writer;
        QMetaObject::invokeMethod(&w->context, [w] { w->discard(); }, Qt::QueuedConnection);
        QMetaObject::invokeMethod(&w->context, [] { QThread::currentThread()->quit(); }, Qt::QueuedConnection);
        m_thread.wait();
        delete m_writer;
    }
    if (m_session)
        m_session->release(this);
}

void SaveJob::start()
{
    if (m_running || m_writer || !m_session)
        return;
    m_running = true;
    m_begin = m_next = m_session->dropped();
    m_end = m_session->endSequence();
    m_session->hold(this, m_next);
    m_lines = std::make_unique<RecordWriter>();

    m_writer = new FileWriter(this);
    m_writer->context.moveToThread(&m_thread);
    m_thread.setObjectName(QStringLiteral("traffic save"));
    m_thread.start();
    FileWriter* w = m_writer;
    const QString path = m_path;
    QMetaObject::invokeMethod(&w->context, [w, path] { w->open(path); }, Qt::QueuedConnection);
    QByteArray head = RecordWriter::head();
    send(head);
    Q_EMIT progress(0, total());
    m_steps.start();
}

void SaveJob::send(QByteArray& chunk)
{
    if (chunk.isEmpty())
        return;
    FileWriter* w = m_writer;
    w->pending += chunk.size();
    QMetaObject::invokeMethod(&w->context, [w, text = std::move(chunk)] { w->write(text); }, Qt::QueuedConnection);
    chunk = QByteArray();
}

void SaveJob::step()
{
    if (!m_running || m_ending || !m_session)
        return;
    // The disk is behind: wait for it without spinning.
    if (m_writer->pending > kMaxPending) {
        m_steps.setInterval(10);
        return;
    }
    m_steps.setInterval(0);
    QElapsedTimer clock;
    clock.start();
    QByteArray chunk;
    const qint64 first = m_session->dropped();   // the hold keeps m_next from going
    while (m_next < m_end) {
        m_lines->appendLine(chunk, m_session->at(int(m_next - first)));
        ++m_next;
        if ((m_next & 63) == 0) {
            if (chunk.size() >= (1 << 18))
                send(chunk);
            if (clock.elapsed() >= kStepMs || m_writer->pending > kMaxPending)
                break;
        }
    }
    send(chunk);
    m_session->hold(this, m_next);
    Q_EMIT progress(done(), total());
    if (m_next < m_end || !m_running || m_ending)
        return;   // more to come, or cancelled meanwhile
    // Everything is with the writer: it commits, and says how that went.
    m_ending = true;
    m_steps.stop();
    m_session->release(this);
    FileWriter* w = m_writer;
    QMetaObject::invokeMethod(&w->context, [w] {
        QString why;
        const bool saved = w->commit(&why);
        w->report(saved, why);
    }, Qt::QueuedConnection);
}

void SaveJob::cancel()
{
    if (!m_running || !m_writer)
        return;
    m_writer->cancelled = true;
    m_steps.stop();
    if (m_session)
        m_session->release(this);
    if (m_ending)
        return;   // the writer is committing; it sees the cancel and reports it
    m_ending = true;
    FileWriter* w = m_writer;
    QMetaObject::invokeMethod(&w->context, [w] {
        w->discard();
        w->report(false, QString());
    }, Qt::QueuedConnection);
}

void SaveJob::writerEnded(bool saved, const QString& error)
{
    if (m_running)
        end(saved, error);
}

void SaveJob::end(bool saved, const QString& error)
{
    m_running = false;
    m_steps.stop();
    if (m_session)
        m_session->release(this);
    m_lines.reset();
    // The thread ends once it has done what it was given.
    if (m_writer) {
        m_writer->cancelled = m_writer->cancelled || !saved;
        QMetaObject::invokeMethod(&m_writer->context, [w = m_writer] {
            w->discard();
            QThread::currentThread()->quit();
        }, Qt::QueuedConnection);
    }
    Q_EMIT finished(saved, error);
}

} // namespace peltro::traffic
