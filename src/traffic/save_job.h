#pragma once

// Saving a long session without stopping the window: the rows are put into
// text a few milliseconds at a time between the events of the loop, and a
// thread of its own writes the text to the disk. Qt Core only.

#include <QElapsedTimer>
#include <QObject>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <memory>

namespace peltro::traffic {

class Session;
class FileWriter;
class RecordWriter;

class SaveJob final : public QObject {
    Q_OBJECT
public:
    // Time given to the rows in one go before the loop runs again.
    static constexpr int kStepMs = 8;
    // Text waiting for the disk beyond which no more is made until it is written.
    static constexpr qint64 kMaxPending = 4 << 20;

    // The rows the session holds when start() is called, written to path.
    // Nothing appears under path unless the whole session was written.
    SaveJob(Session& session, const QString& path, QObject* parent = nullptr);
    ~SaveJob() override;

    void start();
    // Stops; what was written is thrown away, and the file of that name (if
    // there was one) stays as it was. finished(false, "") follows.
    void cancel();

    QString path() const { return m_path; }
    qint64 total() const { return m_end - m_begin; }
    qint64 done() const { return m_next - m_begin; }
    bool running() const { return m_running; }

Q_SIGNALS:
    void progress(qint64 done, qint64 total);
    // saved: the file is complete under its name. error: why not; empty when cancelled.
    void finished(bool saved, const QString& error);

private:
    friend class FileWriter;
    void step();
    void send(QByteArray& chunk);
    void end(bool saved, const QString& error);
    void writerEnded(bool saved, const QString& error);

    Session* m_session;
    QString m_path;
    qint64 m_begin = 0;
    qint64 m_next = 0;
    qint64 m_end = 0;
    bool m_running = false;
    bool m_ending = false;   // the last text or a cancel is with the writer
    QTimer m_steps;
    std::unique_ptr<RecordWriter> m_lines;
    QThread m_thread;
    FileWriter* m_writer = nullptr;   // lives in m_thread
    std::shared_ptr<std::atomic<qint64>> m_pending;
};

} // namespace peltro::traffic
