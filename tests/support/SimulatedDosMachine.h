#pragma once

#include "capture/driver/DriverHost.h"

#include <cctype>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace marlet::testing {

/// A DOS virtual machine in memory for the capture driver: interrupt chains ending in a
/// BIOS printer and a DOS that opens, writes and closes files, one megabyte of memory,
/// a timer that ticks when the test says so, and queue files held as byte strings.
class SimulatedDosMachine : public DriverHost {
public:
    static constexpr std::uint16_t DataSegment = 0x1000;
    static constexpr std::uint16_t PrinterHandleDos = 5;

    // The DOS machine's side.

    /// INT 17h AH 0 with the character; returns the status in AH.
    std::uint8_t printCharacter(std::uint8_t character) {
        DosRegisters r;
        r.setAh(0x00);
        r.setAl(character);
        raise(0x17, r);
        return r.ah();
    }
    /// INT 17h with any function; returns AH.
    std::uint8_t biosPrinter(std::uint8_t function) {
        DosRegisters r;
        r.setAh(function);
        raise(0x17, r);
        return r.ah();
    }
    /// INT 21h open (0x3D) or create (0x3C) of name; the registers after the call.
    DosRegisters openFile(const std::string& name, std::uint8_t function = 0x3D) {
        std::memcpy(&m_memory[DataSegment * 16], name.c_str(), name.size() + 1);
        DosRegisters r;
        r.setAh(function);
        r.ds = DataSegment;
        r.dx = 0;
        raise(0x21, r);
        return r;
    }
    /// INT 21h write of bytes to handle from the program's memory; the registers after.
    DosRegisters writeFile(std::uint16_t handle, const std::string& bytes) {
        std::memcpy(&m_memory[DataSegment * 16 + 0x100], bytes.data(), bytes.size());
        DosRegisters r;
        r.setAh(0x40);
        r.bx = handle;
        r.cx = static_cast<std::uint16_t>(bytes.size());
        r.ds = DataSegment;
        r.dx = 0x100;
        raise(0x21, r);
        return r;
    }
    /// INT 21h close of handle.
    void closeFile(std::uint16_t handle) {
        DosRegisters r;
        r.setAh(0x3E);
        r.bx = handle;
        raise(0x21, r);
    }
    /// One 1000 ms time-out.
    void tick() {
        if (m_timer)
            m_timer();
    }

    // What reached the hardware and DOS.

    std::string printed;                            ///< Bytes the BIOS sent to the port.
    std::map<std::uint16_t, std::string> dosWrites; ///< Bytes DOS wrote, by handle.
    std::vector<std::string> dosOpens;              ///< Names DOS opened.
    bool dosRefusesOpen = false;                    ///< DOS answers every open with error 2.
    std::uint8_t printerStatus = 0x90;              ///< What the BIOS answers.

    // The host's files and messages.

    std::map<std::string, std::string> files;
    bool opensFail = false;
    std::vector<std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t>> posted;

    bool hooked(std::uint8_t number) const { return m_chains.contains(number); }
    bool timerRunning() const { return static_cast<bool>(m_timer); }

    // DriverHost.

    void hookInterrupt(std::uint8_t number, InterruptHandler handler) override {
        m_chains[number] = std::move(handler);
    }
    void unhookInterrupt(std::uint8_t number) override { m_chains.erase(number); }
    std::span<std::uint8_t> dosMemory(std::uint16_t segment, std::uint16_t offset,
                                      std::size_t length) override {
        return {&m_memory[segment * 16u + offset], length};
    }
    void nestedInterrupt(std::uint8_t number, DosRegisters& registers) override {
        raise(number, registers);
    }
    void startTimer(std::function<void()> routine) override { m_timer = std::move(routine); }
    void stopTimer() override { m_timer = nullptr; }
    std::optional<HostFile> openOrCreate(const std::string& path) override {
        if (opensFail)
            return std::nullopt;
        files[path];
        m_openPaths.push_back(path);
        return static_cast<HostFile>(m_openPaths.size() - 1);
    }
    std::optional<std::uint64_t> fileSize(HostFile file) override {
        return files[m_openPaths[file]].size();
    }
    bool writeAt(HostFile file, std::uint64_t position,
                 std::span<const std::uint8_t> data) override {
        std::string& bytes = files[m_openPaths[file]];
        bytes.resize(std::max<std::size_t>(bytes.size(), position + data.size()));
        std::memcpy(bytes.data() + position, data.data(), data.size());
        return true;
    }
    void closeFile(HostFile) override {}
    void postMessage(std::uint32_t window, std::uint32_t message, std::uint32_t wParam,
                     std::uint32_t lParam) override {
        posted.emplace_back(window, message, wParam, lParam);
    }

private:
    void raise(std::uint8_t number, DosRegisters& r) {
        auto hook = m_chains.find(number);
        // The driver's handler sits above the BIOS and DOS; a nested call runs it again.
        if (hook != m_chains.end() && hook->second(r) == Chain::Consume)
            return;
        if (number == 0x17)
            bios(r);
        else if (number == 0x21)
            dos(r);
    }

    void bios(DosRegisters& r) {
        if (r.ah() == 0x00)
            printed += static_cast<char>(r.al());
        r.setAh(printerStatus);
    }

    void dos(DosRegisters& r) {
        switch (r.ah()) {
        case 0x3C:
        case 0x3D: {
            std::string name(reinterpret_cast<const char*>(&m_memory[r.ds * 16u + r.dx]));
            if (dosRefusesOpen) {
                r.ax = 2;
                r.carry = true;
                return;
            }
            dosOpens.push_back(name);
            r.ax = PrinterHandleDos;
            r.carry = false;
            return;
        }
        case 0x40:
            dosWrites[r.bx].append(reinterpret_cast<const char*>(&m_memory[r.ds * 16u + r.dx]),
                                   r.cx);
            r.ax = r.cx;
            r.carry = false;
            return;
        default:
            r.carry = false;
        }
    }

    std::vector<std::uint8_t> m_memory = std::vector<std::uint8_t>(0x110000);
    std::map<std::uint8_t, InterruptHandler> m_chains;
    std::function<void()> m_timer;
    std::vector<std::string> m_openPaths;
};

} // namespace marlet::testing
