#pragma once

// Exchanges with the cameras written as coroutines: each wait (an answer, a
// pause, a late answer draining) suspends the coroutine and returns to the
// event loop, which resumes it when the port or a deadline says so. No wait
// blocks the event loop.
//
//  - Task<T>: a coroutine another one awaits (co_await ask(...)); it starts
//    when awaited and hands its result back.
//  - Job: a coroutine started from plain code; it runs at once up to its
//    first wait. A JobOwner destroys the jobs still waiting when it goes, so
//    nothing resumes into an object that is gone.

#include <QObject>
#include <coroutine>
#include <exception>
#include <optional>
#include <set>
#include <type_traits>
#include <utility>

namespace peltro {

template <typename T> class Task;

namespace detail {

struct FinalResume {
    bool await_ready() const noexcept { return false; }
    template <typename P> std::coroutine_handle<> await_suspend(std::coroutine_handle<P> h) noexcept
    {
        if (auto next = h.promise().continuation)
            return next;
        return std::noop_coroutine();
    }
    void await_resume() const noexcept {}
};

struct TaskPromiseBase {
    std::coroutine_handle<> continuation;
    std::suspend_always initial_suspend() noexcept { return {}; }
    FinalResume final_suspend() noexcept { return {}; }
    void unhandled_exception() { std::terminate(); }
};

template <typename T> struct TaskPromise : TaskPromiseBase {
    std::optional<T> value;
    Task<T> get_return_object();
    template <typename U> void return_value(U&& v) { value.emplace(std::forward<U>(v)); }
};

template <> struct TaskPromise<void> : TaskPromiseBase {
    Task<void> get_return_object();
    void return_void() {}
};

} // namespace detail

template <typename T> class Task {
public:
    using promise_type = detail::TaskPromise<T>;

    Task(Task&& other) noexcept : m_handle(std::exchange(other.m_handle, {})) {}
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;
    ~Task()
    {
        if (m_handle)
            m_handle.destroy();
    }

    bool await_ready() const noexcept { return false; }
    std::coroutine_handle<> await_suspend(std::coroutine_handle<> caller) noexcept
    {
        m_handle.promise().continuation = caller;
        return m_handle;
    }
    T await_resume()
    {
        if constexpr (!std::is_void_v<T>)
            return std::move(*m_handle.promise().value);
    }

private:
    friend promise_type;
    explicit Task(std::coroutine_handle<promise_type> h) : m_handle(h) {}
    std::coroutine_handle<promise_type> m_handle;
};

template <typename T> Task<T> detail::TaskPromise<T>::get_return_object()
{
    return Task<T>(std::coroutine_handle<TaskPromise>::from_promise(*this));
}

inline Task<void> detail::TaskPromise<void>::get_return_object()
{
    return Task<void>(std::coroutine_handle<TaskPromise>::from_promise(*this));
}

class JobOwner;

// A coroutine started from plain code. Its first parameter after the object
// (or the object itself, for a member coroutine) must be a JobOwner&, or the
// member's class must derive from JobOwner: the owner destroys it if it is
// still waiting when the owner goes.
class Job {
public:
    struct promise_type {
        JobOwner* owner = nullptr;
        // The object of a member coroutine, or the first argument of another.
        template <typename O, typename... Args> promise_type(O& o, Args&&...) : owner(ownerOf(o)) {}
        static JobOwner* ownerOf(JobOwner& o) { return &o; }
        Job get_return_object() { return {}; }
        std::suspend_never initial_suspend() noexcept;
        struct Final {
            bool await_ready() const noexcept { return false; }
            void await_suspend(std::coroutine_handle<promise_type> h) noexcept;
            void await_resume() const noexcept {}
        };
        Final final_suspend() noexcept { return {}; }
        void return_void() {}
        void unhandled_exception() { std::terminate(); }
    };
};

// Keeps the jobs of an object; destroys those still waiting with it.
class JobOwner {
public:
    JobOwner() = default;
    JobOwner(const JobOwner&) = delete;
    JobOwner& operator=(const JobOwner&) = delete;
    virtual ~JobOwner() { destroyJobs(); }
    // Jobs still waiting.
    int runningJobs() const { return int(m_jobs.size()); }

protected:
    void destroyJobs()
    {
        while (!m_jobs.empty()) {
            auto h = *m_jobs.begin();
            m_jobs.erase(m_jobs.begin());
            h.destroy();
        }
    }

private:
    friend struct Job::promise_type;
    std::set<std::coroutine_handle<Job::promise_type>> m_jobs;
};

inline std::suspend_never Job::promise_type::initial_suspend() noexcept
{
    owner->m_jobs.insert(std::coroutine_handle<promise_type>::from_promise(*this));
    return {};
}

inline void Job::promise_type::Final::await_suspend(std::coroutine_handle<promise_type> h) noexcept
{
    h.promise().owner->m_jobs.erase(h);
    h.destroy();
}

} // namespace peltro
