#pragma once

#include "host/preview_page.h"

#include <string>

// Second parameter page: I, J, symbol width, codeword length and burst length, with the burst
// spread they give and a picture of the chosen structure. It cannot be left while a value is out
// of range.
class CharacteristicsPage : public PreviewPage {
public:
    CharacteristicsPage(InterleaverSettings& settings, SymbolGraphic& symbol);

    bool InitPage() override;
    std::string Title() const override { return "Characteristics"; }
    void OnCommand(int id, Notification code) override;
    void OnHelp() override;
    // Checks I, J, symbol width, codeword length and burst length in this order; the first value
    // out of range is reset, reported, and keeps the page open (false).
    bool Validate() override;

    static std::string RowsLabel(const InterleaverSettings& settings);
    static std::string ColumnsLabel(const InterleaverSettings& settings);
    static std::string BurstText(const InterleaverSettings& settings);
    // The structure picture for the settings, 0 when the direction flags choose none.
    static int StructurePicture(const InterleaverSettings& settings);

private:
    // The setting edited by a combo box, null for another control.
    int* SettingOf(int comboId);
    // The combo box that edits setting.
    int ComboOf(int InterleaverSettings::*setting);
    // Reads a combo box into setting: the selected entry, else the edit text; a text that does
    // not start with a number gives -1.
    void ReadSettingCombo(int comboId, int& setting);
    // Shows the labels, the burst text and the picture, then refreshes the preview.
    void Refresh();
};

// The integer at the start of text (white space and a sign allowed), or -1 when the text does
// not start with one.
int ReadLeadingInteger(const std::string& text);
