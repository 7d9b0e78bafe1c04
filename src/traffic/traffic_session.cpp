#include "traffic_session.h"

#include "clock.h"
#include "link.h"

#include <QBuffer>
#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <limits>

namespace peltro::traffic {

namespace {

const QString kTitleLine = QStringLiteral("PELTRO Panel decoded traffic");

QStringList columnTitles()
{
    return {QStringLiteral("Time"), QStringLiteral("Direction"), QStringLiteral("Camera"),
            QStringLiteral("Bytes"), QStringLiteral("Kind"), QStringLiteral("What")};
}

// A field never holds the separators of the file.
QString field(QString text)
{
    for (QChar& c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    }
    return text;
}

// A text from a control surface as a row shows it: one line, not too long.
QString surfaceText(const QString& text)
{
    QString one = field(text).trimmed();
    if (one.size() > Session::kSurfaceTextLimit)
        one = one.left(Session::kSurfaceTextLimit - 3) + QStringLiteral("...");
    return one;
}

std::optional<Kind> kindFromText(const QString& text)
{
    for (int k = 0; k <= int(Kind::Surface); ++k) {
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

// The time of a line, "yyyy-MM-dd HH:mm:ss.zzz". Parsed by hand: a general parse of
// the format takes tens of microseconds, too long for a file of a million
// rows. Consecutive lines share their date, so its last parse is kept.
QDateTime parseTime(const QString& text)
{
    static const QString pattern = QStringLiteral("dddd-dd-dd dd:dd:dd.ddd");
    if (text.size() != pattern.size())
        return {};
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (pattern.at(i) == QLatin1Char('d') ? !(c >= QLatin1Char('0') && c <= QLatin1Char('9')) : c != pattern.at(i))
            return {};
    }
    auto number = [&text](int from, int digits) {
        int n = 0;
        for (int i = from; i < from + digits; ++i)
            n = n * 10 + text.at(i).unicode() - '0';
        return n;
    };
    thread_local QString lastDateText;
    thread_local QDate lastDate;
    thread_local LocalTime local;
    const QStringView dateText = QStringView(text).left(10);
    if (dateText != lastDateText) {
        lastDate = QDate(number(0, 4), number(5, 2), number(8, 2));
        lastDateText = dateText.toString();
    }
    return local.fromLocal(lastDate, QTime(number(11, 2), number(14, 2), number(17, 2), number(20, 3)));
}

void appendTwoDigits(QByteArray& out, int n)
{
    out += char('0' + n / 10);
    out += char('0' + n % 10);
}

// The record of one line of a session file; lineNumber for the reason.
std::optional<Record> parseLine(const QString& line, int lineNumber, QString* error)
{
    auto fail = [error, lineNumber](const QString& why) -> std::optional<Record> {
        if (error)
            *error = QStringLiteral("Line %1: %2").arg(lineNumber).arg(why);
        return std::nullopt;
    };
    const QStringList f = line.split(QLatin1Char('\t'));
    if (f.size() != Session::ColumnCount)
        return fail(QStringLiteral("%1 fields instead of %2").arg(f.size()).arg(int(Session::ColumnCount)));
    Record r;
    r.time = parseTime(f.at(Session::TimeColumn));
    if (!r.time.isValid())
        return fail(QStringLiteral("no time \"%1\"").arg(f.at(Session::TimeColumn)));
    const std::optional<Kind> kind = kindFromText(f.at(Session::KindColumn));
    if (!kind)
        return fail(QStringLiteral("no kind \"%1\"").arg(f.at(Session::KindColumn)));
    r.kind = *kind;
    const std::optional<int> camera = cameraFromText(f.at(Session::CameraColumn));
    if (!camera)
        return fail(QStringLiteral("no camera \"%1\"").arg(f.at(Session::CameraColumn)));
    r.camera = *camera;
    r.what = f.at(Session::WhatColumn);
    if (r.kind == Kind::Surface) {
        // The direction column names the surface; there are no bytes.
        r.direction = Direction::Surface;
        r.surface = f.at(Session::DirectionColumn);
        if (r.surface.isEmpty())
            return fail(QStringLiteral("a surface event without its surface"));
        if (!f.at(Session::BytesColumn).isEmpty())
            return fail(QStringLiteral("bytes \"%1\" on a surface event").arg(f.at(Session::BytesColumn)));
        return r;
    }
    if (f.at(Session::DirectionColumn) == directionText(Direction::Sent))
        r.direction = Direction::Sent;
    else if (f.at(Session::DirectionColumn) == directionText(Direction::Received))
        r.direction = Direction::Received;
    else
        return fail(QStringLiteral("no direction \"%1\"").arg(f.at(Session::DirectionColumn)));
    const std::optional<QByteArray> bytes = parseHexForm(f.at(Session::BytesColumn));
    if (!bytes || bytes->isEmpty())
        return fail(QStringLiteral("no bytes \"%1\"").arg(f.at(Session::BytesColumn)));
    r.bytes = *bytes;
    return r;
}

std::optional<QList<Record>> readAll(QIODevice& device, QString* error)
{
    RecordReader reader(device);
    if (!reader.readHead(error))
        return std::nullopt;
    QList<Record> records;
    QString why;
    while (std::optional<Record> r = reader.next(&why))
        records.append(std::move(*r));
    if (!why.isEmpty()) {
        if (error)
            *error = why;
        return std::nullopt;
    }
    return records;
}

} // namespace

// --- LocalTime --------------------------------------------------------------------

void LocalTime::learn(qint64 msecs)
{
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC);
    m_offset = m_zone.offsetFromUtc(at);
    m_from = std::numeric_limits<qint64>::min();
    m_until = std::numeric_limits<qint64>::max();
    if (!m_zone.hasTransitions())
        return;
    const QTimeZone::OffsetData next = m_zone.nextTransition(at);
    if (next.atUtc.isValid())
        m_until = next.atUtc.toMSecsSinceEpoch();
    // Just after the one before, or at it: its own instant belongs to the span.
    const QTimeZone::OffsetData previous = m_zone.previousTransition(at.addMSecs(1));
    if (previous.atUtc.isValid())
        m_from = previous.atUtc.toMSecsSinceEpoch();
}

QDateTime LocalTime::fromUtc(qint64 msecs)
{
    if (!m_zone.isValid())
        return QDateTime::fromMSecsSinceEpoch(msecs);   // the C library's local time
    if (!covers(msecs))
        learn(msecs);
    return QDateTime::fromMSecsSinceEpoch(msecs, Qt::OffsetFromUTC, m_offset);
}

QDateTime LocalTime::fromLocal(QDate date, QTime time)
{
    if (!date.isValid() || !time.isValid())
        return {};
    if (!m_zone.isValid())
        return QDateTime(date, time);
    const qint64 wall = QDateTime(date, time, Qt::UTC).toMSecsSinceEpoch();
    if (!covers(wall - m_offset * 1000LL))
        learn(wall - m_offset * 1000LL);
    // The offset found must hold at the instant it gives; else the time is
    // within an hour of a change of offset, where the general way decides.
    if (!covers(wall - m_offset * 1000LL))
        return QDateTime(date, time, m_zone);
    return QDateTime::fromMSecsSinceEpoch(wall - m_offset * 1000LL, Qt::OffsetFromUTC, m_offset);
}

QString directionText(Direction direction)
{
    switch (direction) {
    case Direction::Sent: return QStringLiteral("Sent");
    case Direction::Received: return QStringLiteral("Received");
    case Direction::Surface: return QStringLiteral("Surface");
    }
    return {};
}

QString cameraText(int camera)
{
    if (camera == 0)
        return QStringLiteral("all");
    return camera >= 1 && camera <= 7 ? QString::number(camera) : QString();
}

// --- RecordWriter -----------------------------------------------------------------

QByteArray RecordWriter::head()
{
    return (kTitleLine + QLatin1Char('\n') + columnTitles().join(QLatin1Char('\t')) + QLatin1Char('\n')).toUtf8();
}

QByteArray RecordWriter::line(const Record& record)
{
    QByteArray out;
    appendLine(out, record);
    return out;
}

void RecordWriter::appendLine(QByteArray& out, const Record& r)
{
    // The time as "yyyy-MM-dd HH:mm:ss.zzz", without formatting the date anew
    // on every line.
    if (r.time.isValid()) {
        const QDate date = r.time.date();
        if (date != m_date) {
            m_date = date;
            m_dateText = date.toString(QStringLiteral("yyyy-MM-dd ")).toLatin1();
        }
        const QTime t = r.time.time();
        out += m_dateText;
        appendTwoDigits(out, t.hour());
        out += ':';
        appendTwoDigits(out, t.minute());
        out += ':';
        appendTwoDigits(out, t.second());
        out += '.';
        out += char('0' + t.msec() / 100);
        appendTwoDigits(out, t.msec() % 100);
    }
    out += '\t';
    out += (r.kind == Kind::Surface ? field(r.surface) : directionText(r.direction)).toUtf8();
    out += '\t';
    out += cameraText(r.camera).toLatin1();
    out += '\t';
    static const char digits[] = "0123456789ABCDEF";
    for (qsizetype i = 0; i < r.bytes.size(); ++i) {
        const quint8 b = static_cast<quint8>(r.bytes.at(i));
        if (i > 0)
            out += ' ';
        out += digits[b >> 4];
        out += digits[b & 0x0F];
    }
    out += '\t';
    out += kindText(r.kind).toLatin1();
    out += '\t';
    out += field(r.what).toUtf8();
    out += '\n';
}

// --- RecordReader -----------------------------------------------------------------

bool RecordReader::readHead(QString* error)
{
    auto lineOf = [this]() -> std::optional<QString> {
        if (m_device.atEnd())
            return std::nullopt;
        QByteArray line = m_device.readLine();
        ++m_line;
        if (line.endsWith('\n'))
            line.chop(1);
        if (line.endsWith('\r'))
            line.chop(1);
        return QString::fromUtf8(line);
    };
    const std::optional<QString> title = lineOf();
    const std::optional<QString> columns = lineOf();
    if (!title || !columns || *title != kTitleLine || *columns != columnTitles().join(QLatin1Char('\t'))) {
        if (error)
            *error = QStringLiteral("Line 1: not a saved traffic session");
        return false;
    }
    return true;
}

std::optional<Record> RecordReader::next(QString* error)
{
    if (error)
        error->clear();
    while (!m_device.atEnd()) {
        QByteArray line = m_device.readLine();
        ++m_line;
        if (line.endsWith('\n'))
            line.chop(1);
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        return parseLine(QString::fromUtf8(line), m_line, error);
    }
    return std::nullopt;
}

// --- Session --------------------------------------------------------------------

Session::Session(Clock& clock, const PacketNames* names, QObject* parent)
    : QAbstractTableModel(parent), m_clock(clock), m_startClock(clock.now()),
      m_startMs(QDateTime::currentMSecsSinceEpoch()), m_decoder(names)
{
}

void Session::attach(Link& link)
{
    connect(&link, &Link::wrote, this, &Session::recordSent);
    connect(&link, &Link::received, this, &Session::recordReceived);
}

QDateTime Session::timeAt(double clockReading)
{
    return m_local.fromUtc(m_startMs + std::llround((clockReading - m_startClock) * 1000.0));
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

bool Session::noteSurfaceEvent(const QString& surface, const QString& source, const QString& what)
{
    const QString name = surfaceText(surface);
    QString text = surfaceText(what);
    if (name.isEmpty() || text.isEmpty())
        return false;
    const QString from = surfaceText(source);
    if (!from.isEmpty())
        text += QStringLiteral(" (from %1)").arg(from);
    // Junk that came in before the event is older than it.
    record(Direction::Received, m_received.flushJunk());
    std::vector<Record> rows(1);
    Record& r = rows.front();
    r.time = timeAt(m_clock.now());
    r.direction = Direction::Surface;
    r.kind = Kind::Surface;
    r.what = text;
    r.surface = name;
    append(rows);
    return true;
}

void Session::record(Direction direction, const QList<Framer::Piece>& pieces)
{
    if (pieces.isEmpty())
        return;
    std::vector<Record> rows;
    rows.reserve(size_t(pieces.size()));
    for (const Framer::Piece& piece : pieces) {
        const Decoded d = piece.junk ? Decoder::junk(piece.bytes) : m_decoder.decode(direction, piece.bytes);
        rows.push_back({timeAt(piece.at), direction, d.camera, piece.bytes, d.kind, d.what, {}});
    }
    append(rows);
}

void Session::append(std::vector<Record>& rows)
{
    // In batches no larger than the limit, so that every row is inserted
    // (and seen by whoever follows the session) before it may be dropped.
    size_t i = 0;
    while (i < rows.size()) {
        const int n = int(std::min(rows.size() - i, size_t(m_limit)));
        makeRoom(n);
        const int first = size();
        beginInsertRows({}, first, first + n - 1);
        for (int k = 0; k < n; ++k)
            m_rows.push_back(std::move(rows[i + size_t(k)]));
        endInsertRows();
        i += size_t(n);
    }
}

void Session::makeRoom(qint64 room)
{
    qint64 excess = qint64(m_rows.size()) + room - m_limit;
    for (const qint64 held : std::as_const(m_holds))
        excess = std::min(excess, held - m_dropped);
    if (excess <= 0)
        return;
    const int n = int(excess);
    beginRemoveRows({}, 0, n - 1);
    m_rows.erase(m_rows.begin(), m_rows.begin() + n);
    m_dropped += n;
    endRemoveRows();
    Q_EMIT droppedChanged(m_dropped);
}

bool Session::setLimit(int rows)
{
    if (rows < 1)
        return false;
    m_limit = rows;
    makeRoom(0);
    return true;
}

QList<Record> Session::records() const
{
    return QList<Record>(m_rows.begin(), m_rows.end());
}

void Session::hold(const void* holder, qint64 sequence)
{
    m_holds.insert(holder, sequence);
    makeRoom(0);
}

void Session::release(const void* holder)
{
    if (m_holds.remove(holder))
        makeRoom(0);
}

int Session::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : size();
}

int Session::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant Session::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= size())
        return {};
    const Record& r = at(index.row());
    if (role == KindRole)
        return int(r.kind);
    if (role == CameraRole)
        return r.camera;
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case TimeColumn: return r.time.toString(QStringLiteral("HH:mm:ss.zzz"));
    case DirectionColumn: return r.kind == Kind::Surface ? r.surface : directionText(r.direction);
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
    QByteArray text = RecordWriter::head();
    RecordWriter writer;
    for (const Record& r : records)
        writer.appendLine(text, r);
    return QString::fromUtf8(text);
}

