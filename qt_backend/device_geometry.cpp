#include "qt_backend/device_geometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <xcb/xcb.h>

#include <cmath>
#include <cstdlib>
#include <memory>

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, FreeReply>;

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

} // namespace

std::optional<Rect> X11OuterRect(const QWidget& window)
{
    const std::optional<X11Window> x11 = FindX11Window(window);
    return x11 ? GeometryOnRoot(*x11, x11->frame) : std::nullopt;
}

std::optional<Rect> X11FrameMargins(const QWidget& window)
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
