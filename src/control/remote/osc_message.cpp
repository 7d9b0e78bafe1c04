#include "osc_message.h"

#include <QLocale>
#include <cmath>
#include <cstring>

namespace peltro {

QString oscNumberText(double value)
{
    if (std::isfinite(value) && value == std::round(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QString OscArg::toString() const
{
    switch (kind) {
    case Kind::Int:
        return oscNumberText(number);
    case Kind::Float:
        // A float argument keeps its point, so "1.0" from a button reads as sent.
        return std::isfinite(number) && number == std::round(number) && std::fabs(number) < 1e15
                   ? QString::number(qint64(number)) + QStringLiteral(".0")
                   : oscNumberText(number);
    case Kind::Bool:
        return number != 0 ? QStringLiteral("true") : QStringLiteral("false");
    case Kind::Text:
        return QLatin1Char('"') + text + QLatin1Char('"');
    case Kind::Other:
        break;
    }
    return QStringLiteral("(%1)").arg(QLatin1Char(type ? type : '?'));
}

QString OscPeer::toString() const
{
    const QString host = address.toString();
    return address.protocol() == QAbstractSocket::IPv6Protocol
               ? QStringLiteral("[%1]:%2").arg(host).arg(port)
               : QStringLiteral("%1:%2").arg(host).arg(port);
}

QString OscMessage::toString() const
{
    QString text = path;
    for (const OscArg& a : args)
        text += QLatin1Char(' ') + a.toString();
    return text;
}

namespace {

// OSC aligns arguments to 4 bytes, liblo's lo_arg union wants 8: copied out
// rather than read through a misaligned pointer.
template <typename T>
T argValue(const lo_arg* arg)
{
    T value;
    std::memcpy(&value, reinterpret_cast<const char*>(arg), sizeof value);
    return value;
}

} // namespace

QList<OscArg> oscArgs(const char* types, lo_arg** argv, int argc)
{
    QList<OscArg> out;
    if (!types || argc <= 0)
        return out;
    out.reserve(argc);
    for (int i = 0; i < argc && types[i]; ++i) {
        const char t = types[i];
        OscArg a;
        a.type = t;
        switch (t) {
        case LO_INT32:
            a.kind = OscArg::Kind::Int;
            a.number = argValue<qint32>(argv[i]);
            break;
        case LO_INT64:
            a.kind = OscArg::Kind::Int;
            a.number = double(argValue<qint64>(argv[i]));
            break;
        case LO_FLOAT:
            a.kind = OscArg::Kind::Float;
            a.number = argValue<float>(argv[i]);
            break;
        case LO_DOUBLE:
            a.kind = OscArg::Kind::Float;
            a.number = argValue<double>(argv[i]);
            break;
        case LO_TRUE:
        case LO_FALSE:
            // Carry no data: argv[i] is not read.
            a.kind = OscArg::Kind::Bool;
            a.number = t == LO_TRUE ? 1 : 0;
            break;
        case LO_STRING:
        case LO_SYMBOL:
            a.kind = OscArg::Kind::Text;
            a.text = QString::fromUtf8(reinterpret_cast<const char*>(argv[i]));
            break;
        default:
            a.kind = OscArg::Kind::Other;
            break;
        }
        out.append(a);
    }
    return out;
}

QHostAddress oscHostAddress(const char* numericHost)
{
    QHostAddress address(QString::fromLatin1(numericHost ? numericHost : ""));
    bool mapped = false;
    const quint32 v4 = address.toIPv4Address(&mapped);
    if (mapped && address.protocol() == QAbstractSocket::IPv6Protocol)
        return QHostAddress(v4);
    return address;
}

} // namespace peltro
