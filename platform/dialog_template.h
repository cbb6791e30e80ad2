#pragma once

#include <string>
#include <vector>

// A dialog described as data, in dialog units (converted to pixels when the window is built:
// x * 6 / 4 and y * 13 / 8, rounded to nearest).
enum class ControlKind {
    PushButton,
    AutoRadioButton,
    GroupBox,
    DropDownCombo,         // editable, unsorted, with a drop-down list
    ReadOnlyEdit,          // single line
    ReadOnlyMultilineEdit,
    StaticText,
    Picture,               // a bitmap resource, shown at its own size
    ListBox,               // border, vertical scroll bar, no selection
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
    bool group = false;               // starts a new control group
    int bitmap = 0;                   // Picture: the bitmap resource id
    std::vector<std::string> items;   // DropDownCombo: the list entries, in order
};

struct DialogTemplate {
    int id = 0;
    int cx = 0;
    int cy = 0;
    std::string caption;              // may be empty
    std::vector<ControlTemplate> controls;
};

// Dialog units to pixels for the 8-point dialog font at 96 DPI.
int DialogUnitsToPixelsX(int units);
int DialogUnitsToPixelsY(int units);
