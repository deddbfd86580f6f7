#pragma once

#include "ControlCodes.h"
#include "DriverHost.h"
#include "StateBlock.h"

#include <cstdint>
#include <memory>
#include <span>

namespace marlet {

/// The port capture driver: takes what DOS programs print through the BIOS (INT 17h) or
/// write to a "PRN"/"LPT" handle (INT 21h) away from the printer port and appends it to
/// the queue file named in its state block, or lets it through, translated, when capture
/// is off. One instance serves the whole host.
class CaptureDriver {
public:
    static constexpr std::size_t BufferSize = 8420;
    /// More waiting bytes than this are written at once.
    static constexpr std::size_t FlushThreshold = 7904;
    static constexpr std::uint16_t NoPrinterHandle = 0xAABB;
    /// INT 17h status: selected, not busy, no error.
    static constexpr std::uint8_t PrinterReady = 0x90;
    /// INT 17h status: the printer timed out and took nothing.
    static constexpr std::uint8_t PrinterTimeOut = 0x01;

    explicit CaptureDriver(DriverHost& host);
    ~CaptureDriver();
    CaptureDriver(const CaptureDriver&) = delete;
    CaptureDriver& operator=(const CaptureDriver&) = delete;

    /// One device-control call: open, close, read state into output, write state from
    /// input, read the count of held bytes into a 4-byte output. Returns control::Success,
    /// or control::Failure for any other code and for a buffer of the wrong size.
    std::uint32_t deviceControl(std::uint32_t code, std::span<const std::uint8_t> input,
                                std::span<std::uint8_t> output);

    /// The BIOS printer service as the driver answers it.
    Chain int17(DosRegisters& registers);
    /// DOS open, create, write and close as far as they concern a printer handle.
    Chain int21(DosRegisters& registers);
    /// The timer routine: writes the waiting bytes once the port has been quiet two ticks.
    void timerTick();
    /// Writes data at the end of the queue file, opening and closing it around the write.
    bool Append(std::span<const std::uint8_t> data);
    /// Writes the waiting bytes now, without waiting for the port to go quiet: a job's end
    /// is known. True when nothing is left waiting.
    bool writeHeld();

    const StateBlock& state() const { return m_state; }
    /// Bytes waiting in the buffer.
    std::size_t count() const { return m_count; }
    /// Whether the hooks, the timer and the buffer are in place.
    bool started() const { return m_buffer != nullptr; }

private:
    void start();
    void stop();
    bool flushBuffer();
    void putInBuffer(std::uint8_t byte);
    Chain openPrinter(DosRegisters& registers);
    Chain writePrinter(DosRegisters& registers);

    DriverHost& m_host;
    StateBlock m_state;
    std::unique_ptr<std::uint8_t[]> m_buffer;
    std::size_t m_count = 0;
    std::uint8_t m_idle = 0;
    bool m_nesting = false;
    // As wide as the connections that can exist: a wrap would start the driver again.
    std::uint32_t m_opens = 0;
    std::uint16_t m_printerHandle = NoPrinterHandle;
    // The buffer ends in the CR LF that closes the last DOS write to the printer handle.
    bool m_lineEndPending = false;
};

} // namespace marlet
