#pragma once

// Every row of a session, as it is recorded, in one file a day: for a post
// that runs for days, whose view keeps only the newest rows. Qt Core only.

#include "traffic_session.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QSet>
#include <functional>

namespace peltro::traffic {

class DailyLog final : public QObject {
    Q_OBJECT
public:
    // Writes into directory (made if missing) from the next row the session
    // records. A file that cannot be written is said once through the
    // report (standard error unless set), and the session goes on.
    DailyLog(Session& session, const QString& directory, QObject* parent = nullptr);

    using Report = std::function<void(const QString& text)>;
    void setReport(Report report) { m_report = std::move(report); }

    // "traffic-2024-05-01.txt": the rows of that day, by their own time. A
    // file starts with the head of a saved session, so it loads as one.
    static QString fileName(QDate date);
    QString directory() const { return m_dir.path(); }

private:
    void write(int first, int last);
    bool openFor(QDate date);
    void tell(const QString& text);

    Session& m_session;
    QDir m_dir;
    QFile m_file;
    QDate m_date;
    RecordWriter m_lines;
    Report m_report;
    QSet<QString> m_failing;   // files whose failure was said
    qint64 m_lost = 0;         // rows not written since the failure was said
};

} // namespace peltro::traffic
