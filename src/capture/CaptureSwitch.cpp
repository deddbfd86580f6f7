#include "CaptureSwitch.h"

namespace marlet {

void CaptureSwitch::start(const std::string& queuePath) {
    // The new handle opens before the old one closes, so a restart keeps the service.
    std::unique_ptr<CaptureClient> device;
    try {
        device = std::make_unique<CaptureClient>(m_window, queuePath, m_location);
    } catch (...) {
        m_device.reset();
        throw;
    }
    m_device = std::move(device);
    StateBlock& state = m_device->state();
    state.setCapture(true);
    state.setPath(queuePath);
    state.setTranslating(false);
    m_device->writeState();
}

} // namespace marlet
