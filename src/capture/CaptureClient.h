#pragma once

#include "driver/ControlCodes.h"
#include "driver/StateBlock.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace marlet {

/// Where the capture driver is found on this host: its control socket, and the service
/// executable that is started when nothing answers there.
struct DriverLocation {
    std::string socketPath;
    std::string servicePath;

    /// The user's socket and marlet-capture beside the running program.
    static DriverLocation standard();
};

/// The application's handle on the capture driver. Creating one opens the device, starting
/// the capture service when it is not running, and configures it with the window to notify
/// and the queue file; destroying it closes the device, and the last close stops the
/// driver after it has written what it holds.
class CaptureClient {
public:
    /// Opens the device and sends it window and queuePath. Fails with "PATH loaded
    /// incorrectly." when the service cannot be reached, "Driver unaccessed. Service N"
    /// when a call fails, "The capture service has too many connections" when it refuses
    /// this one, or the path field's message for a path over 50 characters.
    CaptureClient(std::uint32_t window, const std::string& queuePath,
                  const DriverLocation& location = DriverLocation::standard());
    ~CaptureClient();
    CaptureClient(const CaptureClient&) = delete;
    CaptureClient& operator=(const CaptureClient&) = delete;

    /// Copies the driver's state block into state().
    void readState() { call(control::ReadState); }
    /// Sends state() to the driver whole.
    void writeState() { call(control::WriteState); }
    /// One device-control call with the state as input and output; fails with
    /// "Driver unaccessed. Service N".
    void call(std::uint32_t code);
    /// The bytes the driver holds for the queue file, not yet written; fails as call().
    std::uint32_t heldBytes();

    StateBlock& state() { return m_state; }
    const StateBlock& state() const { return m_state; }
    /// The connection, for a loop that waits for notifications.
    int fd() const { return m_fd; }
    /// Reads the notifications that have arrived, whose default handling is to ignore them;
    /// false once the service has closed the connection (it ended or was killed).
    bool takeNotifications();

private:
    std::vector<std::uint8_t> exchange(std::uint32_t code, std::span<const std::uint8_t> input);

    int m_fd = -1;
    StateBlock m_state;
};

} // namespace marlet
