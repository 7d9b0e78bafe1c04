#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace peltro {

// The serial port as the panel uses it: a port number chosen from "Com 1"..
// "Com 6", line settings as text ("9600,n,8,1"), a receive threshold that
// switches receive notifications on (1) or off (0), reads that take every
// byte waiting, and a blocking wait for more bytes.
//
// Notifications (comEvent) are always delivered from the event loop, never
// from inside a call, so a handler that does not return to the event loop is
// never interrupted by one.
class PortObject : public QObject {
    Q_OBJECT
public:
    enum Event { SendEvent = 1, ReceiveEvent = 2 };

    explicit PortObject(QObject* parent = nullptr) : QObject(parent) {}

    // Initial configuration: port 1 at 9600 bps, no parity, 8 data bits, 1 stop bit.
    void setCommPort(int number) { m_commPort = number; }
    int commPort() const { return m_commPort; }

    // "9600,n,8,1" or "38400,n,8,1". Returns false (and keeps the old settings)
    // for text it cannot apply.
    bool setSettings(const QString& settings);
    int baudRate() const { return m_baud; }

    void setDtrEnable(bool on) { m_dtr = on; }
    bool dtrEnable() const { return m_dtr; }

    void setRThreshold(int threshold);
    int rThreshold() const { return m_rThreshold; }
    void setSThreshold(int threshold) { m_sThreshold = threshold; }
    int sThreshold() const { return m_sThreshold; }

    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Bytes waiting in the input buffer; does not consume them.
    virtual int inBufferCount() = 0;
    // Every byte waiting, in arrival order; empties the input buffer.
    virtual QByteArray read() = 0;
    // Queues all bytes for the line and returns without waiting for it.
    // False when they could not be queued: the port is closed or gone.
    virtual bool write(const QByteArray& bytes) = 0;
    // Blocks until more bytes have arrived or msecs have passed.
    virtual bool waitForReadyRead(int msecs) = 0;

    // What the current port number opens, for the operator ("/dev/ttyUSB0").
    virtual QString deviceName(int commPort) const = 0;
    // Last failure to open or use the port, in words; empty when none.
    QString lastError() const { return m_lastError; }

Q_SIGNALS:
    void comEvent(int code);

protected:
    // Called by implementations when bytes have reached the input buffer,
    // and when the output buffer has drained.
    void bytesArrived();
    void outputDrained();
    void setLastError(const QString& text) { m_lastError = text; }

private:
    void deliverReceive();

    int m_commPort = 1;
    int m_baud = 9600;
    bool m_dtr = false;
    int m_rThreshold = 0;
    int m_sThreshold = 0;
    bool m_receivePosted = false;
    QString m_lastError;
};

} // namespace peltro
