#pragma once

// Work a compressor hands to other threads: the parts of one large file that can be compressed
// apart (LZX's jobs, MSZIP's runs of records).
//
// The queue owns no threads. The threads that serve it are the build's own workers: between
// files they run what is pending (serve, runOne), and a thread that waits for a job runs
// pending jobs meanwhile, the awaited one first when nobody has taken it. Jobs wait for
// nothing themselves, so that cannot deadlock, and with one thread every job simply runs
// where it is awaited, in order. What a job produces must depend only on its input, never on
// the thread or the moment it runs: that is what keeps the output the same for any number of
// threads.
//
// A cancel drops the pending jobs, and running ones stop at their next check of cancelled();
// waiting for a job that did not finish then throws JobsCancelled.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace corvane::codec {

class JobQueue;

class Job {
public:
    virtual ~Job() = default;

private:
    friend class JobQueue;
    virtual void run(const JobQueue& queue) = 0;

    enum class State { New, Pending, Running, Done, Dropped };
    State m_state = State::New;
    std::exception_ptr m_failure;
};

class JobsCancelled : public std::runtime_error {
public:
    JobsCancelled() : std::runtime_error("Compression was cancelled") {}
};

class JobQueue {
public:
    // `threads` serve the queue: compressors size their look-ahead by it.
    explicit JobQueue(unsigned threads) : m_threads(threads == 0 ? 1 : threads) {}
    JobQueue(const JobQueue&) = delete;
    JobQueue& operator=(const JobQueue&) = delete;

    unsigned threads() const { return m_threads; }

    // Jobs posted and not yet finished, across all compressors. Compressors post no more than
    // a bound proportional to the threads, so memory follows the threads, not the file sizes.
    std::size_t unfinished() const;

    void post(const std::shared_ptr<Job>& job);
    // Until `job` is done: runs it here when nobody has taken it, else runs other pending jobs
    // or sleeps. Rethrows what the job threw; throws JobsCancelled for a dropped job.
    void wait(Job& job);
    // Whether the job has ended (wait then returns at once).
    bool finished(const Job& job) const;
    // Drops the job when nobody has taken it yet; a running one runs on (a job owns its data).
    void withdraw(Job& job);
    // Runs the oldest pending job on this thread; false when none is pending.
    bool runOne();
    // Sleeps until a job is pending (true) or the queue is closed (false).
    bool awaitWork();
    // Runs jobs until the queue is closed: the loop of a thread that only serves the queue.
    void serve();
    // No more jobs will be posted: serving threads return.
    void close();
    // Drops pending jobs and asks running ones to stop.
    void cancel();
    bool cancelled() const { return m_cancelled.load(std::memory_order_relaxed); }

private:
    void runLocked(std::unique_lock<std::mutex>& lock, Job& job);

    const unsigned m_threads;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::shared_ptr<Job>> m_pending;
    std::size_t m_unfinished = 0;
    bool m_closed = false;
    std::atomic<bool> m_cancelled{false};
};

// Threads that do nothing but serve a queue, for a tool with no workers of its own: the queue's
// threads less the caller's. Closing the queue and joining them happens on destruction.
class ServingThreads {
public:
    explicit ServingThreads(JobQueue& queue);
    ~ServingThreads();
    ServingThreads(const ServingThreads&) = delete;
    ServingThreads& operator=(const ServingThreads&) = delete;

private:
    JobQueue& m_queue;
    std::vector<std::thread> m_threads;
};

}  // namespace corvane::codec
