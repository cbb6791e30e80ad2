#include "qt_backend/dialog_impl.h"

#include "qt_backend/dialog_controls.h"
#include "qt_backend/accessibility.h"
#include "qt_backend/dialog_window.h"
#include "qt_backend/text.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>

#include <algorithm>

namespace {

QRect ToQRect(const Rect& rect)
{
    return QRect(rect.left, rect.top, rect.width(), rect.height());
}

Rect FromQRect(const QRect& rect)
{
    return Rect{rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

} // namespace

QtDialogImpl::QtDialogImpl(const DialogTemplate& dialogTemplate, DialogHandler& handler)
    : dialogTemplate_(dialogTemplate), handler_(handler)
{
    // Before any control exists, as the toolkit keeps the first interface it makes for each.
    InstallAccessibleInterfaces();
}

QtDialogImpl::~QtDialogImpl() = default;

// The window frame around the client area. Until the window system has framed this window, the
// frame of the last framed window stands in, so that outer rectangles taken before and after
// showing agree and pages placed one after the other do not drift.
QMargins QtDialogImpl::FrameMargins() const
{
    static QMargins known;
    if (window_ && window_->isVisible()) {
        const QRect frame = window_->frameGeometry();
        const QRect client = window_->geometry();
        const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                               frame.right() - client.right(), frame.bottom() - client.bottom());
        if (!margins.isNull())
            known = margins;
    }
    return known;
}

QWidget* QtDialogImpl::Widget(int id) const
{
    const DialogControl* control = controls_ ? controls_->Find(id) : nullptr;
    return control != nullptr ? control->widget : nullptr;
}

void QtDialogImpl::PressKey(int key)
{
    if (!window_)
        return;
    QWidget* target = window_->focusWidget();
    if (target == nullptr)
        target = window_.get();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &release);
}

int QtDialogImpl::RunModal(const std::function<void()>& shown)
{
    if (window_)
        return -1;
    ended_ = false;
    code_ = 0;
    window_ = std::make_unique<QtDialogWindow>(handler_);
    controls_ = std::make_unique<DialogControls>(*window_, handler_);
    QtDialogWindow& window = *window_;
    window.setWindowTitle(ToQString(dialogTemplate_.caption));
    window.setFixedSize(DialogUnitsToPixelsX(dialogTemplate_.cx), DialogUnitsToPixelsY(dialogTemplate_.cy));
    for (const ControlTemplate& control : dialogTemplate_.controls)
        controls_->AddFromTemplate(control);
    UpdateAccessibleTexts(*controls_);

    if (handler_.OnInitDialog()) {
        if (QWidget* first = controls_->FirstTabStop())
            first->setFocus(Qt::TabFocusReason);
    }
    if (!ended_) {
        window.show();
        QEventLoop loop;
        loop_ = &loop;
        if (shown) {
            QTimer::singleShot(0, &window, [this, shown] {
                if (IsRunning())
                    shown();
            });
        }
        if (!ended_)
            loop.exec(QEventLoop::DialogExec);
        loop_ = nullptr;
    }
    window.hide();
    window_.reset();
    controls_.reset();
    return code_;
}

void QtDialogImpl::EndDialog(int code)
{
    if (!window_)
        return;
    ended_ = true;
    code_ = code;
    if (loop_ != nullptr)
        loop_->quit();
}

bool QtDialogImpl::IsRunning() const
{
    return window_ && !ended_;
}

Rect QtDialogImpl::WindowRect() const
{
    if (!window_)
        return Rect{};
    const QMargins margins = FrameMargins();
    return FromQRect(window_->geometry().marginsAdded(margins));
}

void QtDialogImpl::MoveWindow(const Rect& outer)
{
    if (!window_)
        return;
    const QRect client = ToQRect(outer).marginsRemoved(FrameMargins());
    const QSize size(std::max(client.width(), 0), std::max(client.height(), 0));
    window_->setFixedSize(size);
    window_->setGeometry(QRect(client.topLeft(), size));
}

Rect QtDialogImpl::ClientRect() const
{
    if (!window_)
        return Rect{};
    return Rect{0, 0, window_->width(), window_->height()};
}

int QtDialogImpl::ClientOffsetX() const
{
    return window_ ? FrameMargins().left() : 0;
}

int QtDialogImpl::ClientOffsetY() const
{
    return window_ ? FrameMargins().top() : 0;
}

void QtDialogImpl::SetWindowText(const std::string& text)
{
    if (window_)
        window_->setWindowTitle(ToQString(text));
}

std::string QtDialogImpl::WindowText() const
{
    return window_ ? FromQString(window_->windowTitle()) : std::string();
}

void QtDialogImpl::ShiftChildren(int dx, int dy)
{
    if (!controls_)
        return;
    for (const auto& control : controls_->all())
        control->widget->move(control->widget->pos() + QPoint(dx, dy));
}

void QtDialogImpl::CreateButton(int id, const std::string& text, const Rect& rect, bool tabStop, bool group)
{
    if (controls_)
        controls_->AddButton(id, text, ToQRect(rect), tabStop, group);
}

