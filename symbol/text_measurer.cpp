#include "symbol/text_measurer.h"

#include "platform/font_fallback.h"
#include "platform/font_file.h"
#include "platform/utf8_text.h"
#include "symbol/symbol_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <array>
#include <climits>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>

// One face opened at one pixel size, with the advances of the characters measured so far.
struct MeasuringFace {
    FT_Face face = nullptr;
    int height = 0;
    std::array<int, 256> advance{};
    std::array<bool, 256> known{};
    std::map<char32_t, int> wideAdvance;

    int Advance(char32_t character)
    {
        if (character < advance.size()) {
            if (!known[character]) {
                advance[character] = Load(character);
                known[character] = true;
            }
            return advance[character];
        }
        auto found = wideAdvance.find(character);
        if (found == wideAdvance.end())
            found = wideAdvance.emplace(character, Load(character)).first;
        return found->second;
    }

private:
    // A character whose glyph cannot be loaded takes no room; one the face lacks takes the room
    // of the face's missing-glyph box.
    int Load(char32_t character) const
    {
        return FT_Load_Char(face, character, FT_LOAD_DEFAULT) == 0 ? int(face->glyph->advance.x >> 6) : 0;
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
        if (pixelSize <= 0)
            return nullptr;
        auto file = files_.find(faceName);
        if (file == files_.end())
            file = files_.emplace(faceName, FindFontFile(faceName)).first;
        return OpenFile(file->second, pixelSize);
    }

    // The face in the font file at the pixel size, or null when it cannot be opened.
    MeasuringFace* OpenFile(const std::string& file, int pixelSize)
    {
        if (file.empty() || pixelSize <= 0 || !StartLibrary())
            return nullptr;
        auto& entry = faces_[{file, pixelSize}];
        if (!entry) {
            entry = std::make_unique<MeasuringFace>();
            FT_Face face = nullptr;
            if (FT_New_Face(library_, file.c_str(), 0, &face) == 0) {
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
    if (pixelSize > 0 && pixelSize <= INT_MAX) {
        face_ = faceCache().Open(font.faceName, int(pixelSize));
        faceName_ = font.faceName;
        pixelSize_ = int(pixelSize);
    }
}

int TextMeasurer::Width(const std::string& text) const
{
    if (!face_)
        return 0;
    int64_t width = 0;
    for (size_t offset = 0; offset < text.size();) {
        const Utf8Character character = DecodeUtf8Character(text, offset);
        offset += character.length;
        width += Advance(character.codePoint);
        if (width > INT_MAX)
            return INT_MAX;
    }
    return int(width);
}

int TextMeasurer::Advance(char32_t character) const
{
    // ASCII always comes from the face itself, as the drawing takes it; another character from
    // the file that draws it, which for a character the face lacks is a fallback face.
    if (character < 0x80)
        return face_->Advance(character);
    MeasuringFace* const drawing = faceCache().OpenFile(FontFileForCharacter(faceName_, character), pixelSize_);
    return (drawing ? drawing : face_)->Advance(character);
}

int TextMeasurer::Height(const std::string&) const
{
    return face_ ? face_->height : 0;
}
