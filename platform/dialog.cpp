#include "platform/dialog.h"

#include "platform/dialog_impl.h"
#include "platform/gui_application.h"
#include "platform/gui_backend.h"

namespace {

std::function<void(Dialog&)>& ShownHook()
{
    static std::function<void(Dialog&)> hook;
    return hook;
}

} // namespace

Dialog::Dialog(const DialogTemplate& dialogTemplate, DialogHandler& handler)
    : template_(dialogTemplate), handler_(handler)
{
}

Dialog::~Dialog() = default;

int Dialog::RunModal()
{
    if (!impl_) {
        if (!EnsureGuiApplication())
            return -1;
        impl_ = FindGuiBackend()->CreateDialog(template_, handler_);
        if (!impl_)
            return -1;
    }
    std::function<void()> shown;
    if (ShownHook()) {
        // The hook is looked up again when the dialog is shown, as it may have changed since.
        shown = [this] {
            const std::function<void(Dialog&)> hook = ShownHook();
            if (hook)
                hook(*this);
        };
    }
    return impl_->RunModal(shown);
}

void Dialog::EndDialog(int code)
{
    if (impl_)
        impl_->EndDialog(code);
}

bool Dialog::IsRunning() const
{
    return impl_ && impl_->IsRunning();
}

Rect Dialog::WindowRect() const
{
    return impl_ ? impl_->WindowRect() : Rect{};
}

void Dialog::MoveWindow(const Rect& outer)
{
    if (impl_)
        impl_->MoveWindow(outer);
}

Rect Dialog::ScreenRect() const
{
    return impl_ ? impl_->ScreenRect() : Rect{};
}

void Dialog::PlaceOnScreen(const Rect& outer)
{
    if (impl_)
        impl_->PlaceOnScreen(outer);
}

Rect Dialog::ClientRect() const
{
    return impl_ ? impl_->ClientRect() : Rect{};
}

int Dialog::ClientOffsetX() const
{
    return impl_ ? impl_->ClientOffsetX() : 0;
}

int Dialog::ClientOffsetY() const
{
    return impl_ ? impl_->ClientOffsetY() : 0;
}

void Dialog::SetWindowText(const std::string& text)
{
    if (impl_)
        impl_->SetWindowText(text);
}

std::string Dialog::WindowText() const
{
    return impl_ ? impl_->WindowText() : std::string();
}

void Dialog::SetWindowDescription(const std::string& text)
{
    if (impl_)
        impl_->SetWindowDescription(text);
}

std::string Dialog::WindowDescription() const
{
    return impl_ ? impl_->WindowDescription() : std::string();
}

void Dialog::ShiftChildren(int dx, int dy)
{
    if (impl_)
        impl_->ShiftChildren(dx, dy);
}

void Dialog::CreateButton(int id, const std::string& text, const Rect& rect, bool tabStop, bool group)
{
    if (impl_)
        impl_->CreateButton(id, text, rect, tabStop, group);
}

void Dialog::CreateBlackRect(int id, const Rect& rect)
{
    if (impl_)
        impl_->CreateBlackRect(id, rect);
}

void Dialog::CreatePanel(int id, const Rect& rect, PanelPainter& painter)
{
    if (impl_)
        impl_->CreatePanel(id, rect, painter);
}

void Dialog::DestroyControl(int id)
{
    if (impl_)
        impl_->DestroyControl(id);
}

void Dialog::Invalidate(int id)
{
    if (impl_)
        impl_->Invalidate(id);
}

bool Dialog::HasControl(int id) const
{
    return impl_ && impl_->HasControl(id);
}

Rect Dialog::ControlRect(int id) const
{
    return impl_ ? impl_->ControlRect(id) : Rect{};
}

void Dialog::SetControlText(int id, const std::string& text)
{
    if (impl_)
        impl_->SetControlText(id, text);
}

std::string Dialog::ControlText(int id) const
{
    return impl_ ? impl_->ControlText(id) : std::string();
}

void Dialog::SetCheck(int id, bool checked)
{
    if (impl_)
        impl_->SetCheck(id, checked);
}

bool Dialog::IsChecked(int id) const
{
    return impl_ && impl_->IsChecked(id);
}

int Dialog::ComboSelection(int id) const
{
    return impl_ ? impl_->ComboSelection(id) : -1;
}

std::string Dialog::ComboItemText(int id, int index) const
{
    return impl_ ? impl_->ComboItemText(id, index) : std::string();
}

void Dialog::SelectComboItem(int id, int index)
{
    if (impl_)
        impl_->SelectComboItem(id, index);
}

void Dialog::ListAppend(int id, const std::string& text)
{
    if (impl_)
        impl_->ListAppend(id, text);
}

std::vector<std::string> Dialog::ListItems(int id) const
{
    return impl_ ? impl_->ListItems(id) : std::vector<std::string>();
}

void Dialog::EnableControl(int id, bool enabled)
{
    if (impl_)
        impl_->EnableControl(id, enabled);
}

bool Dialog::IsEnabled(int id) const
{
    return impl_ && impl_->IsEnabled(id);
}

void Dialog::SetDefaultButton(int id, bool isDefault)
{
    if (impl_)
        impl_->SetDefaultButton(id, isDefault);
}

bool Dialog::IsDefaultButton(int id) const
{
    return impl_ && impl_->IsDefaultButton(id);
}

void Dialog::SetFocus(int id)
{
    if (impl_)
        impl_->SetFocus(id);
}

void Dialog::SelectText(int id)
{
    if (impl_)
        impl_->SelectText(id);
}

bool Dialog::IsTextSelected(int id) const
{
    return impl_ && impl_->IsTextSelected(id);
}

int Dialog::FocusId() const
{
    return impl_ ? impl_->FocusId() : -1;
}

void Dialog::SetPicture(int id, int bitmap)
{
    if (impl_)
        impl_->SetPicture(id, bitmap);
}

int Dialog::Picture(int id) const
{
    return impl_ ? impl_->Picture(id) : 0;
}

void Dialog::SetAccessibleName(int id, const std::string& text)
{
    if (impl_)
        impl_->SetAccessibleText(id, AccessibleText::Name, text);
}

void Dialog::SetAccessibleDescription(int id, const std::string& text)
{
    if (impl_)
        impl_->SetAccessibleText(id, AccessibleText::Description, text);
}

std::string Dialog::AccessibleName(int id) const
{
    return impl_ ? impl_->GetAccessibleText(id, AccessibleText::Name) : std::string();
}

std::string Dialog::AccessibleDescription(int id) const
{
    return impl_ ? impl_->GetAccessibleText(id, AccessibleText::Description) : std::string();
}

void Dialog::Click(int id)
{
    if (impl_)
        impl_->Click(id);
}

void Dialog::TypeText(int id, const std::string& text)
{
    if (impl_)
        impl_->TypeText(id, text);
}

void Dialog::ChooseComboItem(int id, int index)
{
    if (impl_)
        impl_->ChooseComboItem(id, index);
}

void Dialog::PressEnter()
{
    if (impl_)
        impl_->PressEnter();
}

void Dialog::PressEscape()
{
    if (impl_)
        impl_->PressEscape();
}

void Dialog::PressF1()
{
    if (impl_)
        impl_->PressF1();
}

void Dialog::PaintPending()
{
    if (impl_)
        impl_->PaintPending();
}

void Dialog::SetShownHook(std::function<void(Dialog&)> hook)
{
    ShownHook() = std::move(hook);
}

Rect DesktopRect()
{
    return EnsureGuiApplication() ? FindGuiBackend()->DesktopRect() : Rect{};
}
