#pragma once

#include "platform/device_context.h"

#include <optional>

class QScreen;
class QWidget;

// Where a top-level window lies on the screen in device pixels, the pixels of the window system,
// whatever the toolkit's scale factor. On X11 these are read from and given to the X server itself,
// so that a corner given in device pixels is met to the pixel at fractional scales too, where the
// toolkit's own positions can only be multiples of the scale.

// The window's outer rectangle (frame included) as the X server has it; none when the window is
// not shown on an X11 display.
std::optional<Rect> X11OuterRect(const QWidget& window);

// The thickness of the window's frame on each side in device pixels (left, top, right, bottom as
// the Rect's fields); none when the window is not shown on an X11 display.
std::optional<Rect> X11FrameMargins(const QWidget& window);

// Moves the window's client area so that its top-left device pixel is at (left, top) on the root
// window. False when the window is not shown on an X11 display.
bool X11MoveClient(const QWidget& window, int left, int top);

// The screen's rectangle in device pixels: the X server's screen when the display is X11 and shows
// one screen, otherwise the toolkit's rectangle scaled by the screen's pixel ratio.
Rect DeviceScreenRect(const QScreen& screen);
