#include "codec/JobQueue.h"

#include <algorithm>
#include <cassert>
#include <system_error>

namespace corvane::codec {

std::size_t JobQueue::unfinished() const {
    const std::lock_guard lock(m_mutex);
    return m_unfinished;
}

void JobQueue::post(const std::shared_ptr<Job>& job) {
    {
        const std::lock_guard lock(m_mutex);
        assert(job->m_state == Job::State::New);
        ++m_unfinished;
        if (m_cancelled.load()) {
            job->m_state = Job::State::Dropped;
            --m_unfinished;
            return;
        }
        job->m_state = Job::State::Pending;
        m_pending.push_back(job);
    }
    m_changed.notify_all();
}

void JobQueue::runLocked(std::unique_lock<std::mutex>& lock, Job& job) {
    job.m_state = Job::State::Running;
    lock.unlock();
    std::exception_ptr failure;
    try {
        job.run(*this);
    } catch (...) {
        failure = std::current_exception();
    }
    lock.lock();
    job.m_failure = failure;
    job.m_state = Job::State::Done;
    --m_unfinished;
    m_changed.notify_all();
}

void JobQueue::wait(Job& job) {
    std::unique_lock lock(m_mutex);
    if (job.m_state == Job::State::Pending) {
        const auto it =
            std::find_if(m_pending.begin(), m_pending.end(), [&](const auto& p) { return p.get() == &job; });
        assert(it != m_pending.end());
        const std::shared_ptr<Job> keep = *it;
        m_pending.erase(it);
        runLocked(lock, job);
    }
    while (job.m_state == Job::State::Running) {
        if (!m_pending.empty()) {
            const std::shared_ptr<Job> other = m_pending.front();
            m_pending.pop_front();
            runLocked(lock, *other);
        } else {
            m_changed.wait(lock);
        }
    }
    assert(job.m_state == Job::State::Done || job.m_state == Job::State::Dropped);
    if (job.m_state == Job::State::Dropped) throw JobsCancelled();
    if (job.m_failure) std::rethrow_exception(job.m_failure);
}

bool JobQueue::finished(const Job& job) const {
    const std::lock_guard lock(m_mutex);
    return job.m_state == Job::State::Done || job.m_state == Job::State::Dropped;
}

void JobQueue::withdraw(Job& job) {
    const std::lock_guard lock(m_mutex);
    if (job.m_state != Job::State::Pending) return;
    m_pending.erase(
        std::find_if(m_pending.begin(), m_pending.end(), [&](const auto& p) { return p.get() == &job; }));
    job.m_state = Job::State::Dropped;
    --m_unfinished;
}

bool JobQueue::runOne() {
    std::unique_lock lock(m_mutex);
    if (m_pending.empty()) return false;
    const std::shared_ptr<Job> job = m_pending.front();
    m_pending.pop_front();
    runLocked(lock, *job);
    return true;
}

bool JobQueue::awaitWork() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return !m_pending.empty() || m_closed; });
    return !m_pending.empty();
}

void JobQueue::serve() {
    while (awaitWork())
        runOne();
}

void JobQueue::close() {
    {
        const std::lock_guard lock(m_mutex);
        m_closed = true;
    }
    m_changed.notify_all();
}

void JobQueue::cancel() {
    {
        const std::lock_guard lock(m_mutex);
        m_cancelled.store(true);
        for (const std::shared_ptr<Job>& job : m_pending) {
            job->m_state = Job::State::Dropped;
            --m_unfinished;
        }
        m_pending.clear();
    }
    m_changed.notify_all();
}

ServingThreads::ServingThreads(JobQueue& queue) : m_queue(queue) {
    // A thread that cannot start leaves its share to the others and to the waiting thread.
    for (unsigned i = 1; i < queue.threads(); ++i) {
        try {
            m_threads.emplace_back([&queue] { queue.serve(); });
        } catch (const std::system_error&) {
            break;
        }
    }
}

ServingThreads::~ServingThreads() {
    m_queue.close();
    for (std::thread& thread : m_threads)
        thread.join();
}

}  // namespace corvane::codec
