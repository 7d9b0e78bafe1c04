#pragma once

// What every fuzz target shares: reading the fuzzer's bytes, a port object
// whose answers the input supplies, the check every written packet must pass,
// and a way to fail with a readable reason.

#include "clock.h"
#include "port_object.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>

namespace peltro::fuzz {

// Starts Qt once per process (offscreen, settings in a test location), so a
// target can build windows; later calls do nothing.
void startQt();

// Delivers the port notifications and other queued events, as the event loop
// would between two operator actions.
void pumpEvents();

// Stops the run with the reason and the bytes concerned; libFuzzer keeps the
// input that led here.
[[noreturn]] void fail(const char* what, const QByteArray& bytes = {});
inline void require(bool ok, const char* what, const QByteArray& bytes = {})
{
    if (!ok)
        fail(what, bytes);
}

// A write that is one packet: it ends with 0xFF and holds no 0xFF before.
bool isWellFormedPacket(const QByteArray& packet);
// Every write in the list is one well-formed packet.
void requireWellFormedPackets(const QList<QByteArray>& writes, const char* what);

// The fuzzer's bytes, taken from the front; past the end every read gives 0.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    bool empty() const { return m_pos >= m_size; }
    std::size_t remaining() const { return m_size - m_pos; }
    int byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    // Up to count bytes (fewer at the end).
    QByteArray bytes(std::size_t count);
    // One length byte, then that many bytes, the length taken modulo limit + 1.
    QByteArray record(int limit);
    QByteArray rest() { return bytes(remaining()); }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// A port object in virtual time whose answers are given by the caller:
// answerWrite runs at every write and may schedule bytes with answer().
// Waits advance the clock instead of sleeping.
class ScriptedPort final : public PortObject {
    Q_OBJECT
public:
    explicit ScriptedPort(Clock& clock, QObject* parent = nullptr) : PortObject(parent), m_clock(clock) {}

    // Every write, in order, each as it was made.
    QList<QByteArray> writes;
    std::function<void(const QByteArray&)> answerWrite;

    // Bytes that reach the input buffer delay seconds from now.
    void answer(double delay, const QByteArray& bytes);

    bool open() override { m_open = true; return true; }
    void close() override;
    bool isOpen() const override { return m_open; }
    int inBufferCount() override;
    QByteArray read() override;
    bool write(const QByteArray& bytes) override;
    bool waitForReadyRead(int msecs) override;
    QString deviceName(int) const override { return QStringLiteral("scripted port"); }

    // When the next answered bytes arrive (clock seconds), -1 when none are on the way.
    double nextArrival() const { return m_pending.empty() ? -1.0 : m_pending.front().due; }
    // Puts what has arrived by now into the input buffer, and says so.
    void deliverDue();

private:

    struct Pending {
        double due;
        QByteArray bytes;
    };
    Clock& m_clock;
    bool m_open = false;
    QByteArray m_in;
    std::deque<Pending> m_pending;   // by due time, ties in order of answer()
};

} // namespace peltro::fuzz
