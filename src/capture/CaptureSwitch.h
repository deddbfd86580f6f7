#pragma once

#include "CaptureClient.h"

#include <memory>

namespace marlet {

/// The "Перехват порта" switch: capture runs exactly while a CaptureClient exists.
class CaptureSwitch {
public:
    explicit CaptureSwitch(std::uint32_t window,
                           DriverLocation location = DriverLocation::standard())
        : m_window(window), m_location(std::move(location)) {}

    /// Creates the CaptureClient and turns capture on into queuePath. A failure of creation leaves
    /// capture off; a failure of the last call leaves the driver loaded with capture off.
    void start(const std::string& queuePath);
    /// Destroys the CaptureClient; the driver writes what it holds and stops.
    void stop() { m_device.reset(); }
    /// Whether a CaptureClient exists.
    bool running() const { return m_device != nullptr; }
    /// The CaptureClient while capture runs, else nullptr.
    CaptureClient* device() { return m_device.get(); }

private:
    std::uint32_t m_window;
    DriverLocation m_location;
    std::unique_ptr<CaptureClient> m_device;
};

} // namespace marlet
