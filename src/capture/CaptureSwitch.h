#pragma once

#include "TVxD.h"

#include <memory>

namespace marlet {

/// The "Перехват порта" switch: capture runs exactly while a TVxD exists.
class CaptureSwitch {
public:
    explicit CaptureSwitch(std::uint32_t window,
                           DriverLocation location = DriverLocation::standard())
        : m_window(window), m_location(std::move(location)) {}

    /// Creates the TVxD and turns capture on into queuePath. A failure of creation leaves
    /// capture off; a failure of the last call leaves the driver loaded with capture off.
    void start(const std::string& queuePath);
    /// Destroys the TVxD; the driver writes what it holds and stops.
    void stop() { m_device.reset(); }
    /// Whether a TVxD exists.
    bool running() const { return m_device != nullptr; }
    /// The TVxD while capture runs, else nullptr.
    TVxD* device() { return m_device.get(); }

private:
    std::uint32_t m_window;
    DriverLocation m_location;
    std::unique_ptr<TVxD> m_device;
};

} // namespace marlet
