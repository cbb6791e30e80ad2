#pragma once

#include <string>
#include <vector>

// A dialog described as data, in dialog units (converted to pixels when the window is built:
// x * base x / 4 and y * base y / 8, rounded to nearest; 6 and 13 at 96 DPI).
enum class ControlKind {
    PushButton,
    AutoRadioButton,
    GroupBox,
    DropDownCombo, // editable, unsorted, with a drop-down list
    ReadOnlyEdit, // single line
    ReadOnlyMultilineEdit,
    StaticText,
    Picture, // a bitmap resource, shown at its own size
    ListBox, // border, vertical scroll bar, no selection
};

struct ControlTemplate {
    int id = 0;
    ControlKind kind = ControlKind::StaticText;
    std::string text;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    bool tabStop = false;
    bool group = false; // starts a new control group
    int bitmap = 0; // Picture: the bitmap resource id
    std::vector<std::string> items; // DropDownCombo: the list entries, in order
};

struct DialogTemplate {
    int id = 0;
    int cx = 0;
    int cy = 0;
    std::string caption; // may be empty
    std::vector<ControlTemplate> controls;
};

// The dialog font's base units: its average character width and its height in pixels.
struct DialogBaseUnits {
    int x = 6;
    int y = 13;
    bool operator==(const DialogBaseUnits&) const = default;
};

// The base units of the process's dialog font: those of the 8-point font at 96 DPI until the GUI
// sets those of the font at the screen's resolution. Values below 1 are taken as 1.
void SetDialogBaseUnits(DialogBaseUnits units);
DialogBaseUnits GetDialogBaseUnits();

// The base units of a dialog font: 6 and 13 grown as the font's metrics (the width of the 52 Latin
// letters, the height) grow against those of the same face at 8 points and 96 DPI, rounded up, so
// that a control never gets less room than its text grew by.
DialogBaseUnits BaseUnitsOfFont(double lettersWidth, double height, double lettersWidthAt96, double heightAt96);

// Dialog units to pixels for the dialog font's base units.
int DialogUnitsToPixelsX(int units);
int DialogUnitsToPixelsY(int units);

// A length fixed in pixels of the 8-point font at 96 DPI (the button row, its gaps), grown with
// the dialog font as dialog units grow: pixels * base x / 6 and pixels * base y / 13.
int FontPixelsX(int pixels);
int FontPixelsY(int pixels);
