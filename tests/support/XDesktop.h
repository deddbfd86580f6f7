#pragma once

#include "ChildProcess.h"

#include <xcb/xcb.h>

#include <poll.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace marlet::testing {

/// A private X server (Xvfb) with a real notification area (trayer) and, when asked, a
/// window manager (openbox), started by the test and stopped by process id; windows are
/// looked at over xcb, clicks go through xdotool.
class XDesktop {
public:
    /// Whether the desktop has a notification area, and at which end of its panel the
    /// icons gather (trayer puts each new icon before the others).
    enum class Tray { Shown, ShownLeft, None };
    /// Whether windows get frames from a window manager.
    enum class Frames { None, Openbox };

    explicit XDesktop(Tray tray = Tray::Shown, Frames frames = Frames::None) {
        // Xvfb picks a free display itself and tells its number on the pipe: stale locks
        // of servers that were killed cannot mislead it.
        int ready[2];
        if (pipe(ready) != 0)
            return;
        m_server = std::make_unique<ChildProcess>(
            "/usr/bin/Xvfb",
            std::vector<std::string>{"-displayfd", std::to_string(ready[1]), "-screen", "0",
                                     "1024x768x24", "-nolisten", "tcp"});
        ::close(ready[1]);
        std::string number;
        pollfd wait{ready[0], POLLIN, 0};
        char digit = 0;
        while (poll(&wait, 1, 10000) == 1 && read(ready[0], &digit, 1) == 1 && digit != '\n')
            number += digit;
        ::close(ready[0]);
        if (number.empty()) {
            m_server.reset();
            return;
        }
        display = ":" + number;
        m_connection = xcb_connect(display.c_str(), nullptr);
        if (frames == Frames::Openbox && !startOpenbox())
            return;
        if (tray == Tray::None) {
            up = !xcb_connection_has_error(m_connection);
            return;
        }
        m_tray = std::make_unique<ChildProcess>(
            "/usr/bin/trayer",
            std::vector<std::string>{"--edge", "bottom", "--align",
                                     tray == Tray::ShownLeft ? "left" : "right", "--widthtype",
                                     "pixel", "--width", "120", "--heighttype", "pixel", "--height",
                                     "24", "--transparent", "false"},
            environment());
        // The area is there once trayer owns the tray selection, not when its panel shows.
        up = waitFor([&] {
            Reply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
                m_connection, xcb_get_selection_owner(m_connection, atom("_NET_SYSTEM_TRAY_S0")),
                nullptr));
            return owner && owner->owner != XCB_NONE && windowNamed("panel").has_value();
        });
    }
    ~XDesktop() {
        m_tray.reset();
        m_windowManager.reset();
        if (m_connection)
            xcb_disconnect(m_connection);
    }
    XDesktop(const XDesktop&) = delete;
    XDesktop& operator=(const XDesktop&) = delete;

    /// DISPLAY for the programs that run on this desktop.
    std::vector<std::string> environment() const { return {"DISPLAY=" + display}; }

    /// Shows a top-level window of this test's own with that caption, as any X client may.
    xcb_window_t showWindow(const std::string& caption) {
        xcb_window_t window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, root(), 0, 0, 200, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_NAME"),
                            atom("UTF8_STRING"), 8, static_cast<std::uint32_t>(caption.size()),
                            caption.data());
        xcb_map_window(m_connection, window);
        xcb_flush(m_connection);
        return window;
    }

    /// The first window of that name anywhere in the tree.
    std::optional<xcb_window_t> windowNamed(const std::string& name) { return find(root(), name); }
    /// Every window of that name, in tree order.
    std::vector<xcb_window_t> windowsNamed(const std::string& name) {
        std::vector<xcb_window_t> found;
        collect(root(), name, found);
        return found;
    }
    /// The icons in the notification area that carry that name, in their order there.
    std::vector<xcb_window_t> trayIcons(const std::string& name) {
        std::vector<xcb_window_t> found;
        if (std::optional<xcb_window_t> panel = windowNamed("panel"))
            collect(*panel, name, found);
        return found;
    }
    /// The pixels of a window as the screen shows them.
    std::vector<std::uint8_t> pixels(xcb_window_t window) {
        Reply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr));
        if (!geometry)
            return {};
        Reply<xcb_get_image_reply_t> image(
            xcb_get_image_reply(m_connection,
                                xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0,
                                              geometry->width, geometry->height, ~0u),
                                nullptr));
        if (!image)
            return {};
        std::uint8_t* data = xcb_get_image_data(image.get());
        return {data, data + xcb_get_image_data_length(image.get())};
    }
    /// Where a window's top-left corner is on the screen.
    std::pair<int, int> position(xcb_window_t window) {
        Reply<xcb_translate_coordinates_reply_t> reply(xcb_translate_coordinates_reply(
            m_connection, xcb_translate_coordinates(m_connection, window, root(), 0, 0), nullptr));
        return reply ? std::pair<int, int>{reply->dst_x, reply->dst_y} : std::pair{-1, -1};
    }
    bool viewable(xcb_window_t window) {
        Reply<xcb_get_window_attributes_reply_t> reply(xcb_get_window_attributes_reply(
            m_connection, xcb_get_window_attributes(m_connection, window), nullptr));
        return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    }
    /// The viewable pop-ups (menus) on the screen.
    int viewablePopups() {
        int count = 0;
        for (xcb_window_t window : children(root())) {
            Reply<xcb_get_window_attributes_reply_t> reply(xcb_get_window_attributes_reply(
                m_connection, xcb_get_window_attributes(m_connection, window), nullptr));
            if (reply && reply->override_redirect && reply->map_state == XCB_MAP_STATE_VIEWABLE)
                ++count;
        }
        return count;
    }
    /// The first viewable pop-up (a menu, a message) on the screen.
    std::optional<xcb_window_t> viewablePopupWindow() {
        for (xcb_window_t window : children(root())) {
            Reply<xcb_get_window_attributes_reply_t> reply(xcb_get_window_attributes_reply(
                m_connection, xcb_get_window_attributes(m_connection, window), nullptr));
            if (reply && reply->override_redirect && reply->map_state == XCB_MAP_STATE_VIEWABLE)
                return window;
        }
        return std::nullopt;
    }
    /// What a window's close box does: asks the program to close the window.
    void close(xcb_window_t window) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = atom("WM_PROTOCOLS");
        event.data.data32[0] = atom("WM_DELETE_WINDOW");
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(m_connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&event));
        xcb_flush(m_connection);
    }
    /// Runs xdotool on this display ("mousemove --window 123 8 8 click 3").
    bool xdotool(const std::string& arguments) {
        return std::system(("DISPLAY=" + display + " xdotool " + arguments).c_str()) == 0;
    }
    /// Clicks a button (1 left, 3 right) on a window, twice for a double click.
    bool click(xcb_window_t window, int button, int times = 1) {
        return xdotool("mousemove --window " + std::to_string(window) + " 8 8 click --repeat " +
                       std::to_string(times) + " --delay 60 " + std::to_string(button));
    }
    /// The actions the window manager allows on a window ("_NET_WM_ACTION_CLOSE", …).
    std::vector<std::string> allowedActions(xcb_window_t window) {
        std::vector<std::string> names;
        Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 0, window, atom("_NET_WM_ALLOWED_ACTIONS"),
                             XCB_ATOM_ATOM, 0, 64),
            nullptr));
        if (!reply || reply->format != 32)
            return names;
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
        const int count = xcb_get_property_value_length(reply.get()) / 4;
        for (int i = 0; i < count; ++i) {
            Reply<xcb_get_atom_name_reply_t> name(xcb_get_atom_name_reply(
                m_connection, xcb_get_atom_name(m_connection, atoms[i]), nullptr));
            if (name)
                names.emplace_back(
                    xcb_get_atom_name_name(name.get()),
                    static_cast<std::size_t>(xcb_get_atom_name_name_length(name.get())));
        }
        return names;
    }
    /// Whether the window carries the property.
    bool hasProperty(xcb_window_t window, const char* property) {
        Reply<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(m_connection,
                                   xcb_get_property(m_connection, 0, window, atom(property),
                                                    XCB_GET_PROPERTY_TYPE_ANY, 0, 1),
                                   nullptr));
        return reply && reply->type != XCB_NONE;
    }
    /// Asks the window manager to maximise a window, as a panel or a key binding does.
    void askToMaximise(xcb_window_t window) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = atom("_NET_WM_STATE");
        event.data.data32[0] = 1; // add
        event.data.data32[1] = atom("_NET_WM_STATE_MAXIMIZED_VERT");
        event.data.data32[2] = atom("_NET_WM_STATE_MAXIMIZED_HORZ");
        event.data.data32[3] = 2; // from a pager, which a window manager always obeys
        xcb_send_event(m_connection, 0, root(),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
        xcb_flush(m_connection);
    }
    /// A window's width and height.
    std::pair<int, int> size(xcb_window_t window) {
        Reply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr));
        return geometry ? std::pair<int, int>{geometry->width, geometry->height}
                        : std::pair{-1, -1};
    }
    /// Writes the whole screen as a PNG.
    bool screenshot(const std::string& path) {
        return std::system(
                   ("import -display " + display + " -window root '" + path + "'").c_str()) == 0;
    }

    std::string display;
    bool up = false;

