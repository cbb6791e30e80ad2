#pragma once

#include "platform/dialog.h"

#include <functional>
#include <string>
#include <vector>

// The two texts a screen reader reads for a control.
enum class AccessibleText { Name, Description };

// The window-system side of one Dialog: the Dialog forwards each of its operations here. An
// implementation exists only where a GUI toolkit has been loaded; its window exists only while
// RunModal runs, and outside that every operation is a no-op or answers a default.
class DialogImpl {
public:
    virtual ~DialogImpl() = default;

    // Builds the window from the template, calls the handler's OnInitDialog, shows the window and
    // runs until EndDialog. Once the dialog is shown and running, shown is called (when set).
    // Returns the code given to EndDialog, or -1 when the dialog is already running.
    virtual int RunModal(const std::function<void()>& shown) = 0;
    virtual void EndDialog(int code) = 0;
    virtual bool IsRunning() const = 0;

    virtual Rect WindowRect() const = 0;
    virtual void MoveWindow(const Rect& outer) = 0;
    virtual Rect ScreenRect() const = 0;
    virtual void PlaceOnScreen(const Rect& outer) = 0;
    virtual Rect ClientRect() const = 0;
    virtual int ClientOffsetX() const = 0;
    virtual int ClientOffsetY() const = 0;
    virtual void SetWindowText(const std::string& text) = 0;
    virtual std::string WindowText() const = 0;
    virtual void SetWindowDescription(const std::string& text) = 0;
    virtual std::string WindowDescription() const = 0;

    virtual void ShiftChildren(int dx, int dy) = 0;
    virtual void CreateButton(int id, const std::string& text, const Rect& rect, bool tabStop, bool group) = 0;
    virtual void CreateBlackRect(int id, const Rect& rect) = 0;
    virtual void CreatePanel(int id, const Rect& rect, PanelPainter& painter) = 0;
    virtual void DestroyControl(int id) = 0;
    virtual void Invalidate(int id) = 0;
    virtual bool HasControl(int id) const = 0;
    virtual Rect ControlRect(int id) const = 0;

    virtual void SetControlText(int id, const std::string& text) = 0;
    virtual std::string ControlText(int id) const = 0;
    virtual void SetCheck(int id, bool checked) = 0;
    virtual bool IsChecked(int id) const = 0;
    virtual int ComboSelection(int id) const = 0;
    virtual std::string ComboItemText(int id, int index) const = 0;
    virtual void SelectComboItem(int id, int index) = 0;
    virtual void ListAppend(int id, const std::string& text) = 0;
    virtual std::vector<std::string> ListItems(int id) const = 0;
    virtual void EnableControl(int id, bool enabled) = 0;
    virtual bool IsEnabled(int id) const = 0;
    virtual void SetDefaultButton(int id, bool isDefault) = 0;
    virtual bool IsDefaultButton(int id) const = 0;
    virtual void SetFocus(int id) = 0;
    virtual int FocusId() const = 0;
    virtual void SelectText(int id) = 0;
    virtual bool IsTextSelected(int id) const = 0;
    virtual void SetPicture(int id, int bitmap) = 0;
    virtual int Picture(int id) const = 0;
    virtual void SetAccessibleText(int id, AccessibleText which, const std::string& text) = 0;
    virtual std::string GetAccessibleText(int id, AccessibleText which) const = 0;

    virtual void Click(int id) = 0;
    virtual void TypeText(int id, const std::string& text) = 0;
    virtual void ChooseComboItem(int id, int index) = 0;
    virtual void PressEnter() = 0;
    virtual void PressEscape() = 0;
    virtual void PressF1() = 0;
    virtual void PaintPending() = 0;
};
