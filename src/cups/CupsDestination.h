#pragma once

#include "CupsQueue.h"
#include "base/Error.h"
#include "pdf/PdfDestination.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <sys/types.h>

namespace marlet {

/// A CUPS queue as the place where documents go: each document is one CUPS job of that
/// title, its PDF streamed to the server page by page as the writer finishes them.
class CupsDestination final : public PdfDestination {
public:
    explicit CupsDestination(CupsQueue queue) : m_queue(std::move(queue)) {}
    ~CupsDestination() override;

    /// Creates the job; fails with "Cannot print to QUEUE: REASON" when CUPS refuses it.
    PdfWriter& beginDocument(const std::string& title) override;
    /// Completes the job's PDF and hands the job to the queue.
    void endDocument() override;
    void close() override { endDocument(); }
    /// Takes the open job back: the rest of its PDF is dropped unsent and the CUPS job is
    /// cancelled, so nothing of it prints.
    void cancel() override;

private:
    static ssize_t send(void* cookie, const char* bytes, std::size_t size);
    void cancelJob();
    Error cannotPrint(const std::string& reason) const;

    CupsQueue m_queue;
    int m_job = 0;
    std::FILE* m_stream = nullptr;
    std::unique_ptr<PdfWriter> m_writer;
    std::string m_sendFailure; // written by the writer's thread, read after it has finished
    // While a cancelled job's writer stops, what it still writes goes nowhere.
    std::atomic<bool> m_dropping{false};
};

} // namespace marlet
