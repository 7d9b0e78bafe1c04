#pragma once

// Every packet that crossed the line during the session, decoded, one row
// each: the model the traffic view shows, and its text file. Qt Core only.

#include "traffic_decoder.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <QList>
#include <QSortFilterProxyModel>
#include <optional>

namespace peltro {
class Clock;
class Link;
}

namespace peltro::traffic {

struct Record {
    QDateTime time;
    Direction direction = Direction::Sent;
    int camera = -1;        // 1..7; 0 the whole chain; -1 none
    QByteArray bytes;
    Kind kind = Kind::Junk;
    QString what;

    bool operator==(const Record&) const = default;
};

QString directionText(Direction direction);
// "1" .. "7", "all" for the whole chain, empty for none.
QString cameraText(int camera);

class Session final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { TimeColumn, DirectionColumn, CameraColumn, BytesColumn, KindColumn, WhatColumn, ColumnCount };
    enum Role { KindRole = Qt::UserRole + 1, CameraRole };

    // Times are the clock's readings placed after the wall time the session
    // started at (now, unless a test says otherwise).
    Session(Clock& clock, const PacketNames* names, QObject* parent = nullptr);
    void setStartTime(const QDateTime& wallTime) { m_startWall = wallTime; }

    // Records every byte the link writes or takes from the port.
    void attach(Link& link);
    void recordSent(const QByteArray& bytes);
    void recordReceived(const QByteArray& bytes);

    const QList<Record>& records() const { return m_records; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The session file: a title line, the column titles, then one line per
    // record with its fields split by tabs. Everything recorded goes in,
    // whatever a view filters.
    static QString toText(const QList<Record>& records);
    // None for a text that is no session file, with the reason in *error.
    static std::optional<QList<Record>> fromText(const QString& text, QString* error);
    bool saveTo(const QString& path, QString* error) const;
    static std::optional<QList<Record>> load(const QString& path, QString* error);

private:
    void record(Direction direction, const QList<Framer::Piece>& pieces);
    QDateTime timeAt(double clockReading) const;

    Clock& m_clock;
    double m_startClock;
    QDateTime m_startWall;
    Framer m_sent{true};
    Framer m_received;
    Decoder m_decoder;
    QList<Record> m_records;
};

// The kinds the view can be narrowed to.
enum class Category { All, Commands, Inquiries, Broadcasts, Replies, Errors, Junk };
inline constexpr int kCategoryCount = 7;
QString categoryText(Category category);
bool inCategory(Kind kind, Category category);

// The session narrowed to one camera (or all) and one category of packets.
class Filter final : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    // 1..7 one camera (broadcasts and junk left out); -1 every row.
    void setCamera(int camera);
    void setCategory(Category category);
    int camera() const { return m_camera; }
    Category category() const { return m_category; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    int m_camera = -1;
    Category m_category = Category::All;
};

} // namespace peltro::traffic
