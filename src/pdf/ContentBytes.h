#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace marlet {

/// The bytes of a content stream as they are written: a page appends a byte per glyph, so
/// appending is a store, and room is made in big steps that later pages reuse.
class ContentBytes {
public:
    /// Empties the buffer, keeping its room.
    void clear() { m_size = 0; }
    bool empty() const { return m_size == 0; }
    /// The last byte written; there must be one.
    char& back() { return m_bytes[m_size - 1]; }

    ContentBytes& operator+=(char byte) {
        if (m_size == m_bytes.size())
            grow(1);
        m_bytes[m_size++] = byte;
        return *this;
    }
    ContentBytes& operator+=(std::string_view bytes) {
        if (bytes.size() > m_bytes.size() - m_size)
            grow(bytes.size());
        std::memcpy(m_bytes.data() + m_size, bytes.data(), bytes.size());
        m_size += bytes.size();
        return *this;
    }

    /// What has been written since the last clear().
    std::string_view view() const { return {m_bytes.data(), m_size}; }

private:
    void grow(std::size_t more);

    std::string m_bytes;
    std::size_t m_size = 0;
};

} // namespace marlet
