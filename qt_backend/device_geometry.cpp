#include "qt_backend/device_geometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, FreeReply>;

xcb_connection_t* X11Connection()
{
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 != nullptr ? x11->connection() : nullptr;
}

// The X window of a shown top-level widget, or 0.
xcb_window_t ShownWindow(const QWidget& window)
{
    if (!window.isVisible() || !window.testAttribute(Qt::WA_WState_Created))
        return 0;
    return xcb_window_t(window.winId());
}

struct X11Window {
    xcb_connection_t* connection = nullptr;
    xcb_window_t client = 0;
    xcb_window_t root = 0;
    xcb_window_t frame = 0; // the client's ancestor that is a child of the root (the client itself without a frame)
};

std::optional<X11Window> FindX11Window(const QWidget& window)
{
    X11Window found;
    found.connection = X11Connection();
    found.client = ShownWindow(window);
    if (found.connection == nullptr || found.client == 0)
        return std::nullopt;
    for (xcb_window_t current = found.client;;) {
        const ReplyPtr<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(found.connection, xcb_query_tree(found.connection, current), nullptr));
        if (!tree)
            return std::nullopt;
        found.root = tree->root;
        if (tree->parent == tree->root || tree->parent == XCB_WINDOW_NONE) {
            found.frame = current;
            return found;
        }
        current = tree->parent;
    }
}

std::optional<Rect> GeometryOnRoot(const X11Window& x11, xcb_window_t window)
{
    const ReplyPtr<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(x11.connection, xcb_get_geometry(x11.connection, window), nullptr));
    const ReplyPtr<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
        x11.connection, xcb_translate_coordinates(x11.connection, window, x11.root, 0, 0), nullptr));
    if (!geometry || !origin)
        return std::nullopt;
    // The translated origin is the inside of the window's border; its outer edge lies a border
    // width further out.
    const int border = geometry->border_width;
    const int left = origin->dst_x - border;
    const int top = origin->dst_y - border;
    return Rect{left, top, left + geometry->width + 2 * border, top + geometry->height + 2 * border};
}

// The atom of a name. An atom stays the same as long as the X server runs, and the process has
// the toolkit's one connection, so each name is asked for once rather than at every frame query.
xcb_atom_t Atom(xcb_connection_t* connection, const char* name)
{
    static std::map<std::string, xcb_atom_t> known;
    if (const auto found = known.find(name); found != known.end())
        return found->second;
    const ReplyPtr<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr));
    if (!reply)
        return XCB_ATOM_NONE;
    known.emplace(name, reply->atom);
    return reply->atom;
}

xcb_window_t DefaultRoot(xcb_connection_t* connection)
{
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    return screen != nullptr ? screen->root : xcb_window_t(0);
}

// Whether the running window manager lists the atom among the hints it supports.
bool ManagerSupports(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t atom)
{
    const ReplyPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, root, Atom(connection, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 0, 4096),
        nullptr));
    if (!reply || reply->format != 32)
        return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    return std::find(atoms, atoms + count, atom) != atoms + count;
}

// The window's _NET_FRAME_EXTENTS, which lists left, right, top and bottom in device pixels.
std::optional<Rect> ReadFrameExtents(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t extents)
{
    const ReplyPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, extents, XCB_ATOM_CARDINAL, 0, 4), nullptr));
    if (!reply || reply->type != XCB_ATOM_CARDINAL || reply->format != 32
        || xcb_get_property_value_length(reply.get()) != 16)
        return std::nullopt;
    const auto* sides = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return Rect{int(sides[0]), int(sides[2]), int(sides[1]), int(sides[3])};
}

// The frame the window manager announces for the window. The manager sets it when it frames the
// window; before that it is asked for its estimate (_NET_REQUEST_FRAME_EXTENTS), once per window,
// and given half a second to answer. Asking needs the window to exist on the X server, so it is
// created here, but only where a window manager will answer.
std::optional<Rect> AnnouncedFrameExtents(const QWidget& window)
{
    xcb_connection_t* connection = X11Connection();
    if (connection == nullptr || !window.isWindow())
        return std::nullopt;
    const xcb_window_t root = DefaultRoot(connection);
    const xcb_atom_t extents = Atom(connection, "_NET_FRAME_EXTENTS");
    if (root == 0 || !ManagerSupports(connection, root, extents))
        return std::nullopt;
    const auto client = xcb_window_t(window.winId());
    if (const std::optional<Rect> announced = ReadFrameExtents(connection, client, extents))
        return announced;
    static xcb_window_t asked = 0;
    const xcb_atom_t request = Atom(connection, "_NET_REQUEST_FRAME_EXTENTS");
    if (client == asked || !ManagerSupports(connection, root, request))
        return std::nullopt;
    asked = client;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = client;
    message.type = request;
    xcb_send_event(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
    // The answer is the property itself; its change event belongs to the toolkit's event queue,
    // so the property is read again until it is there.
    for (int attempt = 0; attempt < 50; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (const std::optional<Rect> announced = ReadFrameExtents(connection, client, extents))
            return announced;
    }
    return std::nullopt;
}

// The frame of a shown window as the X server has it: the client's distance from the outer edges
// of its ancestor that is a child of the root. Zero while a window manager has not yet framed it.
std::optional<Rect> FrameWindowMargins(const QWidget& window)
{
    const std::optional<X11Window> x11 = FindX11Window(window);
    if (!x11)
        return std::nullopt;
    const std::optional<Rect> outer = GeometryOnRoot(*x11, x11->frame);
    const std::optional<Rect> client = GeometryOnRoot(*x11, x11->client);
    if (!outer || !client)
        return std::nullopt;
    return Rect{client->left - outer->left, client->top - outer->top, outer->right - client->right,
                outer->bottom - client->bottom};
}

} // namespace

