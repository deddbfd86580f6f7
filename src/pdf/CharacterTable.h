#pragma once

#include "base/Error.h"

#include <cstdlib>
#include <memory>
#include <type_traits>

namespace marlet {

/// A value for each UTF-16 unit, all zero at first. The zeros come from the system's
/// fresh pages, so that a table costs only the few pages a job's characters touch, not
/// the sixty-four of filling it: a run makes several faces and cells, each with its tables.
template <typename Value>
class CharacterTable {
    static_assert(std::is_trivial_v<Value>);

public:
    CharacterTable() : m_values(static_cast<Value*>(std::calloc(0x10000, sizeof(Value)))) {
        if (!m_values)
            throw Error("Out of memory");
    }

    Value& operator[](char16_t character) { return m_values.get()[character]; }
    const Value& operator[](char16_t character) const { return m_values.get()[character]; }

private:
    struct Free {
        void operator()(Value* values) const { std::free(values); }
    };
    std::unique_ptr<Value[], Free> m_values;
};

} // namespace marlet
