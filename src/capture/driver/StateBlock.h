#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace marlet {

/// The 321 bytes that the application and the capture driver exchange whole: capture
/// switch, queue file path, pass-through translation and the notification's target.
class StateBlock {
public:
    static constexpr std::size_t Size = 321;
    static constexpr std::size_t CaptureOffset = 0;
    static constexpr std::size_t PathLengthOffset = 1;
    static constexpr std::size_t PathOffset = 2;
    static constexpr std::size_t PathSize = 50;
    static constexpr std::size_t TranslateOffset = 52;
    static constexpr std::size_t TableOffset = 53;
    static constexpr std::size_t WindowOffset = 309;
    static constexpr std::size_t LParamOffset = 313;
    static constexpr std::size_t WParamOffset = 317;
    /// "TAHW": no window to notify.
    static constexpr std::uint32_t NoWindow = 0x57484154;

    using Bytes = std::array<std::uint8_t, Size>;

    /// The driver's initial block: capture off, no path, no translation, an empty table,
    /// no window and the two notification parameters the driver starts with.
    StateBlock();

    Bytes& bytes() { return m_bytes; }
    const Bytes& bytes() const { return m_bytes; }

    /// Whether the capture flag is 1; any other value passes output through.
    bool captureOn() const { return m_bytes[CaptureOffset] == 1; }
    /// Sets the capture flag to 1 or 0.
    void setCapture(bool on) { m_bytes[CaptureOffset] = on ? 1 : 0; }

    /// The queue file path as the driver opens it: up to the first zero, at most 50 bytes.
    std::string path() const;
    /// Puts text and a terminating zero into the path field with its length byte. Fails,
    /// naming the path, when it is longer than the 50 bytes the field holds.
    void setPath(const std::string& text);

    /// Whether the translation flag is 1.
    bool translating() const { return m_bytes[TranslateOffset] == 1; }
    /// Sets the translation flag to 1 or 0.
    void setTranslating(bool on) { m_bytes[TranslateOffset] = on ? 1 : 0; }
    /// Entry b of the pass-through table when translating, else b.
    std::uint8_t translate(std::uint8_t b) const {
        return translating() ? m_bytes[TableOffset + b] : b;
    }
    /// Makes table entry b equal to b, as the driver does when it starts.
    void fillIdentityTable();

    std::uint32_t window() const { return number(WindowOffset); }
    void setWindow(std::uint32_t window) { setNumber(WindowOffset, window); }
    std::uint32_t lParam() const { return number(LParamOffset); }
    std::uint32_t wParam() const { return number(WParamOffset); }

private:
    std::uint32_t number(std::size_t offset) const;
    void setNumber(std::size_t offset, std::uint32_t value);

    Bytes m_bytes{};
};

} // namespace marlet
