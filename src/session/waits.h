#pragma once

// What an exchange waits for, as awaitables of the session's coroutines:
// an answer to a silent inquiry, a reply read back after a command, and a
// pause. Each returns to the event loop while it waits; destroyed while
// waiting (its coroutine was given up), it leaves nothing behind.

#include "clock.h"
#include "job.h"
#include "link.h"

#include <QByteArray>
#include <coroutine>

namespace peltro {

// The common part: a wait that may end at once (inside await_suspend) or
// later (from the event loop).
class WaitBase {
public:
    WaitBase() = default;
    virtual ~WaitBase() = default;
    WaitBase(const WaitBase&) = delete;
    WaitBase& operator=(const WaitBase&) = delete;
    bool await_ready() const noexcept { return false; }
    bool await_suspend(std::coroutine_handle<> h)
    {
        m_handle = h;
        m_starting = true;
        start();
        m_starting = false;
        return !m_done;   // ended at once: the coroutine goes straight on
    }

protected:
    virtual void start() = 0;
    void finish()
    {
        m_done = true;
        if (!m_starting)
            m_handle.resume();
    }
    bool waiting() const { return m_handle && !m_done; }

private:
    std::coroutine_handle<> m_handle;
    bool m_starting = false;
    bool m_done = false;
};

// co_await Ask(link, packet, count): waits out a late answer to an earlier
// inquiry, sends the packet silently and awaits count bytes of its answer
// (a filler when it did not come within a second).
class Ask final : public WaitBase {
public:
    Ask(Link& link, Packet packet, int count) : m_link(link), m_packet(std::move(packet)), m_count(count) {}
    ~Ask()
    {
        if (waiting()) {
            m_link.cancelClear();
            m_link.cancelReply();
        }
    }
    QByteArray await_resume() { return std::move(m_answer); }

private:
    void start() override
    {
        m_link.awaitClearFor(m_packet, [this] {
            m_link.SD(m_packet, SendMode::Silent);
            m_link.awaitReply(m_count, [this](const QByteArray& answer) {
                m_answer = answer;
                finish();
            });
        });
    }
    Link& m_link;
    Packet m_packet;
    int m_count;
    QByteArray m_answer;
};

// co_await ReadBack(link, count): the answer to a packet already sent.
class ReadBack final : public WaitBase {
public:
    ReadBack(Link& link, int count) : m_link(link), m_count(count) {}
    ~ReadBack()
    {
        if (waiting())
            m_link.cancelReply();
    }
    QByteArray await_resume() { return std::move(m_answer); }

private:
    void start() override
    {
        m_link.awaitReply(m_count, [this](const QByteArray& answer) {
            m_answer = answer;
            finish();
        });
    }
    Link& m_link;
    int m_count;
    QByteArray m_answer;
};

// co_await Pause(clock, seconds): a pause on the clock.
class Pause final : public WaitBase {
public:
    Pause(Clock& clock, double seconds) : m_timer(clock), m_seconds(seconds)
    {
        QObject::connect(&m_timer, &ClockTimer::timeout, &m_timer, [this] { finish(); });
    }
    void await_resume() {}

private:
    void start() override
    {
        if (m_seconds <= 0)
            finish();
        else
            m_timer.start(m_seconds);
    }
    ClockTimer m_timer;
    double m_seconds;
};

} // namespace peltro
