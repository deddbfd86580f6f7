#include "JobInput.h"

#include "base/Error.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace marlet {

namespace {

constexpr std::size_t BufferSize = 1 << 16;

} // namespace

JobInput::JobInput(const std::string& path, std::string initString)
    : m_file(std::fopen(path.c_str(), "rb")), m_initString(std::move(initString)) {
    if (!m_file)
        throw Error::cannotOpen(path);
    struct stat status {};
    if (fstat(fileno(m_file.get()), &status) != 0 || !S_ISREG(status.st_mode))
        throw Error::cannotOpen(path);
    // The job counts its bytes in 32 bits.
    if (static_cast<unsigned long long>(status.st_size) > std::numeric_limits<std::uint32_t>::max())
        throw Error::rangeCheck();
    m_fileSize = static_cast<std::uint32_t>(status.st_size);
    m_fileRemaining = m_fileSize;
    if (m_initString.size() > std::numeric_limits<std::uint16_t>::max())
        throw Error::rangeCheck();
    m_initRemaining = static_cast<std::uint16_t>(m_initString.size());
    std::setvbuf(m_file.get(), nullptr, _IONBF, 0);
}

JobInput::JobInput(std::string_view bytes) {
    if (bytes.size() > std::numeric_limits<std::uint32_t>::max())
        throw Error::rangeCheck();
    // The whole file is in the buffer from the start: nothing is ever read.
    m_buffer.assign(bytes.begin(), bytes.end());
    m_fileSize = static_cast<std::uint32_t>(bytes.size());
    m_fileRemaining = m_fileSize;
}

std::uint8_t JobInput::nextUnbuffered() {
    if (m_initRemaining > 0)
        return static_cast<std::uint8_t>(m_initString[m_initString.size() - m_initRemaining--]);
    if (m_bufferPos == m_buffer.size())
        fill(1);
    --m_fileRemaining;
    return m_buffer[m_bufferPos++];
}

void JobInput::fill(std::size_t wanted) {
    // Keep what is still unread at the front, then read up to a whole buffer behind it;
    // never past the size taken at the start of the job.
    std::size_t unread = m_buffer.size() - m_bufferPos;
    if (unread >= wanted)
        return;
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(m_bufferPos));
    m_bufferPos = 0;
    // A whole buffer, or as much as a long command needs when it is more.
    std::size_t more =
        std::min<std::size_t>(std::max(BufferSize, wanted - unread), m_fileRemaining - unread);
    m_buffer.resize(unread + more);
    if (std::fread(m_buffer.data() + unread, 1, more, m_file.get()) != more)
        throw Error("Stream read error");
}

std::string_view JobInput::following(std::size_t max) {
    if (m_initRemaining > 0) {
        std::size_t start = m_initString.size() - m_initRemaining;
        return std::string_view(m_initString)
            .substr(start, std::min<std::size_t>(max, m_initRemaining));
    }
    std::size_t count = std::min<std::size_t>(max, m_fileRemaining);
    fill(count);
    return {reinterpret_cast<const char*>(m_buffer.data() + m_bufferPos), count};
}

void JobInput::skip(std::size_t count) {
    if (m_initRemaining > 0) {
        m_initRemaining = static_cast<std::uint16_t>(m_initRemaining - count);
        return;
    }
    m_fileRemaining -= static_cast<std::uint32_t>(count);
    m_bufferPos += count;
}

std::string_view JobInput::ahead(std::size_t max) {
    if (m_initRemaining == 0)
        return following(max);
    const std::size_t start = m_initString.size() - m_initRemaining;
    const std::size_t fromInit = std::min<std::size_t>(max, m_initRemaining);
    m_ahead.assign(m_initString, start, fromInit);
    const std::size_t fromFile = std::min<std::size_t>(max - fromInit, m_fileRemaining);
    if (fromFile > 0) {
        fill(fromFile);
        m_ahead.append(reinterpret_cast<const char*>(m_buffer.data() + m_bufferPos), fromFile);
    }
    return m_ahead;
}

void JobInput::take(std::size_t count) {
    count = std::min<std::size_t>(count, std::size_t{m_initRemaining} + m_fileRemaining);
    const std::size_t fromInit = std::min<std::size_t>(count, m_initRemaining);
    m_initRemaining = static_cast<std::uint16_t>(m_initRemaining - fromInit);
    const std::size_t fromFile = count - fromInit;
    if (fromFile == 0)
        return;
    fill(fromFile);
    m_fileRemaining -= static_cast<std::uint32_t>(fromFile);
    m_bufferPos += fromFile;
}

bool JobInput::fileHolds(std::uint8_t byte) const {
    if (!m_file)
        return !m_buffer.empty() && std::memchr(m_buffer.data(), byte, m_buffer.size()) != nullptr;
    // Read beside the job's own reading, from the start: a job that holds the byte near its
    // start, as most do, costs one block.
    char block[1 << 16];
    for (std::uint32_t offset = 0; offset < m_fileSize;) {
        const std::size_t wanted = std::min<std::size_t>(sizeof block, m_fileSize - offset);
        const ssize_t got = ::pread(fileno(m_file.get()), block, wanted, offset);
        if (got <= 0)
            throw Error("Stream read error");
        if (std::memchr(block, byte, static_cast<std::size_t>(got)))
            return true;
        offset += static_cast<std::uint32_t>(got);
    }
    return false;
}

} // namespace marlet
