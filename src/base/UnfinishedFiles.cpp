#include "UnfinishedFiles.h"

#include <array>
#include <atomic>
#include <csignal>
#include <cstring>
#include <limits.h>
#include <unistd.h>

namespace marlet {

namespace {

enum SlotState : int { Free, Filling, Held };

// Fixed storage: the handler may only read memory that no allocation moves.
struct Slot {
    std::atomic<int> state{Free};
    std::array<char, PATH_MAX> path{};
};

std::array<Slot, UnfinishedFiles::Capacity> slots;

void removeAndStop(int signal) {
    for (Slot& slot : slots)
        if (slot.state.load() == Held)
            ::unlink(slot.path.data());
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

void UnfinishedFiles::removeOnStopSignals() {
    struct sigaction action {};
    action.sa_handler = removeAndStop;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

void UnfinishedFiles::hold(const std::string& path) {
    if (path.size() >= PATH_MAX)
        return;
    for (Slot& slot : slots) {
        int expected = Free;
        if (!slot.state.compare_exchange_strong(expected, Filling))
            continue;
        std::memcpy(slot.path.data(), path.c_str(), path.size() + 1);
        slot.state.store(Held);
        return;
    }
}

void UnfinishedFiles::release(const std::string& path) {
    for (Slot& slot : slots)
        if (slot.state.load() == Held && path == slot.path.data()) {
            slot.state.store(Free);
            return;
        }
}

} // namespace marlet
