#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>
#include <lo/lo_osc_types.h>

namespace peltro {

// One argument of an OSC message, as far as the remote control reads it:
// numbers of every width, the two truth values, text, and the rest.
struct OscArg {
    enum class Kind { Int, Float, Bool, Text, Other };
    Kind kind = Kind::Other;
    char type = 0;        // the OSC type tag it came with
    double number = 0;    // Int, Float, Bool (1 or 0)
    QString text;         // Text

    static OscArg integer(qint64 value) { return {Kind::Int, 'i', double(value), {}}; }
    static OscArg real(double value) { return {Kind::Float, 'f', value, {}}; }
    static OscArg truth(bool value) { return {Kind::Bool, value ? 'T' : 'F', value ? 1.0 : 0.0, {}}; }
    static OscArg string(const QString& value) { return {Kind::Text, 's', 0, value}; }

    bool isNumber() const { return kind == Kind::Int || kind == Kind::Float || kind == Kind::Bool; }
    // As the decoded traffic shows it: 3, 0.5, true, "text", or the type tag.
    QString toString() const;
};

// A sender or a receiver of OSC messages: an IP address and a UDP port.
struct OscPeer {
    QHostAddress address;
    quint16 port = 0;

    // "192.168.1.20:53000", "[::1]:53000"
    QString toString() const;
    bool operator==(const OscPeer& other) const { return address.isEqual(other.address) && port == other.port; }
};

struct OscMessage {
    QString path;
    QList<OscArg> args;
    OscPeer from;

    // "/peltro/cam/1/zoom 0.5": the address and its arguments.
    QString toString() const;
};

// The arguments liblo decoded (in host byte order), by their type tags.
QList<OscArg> oscArgs(const char* types, lo_arg** argv, int argc);

// A sender's address as liblo gives it (numeric text, IPv4 in IPv6 form
// included) in plain form.
QHostAddress oscHostAddress(const char* numericHost);

// A number as the remote control writes it in messages and errors: whole
// numbers without a point, others as short as they read back.
QString oscNumberText(double value);

} // namespace peltro
