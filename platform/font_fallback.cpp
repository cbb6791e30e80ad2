#include "platform/font_fallback.h"

#include "platform/font_file.h"

#include <fontconfig/fontconfig.h>

#include <map>
#include <utility>

namespace {

// The file of the best match for the family that also has the character, or "" when the best
// match lacks it (then no installed font has it).
std::string FileWithCharacter(const std::string& faceName, char32_t character)
{
    if (!FcInit())
        return {};
    FcPattern* pattern = FcPatternCreate();
    FcCharSet* wanted = FcCharSetCreate();
    std::string path;
    if (pattern && wanted && FcCharSetAddChar(wanted, FcChar32(character))) {
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(faceName.c_str()));
        FcPatternAddCharSet(pattern, FC_CHARSET, wanted);
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
            FcCharSet* has = nullptr;
            FcChar8* file = nullptr;
            if (FcPatternGetCharSet(match, FC_CHARSET, 0, &has) == FcResultMatch && has
                && FcCharSetHasChar(has, FcChar32(character))
                && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
                path = reinterpret_cast<const char*>(file);
            FcPatternDestroy(match);
        }
    }
    if (wanted)
        FcCharSetDestroy(wanted);
    if (pattern)
        FcPatternDestroy(pattern);
    return path;
}

} // namespace

std::string FontFileForCharacter(const std::string& faceName, char32_t character)
{
    // Each face name and character is looked up once per process; a text is drawn and measured
    // many times.
    static std::map<std::string, std::string> faces;
    auto face = faces.find(faceName);
    if (face == faces.end())
        face = faces.emplace(faceName, FindFontFile(faceName)).first;
    if (character < 0x80)
        return face->second;

    static std::map<std::pair<std::string, char32_t>, std::string> characters;
    const std::pair<std::string, char32_t> key(faceName, character);
    auto known = characters.find(key);
    if (known == characters.end()) {
        // The face's own file has priority among those that have the character, as fontconfig
        // weighs the family only after coverage; so a character the face has resolves to it.
        std::string file = FileWithCharacter(faceName, character);
        known = characters.emplace(key, file.empty() ? face->second : file).first;
    }
    return known->second;
}
