#include "ShapeEnds.h"

namespace marlet {

void ShapeEnds::grow() {
    std::vector<Slot> slots = std::move(m_slots);
    const std::uint32_t generation = m_generation;
    rebuild(slots.size() * 2);
    for (const Slot& slot : slots) {
        if (slot.stamp == generation)
            set(slot.key, slot.shape);
    }
}

void ShapeEnds::rebuild(std::size_t capacity) {
    m_slots.assign(capacity, Slot{});
    m_generation = 1;
    m_mask = capacity - 1;
    m_count = 0;
}

} // namespace marlet
