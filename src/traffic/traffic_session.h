#pragma once

// Every packet that crossed the line during the session, decoded, one row
// each, and every control-surface event that caused some: the model the
// traffic view shows, and its text file. Qt Core only.

#include "traffic_decoder.h"

#include <QAbstractProxyModel>
#include <QAbstractTableModel>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QTimeZone>
#include <deque>
#include <optional>

class QIODevice;

namespace peltro {
class Clock;
class Link;
}

namespace peltro::traffic {

struct Record {
    QDateTime time;
    Direction direction = Direction::Sent;
    int camera = -1;        // 1..7; 0 the whole chain; -1 none
    QByteArray bytes;       // empty for a surface event
    Kind kind = Kind::Junk;
    QString what;
    QString surface;        // "Remote control", "Gamepad" ... for a surface event; else empty

    bool operator==(const Record&) const = default;
};

// Local times without asking the C library for each one (tens of
// microseconds a time): the system zone's offset from UTC holds from one of
// its transitions to the next, so it is looked up once for each such span.
// The times carry that offset; they compare equal to local times of the
// same instant.
class LocalTime {
public:
    explicit LocalTime(const QTimeZone& zone = QTimeZone::systemTimeZone()) : m_zone(zone) {}
    QDateTime fromUtc(qint64 msecsSinceEpoch);
    // The local wall time date, time; invalid when either is.
    QDateTime fromLocal(QDate date, QTime time);

private:
    bool covers(qint64 msecsSinceEpoch) const { return msecsSinceEpoch >= m_from && msecsSinceEpoch < m_until; }
    void learn(qint64 msecsSinceEpoch);

    QTimeZone m_zone;
    int m_offset = 0;        // seconds
    qint64 m_from = 0;       // the span the offset holds for, in ms since the epoch
    qint64 m_until = 0;
};

QString directionText(Direction direction);
// "1" .. "7", "all" for the whole chain, empty for none.
QString cameraText(int camera);

// The text of the session file, one record at a time: the title line and
// the column titles, then one line per record with its fields split by
// tabs. The writer keeps the last date's text, since consecutive rows share it.
class RecordWriter {
public:
    static QByteArray head();
    // One line, with its line end.
    QByteArray line(const Record& record);
    void appendLine(QByteArray& out, const Record& record);

private:
    QDate m_date;
    QByteArray m_dateText;
};

class Session final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { TimeColumn, DirectionColumn, CameraColumn, BytesColumn, KindColumn, WhatColumn, ColumnCount };
    enum Role { KindRole = Qt::UserRole + 1, CameraRole };

    // Six to eight hours of auto refresh (7 to 10 rows a second).
    static constexpr int kDefaultLimit = 200000;
    // Longer texts of a surface event are cut: a remote sender decides their size.
    static constexpr int kSurfaceTextLimit = 240;

    // Times are the clock's readings placed after the wall time the session
    // started at (now, unless a test says otherwise).
    Session(Clock& clock, const PacketNames* names, QObject* parent = nullptr);
    void setStartTime(const QDateTime& wallTime) { m_startMs = wallTime.toMSecsSinceEpoch(); }

    // Records every byte the link writes or takes from the port.
    void attach(Link& link);
    void recordSent(const QByteArray& bytes);
    void recordReceived(const QByteArray& bytes);
    // One row for what a control surface asked of the panel, at the
    // clock's present time, before the packets it causes. surface names the
    // kind of surface, source who sent it (may be empty), what the message in
    // words. False, and nothing recorded, when surface or what is empty.
    bool noteSurfaceEvent(const QString& surface, const QString& source, const QString& what);

    // At most this many rows are kept; the oldest go first. False, and the
    // limit unchanged, for less than one row.
    bool setLimit(int rows);
    int limit() const { return m_limit; }
    // How many of the oldest rows were dropped since the session began.
    qint64 dropped() const { return m_dropped; }

    // Each row has a sequence number that stays while rows before it are
    // dropped: row r is sequence dropped() + r.
    qint64 endSequence() const { return m_dropped + qint64(m_rows.size()); }
    int size() const { return int(m_rows.size()); }
    const Record& at(int row) const { return m_rows[size_t(row)]; }
    // A copy of every row kept: for small sessions (a large one is written
    // out with SaveJob, which copies nothing).
    QList<Record> records() const;

    // While a holder holds a sequence number, that row and the ones after it
    // stay even past the limit (a save in progress writes them); the limit is
    // enforced again on release.
    void hold(const void* holder, qint64 sequence);
    void release(const void* holder);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The session file. Everything recorded goes in, whatever a view filters.
    static QString toText(const QList<Record>& records);
    // None for a text that is no session file, with the reason in *error.
    static std::optional<QList<Record>> fromText(const QString& text, QString* error);
    // Written at once, a line at a time; SaveJob does the same in steps.
    bool saveTo(const QString& path, QString* error) const;
    // Read a line at a time.
    static std::optional<QList<Record>> load(const QString& path, QString* error);

Q_SIGNALS:
    void droppedChanged(qint64 dropped);

private:
    void record(Direction direction, const QList<Framer::Piece>& pieces);
    void append(std::vector<Record>& rows);
    // Drops the oldest rows so that room more fit within the limit, as far
    // as the holds allow.
    void makeRoom(qint64 room);
    QDateTime timeAt(double clockReading);

    Clock& m_clock;
    double m_startClock;
    qint64 m_startMs;   // the wall time at m_startClock
    LocalTime m_local;
    Framer m_sent{true};
    Framer m_received;
    Decoder m_decoder;
    std::deque<Record> m_rows;
    int m_limit = kDefaultLimit;
    qint64 m_dropped = 0;
    QHash<const void*, qint64> m_holds;
};

// Reads a session file a line at a time: the head, then one record per call.
class RecordReader {
public:
    explicit RecordReader(QIODevice& device) : m_device(device) {}
    // False when the head is not that of a session file (reason in *error).
    bool readHead(QString* error);
    // The next record; none at the end (error empty) or on a line that is
    // no record (reason in *error).
    std::optional<Record> next(QString* error);

private:
    QIODevice& m_device;
    int m_line = 0;
};

// The kinds the view can be narrowed to.
enum class Category { All, Commands, Inquiries, Broadcasts, Replies, Errors, Junk, Surfaces };
inline constexpr int kCategoryCount = 8;
QString categoryText(Category category);
bool inCategory(Kind kind, Category category);

// The session narrowed to one camera (or all) and one category of rows. It
// keeps the sequence numbers of the rows it shows, so rows appended at the
// end or dropped at the front cost it only those rows.
class Filter final : public QAbstractProxyModel {
    Q_OBJECT
public:
    using QAbstractProxyModel::QAbstractProxyModel;

    // The source must be a Session; any other model shows no rows.
    void setSourceModel(QAbstractItemModel* source) override;
    // 1..7 one camera (broadcasts, junk and surface events left out); -1 every row.
    void setCamera(int camera);
    void setCategory(Category category);
    int camera() const { return m_camera; }
    Category category() const { return m_category; }
    bool accepts(const Record& record) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void rebuild();
    void sourceRowsInserted(const QModelIndex& parent, int first, int last);
    void sourceRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last);

    Session* m_session = nullptr;
    std::deque<qint64> m_rows;    // sequence numbers of the rows shown
    QList<QMetaObject::Connection> m_connections;
    int m_camera = -1;
    Category m_category = Category::All;
};

} // namespace peltro::traffic
