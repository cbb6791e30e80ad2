#pragma once

// Creates the process's one GUI application the first time a window is to be shown: the Fusion
// style, the dialog font (Liberation Sans, 8 points at 96 DPI) and the wizard's icon. False when
// no display can be had (no DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM in the environment).
// Silent runs never call it, so they never need a display.
bool EnsureGuiApplication();
