#include "traffic_session.h"

#include "clock.h"
#include "link.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <cmath>

namespace peltro::traffic {

namespace {

const QString kTitleLine = QStringLiteral("PELTRO Panel decoded traffic");
const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");

QStringList columnTitles()
{
    return {QStringLiteral("Time"), QStringLiteral("Direction"), QStringLiteral("Camera"),
            QStringLiteral("Bytes"), QStringLiteral("Kind"), QStringLiteral("What")};
}

// A field never holds the separators of the file.
QString field(QString text)
{
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

std::optional<Kind> kindFromText(const QString& text)
{
    for (int k = 0; k <= int(Kind::Junk); ++k) {
        if (kindText(Kind(k)) == text)
            return Kind(k);
    }
    return std::nullopt;
}

std::optional<int> cameraFromText(const QString& text)
{
    for (int c = -1; c <= 7; ++c) {
        if (cameraText(c) == text)
            return c;
    }
    return std::nullopt;
}

} // namespace

QString directionText(Direction direction)
{
    return direction == Direction::Sent ? QStringLiteral("Sent") : QStringLiteral("Received");
}

QString cameraText(int camera)
{
    if (camera == 0)
        return QStringLiteral("all");
    return camera >= 1 && camera <= 7 ? QString::number(camera) : QString();
}

// --- Session --------------------------------------------------------------------

Session::Session(Clock& clock, const PacketNames* names, QObject* parent)
    : QAbstractTableModel(parent), m_clock(clock), m_startClock(clock.now()),
      m_startWall(QDateTime::currentDateTime()), m_decoder(names)
{
}

void Session::attach(Link& link)
{
    connect(&link, &Link::wrote, this, &Session::recordSent);
    connect(&link, &Link::received, this, &Session::recordReceived);
}

QDateTime Session::timeAt(double clockReading) const
{
    return m_startWall.addMSecs(std::llround((clockReading - m_startClock) * 1000.0));
}

void Session::recordSent(const QByteArray& bytes)
{
    const double now = m_clock.now();
    // A new exchange begins: junk that came in before it is over.
    record(Direction::Received, m_received.flushJunk());
    record(Direction::Sent, m_sent.feed(bytes, now));
}

void Session::recordReceived(const QByteArray& bytes)
{
    record(Direction::Received, m_received.feed(bytes, m_clock.now()));
}

void Session::record(Direction direction, const QList<Framer::Piece>& pieces)
{
    if (pieces.isEmpty())
        return;
    const int first = int(m_records.size());
    beginInsertRows({}, first, first + int(pieces.size()) - 1);
    for (const Framer::Piece& piece : pieces) {
        const Decoded d = piece.junk ? Decoder::junk(piece.bytes) : m_decoder.decode(direction, piece.bytes);
        m_records.append({timeAt(piece.at), direction, d.camera, piece.bytes, d.kind, d.what});
    }
    endInsertRows();
}

int Session::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_records.size());
}

int Session::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant Session::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_records.size())
        return {};
    const Record& r = m_records.at(index.row());
    if (role == KindRole)
        return int(r.kind);
    if (role == CameraRole)
        return r.camera;
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case TimeColumn: return r.time.toString(QStringLiteral("HH:mm:ss.zzz"));
    case DirectionColumn: return directionText(r.direction);
    case CameraColumn: return cameraText(r.camera);
    case BytesColumn: return hexForm(r.bytes);
    case KindColumn: return kindText(r.kind);
    case WhatColumn: return r.what;
    }
    return {};
}

QVariant Session::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return {};
    return columnTitles().at(section);
}

QString Session::toText(const QList<Record>& records)
{
    QString text = kTitleLine + QLatin1Char('\n') + columnTitles().join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (const Record& r : records) {
        text += QStringList{r.time.toString(kTimeFormat), directionText(r.direction), cameraText(r.camera),
                            hexForm(r.bytes), kindText(r.kind), field(r.what)}
                    .join(QLatin1Char('\t'));
        text += QLatin1Char('\n');
    }
    return text;
}

