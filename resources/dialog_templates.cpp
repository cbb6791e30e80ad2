#include "resources/dialog_templates.h"

#include <array>

namespace {

using K = ControlKind;

// Id of static controls that are never addressed.
constexpr int kStatic = 65535;

ControlTemplate Control(int id, K kind, const char* text, int x, int y, int cx, int cy, bool tabStop = false,
                        bool group = false)
{
    ControlTemplate control;
    control.id = id;
    control.kind = kind;
    control.text = text;
    control.x = x;
    control.y = y;
    control.cx = cx;
    control.cy = cy;
    control.tabStop = tabStop;
    control.group = group;
    return control;
}

ControlTemplate Picture(int id, int bitmap, int x, int y, int cx, int cy)
{
    ControlTemplate control = Control(id, K::Picture, "", x, y, cx, cy);
    control.bitmap = bitmap;
    return control;
}

ControlTemplate Combo(int id, int x, int y, int cx, int cy, std::vector<std::string> items)
{
    ControlTemplate control = Control(id, K::DropDownCombo, "", x, y, cx, cy, true);
    control.items = std::move(items);
    return control;
}

const std::vector<std::string> kWidthList = {"1", "2", "4", "6", "8", "10", "12", "16", "20", "24", "28", "32"};

// Algorithm and direction. Each group box starts a control group, so the arrow keys move between
// the radio buttons of one group only.
DialogTemplate AlgorithmTemplate()
{
    return DialogTemplate{
        kAlgorithmTemplate,
        222,
        181,
        "",
        {
            Control(1040, K::GroupBox, "Algorithm", 10, 10, 195, 80, false, true),
            Control(1155, K::AutoRadioButton, "Convolutional Interleaving", 25, 30, 125, 19, true),
            Control(1157, K::AutoRadioButton, "Block Interleaving (discrete mode)", 25, 60, 125, 15, true),
            Control(1031, K::GroupBox, "Direction", 10, 105, 195, 65, false, true),
            Control(1151, K::AutoRadioButton, "Interleaver at the transmitter site", 30, 124, 140, 10, true),
            Control(1152, K::AutoRadioButton, "De-Interleaver at the receiver site", 30, 145, 145, 10, true),
        }};
}

// I, J, symbol width, codeword length and burst length, with the structure picture and the
// burst-spread text. The lists are offered in the order given, unsorted.
DialogTemplate CharacteristicsTemplate()
{
    return DialogTemplate{
        kCharacteristicsTemplate,
        197,
        266,
        "",
        {
            Control(1037, K::GroupBox, "", 5, 5, 180, 90),
            Picture(1045, 120, 10, 15, 171, 76),
            Control(1039, K::GroupBox, "Characteristics", 5, 100, 180, 70),
            Control(1042, K::ReadOnlyEdit, "", 20, 120, 95, 12),
            Combo(1026, 140, 120, 27, 75, {"2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15"}),
            Control(1041, K::ReadOnlyEdit, "", 20, 135, 105, 12),
            Combo(1027, 140, 135, 27, 75, kWidthList),
            Control(1034, K::StaticText, "Symbol Width ", 20, 150, 70, 8),
            Combo(1024, 140, 150, 27, 75, kWidthList),
            Control(1036, K::GroupBox, "Burst Error Distribution", 5, 175, 180, 80),
            Control(1038, K::StaticText, "Codeword length", 20, 190, 65, 10),
            Combo(1025, 140, 190, 27, 75, {"204", "170", "130", "100", "70", "50", "40", "30", "25", "20", "15", "12"}),
            Control(1043, K::StaticText, "Estimated burst error length", 20, 205, 105, 10),
            Combo(1029, 140, 205, 27, 75, {"100", "50", "40", "20", "10"}),
            // 8 units taller than drawn for the dialog font of the original platform, into the empty
            // space of its group: four lines of the Linux font, as a four-digit spread wraps to.
            Control(1044, K::ReadOnlyMultilineEdit, "", 15, 220, 160, 33),
        }};
}

// Memory implementation, with the latency and resource texts.
DialogTemplate MemoryTemplate()
{
    return DialogTemplate{kMemoryTemplate,
                          197,
                          170,
                          "",
                          {
                              Control(1035, K::GroupBox, "Memory Implementation", 10, 15, 180, 45, false, true),
                              Control(1153, K::AutoRadioButton, "Internal", 30, 35, 40, 10, true),
                              // 2 units wider than drawn, into the empty space of its group, for the Linux font.
                              Control(1154, K::AutoRadioButton, "External", 110, 35, 42, 8, true),
                              Control(1038, K::GroupBox, "Resources Usage", 10, 65, 180, 95, false, true),
                              // 4 units taller than drawn, down to the resource text: the block wording's sixth line.
                              Control(1039, K::ReadOnlyMultilineEdit, "", 25, 80, 155, 49, true),
                              Control(1037, K::ReadOnlyMultilineEdit, "", 25, 130, 155, 20, true),
                          }};
}

// The files the host will create, beside the wizard picture.
DialogTemplate SummaryTemplate()
{
    return DialogTemplate{
        kSummaryTemplate,
        342,
        151,
        "Summary",
        {
            Control(1011, K::StaticText,
                    "Click Finish to create the custom plexon variation, an Quorlan Function "
                    "prototype in an Include File (.inc), and a VHDL Component Declaration file "
                    "(.cmp).",
                    135, 4, 200, 28),
            Control(kStatic, K::StaticText,
                    "When you run this wizard from within the Dorvane software, it also creates a "
                    "Symbol File (.sym).",
                    135, 35, 200, 18),
            Control(kStatic, K::StaticText, "The Tarnwick Plug-In Manager will create the following files:", 136, 57,
                    199, 17),
            Picture(kStatic, 1012, 7, 2, 119, 149),
            Control(1010, K::ListBox, "", 136, 78, 199, 72, true),
        }};
}

} // namespace

const DialogTemplate* FindDialogTemplate(int id)
{
    static const std::array<DialogTemplate, 4> templates = {AlgorithmTemplate(), CharacteristicsTemplate(),
                                                            MemoryTemplate(), SummaryTemplate()};
    for (const DialogTemplate& dialogTemplate : templates) {
        if (dialogTemplate.id == id)
            return &dialogTemplate;
    }
    return nullptr;
}
