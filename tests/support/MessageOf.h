#pragma once

#include <exception>
#include <string>

namespace marlet::testing {

/// The message an action fails with, as the user would read it; "no error" when it does
/// not fail.
template <typename Action>
std::string messageOf(Action&& action) {
    try {
        action();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no error";
}

} // namespace marlet::testing
