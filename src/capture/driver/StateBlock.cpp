#include "StateBlock.h"

#include "base/Error.h"

namespace marlet {

StateBlock::StateBlock() {
    setNumber(WindowOffset, NoWindow);
    setNumber(LParamOffset, 0x4C4F5645);
    setNumber(WParamOffset, 0x49532E2E);
}

std::string StateBlock::path() const {
    std::string text;
    for (std::size_t i = 0; i < PathSize && m_bytes[PathOffset + i] != 0; ++i)
        text += static_cast<char>(m_bytes[PathOffset + i]);
    return text;
}

void StateBlock::setPath(const std::string& text) {
    // A cut name would send the captured bytes into some other file.
    if (text.size() > PathSize)
        throw Error("The queue file path " + text + " is longer than 50 characters; capture " +
                    "needs a shorter one");
    for (std::size_t i = 0; i < PathSize; ++i)
        m_bytes[PathOffset + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0;
    // The length counts the terminating zero when it fits; a 50-byte path ends at the
    // translation flag, which the application always sends as 0.
    m_bytes[PathLengthOffset] =
        static_cast<std::uint8_t>(text.size() < PathSize ? text.size() + 1 : PathSize);
}

void StateBlock::fillIdentityTable() {
    for (std::size_t b = 0; b < 256; ++b)
        m_bytes[TableOffset + b] = static_cast<std::uint8_t>(b);
}

std::uint32_t StateBlock::number(std::size_t offset) const {
    return static_cast<std::uint32_t>(m_bytes[offset]) |
           static_cast<std::uint32_t>(m_bytes[offset + 1]) << 8 |
           static_cast<std::uint32_t>(m_bytes[offset + 2]) << 16 |
           static_cast<std::uint32_t>(m_bytes[offset + 3]) << 24;
}

void StateBlock::setNumber(std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i)
        m_bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

} // namespace marlet
