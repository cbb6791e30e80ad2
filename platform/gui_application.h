#pragma once

// Creates the process's one GUI application the first time a window is to be shown: loads the
// GUI backend and has it set up the Fusion style, the dialog font (Liberation Sans, 8 points at
// 96 DPI) and the wizard's icon. False when no display can be had (see FindWindowSystem) or the
// backend cannot be loaded. Silent runs never call it, so they never load the GUI toolkit.
bool EnsureGuiApplication();
