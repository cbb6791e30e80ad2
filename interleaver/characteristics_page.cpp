#include "interleaver/characteristics_page.h"

#include "host/wizard_app.h"
#include "interleaver/refresh_preview.h"
#include "interleaver/user_guide.h"
#include "model/decimal.h"
#include "resources/dialog_templates.h"
#include "settings/interleaver_settings.h"
#include "settings/setting_ranges.h"

#include <array>
#include <cctype>

namespace {

constexpr int kWidthCombo = 1024;
constexpr int kCodewordCombo = 1025;
constexpr int kRowsCombo = 1026;
constexpr int kColumnsCombo = 1027;
constexpr int kBurstCombo = 1029;
constexpr int kColumnsLabel = 1041;
constexpr int kRowsLabel = 1042;
constexpr int kBurstText = 1044;
constexpr int kStructurePicture = 1045;

} // namespace

int ReadLeadingInteger(const std::string& text)
{
    size_t start = 0;
    while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start])))
        ++start;
    size_t digit = start;
    if (digit < text.size() && (text[digit] == '+' || text[digit] == '-'))
        ++digit;
    if (digit >= text.size() || !std::isdigit(static_cast<unsigned char>(text[digit])))
        return -1;
    return ParseDecimal(std::string_view(text).substr(start));
}

CharacteristicsPage::CharacteristicsPage(InterleaverSettings& settings, SymbolGraphic& symbol)
    : PreviewPage(kCharacteristicsTemplate, &symbol, settings)
{
}

bool CharacteristicsPage::InitPage()
{
    const bool focusFirst = PreviewPage::InitPage();
    Dialog& window = *dialog();
    window.SetControlText(kWidthCombo, std::to_string(settings.SYMBOL_WIDTH));
    window.SetControlText(kRowsCombo, std::to_string(settings.CHARACTERISTIC_I));
    window.SetControlText(kColumnsCombo, std::to_string(settings.CHARACTERISTIC_J));
    window.SetControlText(kCodewordCombo, std::to_string(settings.NUMBER_OF_SYMBOL_PER_CODEWORD));
    window.SetControlText(kBurstCombo, std::to_string(settings.NUMBER_OF_BURST_ERROR));
    // A short name; the text itself is what a screen reader reads as its description.
    window.SetAccessibleName(kBurstText, "Burst spread");
    Refresh();
    return focusFirst;
}

void CharacteristicsPage::OnCommand(int id, Notification code)
{
    int* setting = SettingOf(id);
    if (setting != nullptr && (code == Notification::EditChange || code == Notification::SelectionChange)) {
        ReadSettingCombo(id, *setting);
        Refresh();
        return;
    }
    PreviewPage::OnCommand(id, code);
}

void CharacteristicsPage::OnHelp()
{
    if (app() != nullptr)
        OpenUserGuide(app()->executablePath());
}

bool CharacteristicsPage::Validate()
{
    Dialog& window = *dialog();
    for (const SettingRange& range : kSettingRanges) {
        int& value = settings.*range.setting;
        if (range.Contains(value))
            continue;
        const int comboId = ComboOf(range.setting);
        window.SetFocus(comboId);
        window.SetControlText(comboId, range.resetText);
        // Selected, as the focus arriving by Tab would select it, so that what the user types
        // next replaces the reset value instead of being added to it.
        window.SelectText(comboId);
        ReadSettingCombo(comboId, value);
        // The texts and the preview show the value the box now holds, not the refused one.
        Refresh();
        if (app() != nullptr)
            app()->ReportMessage(range.message);
        return false;
    }
    return true;
}

std::string CharacteristicsPage::RowsLabel(const InterleaverSettings& settings)
{
    return settings.CONVOLUTIONAL == 1 ? "Number of branches (I)" : "Number of rows (I)";
}

std::string CharacteristicsPage::ColumnsLabel(const InterleaverSettings& settings)
{
    return settings.CONVOLUTIONAL == 1 ? "Unit delay element (J)" : "Number of columns (J)";
}

std::string CharacteristicsPage::BurstText(const InterleaverSettings& settings)
{
    return "The burst error is spread accross " + std::to_string(settings.codewordsSpread())
        + " codewords. The Reed Solomon code requires " + std::to_string(settings.checkSymbols())
        + " check symbols per codeword to correct this burst error";
}

int CharacteristicsPage::StructurePicture(const InterleaverSettings& settings)
{
    // Later choices win, so with both algorithm flags set the convolutional picture is shown.
    int bitmap = 0;
    if (settings.blockMode()) {
        if (settings.DEINTERLEAVER == 1)
            bitmap = 123;
        if (settings.INTERLEAVER == 1)
            bitmap = 121;
    }
    if (settings.CONVOLUTIONAL == 1) {
        if (settings.INTERLEAVER == 1)
            bitmap = 120;
        if (settings.DEINTERLEAVER == 1)
            bitmap = 122;
    }
    return bitmap;
}

int CharacteristicsPage::ComboOf(int InterleaverSettings::*setting)
{
    for (const int comboId : {kWidthCombo, kCodewordCombo, kRowsCombo, kColumnsCombo, kBurstCombo}) {
        if (SettingOf(comboId) == &(settings.*setting))
            return comboId;
    }
    return 0;
}

int* CharacteristicsPage::SettingOf(int comboId)
{
    switch (comboId) {
    case kWidthCombo:
        return &settings.SYMBOL_WIDTH;
    case kCodewordCombo:
        return &settings.NUMBER_OF_SYMBOL_PER_CODEWORD;
    case kRowsCombo:
        return &settings.CHARACTERISTIC_I;
    case kColumnsCombo:
        return &settings.CHARACTERISTIC_J;
    case kBurstCombo:
        return &settings.NUMBER_OF_BURST_ERROR;
    default:
        return nullptr;
    }
}

void CharacteristicsPage::ReadSettingCombo(int comboId, int& setting)
{
    const Dialog& window = *dialog();
    const int selected = window.ComboSelection(comboId);
    const std::string text = selected >= 0 ? window.ComboItemText(comboId, selected) : window.ControlText(comboId);
    setting = ReadLeadingInteger(text);
}

void CharacteristicsPage::Refresh()
{
    Dialog& window = *dialog();
    window.SetControlText(kRowsLabel, RowsLabel(settings));
    window.SetControlText(kColumnsLabel, ColumnsLabel(settings));
    window.SetControlText(kBurstText, BurstText(settings));
    // With neither direction flag set no structure is chosen and the picture stays as it was.
    const int bitmap = StructurePicture(settings);
    if (bitmap != 0)
        window.SetPicture(kStructurePicture, bitmap);
    RefreshPreview(panel(), settings, BaseName());
}
