#include "platform/dialog.h"

#include "tests/platform/gui_test_support.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

using K = ControlKind;

ControlTemplate Control(int id, K kind, const std::string& text, int x, int y, int cx, int cy)
{
    ControlTemplate control;
    control.id = id;
    control.kind = kind;
    control.text = text;
    control.x = x;
    control.y = y;
    control.cx = cx;
    control.cy = cy;
    control.tabStop = kind == K::DropDownCombo || kind == K::AutoRadioButton;
    return control;
}

// Value boxes after labels of each kind, with pictures, group boxes and buttons between them, and
// radio buttons listed after both group boxes, so that only the geometry tells their group.
DialogTemplate LabelledTemplate()
{
    ControlTemplate picture = Control(30, K::Picture, "", 5, 100, 10, 10);
    picture.bitmap = 121;
    DialogTemplate t;
    t.id = 901;
    t.cx = 220;
    t.cy = 160;
    t.controls = {
        Control(10, K::StaticText, "&Symbol && Width &", 5, 5, 60, 8),
        Control(11, K::DropDownCombo, "", 70, 5, 30, 60),
        Control(12, K::ReadOnlyEdit, " Rows ", 5, 20, 60, 12),
        Control(13, K::GroupBox, "", 5, 35, 100, 10),
        Control(14, K::DropDownCombo, "", 70, 20, 30, 60),
        Control(15, K::PushButton, "Apply", 5, 50, 40, 14),
        Control(16, K::DropDownCombo, "", 70, 50, 30, 60),
        Control(20, K::GroupBox, "&Left", 110, 5, 50, 60),
        Control(21, K::GroupBox, "Right", 165, 5, 50, 60),
        Control(22, K::AutoRadioButton, "in right", 170, 20, 40, 10),
        Control(23, K::AutoRadioButton, "in left", 115, 20, 40, 10),
        Control(24, K::AutoRadioButton, "in none", 115, 80, 40, 10),
        picture,
    };
    return t;
}

class AccessibilityTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(StartTestGui()); }

    const DialogTemplate dialogTemplate = LabelledTemplate();
    RecordingHandler handler;
    Dialog dialog{dialogTemplate, handler};
};

TEST_F(AccessibilityTest, ValueBoxesAreNamedByTheLabelBeforeThemAndFollowIt)
{
    RunShown(dialog, [](Dialog& d) {
        const std::pair<int, std::string> expected[] = {
            {11, "Symbol & Width"},  // mnemonic markers and blanks at the ends dropped
            {14, "Rows"},            // a group box between label and box is passed over
            {16, ""},                // a button is no label
        };
        for (const auto& [id, name] : expected)
            EXPECT_EQ(d.AccessibleName(id), name) << "combo box " << id;
        d.SetControlText(12, "&Columns");
        EXPECT_EQ(d.AccessibleName(14), "Columns");
        EXPECT_EQ(d.AccessibleName(12), "&Columns");  // a read-only text is named by its text as shown
    });
}

TEST_F(AccessibilityTest, RadioButtonsAreDescribedByTheGroupBoxAroundThem)
{
    RunShown(dialog, [](Dialog& d) {
        EXPECT_EQ(d.AccessibleDescription(22), "Right");
        EXPECT_EQ(d.AccessibleDescription(23), "Left");
        EXPECT_EQ(d.AccessibleDescription(24), "");
        EXPECT_EQ(d.AccessibleName(23), "in left");
    });
}

TEST_F(AccessibilityTest, PictureTextsFollowTheBitmapShown)
{
    RunShown(dialog, [](Dialog& d) {
        EXPECT_EQ(d.AccessibleName(30), "Block interleaver structure");
        d.SetPicture(30, 122);
        EXPECT_EQ(d.AccessibleName(30), "Convolutional deinterleaver structure");
        EXPECT_NE(d.AccessibleDescription(30).find("(I-1)J, (I-2)J down to J and 0"), std::string::npos);
        // A bitmap without a description leaves the picture without texts, not with the old ones.
        d.SetPicture(30, 4711);
        EXPECT_EQ(d.AccessibleName(30) + d.AccessibleDescription(30), "");
    });
}

} // namespace
