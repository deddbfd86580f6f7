#include "ShapeEnds.h"

namespace marlet {

void ShapeEnds::set(std::uint64_t key, std::size_t shape) {
    // Kept at most half full, so that a probe ends soon.
    if (2 * (m_count + 1) > m_keys.size()) {
        std::vector<std::uint64_t> keys = std::move(m_keys);
        std::vector<std::size_t> values = std::move(m_values);
        std::vector<std::uint32_t> stamps = std::move(m_stamps);
        const std::uint32_t generation = m_generation;
        rebuild(keys.size() * 2);
        for (std::size_t slot = 0; slot < keys.size(); ++slot) {
            if (stamps[slot] == generation)
                set(keys[slot], values[slot]);
        }
    }
    std::size_t slot = hash(key);
    while (m_stamps[slot] == m_generation && m_keys[slot] != key)
        slot = (slot + 1) & m_mask;
    if (m_stamps[slot] != m_generation)
        ++m_count;
    m_keys[slot] = key;
    m_values[slot] = shape;
    m_stamps[slot] = m_generation;
}

void ShapeEnds::rebuild(std::size_t capacity) {
    m_keys.assign(capacity, 0);
    m_values.assign(capacity, 0);
    m_stamps.assign(capacity, 0);
    m_generation = 1;
    m_mask = capacity - 1;
    m_count = 0;
}

} // namespace marlet
