#pragma once

// Creates the process's one GUI application the first time a window is to be shown: loads the GUI
// backend and has it set up the Fusion style, the dialog font (Liberation Sans, 8 points at 96 DPI)
// and the wizard's icon.
bool EnsureGuiApplication();
