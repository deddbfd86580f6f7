#include "CupsDestination.h"

#include "base/Error.h"

#include <utility>

namespace marlet {

namespace {

// Pages reach the server in pieces of this size rather than byte by byte.
constexpr std::size_t SendBufferSize = 64 * 1024;
constexpr int ConnectTimeoutMs = 5000;

bool succeeded(ipp_status_t status) {
    return status <= IPP_STATUS_OK_CONFLICTING;
}

} // namespace

CupsDestination::~CupsDestination() {
    try {
        endDocument();
    } catch (const Error&) {
        // Reported by an explicit close(); a destructor has no one to tell.
    }
}

Error CupsDestination::cannotPrint(const std::string& reason) const {
    return Error("Cannot print to " + m_queue.name() + ": " + reason);
}

PdfWriter& CupsDestination::beginDocument(const std::string& title) {
    endDocument();
    const CupsLibrary& cups = m_queue.library();
    http_t* http = m_queue.connection();
    cups_dest_t* dest = m_queue.destination();
    cups_dinfo_t* info = m_queue.information();
    if (!info)
        throw cannotPrint(cups.lastErrorString());
    // The queue's saved options (lpoptions) go with every job, as lp sends them.
    if (!succeeded(cups.createDestJob(http, dest, info, &m_job, title.c_str(), dest->num_options,
                                      dest->options)))
        throw cannotPrint(cups.lastErrorString());
    if (cups.startDestDocument(http, dest, info, m_job, title.c_str(), CUPS_FORMAT_PDF, 0, nullptr,
                               1) != HTTP_STATUS_CONTINUE) {
        std::string reason = cups.lastErrorString();
        cancelJob();
        throw cannotPrint(reason);
    }
    m_sendFailure.clear();
    m_stream = fopencookie(this, "wb", {nullptr, &CupsDestination::send, nullptr, nullptr});
    if (!m_stream) {
        cups.finishDestDocument(http, dest, info);
        cancelJob();
        throw cannotPrint("out of memory");
    }
    std::setvbuf(m_stream, nullptr, _IOFBF, SendBufferSize);
    m_writer = std::make_unique<PdfWriter>(m_stream, title);
    return *m_writer;
}

ssize_t CupsDestination::send(void* cookie, const char* bytes, std::size_t size) {
    auto* destination = static_cast<CupsDestination*>(cookie);
    if (destination->m_dropping.load())
        return static_cast<ssize_t>(size);
    // Runs on the writer's thread: its own connection, never CUPS's per-thread default one.
    const CupsLibrary& cups = destination->m_queue.library();
    http_status_t status = cups.writeRequestData(destination->m_queue.connection(), bytes, size);
    if (status != HTTP_STATUS_CONTINUE) {
        destination->m_sendFailure =
            cups.lastError() != IPP_STATUS_OK ? cups.lastErrorString() : cups.statusText(status);
        return -1;
    }
    return static_cast<ssize_t>(size);
}

void CupsDestination::endDocument() {
    if (!m_writer)
        return;
    std::unique_ptr<PdfWriter> finishing = std::move(m_writer);
    std::FILE* stream = std::exchange(m_stream, nullptr);
    bool sent = true;
    try {
        finishing->finish();
    } catch (const Error&) {
        sent = false;
    }
    finishing.reset();
    if (std::fclose(stream) != 0)
        sent = false;
    if (!sent) {
        // Half a PDF must not reach the printer: drop the request and take the job back.
        std::string reason = m_sendFailure.empty() ? "the PDF did not get through" : m_sendFailure;
        m_queue.library().reconnect(m_queue.connection(), ConnectTimeoutMs, nullptr);
        cancelJob();
        throw cannotPrint(reason);
    }
    const CupsLibrary& cups = m_queue.library();
    if (!succeeded(cups.finishDestDocument(m_queue.connection(), m_queue.destination(),
                                           m_queue.information()))) {
        std::string reason = cups.lastErrorString();
        cancelJob();
        throw cannotPrint(reason);
    }
    m_job = 0;
}

void CupsDestination::cancel() {
    if (!m_writer)
        return;
    // The writer's pages in flight and its buffer are let go without a byte more to the
    // server; the unfinished request is dropped with its connection.
    m_dropping.store(true);
    m_writer.reset();
    std::fclose(std::exchange(m_stream, nullptr));
    m_dropping.store(false);
    m_queue.library().reconnect(m_queue.connection(), ConnectTimeoutMs, nullptr);
    cancelJob();
}

void CupsDestination::cancelJob() {
    if (m_job != 0)
        m_queue.library().cancelDestJob(m_queue.connection(), m_queue.destination(), m_job);
    m_job = 0;
}

} // namespace marlet
