#include "SingleInstance.h"

#include "base/Error.h"
#include "capture/CapturePaths.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace marlet {

namespace {

struct Free {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, Free>;

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, static_cast<uint16_t>(strlen(name)), name),
        nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::vector<xcb_window_t> windowList(xcb_connection_t* connection, xcb_window_t root,
                                     xcb_atom_t property) {
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, root, property, XCB_ATOM_WINDOW, 0, 1 << 16),
        nullptr));
    if (!reply || reply->format != 32)
        return {};
    auto* windows = static_cast<xcb_window_t*>(xcb_get_property_value(reply.get()));
    return {windows, windows + xcb_get_property_value_length(reply.get()) / 4};
}

// Managed windows sit under the window manager's frames; hidden ones go back to the root.
std::vector<xcb_window_t> topLevelWindows(xcb_connection_t* connection, xcb_window_t root) {
    std::vector<xcb_window_t> windows =
        windowList(connection, root, atom(connection, "_NET_CLIENT_LIST"));
    Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr));
    if (tree) {
        xcb_window_t* children = xcb_query_tree_children(tree.get());
        windows.insert(windows.end(), children,
                       children + xcb_query_tree_children_length(tree.get()));
    }
    return windows;
}

// Qt writes the process id of every window it makes in _NET_WM_PID.
pid_t ownerOf(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t netPid) {
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, netPid, XCB_ATOM_CARDINAL, 0, 1),
        nullptr));
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 4)
        return 0;
    return static_cast<pid_t>(*static_cast<std::uint32_t*>(xcb_get_property_value(reply.get())));
}

bool shown(xcb_connection_t* connection, xcb_window_t window) {
    Reply<xcb_get_window_attributes_reply_t> reply(xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), nullptr));
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

// Asks the window manager to activate the window, and stacks it on top where there is none.
void activate(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window) {
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(connection, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom(connection, "_NET_ACTIVE_WINDOW");
    event.data.data32[0] = 2; // from a pager: the user asked for it
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

std::string lockPath() {
    return captureRuntimeFolder() + "/marlet.lock";
}

} // namespace

bool raiseWindowsOf(pid_t pid) {
    if (pid <= 0)
        return false;
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> closer(connection, xcb_disconnect);
    if (xcb_connection_has_error(connection))
        return false;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    if (screens.rem == 0)
        return false;
    const xcb_window_t root = screens.data->root;
    const xcb_atom_t netPid = atom(connection, "_NET_WM_PID");
    bool raised = false;
    for (xcb_window_t window : topLevelWindows(connection, root)) {
        if (ownerOf(connection, window, netPid) == pid && shown(connection, window)) {
            activate(connection, root, window);
            raised = true;
        }
    }
    xcb_flush(connection);
    return raised;
}

InstanceLock::InstanceLock() {
    makeCaptureRuntimeFolder();
    std::string path = lockPath();
    m_fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_fd < 0)
        throw Error("Cannot create file " + path);
    m_acquired = flock(m_fd, LOCK_EX | LOCK_NB) == 0;
    if (!m_acquired)
        return;
    // The lock holds without it: a second start only cannot raise the window then.
    std::string pid = std::to_string(getpid()) + "\n";
    if (ftruncate(m_fd, 0) == 0) [[maybe_unused]]
        ssize_t ignored = pwrite(m_fd, pid.data(), pid.size(), 0);
}

InstanceLock::~InstanceLock() {
    close(m_fd);
}

pid_t InstanceLock::holder() const {
    char text[16] = {};
    ssize_t got = pread(m_fd, text, sizeof text - 1, 0);
    pid_t pid = 0;
    for (ssize_t i = 0; i < got && text[i] >= '0' && text[i] <= '9' && pid < 100000000; ++i)
        pid = pid * 10 + (text[i] - '0');
    return pid;
}

} // namespace marlet
