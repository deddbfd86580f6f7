#pragma once

#include "Deflater.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace marlet {

/// Deflates streams on worker threads and hands each result to its writer in the order the
/// streams came, so that the file is the same however the workers were scheduled. A few
/// streams at most are in flight: past that, the printing side waits. Their buffers are
/// kept for the streams that follow, so that a long job does not churn the heap.
class DeflatePool {
public:
    /// Called on a worker with a stream's compressed bytes, never two at once.
    using Writer = std::function<void(std::string_view deflated)>;

    /// Starts threads workers compressing at level.
    DeflatePool(int level, int threads);
    ~DeflatePool();
    DeflatePool(const DeflatePool&) = delete;
    DeflatePool& operator=(const DeflatePool&) = delete;

    /// Queues a copy of data; write gets it compressed once every earlier stream has been
    /// written.
    void submit(std::string_view data, Writer write);
    /// Waits until every stream is written and stops the workers; rethrows a worker's failure.
    void finish();

    /// The cores this process may run on less the one that prints, at least one.
    static int spareCores();

private:
    // Streams that wait before an idle worker is woken.
    static constexpr std::size_t WakeBatch = 4;

    struct Stream {
        std::string data;
        std::string deflated;
        Writer write;
        bool done = false;
    };
    std::string spareBuffer();
    void work(Deflater& deflater);
    void writeReady(std::unique_lock<std::mutex>& lock);
    void rethrowFailure();

    std::vector<std::unique_ptr<Deflater>> m_deflaters;
    std::vector<std::thread> m_workers;
    const std::size_t m_maxInFlight;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Stream> m_streams;     // in order; the front is the next to write
    std::vector<std::string> m_spare; // buffers of written streams
    std::size_t m_taken = 0;          // streams from the front that a worker has taken
    bool m_writing = false;
    bool m_stopping = false;
    // After a failure nothing more is written; the failure itself is reported once.
    bool m_failed = false;
    std::exception_ptr m_failure;
};

} // namespace marlet
