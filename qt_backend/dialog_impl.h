#pragma once

#include "platform/dialog_impl.h"

#include <QtGlobal>

#include <memory>
#include <optional>

class DialogControls;
class QEventLoop;
class QWidget;
class QtDialogWindow;

// A Dialog as a Qt dialog window: the window and its controls are built from the template each
// time RunModal runs and destroyed when it returns.
class QtDialogImpl : public DialogImpl {
public:
    QtDialogImpl(const DialogTemplate& dialogTemplate, DialogHandler& handler);
    ~QtDialogImpl() override;

    int RunModal(const std::function<void()>& shown) override;
    void EndDialog(int code) override;
    bool IsRunning() const override;

    Rect WindowRect() const override;
    void MoveWindow(const Rect& outer) override;
    Rect ScreenRect() const override;
    void PlaceOnScreen(const Rect& outer) override;
    Rect ClientRect() const override;
    int ClientOffsetX() const override;
    int ClientOffsetY() const override;
    void SetWindowText(const std::string& text) override;
    std::string WindowText() const override;
    void SetWindowDescription(const std::string& text) override;
    std::string WindowDescription() const override;

    void ShiftChildren(int dx, int dy) override;
    void CreateButton(int id, const std::string& text, const Rect& rect, bool tabStop, bool group) override;
    void CreateBlackRect(int id, const Rect& rect) override;
    void CreatePanel(int id, const Rect& rect, PanelPainter& painter) override;
    void DestroyControl(int id) override;
    void Invalidate(int id) override;
    bool HasControl(int id) const override;
    Rect ControlRect(int id) const override;

    void SetControlText(int id, const std::string& text) override;
    std::string ControlText(int id) const override;
    void SetCheck(int id, bool checked) override;
    bool IsChecked(int id) const override;
    int ComboSelection(int id) const override;
    std::string ComboItemText(int id, int index) const override;
    void SelectComboItem(int id, int index) override;
    void ListAppend(int id, const std::string& text) override;
    std::vector<std::string> ListItems(int id) const override;
    void EnableControl(int id, bool enabled) override;
    bool IsEnabled(int id) const override;
    void SetDefaultButton(int id, bool isDefault) override;
    bool IsDefaultButton(int id) const override;
    void SetFocus(int id) override;
    int FocusId() const override;
    void SelectText(int id) override;
    bool IsTextSelected(int id) const override;
    void SetPicture(int id, int bitmap) override;
    int Picture(int id) const override;
    void SetAccessibleText(int id, AccessibleText which, const std::string& text) override;
    std::string GetAccessibleText(int id, AccessibleText which) const override;

    void Click(int id) override;
    void TypeText(int id, const std::string& text) override;
    void ChooseComboItem(int id, int index) override;
    void PressEnter() override;
    void PressEscape() override;
    void PressF1() override;
    void PaintPending() override;

private:
    const DialogTemplate dialogTemplate_;
    DialogHandler& handler_;
    // Exist only while RunModal runs; the window goes first, as it owns the widgets that the
    // controls refer to.
    std::unique_ptr<DialogControls> controls_;
    std::unique_ptr<QtDialogWindow> window_;
    QEventLoop* loop_ = nullptr;
    bool ended_ = false;
    int code_ = 0;
    // The device-pixel rectangle asked for by PlaceOnScreen before the window was shown; given to
    // the window system once it is.
    std::optional<Rect> pendingScreenRect_;

    // The window's device pixels per toolkit pixel.
    qreal PixelRatio() const;
    void ApplyScreenPlacement();
    QWidget* Widget(int id) const;
    void PressKey(int key);
};
