#include "daily_log.h"

#include <cstdio>

namespace peltro::traffic {

DailyLog::DailyLog(Session& session, const QString& directory, QObject* parent)
    : QObject(parent), m_session(session), m_dir(directory),
      m_report([](const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); })
{
    // A directory that cannot be made shows as a file that cannot be written.
    QDir().mkpath(directory);
    connect(&session, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex& parent, int first, int last) {
        if (!parent.isValid())
            write(first, last);
    });
}

QString DailyLog::fileName(QDate date)
{
    return QStringLiteral("traffic-%1.txt").arg(date.toString(QStringLiteral("yyyy-MM-dd")));
}

void DailyLog::tell(const QString& text)
{
    if (m_report)
        m_report(text);
}

bool DailyLog::openFor(QDate date)
{
    if (m_file.isOpen() && date == m_date)
        return true;
    m_file.close();
    m_date = date;
    m_file.setFileName(m_dir.filePath(fileName(date)));
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::Append))
        return false;
    const qint64 size = m_file.size();
    if (size == 0)
        return m_file.write(RecordWriter::head()) >= 0;
    // A line cut short by an earlier failure is ended before the next one.
    char last = '\n';
    if (m_file.seek(size - 1))
        m_file.getChar(&last);
    return last == '\n' || m_file.putChar('\n');
}

void DailyLog::write(int first, int last)
{
    int r = first;
    while (r <= last) {
        // The rows of one day at a time.
        const QDate date = m_session.at(r).time.date();
        QByteArray text;
        int n = 0;
        for (; r <= last && m_session.at(r).time.date() == date; ++r, ++n)
            m_lines.appendLine(text, m_session.at(r));
        const bool ok = openFor(date) && m_file.write(text) == text.size() && m_file.flush();
        const QString path = QDir::toNativeSeparators(m_file.fileName());
        if (!ok) {
            if (!m_failing.contains(path)) {
                m_failing.insert(path);
                tell(QStringLiteral("The traffic log file %1 cannot be written (%2). The panel goes on; its rows "
                                    "are not logged until the file can be written.")
                         .arg(path, m_file.errorString()));
            }
            m_lost += n;
            m_file.close();   // opened anew for the next rows
        } else if (m_lost > 0) {
            m_failing.remove(path);
            tell(QStringLiteral("The traffic log file %1 is written again; %2 could not be logged meanwhile.")
                     .arg(path, m_lost == 1 ? QStringLiteral("1 row") : QStringLiteral("%1 rows").arg(m_lost)));
            m_lost = 0;
        }
    }
}

} // namespace peltro::traffic
