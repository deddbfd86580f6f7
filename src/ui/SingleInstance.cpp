#include "SingleInstance.h"

#include "base/Error.h"
#include "capture/CapturePaths.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
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

// Qt writes WM_NAME as COMPOUND_TEXT for Cyrillic captions: _NET_WM_NAME is the one in UTF-8.
QString caption(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t netName,
                xcb_atom_t utf8) {
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, netName, utf8, 0, 1024), nullptr));
    if (!reply || reply->format != 8)
        return {};
    return QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(reply.get())),
                             xcb_get_property_value_length(reply.get()));
}

} // namespace

bool topLevelWindowExists(const QString& title) {
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
    const xcb_atom_t netName = atom(connection, "_NET_WM_NAME");
    const xcb_atom_t utf8 = atom(connection, "UTF8_STRING");
    const QString wanted = title.toCaseFolded();
    for (xcb_window_t window : topLevelWindows(connection, screens.data->root)) {
        if (caption(connection, window, netName, utf8).toCaseFolded() == wanted)
            return true;
    }
    return false;
}

InstanceLock::InstanceLock(const QString& title) {
    makeCaptureRuntimeFolder();
    QString name = title.toCaseFolded();
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    std::string path = captureRuntimeFolder() + "/" + name.toStdString() + ".lock";
    m_fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_fd < 0)
        throw Error("Cannot create file " + path);
    if (flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        close(m_fd);
        m_fd = -1;
    }
}

InstanceLock::~InstanceLock() {
    if (m_fd >= 0)
        close(m_fd);
}

} // namespace marlet
