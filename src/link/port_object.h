#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace peltro {

// What a Com number opens and what is known of it, for the operator who has
// to tell several adapters apart.
struct ComDescription {
    QString device;        // what is opened: "/dev/ttyUSB0", "tcp://10.0.0.7:4001"
    QString location;      // the device node that is now, when known: "/dev/ttyUSB0"
    QString stableName;    // its name under /dev/serial/by-id, when it has one
    QString description;   // the adapter's own words ("FT232R USB UART")
    QString manufacturer;
    QString serialNumber;
    QString problem;       // why it cannot be opened, when that is known
};

// The serial port as the panel uses it: a port number chosen from "Com 1"..
// "Com 6", line settings as text ("9600,n,8,1"), a receive threshold that
// switches receive notifications on (1) or off (0), reads that take every
// byte waiting, and a blocking wait for more bytes.
//
// Notifications (comEvent, lost, mayBeBack) are always delivered from the
// event loop, never from inside a call, so a handler that does not return to
// the event loop is never interrupted by one. The lost state itself is known
// at once: a blocking wait ends when the port fails.
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

    // open() on a lost port tries the same device again; a failure leaves it
    // lost. close() is the program's own: it ends a loss and its watch.
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
    // Blocks until more bytes have arrived, msecs have passed or the port is
    // lost (then at once).
    virtual bool waitForReadyRead(int msecs) = 0;

    // What the current port number opens, for the operator ("/dev/ttyUSB0").
    virtual QString deviceName(int commPort) const = 0;
    // The same with what is known of the device.
    virtual ComDescription describe(int commPort) const { ComDescription d; d.device = deviceName(commPort); return d; }
    // Last failure to open or use the port, in words; empty when none.
    QString lastError() const { return m_lastError; }

    // The open port failed (adapter pulled out, connection dropped): from the
    // failure until the next successful open(). Nothing is written to a lost
    // port and nothing waits on it; lastError() says why, naming the device.
    bool isLost() const { return m_lost; }
    // While lost: how long until the next try to get the device back, when
    // the port waits on purpose (0: it looks as soon as it can).
    virtual int retryInMs() const { return 0; }

Q_SIGNALS:
    void comEvent(int code);
    // Bytes are waiting in the input buffer, whatever the receive threshold
    // (for a reader that collects an answer without the receive handler).
    void bytesWaiting();
    // The port failed while open; once per loss.
    void lost(const QString& reason);
    // While lost: the device may be back (it appeared again under its name,
    // or the device server accepts connections again); open() tells.
    void mayBeBack();

protected:
    // Called by implementations when bytes have reached the input buffer,
    // and when the output buffer has drained.
    void bytesArrived();
    void outputDrained();
    void setLastError(const QString& text) { m_lastError = text; }
    // The open port failed: it is lost from now on, and watched for its return.
    void reportLost(const QString& reason);
    // A lost device seems back.
    void reportMayBeBack();
    // open() succeeded, or close() was asked for: no longer lost, no watch.
    void endLoss();
    // Watching for the return of a lost device, cheaply (no polling loop).
    virtual void watchForReturn(bool /*on*/) {}

private:
    void deliverReceive();

    int m_commPort = 1;
    int m_baud = 9600;
    bool m_dtr = false;
    int m_rThreshold = 0;
    int m_sThreshold = 0;
    bool m_receivePosted = false;
    bool m_waitingPosted = false;
    bool m_lost = false;
    bool m_lostPosted = false;
    bool m_backPosted = false;
    QString m_lastError;
};

} // namespace peltro