std::optional<Rect> X11OuterRect(const QWidget& window)
{
    const std::optional<X11Window> x11 = FindX11Window(window);
    if (!x11)
        return std::nullopt;
    // The announced frame rather than the frame window: the two agree once the manager has framed
    // the window, but only the announcement is whole while it is still being framed.
    if (const std::optional<Rect> extents = AnnouncedFrameExtents(window)) {
        const std::optional<Rect> client = GeometryOnRoot(*x11, x11->client);
        if (!client)
            return std::nullopt;
        return Rect{client->left - extents->left, client->top - extents->top, client->right + extents->right,
                    client->bottom + extents->bottom};
    }
    return GeometryOnRoot(*x11, x11->frame);
}

Rect DeviceFrameMargins(const QWidget& window)
{
    static Rect known;
    if (const std::optional<Rect> extents = AnnouncedFrameExtents(window))
        return known = *extents;
    if (const std::optional<Rect> margins = FrameWindowMargins(window)) {
        if (*margins != Rect{})
            known = *margins;
        return known;
    }
    const QMargins margins = FrameMargins(window);
    const qreal ratio = window.devicePixelRatioF();
    return Rect{qRound(margins.left() * ratio), qRound(margins.top() * ratio), qRound(margins.right() * ratio),
                qRound(margins.bottom() * ratio)};
}

QMargins FrameMargins(const QWidget& window)
{
    static QMargins known;
    if (const std::optional<Rect> extents = AnnouncedFrameExtents(window)) {
        const qreal ratio = window.devicePixelRatioF();
        known = QMargins(qRound(extents->left / ratio), qRound(extents->top / ratio), qRound(extents->right / ratio),
                         qRound(extents->bottom / ratio));
    } else if (window.isVisible()) {
        const QRect frame = window.frameGeometry();
        const QRect client = window.geometry();
        const QMargins margins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                               frame.bottom() - client.bottom());
        if (!margins.isNull())
            known = margins;
    }
    return known;
}

bool X11MoveClient(const QWidget& window, int left, int top)
{
    xcb_connection_t* connection = X11Connection();
    const xcb_window_t client = ShownWindow(window);
    if (connection == nullptr || client == 0)
        return false;
    // Root coordinates, also for a window a window manager has framed: the toolkit asks for the
    // client's own position to be kept (static gravity), so the manager puts its frame around it.
    const uint32_t position[] = {uint32_t(int32_t(left)), uint32_t(int32_t(top))};
    xcb_configure_window(connection, client, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, position);
    // A round trip, so that what is read back afterwards already has the move.
    const ReplyPtr<xcb_get_input_focus_reply_t> sync(
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    return true;
}

void X11DropResizeSteps(const QWidget& window)
{
    xcb_connection_t* connection = X11Connection();
    const xcb_window_t client = ShownWindow(window);
    if (connection == nullptr || client == 0)
        return;
    // WM_NORMAL_HINTS: a word of flags, then the fields they mark, the steps among them.
    const ReplyPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, client, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 0, 32),
        nullptr));
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4)
        return;
    const auto* words = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    std::vector<uint32_t> hints(words, words + xcb_get_property_value_length(reply.get()) / 4);
    constexpr uint32_t resizeSteps = 1u << 6; // PResizeInc
    if ((hints[0] & resizeSteps) == 0)
        return;
    hints[0] &= ~resizeSteps;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, client, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32,
                        uint32_t(hints.size()), hints.data());
}

Rect DeviceScreenRect(const QScreen& screen)
{
    xcb_connection_t* connection = X11Connection();
    if (connection != nullptr && QGuiApplication::screens().size() == 1) {
        const xcb_screen_t* root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        if (root != nullptr)
            return Rect{0, 0, root->width_in_pixels, root->height_in_pixels};
    }
    const QRect geometry = screen.geometry();
    const qreal ratio = screen.devicePixelRatio();
    const auto scaled = [ratio](int value) { return int(std::lround(value * ratio)); };
    return Rect{scaled(geometry.left()), scaled(geometry.top()), scaled(geometry.left() + geometry.width()),
                scaled(geometry.top() + geometry.height())};
}
