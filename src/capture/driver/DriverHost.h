#pragma once

#include "DosRegisters.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace marlet {

/// What a hooked interrupt handler tells the chain: hand the call on to the next handler
/// (in the end the BIOS or DOS), or end the interrupt here.
enum class Chain { PassOn, Consume };

/// A handler in a DOS interrupt chain.
using InterruptHandler = std::function<Chain(DosRegisters&)>;

/// An open file of the host, as the driver's file services give it.
using HostFile = int;

/// The services the capture driver needs from the machine it runs on: the DOS programs'
/// interrupt chains, registers and memory, a periodic timer, the queue file and a way to
/// notify the application. The Windows 9x kernel gave these; this host and the tests'
/// simulated DOS machine implement them.
class DriverHost {
public:
    virtual ~DriverHost() = default;

    /// Puts handler at the head of the chain of interrupt number.
    virtual void hookInterrupt(std::uint8_t number, InterruptHandler handler) = 0;
    /// Takes the driver's handler out of the chain of interrupt number.
    virtual void unhookInterrupt(std::uint8_t number) = 0;
    /// The DOS program's memory at segment:offset, length bytes, for reading and writing.
    virtual std::span<std::uint8_t> dosMemory(std::uint16_t segment, std::uint16_t offset,
                                              std::size_t length) = 0;
    /// Carries out interrupt number for the DOS program now, through the whole chain.
    virtual void nestedInterrupt(std::uint8_t number, DosRegisters& registers) = 0;

    /// Calls routine every timer period (1000 ms on the DOS hosts, 50 ms in the capture
    /// service) until stopTimer().
    virtual void startTimer(std::function<void()> routine) = 0;
    /// Cancels the pending time-out.
    virtual void stopTimer() = 0;

    /// Opens the file for writing, creating it when it does not exist.
    virtual std::optional<HostFile> openOrCreate(const std::string& path) = 0;
    /// The file's size in bytes.
    virtual std::optional<std::uint64_t> fileSize(HostFile file) = 0;
    /// Writes every byte of data at position; false when the write fails.
    virtual bool writeAt(HostFile file, std::uint64_t position,
                         std::span<const std::uint8_t> data) = 0;
    /// Closes a file from openOrCreate().
    virtual void closeFile(HostFile file) = 0;

    /// Posts message to the application's window without waiting for it.
    virtual void postMessage(std::uint32_t window, std::uint32_t message, std::uint32_t wParam,
                             std::uint32_t lParam) = 0;
};

} // namespace marlet
