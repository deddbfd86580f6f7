#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace marlet {

/// Where the strokes and rules of a page end, by a key of their line and end point, so
/// that the next piece of a frame finds the one it continues. An open-addressing table
/// that forgets everything at once: a page adds thousands of keys and clears them often.
class ShapeEnds {
public:
    ShapeEnds() { rebuild(1 << 12); }

    /// The shape that ends at key, if one was recorded since the last clear().
    std::optional<std::size_t> find(std::uint64_t key) const {
        for (std::size_t slot = hash(key);; slot = (slot + 1) & m_mask) {
            if (m_stamps[slot] != m_generation)
                return std::nullopt;
            if (m_keys[slot] == key)
                return m_values[slot];
        }
    }

    /// Records (or moves) the shape that ends at key.
    void set(std::uint64_t key, std::size_t shape);

    /// Forgets every key.
    void clear() {
        m_count = 0;
        if (++m_generation == 0) // after four billion clears the stamps start over
            rebuild(m_keys.size());
    }

private:
    std::size_t hash(std::uint64_t key) const {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 40) & m_mask;
    }
    void rebuild(std::size_t capacity);

    std::vector<std::uint64_t> m_keys;
    std::vector<std::size_t> m_values;
    std::vector<std::uint32_t> m_stamps;
    std::uint32_t m_generation = 1;
    std::size_t m_mask = 0;
    std::size_t m_count = 0;
};

} // namespace marlet
