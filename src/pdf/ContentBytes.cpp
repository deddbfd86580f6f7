#include "ContentBytes.h"

#include <algorithm>

namespace marlet {

void ContentBytes::grow(std::size_t more) {
    m_bytes.resize(std::max(2 * m_bytes.size(), m_size + more + 4096));
}

} // namespace marlet
