#include "interleaver/refresh_preview.h"

#include "host/preview_panel.h"
#include "symbol/interleaver_symbol.h"

void RefreshPreview(PreviewPanel* panel, const InterleaverSettings& settings, const std::string& baseName)
{
    if (panel == nullptr)
        return;
    LayOutInterleaverSymbol(panel->symbol(), settings, baseName);
    panel->Invalidate();
}