std::optional<QList<Record>> Session::fromText(const QString& text, QString* error)
{
    QByteArray bytes = text.toUtf8();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return readAll(buffer, error);
}

bool Session::saveTo(const QString& path, QString* error) const
{
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok) {
        ok = file.write(RecordWriter::head()) >= 0;
        RecordWriter writer;
        QByteArray chunk;
        for (auto r = m_rows.begin(); ok && r != m_rows.end(); ++r) {
            writer.appendLine(chunk, *r);
            if (chunk.size() >= 1 << 16) {
                ok = file.write(chunk) == chunk.size();
                chunk.clear();
            }
        }
        ok = ok && file.write(chunk) == chunk.size() && file.commit();
    }
    if (!ok && error)
        *error = file.errorString();
    return ok;
}

std::optional<QList<Record>> Session::load(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return readAll(file, error);
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
    case Category::Surfaces: return QStringLiteral("Control surfaces");
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
    case Category::Surfaces: return kind == Kind::Surface;
    }
    return false;
}

void Filter::setSourceModel(QAbstractItemModel* source)
{
    beginResetModel();
    for (const QMetaObject::Connection& c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    QAbstractProxyModel::setSourceModel(source);
    m_session = qobject_cast<Session*>(source);
    if (m_session) {
        m_connections << connect(m_session, &QAbstractItemModel::rowsInserted, this, &Filter::sourceRowsInserted)
                      << connect(m_session, &QAbstractItemModel::rowsAboutToBeRemoved, this,
                                 &Filter::sourceRowsAboutToBeRemoved)
                      << connect(m_session, &QObject::destroyed, this, [this] {
                             beginResetModel();
                             m_session = nullptr;
                             m_rows.clear();
                             endResetModel();
                         });
    }
    rebuild();
    endResetModel();
}

bool Filter::accepts(const Record& record) const
{
    if (m_camera >= 0 && record.camera != m_camera)
        return false;
    return inCategory(record.kind, m_category);
}

void Filter::rebuild()
{
    m_rows.clear();
    if (!m_session)
        return;
    const qint64 first = m_session->dropped();
    for (int r = 0; r < m_session->size(); ++r) {
        if (accepts(m_session->at(r)))
            m_rows.push_back(first + r);
    }
}

void Filter::setCamera(int camera)
{
    beginResetModel();
    m_camera = camera;
    rebuild();
    endResetModel();
}

void Filter::setCategory(Category category)
{
    beginResetModel();
    m_category = category;
    rebuild();
    endResetModel();
}

void Filter::sourceRowsInserted(const QModelIndex& parent, int first, int last)
{
    if (parent.isValid() || !m_session)
        return;
    // The session appends at the end only.
    const qint64 base = m_session->dropped();
    std::vector<qint64> shown;
    for (int r = first; r <= last; ++r) {
        if (accepts(m_session->at(r)))
            shown.push_back(base + r);
    }
    if (shown.empty())
        return;
    const int at = int(m_rows.size());
    beginInsertRows({}, at, at + int(shown.size()) - 1);
    m_rows.insert(m_rows.end(), shown.begin(), shown.end());
    endInsertRows();
}

void Filter::sourceRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last)
{
    if (parent.isValid() || !m_session)
        return;
    // The session drops its oldest rows only (first is 0): those of them
    // shown here are the first ones here.
    Q_UNUSED(first);
    const qint64 end = m_session->dropped() + last + 1;
    const auto firstKept = std::lower_bound(m_rows.begin(), m_rows.end(), end);
    const int n = int(firstKept - m_rows.begin());
    if (n == 0)
        return;
    beginRemoveRows({}, 0, n - 1);
    m_rows.erase(m_rows.begin(), m_rows.begin() + n);
    endRemoveRows();
}

