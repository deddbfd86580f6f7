#include "ServiceHost.h"

#include "CaptureDriver.h"

#include <cerrno>
#include <unistd.h>

namespace marlet {

namespace {

constexpr std::uint8_t BiosPrinter = 0x17;
// The driver's "second": its buffer goes to the queue file after two quiet ticks, so a job
// with no end of its own reaches the queue within a tenth of a second of its last byte.
constexpr auto TimerPeriod = std::chrono::milliseconds(50);

} // namespace

ServiceHost::ServiceHost(int passThroughFd, Notify notify)
    : m_passThroughFd(passThroughFd), m_notify(std::move(notify)) {
}

std::uint8_t ServiceHost::printCharacter(std::uint8_t character) {
    DosRegisters registers;
    registers.setAh(0x00);
    registers.setAl(character);
    raise(BiosPrinter, registers);
    return registers.ah();
}

void ServiceHost::runTimerIfDue(Clock::time_point now) {
    if (!m_timer || now < m_nextTimer)
        return;
    // Periodic, not catching up: a late tick still counts as one quiet second.
    m_nextTimer = now + TimerPeriod;
    std::function<void()> routine = m_timer;
    routine();
}

std::optional<ServiceHost::Clock::time_point> ServiceHost::nextTimer() const {
    if (!m_timer)
        return std::nullopt;
    return m_nextTimer;
}

void ServiceHost::hookInterrupt(std::uint8_t number, InterruptHandler handler) {
    m_hooks[number] = std::move(handler);
}

void ServiceHost::unhookInterrupt(std::uint8_t number) {
    m_hooks.erase(number);
}

std::span<std::uint8_t> ServiceHost::dosMemory(std::uint16_t segment, std::uint16_t offset,
                                               std::size_t length) {
    return {&m_memory[segment * 16u + offset], length};
}

void ServiceHost::nestedInterrupt(std::uint8_t number, DosRegisters& registers) {
    raise(number, registers);
}

void ServiceHost::startTimer(std::function<void()> routine) {
    m_timer = std::move(routine);
    m_nextTimer = Clock::now() + TimerPeriod;
}

void ServiceHost::stopTimer() {
    m_timer = nullptr;
}

std::optional<HostFile> ServiceHost::openOrCreate(const std::string& path) {
    std::optional<LockedQueueFile> file =
        LockedQueueFile::open(path, LockedQueueFile::Mode::AppendOrCreate);
    if (!file)
        return std::nullopt;
    HostFile handle = file->fd();
    m_files.emplace(handle, std::move(*file));
    return handle;
}

std::optional<std::uint64_t> ServiceHost::fileSize(HostFile file) {
    auto found = m_files.find(file);
    if (found == m_files.end())
        return std::nullopt;
    return found->second.size();
}

bool ServiceHost::writeAt(HostFile file, std::uint64_t position,
                          std::span<const std::uint8_t> data) {
    const std::uint64_t start = position;
    while (!data.empty()) {
        ssize_t written = pwrite(file, data.data(), data.size(), static_cast<off_t>(position));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            // A full disk took part of the write: the driver keeps all of it and writes it
            // again later, so the part must not stay in front of it.
            [[maybe_unused]] int ignored = ftruncate(file, static_cast<off_t>(start));
            return false;
        }
        data = data.subspan(static_cast<std::size_t>(written));
        position += static_cast<std::uint64_t>(written);
    }
    return true;
}

void ServiceHost::closeFile(HostFile file) {
    m_files.erase(file);
}

void ServiceHost::postMessage(std::uint32_t window, std::uint32_t message, std::uint32_t wParam,
                              std::uint32_t lParam) {
    if (m_notify)
        m_notify(window, message, wParam, lParam);
}

void ServiceHost::raise(std::uint8_t number, DosRegisters& registers) {
    auto hook = m_hooks.find(number);
    if (hook != m_hooks.end() && hook->second(registers) == Chain::Consume)
        return;
    if (number == BiosPrinter) {
        passThrough(registers);
        return;
    }
    // No DOS runs here: every other call is an invalid function.
    registers.ax = 1;
    registers.carry = true;
}

void ServiceHost::passThrough(DosRegisters& registers) {
    if (m_passThroughFd < 0) {
        registers.setAh(CaptureDriver::PrinterTimeOut);
        return;
    }
    if (registers.ah() == 0x00) {
        std::uint8_t byte = registers.al();
        ssize_t written;
        do
            written = write(m_passThroughFd, &byte, 1);
        while (written < 0 && errno == EINTR);
        if (written != 1) {
            registers.setAh(CaptureDriver::PrinterTimeOut);
            return;
        }
    }
    registers.setAh(CaptureDriver::PrinterReady);
}

} // namespace marlet
