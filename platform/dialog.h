#pragma once

#include "platform/device_context.h"
#include "platform/dialog_template.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class DialogImpl;

// How a control reports a change.
enum class Notification { Clicked, EditChange, SelectionChange };

// Command identifier of the help command (F1).
constexpr int kHelpCommand = 57670;

// What a dialog's owner answers. All calls arrive on the GUI thread while the dialog runs.
class DialogHandler {
public:
    virtual ~DialogHandler() = default;
    // The window and the template's controls exist; true lets the dialog put the focus on the
    // first control that takes it.
    virtual bool OnInitDialog() = 0;
    // A click on a button (other than the cancel button, id 2), or a combo box's edit or
    // selection change.
    virtual void OnCommand(int id, Notification code) = 0;
    // The accept command: Enter.
    virtual void OnOk() = 0;
    // The cancel command: the button with id 2, Escape, the close box.
    virtual void OnCancel() = 0;
    // The help command (F1).
    virtual void OnHelp() = 0;
};

// A child window that paints itself through a device context.
class PanelPainter {
public:
    virtual ~PanelPainter() = default;
    virtual void Paint(DeviceContext& dc, const Rect& client) = 0;
};

// A modal dialog built from its template each time it runs; its controls are addressed by id.
// Rectangles of controls are in client coordinates, window rectangles in screen coordinates (outer
// edges, frame included).
class Dialog {
public:
    Dialog(const DialogTemplate& dialogTemplate, DialogHandler& handler);
    ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Builds the window and its controls, calls OnInitDialog, shows the window and runs until
    // EndDialog. Returns the code given to EndDialog, or -1 when the dialog cannot be shown.
    int RunModal();
    void EndDialog(int code);
    bool IsRunning() const;

    Rect WindowRect() const;
    void MoveWindow(const Rect& outer);
    // The outer rectangle in the screen's device pixels, and a move (the size kept) that puts its
    // top-left device pixel at outer's top-left, exactly also at fractional display scales.
    Rect ScreenRect() const;
    void PlaceOnScreen(const Rect& outer);
    Rect ClientRect() const;
    // Offset of the client area's origin within the outer rectangle (frame width, title height).
    int ClientOffsetX() const;
    int ClientOffsetY() const;
    void SetWindowText(const std::string& text);
    std::string WindowText() const;
    // What a screen reader reads as the window's description.
    void SetWindowDescription(const std::string& text);
    std::string WindowDescription() const;

    // Moves every child window by (dx, dy), keeping its size.
    void ShiftChildren(int dx, int dy);
    void CreateButton(int id, const std::string& text, const Rect& rect, bool tabStop, bool group);
    void CreateBlackRect(int id, const Rect& rect);
    // A child that paints through painter; replaces an earlier panel of the same id.
    void CreatePanel(int id, const Rect& rect, PanelPainter& painter);
    void DestroyControl(int id);
    // Has the control repainted, background included.
    void Invalidate(int id);
    bool HasControl(int id) const;
    Rect ControlRect(int id) const;

    void SetControlText(int id, const std::string& text);
    std::string ControlText(int id) const;
    void SetCheck(int id, bool checked);
    bool IsChecked(int id) const;
    // Index of the selected list entry of a combo box, -1 when none is selected.
    int ComboSelection(int id) const;
    std::string ComboItemText(int id, int index) const;
    void SelectComboItem(int id, int index);
    void ListAppend(int id, const std::string& text);
    std::vector<std::string> ListItems(int id) const;
    void EnableControl(int id, bool enabled);
    bool IsEnabled(int id) const;
    void SetDefaultButton(int id, bool isDefault);
    bool IsDefaultButton(int id) const;
    void SetFocus(int id);
    int FocusId() const; // -1 when no control has the focus
    // Selects the whole text of a combo box's edit, so that what is typed next replaces it.
    void SelectText(int id);
    bool IsTextSelected(int id) const; // true when the whole (non-empty) text is selected
    void SetPicture(int id, int bitmap);
    int Picture(int id) const;

    // What a screen reader reads for a control.
    void SetAccessibleName(int id, const std::string& text);
    void SetAccessibleDescription(int id, const std::string& text);
    std::string AccessibleName(int id) const;
    std::string AccessibleDescription(int id) const;

    // For tests: act as the user would, through the same routes as real input.
    void Click(int id);
    void TypeText(int id, const std::string& text); // replaces a combo box's edit text
    void ChooseComboItem(int id, int index); // picks an entry from the dropped list
    void PressEnter();
    void PressEscape();
    void PressF1();
    // Paints every part of the window that waits for painting, before returning.
    void PaintPending();

    // For tests: called once a dialog is shown and running, with that dialog.
    static void SetShownHook(std::function<void(Dialog&)> hook);

private:
    const DialogTemplate template_;
    DialogHandler& handler_;
    // The window-system side, made when the dialog first runs: only then is a GUI needed. Without
    // it every operation is a no-op or answers a default, as with a dialog that is not running.
    std::unique_ptr<DialogImpl> impl_;
};

// The primary screen's rectangle in device pixels; empty when no display can be had.
Rect DesktopRect();
