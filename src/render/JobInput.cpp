#include "JobInput.h"

#include "base/Error.h"

#include <limits>
#include <sys/stat.h>

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

std::uint8_t JobInput::next() {
    if (m_initRemaining > 0)
        return static_cast<std::uint8_t>(m_initString[m_initString.size() - m_initRemaining--]);
    return nextFromFile();
}

std::uint8_t JobInput::nextFromFile() {
    if (m_bufferPos == m_buffer.size()) {
        std::size_t wanted = std::min<std::size_t>(BufferSize, m_fileRemaining);
        m_buffer.resize(wanted);
        std::size_t got = std::fread(m_buffer.data(), 1, wanted, m_file.get());
        if (got != wanted)
            throw Error("Stream read error");
        m_bufferPos = 0;
    }
    --m_fileRemaining;
    return m_buffer[m_bufferPos++];
}

} // namespace marlet