private:
    // The window manager is up once it owns the screen's manager selection.
    bool startOpenbox() {
        m_windowManager = std::make_unique<ChildProcess>(
            "/usr/bin/openbox",
            std::vector<std::string>{"--config-file", "/etc/xdg/openbox/rc.xml"}, environment());
        return waitFor([&] {
            Reply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
                m_connection, xcb_get_selection_owner(m_connection, atom("WM_S0")), nullptr));
            return owner && owner->owner != XCB_NONE;
        });
    }

    struct Free {
        void operator()(void* reply) const { std::free(reply); }
    };
    template <typename T>
    using Reply = std::unique_ptr<T, Free>;

    xcb_window_t root() { return xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root; }
    xcb_atom_t atom(const char* name) {
        Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            m_connection,
            xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
            nullptr));
        return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }
    std::vector<xcb_window_t> children(xcb_window_t parent) {
        Reply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, parent), nullptr));
        if (!tree)
            return {};
        xcb_window_t* first = xcb_query_tree_children(tree.get());
        return {first, first + xcb_query_tree_children_length(tree.get())};
    }
    std::string name(xcb_window_t window) {
        for (xcb_atom_t property : {atom("_NET_WM_NAME"), xcb_atom_t{XCB_ATOM_WM_NAME}}) {
            Reply<xcb_get_property_reply_t> reply(
                xcb_get_property_reply(m_connection,
                                       xcb_get_property(m_connection, 0, window, property,
                                                        XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
                                       nullptr));
            if (reply && reply->format == 8 && xcb_get_property_value_length(reply.get()) > 0)
                return {static_cast<const char*>(xcb_get_property_value(reply.get())),
                        static_cast<std::size_t>(xcb_get_property_value_length(reply.get()))};
        }
        return {};
    }
    std::optional<xcb_window_t> find(xcb_window_t parent, const std::string& wanted) {
        std::vector<xcb_window_t> found;
        collect(parent, wanted, found);
        if (found.empty())
            return std::nullopt;
        return found.front();
    }
    void collect(xcb_window_t parent, const std::string& wanted, std::vector<xcb_window_t>& found) {
        for (xcb_window_t window : children(parent)) {
            if (name(window) == wanted)
                found.push_back(window);
            collect(window, wanted, found);
        }
    }

    std::unique_ptr<ChildProcess> m_server;
    std::unique_ptr<ChildProcess> m_tray;
    std::unique_ptr<ChildProcess> m_windowManager;
    xcb_connection_t* m_connection = nullptr;
};

} // namespace marlet::testing
