#pragma once

#include "platform/dialog.h"

#include <QRect>

#include <map>
#include <memory>
#include <string>
#include <vector>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QWidget;
class QtDialogWindow;

enum class ControlType {
    PushButton,
    RadioButton,
    GroupBox,
    Combo,
    Edit,
    MultilineEdit,
    Static,
    Picture,
    ListBox,
    BlackRect,
    Panel,
};

// One child window of a dialog. Several static controls may share an id; a lookup by id finds the
// one created last.
struct DialogControl {
    int id = 0;
    ControlType type = ControlType::Static;
    QWidget* widget = nullptr;
    int bitmap = 0; // Picture: the bitmap shown
    int selection = -1; // Combo: the selected list entry, -1 after the edit text was changed
};

// The controls of a running dialog: creates them as children of the window at absolute positions,
// wires their notifications to the handler and answers the per-control operations of Dialog.
class DialogControls {
public:
    DialogControls(QtDialogWindow& window, DialogHandler& handler);
    DialogControls(const DialogControls&) = delete;
    DialogControls& operator=(const DialogControls&) = delete;

    void AddFromTemplate(const ControlTemplate& control);
    // Once every control of the template is made: evens out the heights of radio buttons.
    void FinishTemplate();
    // Draws every picture again for the screen's pixels, after the window moved to another screen.
    void RedrawPictures();
    void AddButton(int id, const std::string& text, const QRect& rect, bool tabStop, bool group);
    void AddBlackRect(int id, const QRect& rect);
    void AddPanel(int id, const QRect& rect, PanelPainter& painter);
    void Remove(int id);

    DialogControl* Find(int id) const;
    // The control that widget belongs to (a combo box's edit belongs to the combo box), or none.
    DialogControl* Owner(const QWidget* widget) const;
    const std::vector<std::unique_ptr<DialogControl>>& all() const { return controls_; }
    // The first enabled control that takes the focus through the keyboard, or none.
    QWidget* FirstTabStop() const;

    void SetText(int id, const std::string& text);
    std::string Text(int id) const;
    void SetCheck(int id, bool checked);
    bool IsChecked(int id) const;
    int ComboSelection(int id) const;
    std::string ComboItemText(int id, int index) const;
    void SelectComboItem(int id, int index);
    void ListAppend(int id, const std::string& text);
    std::vector<std::string> ListItems(int id) const;
    void SetDefaultButton(int id, bool isDefault);
    bool IsDefaultButton(int id) const;
    void SetPicture(int id, int bitmap);

    void Click(int id);
    void TypeText(int id, const std::string& text);
    void ChooseComboItem(int id, int index);

private:
    QtDialogWindow& window_;
    DialogHandler& handler_;
    std::vector<std::unique_ptr<DialogControl>> controls_;
    // Radio buttons between two controls that start a group are exclusive among themselves.
    int groupNumber_ = 0;
    std::map<int, QButtonGroup*> radioGroups_;

    static void SetButtonChecked(QAbstractButton* button, bool checked);
    static void ShowPicture(DialogControl& control, int bitmap);
    DialogControl& Register(int id, ControlType type, QWidget* widget, const QRect& rect, bool tabStop);
    QWidget* CreateRadioButton(const std::string& text);
    QWidget* CreateCombo(const ControlTemplate& control, const QRect& rect);
    // Puts the text of each label on combo's template row (a static text or a read-only edit with
    // the same top, left of it) on the line of combo's edit text, at the label's left edge.
    void AlignRowLabels(const QComboBox& combo);
    void OnButtonClicked(QAbstractButton* button);
    void OnRadioClicked(QAbstractButton* button);
    void OnComboEdited(QComboBox* combo);
    void OnComboActivated(QComboBox* combo, int index);
};
