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
            const Slot& at = m_slots[slot];
            if (at.stamp != m_generation)
                return std::nullopt;
            if (at.key == key)
                return at.shape;
        }
    }

    /// Records (or moves) the shape that ends at key.
    void set(std::uint64_t key, std::size_t shape) {
        // Kept at most half full, so that a probe ends soon.
        if (2 * (m_count + 1) > m_slots.size())
            grow();
        std::size_t slot = hash(key);
        while (m_slots[slot].stamp == m_generation && m_slots[slot].key != key)
            slot = (slot + 1) & m_mask;
        Slot& at = m_slots[slot];
        if (at.stamp != m_generation)
            ++m_count;
        at = {key, static_cast<std::uint32_t>(shape), m_generation};
    }

    /// Forgets every key.
    void clear() {
        m_count = 0;
        if (++m_generation == 0) // after four billion clears the stamps start over
            rebuild(m_slots.size());
    }

private:
    struct Slot {
        std::uint64_t key = 0;
        std::uint32_t shape = 0;
        std::uint32_t stamp = 0; // the generation that wrote the slot
    };
    std::size_t hash(std::uint64_t key) const {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 40) & m_mask;
    }
    void grow();
    void rebuild(std::size_t capacity);

    std::vector<Slot> m_slots;
    std::uint32_t m_generation = 1;
    std::size_t m_mask = 0;
    std::size_t m_count = 0;
};

} // namespace marlet
