#pragma once

#include "platform/device_context.h"

#include <QMargins>

#include <optional>

class QScreen;
class QWidget;

// Where a top-level window lies on the screen in device pixels, the pixels of the window system,
// whatever the toolkit's scale factor.

// The window's outer rectangle (frame included) as the X server has it: the client area with the
// frame the window manager announces around it, or else the manager's frame window itself; none
// when the window is not shown on an X11 display.
std::optional<Rect> X11OuterRect(const QWidget& window);

// The thickness of the window's frame on each side in device pixels (left, top, right, bottom as
// the Rect's fields).
Rect DeviceFrameMargins(const QWidget& window);

// The frame's thickness in the toolkit's pixels: DeviceFrameMargins scaled where the window system
// tells it, else the toolkit's frame, the last framed window's standing in until this one is framed.
QMargins FrameMargins(const QWidget& window);

// Moves the window's client area so that its top-left device pixel is at (left, top) on the root
// window. False when the window is not shown on an X11 display.
bool X11MoveClient(const QWidget& window, int left, int top);

// Lets a window manager give the shown window exactly the size the toolkit asks for. At a
// fractional scale the toolkit asks the manager to size the window in steps of the scale rounded
// to device pixels; a manager that keeps to them cuts a device pixel off an odd width or height.
void X11DropResizeSteps(const QWidget& window);

// The screen's rectangle in device pixels: the X server's screen when the display is X11 and shows
// one screen, otherwise the toolkit's rectangle scaled by the screen's pixel ratio.
Rect DeviceScreenRect(const QScreen& screen);
