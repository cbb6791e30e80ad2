// The window manager's frame in the toolkit's pixels. Needs an X11 display with a window manager
// that announces its frames (_NET_FRAME_EXTENTS): the window manager's end-to-end script runs it at
// each device pixel ratio; elsewhere it is skipped.
#include "qt_backend/device_geometry.h"
#include "tests/platform/gui_test_support.h"

#include <QGuiApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>

TEST(FrameMargins, AreTheAnnouncedDevicePixelsOverTheScale)
{
    if (std::getenv("DISPLAY") == nullptr)
        GTEST_SKIP() << "needs an X11 display";
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    ASSERT_TRUE(StartTestGui());
    QWidget window;
    window.setWindowTitle("frame margins");
    window.resize(300, 200);
    window.show();
    // The toolkit's own frame, once the manager has framed the window, is the reference.
    if (!ProcessEventsUntil([&] { return window.frameGeometry() != window.geometry(); }))
        GTEST_SKIP() << "no window manager framed the window";
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    const QMargins toolkit(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                           frame.bottom() - client.bottom());
    const QMargins margins = FrameMargins(window);
    SCOPED_TRACE("device pixel ratio " + std::to_string(window.devicePixelRatioF()));
    // A side of an odd number of device pixels at a fractional scale may round either way.
    EXPECT_NEAR(margins.left(), toolkit.left(), 1);
    EXPECT_NEAR(margins.top(), toolkit.top(), 1);
    EXPECT_NEAR(margins.right(), toolkit.right(), 1);
    EXPECT_NEAR(margins.bottom(), toolkit.bottom(), 1);
}