std::optional<QList<Record>> Session::fromText(const QString& text, QString* error)
{
    auto fail = [error](int line, const QString& why) -> std::optional<QList<Record>> {
        if (error)
            *error = QStringLiteral("Line %1: %2").arg(line).arg(why);
        return std::nullopt;
    };
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    if (lines.size() < 2 || lines.at(0) != kTitleLine || lines.at(1) != columnTitles().join(QLatin1Char('\t')))
        return fail(1, QStringLiteral("not a saved traffic session"));
    QList<Record> records;
    for (int i = 2; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        if (line.isEmpty())
            continue;
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() != ColumnCount)
            return fail(i + 1, QStringLiteral("%1 fields instead of %2").arg(f.size()).arg(int(ColumnCount)));
        Record r;
        r.time = QDateTime::fromString(f.at(TimeColumn), kTimeFormat);
        if (!r.time.isValid())
            return fail(i + 1, QStringLiteral("no time \"%1\"").arg(f.at(TimeColumn)));
        if (f.at(DirectionColumn) == directionText(Direction::Sent))
            r.direction = Direction::Sent;
        else if (f.at(DirectionColumn) == directionText(Direction::Received))
            r.direction = Direction::Received;
        else
            return fail(i + 1, QStringLiteral("no direction \"%1\"").arg(f.at(DirectionColumn)));
        const std::optional<int> camera = cameraFromText(f.at(CameraColumn));
        if (!camera)
            return fail(i + 1, QStringLiteral("no camera \"%1\"").arg(f.at(CameraColumn)));
        r.camera = *camera;
        const std::optional<QByteArray> bytes = parseHexForm(f.at(BytesColumn));
        if (!bytes || bytes->isEmpty())
            return fail(i + 1, QStringLiteral("no bytes \"%1\"").arg(f.at(BytesColumn)));
        r.bytes = *bytes;
        const std::optional<Kind> kind = kindFromText(f.at(KindColumn));
        if (!kind)
            return fail(i + 1, QStringLiteral("no kind \"%1\"").arg(f.at(KindColumn)));
        r.kind = *kind;
        r.what = f.at(WhatColumn);
        records.append(r);
    }
    return records;
}

bool Session::saveTo(const QString& path, QString* error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    file.write(toText(m_records).toUtf8());
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

std::optional<QList<Record>> Session::load(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return fromText(QString::fromUtf8(file.readAll()), error);
}

// --- Filter ---------------------------------------------------------------------

QString categoryText(Category category)
{
    switch (category) {
    case Category::All: return QStringLiteral("All kinds");
    case Category::Commands: return QStringLiteral("Commands");
    case Category::Inquiries: return QStringLiteral("Inquiries");
    case Category::Broadcasts: return QStringLiteral("Broadcasts");
    case Category::Replies: return QStringLiteral("Replies");
    case Category::Errors: return QStringLiteral("Errors");
    case Category::Junk: return QStringLiteral("Junk");
    }
    return {};
}

bool inCategory(Kind kind, Category category)
{
    switch (category) {
    case Category::All: return true;
    case Category::Commands: return kind == Kind::Command;
    case Category::Inquiries: return kind == Kind::Inquiry;
    case Category::Broadcasts: return kind == Kind::Broadcast || kind == Kind::BroadcastReturned;
    case Category::Replies:
        return kind == Kind::Acknowledge || kind == Kind::Completion || kind == Kind::InquiryAnswer;
    case Category::Errors: return kind == Kind::Error || kind == Kind::NetworkChange;
    case Category::Junk: return kind == Kind::Junk || kind == Kind::Unknown;
    }
    return false;
}

void Filter::setCamera(int camera)
{
    m_camera = camera;
    invalidateFilter();
}

void Filter::setCategory(Category category)
{
    m_category = category;
    invalidateFilter();
}

bool Filter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    const QModelIndex index = sourceModel()->index(sourceRow, 0, sourceParent);
    if (m_camera >= 0 && index.data(Session::CameraRole).toInt() != m_camera)
        return false;
    return inCategory(Kind(index.data(Session::KindRole).toInt()), m_category);
}

} // namespace peltro::traffic