int Filter::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int Filter::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Session::ColumnCount;
}

bool Filter::hasChildren(const QModelIndex& parent) const
{
    return !parent.isValid() && !m_rows.empty();
}

QModelIndex Filter::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || row < 0 || row >= rowCount() || column < 0 || column >= Session::ColumnCount)
        return {};
    return createIndex(row, column);
}

QModelIndex Filter::parent(const QModelIndex&) const
{
    return {};
}

QModelIndex Filter::mapToSource(const QModelIndex& proxyIndex) const
{
    if (!m_session || !proxyIndex.isValid() || proxyIndex.model() != this || proxyIndex.row() >= rowCount())
        return {};
    return m_session->index(int(m_rows[size_t(proxyIndex.row())] - m_session->dropped()), proxyIndex.column());
}

QModelIndex Filter::mapFromSource(const QModelIndex& sourceIndex) const
{
    if (!m_session || !sourceIndex.isValid() || sourceIndex.model() != m_session)
        return {};
    const qint64 sequence = m_session->dropped() + sourceIndex.row();
    const auto at = std::lower_bound(m_rows.begin(), m_rows.end(), sequence);
    if (at == m_rows.end() || *at != sequence)
        return {};
    return index(int(at - m_rows.begin()), sourceIndex.column());
}

QVariant Filter::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal)
        return m_session ? m_session->headerData(section, orientation, role) : QVariant();
    return role == Qt::DisplayRole && section >= 0 && section < rowCount() ? QVariant(section + 1) : QVariant();
}

} // namespace peltro::traffic
