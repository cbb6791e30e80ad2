#include "symbol/text_measurer.h"

#include "platform/font_file.h"
#include "symbol/symbol_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <array>
#include <climits>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>

// One face opened at one pixel size, with the advances of the bytes measured so far.
struct MeasuringFace {
    FT_Face face = nullptr;
    int height = 0;
    std::array<int, 256> advance{};
    std::array<bool, 256> known{};

    int Advance(unsigned char byte)
    {
        if (!known[byte]) {
            // A byte without a glyph, or whose glyph cannot be loaded, takes no room.
            advance[byte] = FT_Load_Char(face, byte, FT_LOAD_DEFAULT) == 0
                ? int(face->glyph->advance.x >> 6)
                : 0;
            known[byte] = true;
        }
        return advance[byte];
    }
};

namespace {

// The faces opened by all measurers of the process. Looking a face up through fontconfig and
// opening its file cost far more than measuring, and a layout creates a few dozen measurers, so
// both are done once per face name and pixel size.
class FaceCache {
public:
    ~FaceCache()
    {
        for (auto& [key, entry] : faces_)
            if (entry->face)
                FT_Done_Face(entry->face);
        if (library_)
            FT_Done_FreeType(library_);
    }

    // The face for the name at the pixel size, or null when none can be opened.
    MeasuringFace* Open(const std::string& faceName, int pixelSize)
    {
        if (pixelSize <= 0 || !StartLibrary())
            return nullptr;
        auto file = files_.find(faceName);
        if (file == files_.end())
            file = files_.emplace(faceName, FindFontFile(faceName)).first;
        if (file->second.empty())
            return nullptr;

        auto& entry = faces_[{file->second, pixelSize}];
        if (!entry) {
            entry = std::make_unique<MeasuringFace>();
            FT_Face face = nullptr;
            if (FT_New_Face(library_, file->second.c_str(), 0, &face) == 0) {
                if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelSize)) == 0) {
                    const FT_Size_Metrics& metrics = face->size->metrics;
                    entry->face = face;
                    entry->height = int((metrics.ascender - metrics.descender) >> 6);
                } else {
                    FT_Done_Face(face);
                }
            }
        }
        // A file that failed to open stays recorded as such, so it is not tried again and again.
        return entry->face ? entry.get() : nullptr;
    }

private:
    FT_Library library_ = nullptr;
    bool libraryFailed_ = false;
    std::map<std::string, std::string> files_;
    std::map<std::pair<std::string, int>, std::unique_ptr<MeasuringFace>> faces_;

    bool StartLibrary()
    {
        if (!library_ && !libraryFailed_)
            libraryFailed_ = FT_Init_FreeType(&library_) != 0;
        return library_ != nullptr;
    }
};

FaceCache& faceCache()
{
    static FaceCache cache;
    return cache;
}

} // namespace

TextMeasurer::TextMeasurer(const std::string& fontName, int pointSize)
{
    // The measuring font is the one the preview draws with: unrotated, its pixel size the
    // character height of the font description.
    const FontDescription font = BuildSymbolFont(pointSize, false, fontName);
    const int64_t pixelSize = -int64_t(font.height);
    if (pixelSize > 0 && pixelSize <= INT_MAX)
        face_ = faceCache().Open(font.faceName, int(pixelSize));
}

int TextMeasurer::Width(const std::string& text) const
{
    if (!face_)
        return 0;
    int64_t width = 0;
    for (const char c : text) {
        width += face_->Advance(static_cast<unsigned char>(c));
        if (width > INT_MAX)
            return INT_MAX;
    }
    return int(width);
}

int TextMeasurer::Height(const std::string&) const
{
    return face_ ? face_->height : 0;
}