void QtDialogImpl::CreateBlackRect(int id, const Rect& rect)
{
    if (controls_)
        controls_->AddBlackRect(id, ToQRect(rect));
}

void QtDialogImpl::CreatePanel(int id, const Rect& rect, PanelPainter& painter)
{
    if (controls_)
        controls_->AddPanel(id, ToQRect(rect), painter);
}

void QtDialogImpl::DestroyControl(int id)
{
    if (controls_)
        controls_->Remove(id);
}

void QtDialogImpl::Invalidate(int id)
{
    if (QWidget* widget = Widget(id))
        widget->update();
}

bool QtDialogImpl::HasControl(int id) const
{
    return Widget(id) != nullptr;
}

Rect QtDialogImpl::ControlRect(int id) const
{
    const QWidget* widget = Widget(id);
    return widget != nullptr ? FromQRect(widget->geometry()) : Rect{};
}

void QtDialogImpl::SetControlText(int id, const std::string& text)
{
    if (!controls_)
        return;
    controls_->SetText(id, text);
    // A label's new text renames its value box; a read-only text's is its name.
    UpdateAccessibleTexts(*controls_);
}

std::string QtDialogImpl::ControlText(int id) const
{
    return controls_ ? controls_->Text(id) : std::string();
}

void QtDialogImpl::SetCheck(int id, bool checked)
{
    if (controls_)
        controls_->SetCheck(id, checked);
}

bool QtDialogImpl::IsChecked(int id) const
{
    return controls_ && controls_->IsChecked(id);
}

int QtDialogImpl::ComboSelection(int id) const
{
    return controls_ ? controls_->ComboSelection(id) : -1;
}

std::string QtDialogImpl::ComboItemText(int id, int index) const
{
    return controls_ ? controls_->ComboItemText(id, index) : std::string();
}

void QtDialogImpl::SelectComboItem(int id, int index)
{
    if (controls_)
        controls_->SelectComboItem(id, index);
}

void QtDialogImpl::ListAppend(int id, const std::string& text)
{
    if (controls_)
        controls_->ListAppend(id, text);
}

std::vector<std::string> QtDialogImpl::ListItems(int id) const
{
    return controls_ ? controls_->ListItems(id) : std::vector<std::string>();
}

void QtDialogImpl::EnableControl(int id, bool enabled)
{
    if (QWidget* widget = Widget(id))
        widget->setEnabled(enabled);
}

bool QtDialogImpl::IsEnabled(int id) const
{
    const QWidget* widget = Widget(id);
    return widget != nullptr && widget->isEnabled();
}

void QtDialogImpl::SetDefaultButton(int id, bool isDefault)
{
    if (controls_)
        controls_->SetDefaultButton(id, isDefault);
}

bool QtDialogImpl::IsDefaultButton(int id) const
{
    return controls_ && controls_->IsDefaultButton(id);
}

void QtDialogImpl::SetFocus(int id)
{
    if (QWidget* widget = Widget(id))
        widget->setFocus(Qt::OtherFocusReason);
}

int QtDialogImpl::FocusId() const
{
    if (!window_)
        return -1;
    const DialogControl* control = controls_->Owner(window_->focusWidget());
    return control != nullptr ? control->id : -1;
}

void QtDialogImpl::SetPicture(int id, int bitmap)
{
    if (!controls_)
        return;
    controls_->SetPicture(id, bitmap);
    UpdateAccessibleTexts(*controls_);
}

int QtDialogImpl::Picture(int id) const
{
    const DialogControl* control = controls_ ? controls_->Find(id) : nullptr;
    return control != nullptr && control->type == ControlType::Picture ? control->bitmap : 0;
}

void QtDialogImpl::SetAccessibleText(int id, AccessibleText which, const std::string& text)
{
    if (QWidget* widget = Widget(id))
        SetAccessibleTextOf(*widget, which, ToQString(text));
}

std::string QtDialogImpl::GetAccessibleText(int id, AccessibleText which) const
{
    QWidget* widget = Widget(id);
    return widget != nullptr ? FromQString(AccessibleTextOf(*widget, which)) : std::string();
}

void QtDialogImpl::Click(int id)
{
    if (controls_)
        controls_->Click(id);
}

void QtDialogImpl::TypeText(int id, const std::string& text)
{
    if (controls_)
        controls_->TypeText(id, text);
}

void QtDialogImpl::ChooseComboItem(int id, int index)
{
    if (controls_)
        controls_->ChooseComboItem(id, index);
}

void QtDialogImpl::PressEnter()
{
    PressKey(Qt::Key_Return);
}

void QtDialogImpl::PressEscape()
{
    PressKey(Qt::Key_Escape);
}

void QtDialogImpl::PaintPending()
{
    // The whole window is painted at once, the preview panel included: at least what waits.
    if (window_)
        window_->repaint();
}

void QtDialogImpl::PressF1()
{
    PressKey(Qt::Key_F1);
}
