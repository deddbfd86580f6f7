#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace marlet {

/// Bytes read from a printer-port feed on their way into the BIOS print call, one call per
/// byte. A byte the port refuses stays here, and the feed reads nothing more until every
/// waiting byte has been taken: the sender then waits, as on a busy printer port.
class FeedBuffer {
public:
    enum class Read { Data, Nothing, Closed };
    /// The BIOS print call for one byte: the status in AH.
    using Print = std::function<std::uint8_t(std::uint8_t)>;

    /// Reads what fd has to give; Closed at the end of the stream or on an error.
    Read fill(int fd);
    /// Offers the waiting bytes in order until one is refused.
    void drain(const Print& print);
    /// Whether bytes wait for the port.
    bool waiting() const { return m_begin < m_end; }

private:
    std::vector<std::uint8_t> m_bytes = std::vector<std::uint8_t>(65536);
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
};

} // namespace marlet
