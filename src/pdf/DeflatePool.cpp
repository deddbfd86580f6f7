#include "DeflatePool.h"

#include <algorithm>
#include <utility>

#include <sched.h>

namespace marlet {

DeflatePool::DeflatePool(int level, int threads)
    : m_maxInFlight(4 * static_cast<std::size_t>(threads) + WakeBatch) {
    for (int i = 0; i < threads; ++i)
        m_deflaters.push_back(std::make_unique<Deflater>(level));
    for (const std::unique_ptr<Deflater>& deflater : m_deflaters)
        m_workers.emplace_back([this, worker = deflater.get()] { work(*worker); });
}

DeflatePool::~DeflatePool() {
    try {
        finish();
    } catch (...) {
        // finish() is called explicitly where a failure can still be reported.
    }
}

int DeflatePool::spareCores() {
    int cores = static_cast<int>(std::thread::hardware_concurrency());
    // A job pinned to some cores (taskset, a container's CPU set) gets only those.
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0)
        cores = CPU_COUNT(&allowed);
    return std::max(1, cores - 1);
}

void DeflatePool::submit(std::string_view data, Writer write) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_streams.size() < m_maxInFlight; });
    rethrowFailure();
    std::string copy = spareBuffer();
    copy.assign(data);
    m_streams.push_back({std::move(copy), spareBuffer(), std::move(write)});
    // Waking a worker costs a system call: an idle one is woken for a few streams at once.
    // finish() wakes it for the last ones.
    if (m_streams.size() - m_taken >= WakeBatch)
        m_changed.notify_all();
}

std::string DeflatePool::spareBuffer() {
    if (m_spare.empty())
        return {};
    std::string buffer = std::move(m_spare.back());
    m_spare.pop_back();
    return buffer;
}

void DeflatePool::finish() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_changed.notify_all();
    }
    for (std::thread& worker : m_workers) {
        if (worker.joinable())
            worker.join();
    }
    std::lock_guard lock(m_mutex);
    rethrowFailure();
}

void DeflatePool::rethrowFailure() {
    if (m_failure)
        std::rethrow_exception(std::exchange(m_failure, nullptr));
}

void DeflatePool::work(Deflater& deflater) {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stopping || m_taken < m_streams.size(); });
        if (m_taken == m_streams.size())
            return;
        // A deque keeps its elements in place while others come and go at the ends.
        Stream& stream = m_streams[m_taken++];
        lock.unlock();
        std::exception_ptr failure;
        try {
            deflater.compress(stream.data, stream.deflated);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        if (failure && !m_failed) {
            m_failure = failure;
            m_failed = true;
        }
        stream.done = true;
        writeReady(lock);
    }
}

void DeflatePool::writeReady(std::unique_lock<std::mutex>& lock) {
    // One worker writes at a time; one that finishes meanwhile leaves its stream to it.
    if (m_writing)
        return;
    m_writing = true;
    while (!m_streams.empty() && m_streams.front().done) {
        Stream stream = std::move(m_streams.front());
        m_streams.pop_front();
        --m_taken;
        const bool failed = m_failed;
        lock.unlock();
        std::exception_ptr failure;
        if (!failed) {
            try {
                stream.write(stream.deflated);
            } catch (...) {
                failure = std::current_exception();
            }
        }
        lock.lock();
        m_spare.push_back(std::move(stream.data));
        m_spare.push_back(std::move(stream.deflated));
        if (failure && !m_failed) {
            m_failure = failure;
            m_failed = true;
        }
        m_changed.notify_all();
    }
    m_writing = false;
}

} // namespace marlet
