#include "qt_backend/symbol_font.h"

#include "platform/font_file.h"

#include <QFontDatabase>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>

namespace {

// The family name under which a font file is known to the toolkit; each file is registered only
// once per process. A file that cannot be registered is asked for by the face name.
QString FamilyForFile(const std::string& file, const std::string& faceName)
{
    if (file.empty())
        return QString::fromStdString(faceName);
    static std::map<std::string, QString> registered;
    const auto loaded = registered.find(file);
    if (loaded != registered.end())
        return loaded->second;
    QString family = QString::fromStdString(faceName);
    const int id = QFontDatabase::addApplicationFont(QString::fromStdString(file));
    const QStringList names = QFontDatabase::applicationFontFamilies(id);
    if (!names.isEmpty())
        family = names.first();
    registered.emplace(file, family);
    return family;
}

// The family name of a face's font file; each face name is looked up only once per process.
QString FamilyFor(const std::string& faceName)
{
    static std::map<std::string, QString> families;
    const auto known = families.find(faceName);
    if (known != families.end())
        return known->second;
    const QString family = FamilyForFile(FindFontFile(faceName), faceName);
    families.emplace(faceName, family);
    return family;
}

QFont SizedFont(const QString& family, const FontDescription& font)
{
    QFont result(family);
    // The height is given in pixels; a character height (negative) is the pixel size itself.
    // A height of 0 asks for the default size, 8 points at 96 DPI.
    const int64_t height = font.height < 0 ? -int64_t(font.height) : int64_t(font.height);
    result.setPixelSize(height == 0 ? 11 : int(std::min<int64_t>(height, 4096)));
    // The measurement adds whole-pixel glyph advances without kerning; the drawing does the same.
    result.setKerning(false);
    result.setHintingPreference(QFont::PreferFullHinting);
    result.setStyleStrategy(QFont::PreferMatch);
    return result;
}

} // namespace

QFont SymbolQFont(const FontDescription& font)
{
    return SizedFont(FamilyFor(font.faceName), font);
}

QFont SymbolQFont(const FontDescription& font, const std::string& file)
{
    QFont result = SizedFont(FamilyForFile(file, font.faceName), font);
    result.setStyleStrategy(QFont::StyleStrategy(QFont::PreferMatch | QFont::NoFontMerging));
    return result;
}
