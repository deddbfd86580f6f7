#include "CaptureDriver.h"

#include <algorithm>
#include <cstring>

namespace marlet {

namespace {

constexpr std::uint8_t BiosPrinter = 0x17;
constexpr std::uint8_t DosServices = 0x21;
constexpr std::uint8_t PrintCharacter = 0x00;
constexpr std::uint8_t CreateFile = 0x3C;
constexpr std::uint8_t OpenFile = 0x3D;
constexpr std::uint8_t CloseHandle = 0x3E;
constexpr std::uint8_t WriteHandle = 0x40;

// "PRN", "LPT1" … "LPT9" and "LPT" itself: DOS device names of a printer port, in the
// upper case that DOS programs use for them.
bool namesPrinter(std::span<const std::uint8_t> name) {
    return name.size() >= 3 &&
           (std::memcmp(name.data(), "PRN", 3) == 0 || std::memcmp(name.data(), "LPT", 3) == 0);
}

} // namespace

CaptureDriver::CaptureDriver(DriverHost& host) : m_host(host) {
}

CaptureDriver::~CaptureDriver() {
    if (started())
        stop();
}

std::uint32_t CaptureDriver::deviceControl(std::uint32_t code, std::span<const std::uint8_t> input,
                                           std::span<std::uint8_t> output) {
    switch (code) {
    case control::Open:
        if (m_opens == 0)
            start();
        ++m_opens;
        return control::Success;
    case control::Close:
        if (m_opens > 0 && --m_opens == 0)
            stop();
        return control::Success;
    case control::ReadState:
        if (output.size() != StateBlock::Size)
            return control::Failure;
        std::copy(m_state.bytes().begin(), m_state.bytes().end(), output.begin());
        return control::Success;
    case control::WriteState:
        if (input.size() != StateBlock::Size)
            return control::Failure;
        std::copy(input.begin(), input.end(), m_state.bytes().begin());
        return control::Success;
    case control::ReadHeld:
        if (!input.empty() || output.size() != 4)
            return control::Failure;
        for (std::size_t i = 0; i < 4; ++i)
            output[i] = static_cast<std::uint8_t>(m_count >> (8 * i));
        return control::Success;
    default:
        return control::Failure;
    }
}

void CaptureDriver::start() {
    m_host.startTimer([this] { timerTick(); });
    m_host.hookInterrupt(BiosPrinter, [this](DosRegisters& r) { return int17(r); });
    m_host.hookInterrupt(DosServices, [this](DosRegisters& r) { return int21(r); });
    m_buffer = std::make_unique<std::uint8_t[]>(BufferSize);
    m_count = 0;
    m_lineEndPending = false;
    m_state.fillIdentityTable();
}

void CaptureDriver::stop() {
    // What the port has sent so far is part of a job: write it before letting go.
    if (m_count > 0)
        flushBuffer();
    m_host.stopTimer();
    m_host.unhookInterrupt(BiosPrinter);
    m_host.unhookInterrupt(DosServices);
    m_buffer.reset();
    m_count = 0;
}

bool CaptureDriver::Append(std::span<const std::uint8_t> data) {
    std::string path = m_state.path();
    std::optional<HostFile> file = m_host.openOrCreate(path);
    if (!file)
        return false;
    m_idle = 0;
    std::optional<std::uint64_t> size = m_host.fileSize(*file);
    bool written = size && m_host.writeAt(*file, *size, data);
    m_host.closeFile(*file);
    return written;
}

bool CaptureDriver::writeHeld() {
    return m_count == 0 || flushBuffer();
}

bool CaptureDriver::flushBuffer() {
    if (!Append({m_buffer.get(), m_count}))
        return false;
    m_count = 0;
    m_lineEndPending = false;
    return true;
}

void CaptureDriver::putInBuffer(std::uint8_t byte) {
    m_buffer[m_count++] = byte;
}

Chain CaptureDriver::int17(DosRegisters& registers) {
    if (!m_state.captureOn()) {
        if (registers.ah() == PrintCharacter)
            registers.setAl(m_state.translate(registers.al()));
        return Chain::PassOn;
    }
    if (registers.ah() == PrintCharacter) {
        // Appends keep failing and the buffer is full: the character stays with the
        // program, which sees a printer that timed out and tries again.
        if (m_count == BufferSize) {
            registers.setAh(PrinterTimeOut);
            return Chain::Consume;
        }
        m_idle = 0;
        putInBuffer(registers.al());
        m_lineEndPending = false;
        if (m_count > FlushThreshold)
            flushBuffer();
    }
    registers.setAh(PrinterReady);
    return Chain::Consume;
}

Chain CaptureDriver::int21(DosRegisters& registers) {
    switch (registers.ah()) {
    case OpenFile:
    case CreateFile:
        return openPrinter(registers);
    case WriteHandle:
        if (registers.bx == m_printerHandle)
            return writePrinter(registers);
        return Chain::PassOn;
    case CloseHandle:
        if (registers.bx == m_printerHandle)
            m_printerHandle = NoPrinterHandle;
        return Chain::PassOn;
    default:
        return Chain::PassOn;
    }
}

Chain CaptureDriver::openPrinter(DosRegisters& registers) {
    if (m_nesting || !namesPrinter(m_host.dosMemory(registers.ds, registers.dx, 3)))
        return Chain::PassOn;
    // Let DOS open the device itself, so the handle is the one the program will use.
    m_nesting = true;
    m_host.nestedInterrupt(DosServices, registers);
    if (!registers.carry)
        m_printerHandle = registers.ax;
    m_nesting = false;
    return Chain::Consume;
}

Chain CaptureDriver::writePrinter(DosRegisters& registers) {
    std::span<std::uint8_t> data = m_host.dosMemory(registers.ds, registers.dx, registers.cx);
    if (!m_state.captureOn()) {
        for (std::uint8_t& byte : data)
            byte = m_state.translate(byte);
        return Chain::PassOn;
    }
    // Only one CR LF ends a run of writes: the one after the last.
    if (m_lineEndPending) {
        m_count -= 2;
        m_lineEndPending = false;
    }
    // Characters printed through the BIOS came first, so they go first.
    if (m_count > 0)
        flushBuffer();
    Append(data);
    if (m_count + 2 <= BufferSize) {
        putInBuffer(0x0D);
        putInBuffer(0x0A);
        m_lineEndPending = true;
    }
    registers.ax = registers.cx;
    registers.carry = false;
    return Chain::Consume;
}

void CaptureDriver::timerTick() {
    if (m_idle < 255)
        ++m_idle;
    if (m_count == 0 || m_idle < 2)
        return;
    if (!flushBuffer())
        return;
    if (m_state.window() != StateBlock::NoWindow)
        m_host.postMessage(m_state.window(), control::Notification, m_state.wParam(),
                           m_state.lParam());
}

} // namespace marlet
