#pragma once

#include "DriverHost.h"
#include "capture/LockedQueueFile.h"

#include <chrono>
#include <map>
#include <memory>
#include <vector>

namespace marlet {

/// The capture driver's host on this machine. There are no DOS virtual machines: the
/// printer-port feeds raise INT 17h here, and the "BIOS" below the driver is the
/// pass-through device the service was given (a file or a device node), or none, in
/// which case the port takes no data. The queue file is appended under its lock.
class ServiceHost : public DriverHost {
public:
    using Clock = std::chrono::steady_clock;
    using Notify = std::function<void(std::uint32_t window, std::uint32_t message,
                                      std::uint32_t wParam, std::uint32_t lParam)>;

    /// passThroughFd: where bytes go with capture off; -1 for none.
    ServiceHost(int passThroughFd, Notify notify);

    /// INT 17h AH 0 for one byte from a feed; returns the status in AH.
    std::uint8_t printCharacter(std::uint8_t character);
    /// Runs the timer routine when its time has come.
    void runTimerIfDue(Clock::time_point now);
    /// When the timer routine runs next, if it is running.
    std::optional<Clock::time_point> nextTimer() const;

    void hookInterrupt(std::uint8_t number, InterruptHandler handler) override;
    void unhookInterrupt(std::uint8_t number) override;
    std::span<std::uint8_t> dosMemory(std::uint16_t segment, std::uint16_t offset,
                                      std::size_t length) override;
    void nestedInterrupt(std::uint8_t number, DosRegisters& registers) override;
    void startTimer(std::function<void()> routine) override;
    void stopTimer() override;
    std::optional<HostFile> openOrCreate(const std::string& path) override;
    std::optional<std::uint64_t> fileSize(HostFile file) override;
    bool writeAt(HostFile file, std::uint64_t position,
                 std::span<const std::uint8_t> data) override;
    void closeFile(HostFile file) override;
    void postMessage(std::uint32_t window, std::uint32_t message, std::uint32_t wParam,
                     std::uint32_t lParam) override;

private:
    void raise(std::uint8_t number, DosRegisters& registers);
    void passThrough(DosRegisters& registers);

    int m_passThroughFd;
    Notify m_notify;
    std::map<std::uint8_t, InterruptHandler> m_hooks;
    std::function<void()> m_timer;
    Clock::time_point m_nextTimer;
    std::map<HostFile, LockedQueueFile> m_files;
    // Real mode's megabyte and a little more, so that any segment:offset maps.
    std::vector<std::uint8_t> m_memory = std::vector<std::uint8_t>(0x110000);
};

} // namespace marlet
