#pragma once

#include <string>

class PreviewPanel;
struct InterleaverSettings;

// With a panel: lays the panel's symbol out again from the settings and has the panel repainted,
// background included. Without one (before the page's window exists) nothing happens, not even
// to the symbol.
void RefreshPreview(PreviewPanel* panel, const InterleaverSettings& settings, const std::string& baseName);
