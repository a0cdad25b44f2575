#pragma once

#include <QObject>
#include <QPointer>

#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

class QThreadPool;

namespace corvane {

// What background work gave: its value, or the exception it threw.
template <class T>
class WorkResult {
public:
    static WorkResult success(T value) { return WorkResult(std::move(value)); }
    static WorkResult failure(std::exception_ptr error) { return WorkResult(std::move(error)); }

    bool ok() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return ok(); }
    // Only for an ok result.
    T& value() { return std::get<T>(state_); }
    const T& value() const { return std::get<T>(state_); }
    // Null for an ok result.
    std::exception_ptr error() const { return ok() ? nullptr : std::get<std::exception_ptr>(state_); }
    // The thrown exception's what(), "unknown error" for anything else; empty when ok.
    std::string errorMessage() const
    {
        if (ok())
            return {};
        try {
            std::rethrow_exception(std::get<std::exception_ptr>(state_));
        } catch (const std::exception& thrown) {
            return thrown.what();
        } catch (...) {
            return "unknown error";
        }
    }

private:
    explicit WorkResult(T value) : state_(std::move(value)) {}
    explicit WorkResult(std::exception_ptr error) : state_(std::move(error)) {}
    std::variant<T, std::exception_ptr> state_;
};

// Work that returns nothing reports this.
struct Nothing {
    bool operator==(const Nothing&) const = default;
};

// Runs blocking work off the GUI thread and hands its result back on the GUI thread
// to a receiver. Results for a receiver that is gone are dropped; an exception thrown
// by the work arrives as a failed WorkResult, never across threads.
class Executor {
public:
    // Which workers run a job. The sampling loop has one of its own, so that jobs that
    // block for seconds on the shared ones (a quit waiting for its app, a folder walk,
    // a traffic sample) never hold a tick back. A job that may wait as long as another
    // program runs (opening a page waits on the browser it starts) gets a thread of its
    // own, detached: it never holds a worker, nor the program's end.
    enum class Lane { shared, tick, detached };

    virtual ~Executor() = default;

    // `work` runs on a worker and must touch no GUI-thread state: capture copies.
    // `done(WorkResult<R>)` runs later on the GUI thread, only while `receiver` exists.
    // Both must be copyable (they travel in std::function).
    template <class Work, class Done>
    void run(QObject* receiver, Work work, Done done)
    {
        run(Lane::shared, receiver, std::move(work), std::move(done));
    }

    template <class Work, class Done>
    void run(Lane lane, QObject* receiver, Work work, Done done)
    {
        using Value = std::invoke_result_t<Work&>;
        using R = std::conditional_t<std::is_void_v<Value>, Nothing, Value>;
        submit(lane, receiver, [work = std::move(work), done = std::move(done)]() mutable -> Delivery {
            auto result = capture<R>(work);
            return [done = std::move(done), result = std::move(result)]() mutable { done(std::move(result)); };
        });
    }

    // Work whose outcome nobody waits for.
    template <class Work>
    void run(QObject* receiver, Work work)
    {
        run(receiver, std::move(work), [](auto&&) {});
    }

protected:
    // Runs on the GUI thread.
    using Delivery = std::function<void()>;
    // Runs on a worker; returns what to run on the GUI thread.
    using Job = std::function<Delivery()>;

    // Runs `job` off the GUI thread on `lane`'s workers, and its delivery on the GUI
    // thread while `receiver` exists.
    virtual void submit(Lane lane, QObject* receiver, Job job) = 0;

private:
    template <class R, class Work>
    static WorkResult<R> capture(Work& work)
    {
        try {
            if constexpr (std::is_void_v<std::invoke_result_t<Work&>>) {
                work();
                return WorkResult<R>::success(Nothing{});
            } else {
                return WorkResult<R>::success(work());
            }
        } catch (...) {
            return WorkResult<R>::failure(std::current_exception());
        }
    }
};

// Thread pools of its own, `maxThreads` shared workers and one for ticks, with results
// posted back to the GUI thread.
class ThreadPoolExecutor final : public Executor {
public:
    explicit ThreadPoolExecutor(int maxThreads = 4);
    ThreadPoolExecutor(const ThreadPoolExecutor&) = delete;
    ThreadPoolExecutor& operator=(const ThreadPoolExecutor&) = delete;
    // Waits for running work; deliveries still queued are dropped.
    ~ThreadPoolExecutor() override;

protected:
    void submit(Lane lane, QObject* receiver, Job job) override;

private:
    struct Relay;

    std::unique_ptr<QThreadPool> shared_;
    std::unique_ptr<QThreadPool> tick_;
    std::shared_ptr<Relay> relay_;  // lives on the GUI thread; deliveries are queued to it
};

} // namespace corvane
