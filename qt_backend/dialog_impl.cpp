#include "qt_backend/dialog_impl.h"

#include "qt_backend/accessibility.h"
#include "qt_backend/device_geometry.h"
#include "qt_backend/dialog_controls.h"
#include "qt_backend/dialog_window.h"
#include "qt_backend/text.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <QWindow>

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

qreal QtDialogImpl::PixelRatio() const
{
    return window_ ? window_->devicePixelRatioF() : 1.0;
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
    controls_->FinishTemplate();
    UpdateAccessibleTexts(*controls_);

    if (handler_.OnInitDialog()) {
        if (QWidget* first = controls_->FirstTabStop())
            first->setFocus(Qt::TabFocusReason);
    }
    if (!ended_) {
        window.show();
        ApplyScreenPlacement();
        // The pictures are drawn for the device pixels of the screen the window is on.
        if (QWindow* handle = window.windowHandle()) {
            QObject::connect(handle, &QWindow::screenChanged, &window, [this] {
                if (controls_)
                    controls_->RedrawPictures();
            });
        }
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
    const QMargins margins = FrameMargins(*window_);
    return FromQRect(window_->geometry().marginsAdded(margins));
}

void QtDialogImpl::MoveWindow(const Rect& outer)
{
    if (!window_)
        return;
    const QRect client = ToQRect(outer).marginsRemoved(FrameMargins(*window_));
    const QSize size(std::max(client.width(), 0), std::max(client.height(), 0));
    window_->setFixedSize(size);
    window_->setGeometry(QRect(client.topLeft(), size));
}

// At a scale of 1 the toolkit's pixels are the screen's. Otherwise the toolkit can place a window
// only at multiples of the scale, so the window system is asked for the device pixel itself.
Rect QtDialogImpl::ScreenRect() const
{
    if (!window_)
        return Rect{};
    const qreal ratio = PixelRatio();
    if (ratio == 1.0)
        return WindowRect();
    if (pendingScreenRect_)
        return *pendingScreenRect_;
    if (const std::optional<Rect> outer = X11OuterRect(*window_))
        return *outer;
    // Not shown yet: where the toolkit will put it, position and size each scaled and rounded.
    const QRect client = window_->geometry();
    const Rect margins = DeviceFrameMargins(*window_);
    const int left = qRound(client.x() * ratio);
    const int top = qRound(client.y() * ratio);
    return Rect{left - margins.left, top - margins.top, left + qRound(client.width() * ratio) + margins.right,
                top + qRound(client.height() * ratio) + margins.bottom};
}

void QtDialogImpl::PlaceOnScreen(const Rect& outer)
{
    if (!window_)
        return;
    const qreal ratio = PixelRatio();
    if (ratio == 1.0) {
        const Rect current = WindowRect();
        MoveWindow(Rect{outer.left, outer.top, outer.left + current.width(), outer.top + current.height()});
        return;
    }
    const Rect current = ScreenRect();
    const Rect placed{outer.left, outer.top, outer.left + current.width(), outer.top + current.height()};
    // The toolkit's nearest position first, so that the window appears about where it belongs;
    // the exact device pixel follows once the window system has the window.
    const Rect margins = DeviceFrameMargins(*window_);
    const QPoint client(qRound((placed.left + margins.left) / ratio), qRound((placed.top + margins.top) / ratio));
    window_->setGeometry(QRect(client, window_->size()));
    pendingScreenRect_ = placed;
    if (window_->isVisible())
        ApplyScreenPlacement();
}

void QtDialogImpl::ApplyScreenPlacement()
{
    if (!window_ || !pendingScreenRect_)
        return;
    const Rect placed = *pendingScreenRect_;
    const Rect margins = DeviceFrameMargins(*window_);
    // Without an X11 display the toolkit's position is the nearest there is.
    X11DropResizeSteps(*window_);
    X11MoveClient(*window_, placed.left + margins.left, placed.top + margins.top);
    pendingScreenRect_.reset();
}

Rect QtDialogImpl::ClientRect() const
{
    if (!window_)
        return Rect{};
    return Rect{0, 0, window_->width(), window_->height()};
}

int QtDialogImpl::ClientOffsetX() const
{
    return window_ ? FrameMargins(*window_).left() : 0;
}

int QtDialogImpl::ClientOffsetY() const
{
    return window_ ? FrameMargins(*window_).top() : 0;
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

void QtDialogImpl::SetWindowDescription(const std::string& text)
{
    if (window_)
        SetAccessibleTextOf(*window_, AccessibleText::Description, ToQString(text));
}

std::string QtDialogImpl::WindowDescription() const
{
    return window_ ? FromQString(AccessibleTextOf(*window_, AccessibleText::Description)) : std::string();
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
    if (!controls_)
        return;
    controls_->AddButton(id, text, ToQRect(rect), tabStop, group);
    UpdateAccessibleTexts(*controls_);
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

// The line edit of a combo box, or a single-line edit itself.
static QLineEdit* LineEditOf(QWidget* widget)
{
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        return combo->lineEdit();
    return qobject_cast<QLineEdit*>(widget);
}

void QtDialogImpl::SelectText(int id)
{
    if (QLineEdit* edit = LineEditOf(Widget(id)))
        edit->selectAll();
}

bool QtDialogImpl::IsTextSelected(int id) const
{
    const QLineEdit* edit = LineEditOf(Widget(id));
    return edit != nullptr && edit->hasSelectedText() && edit->selectedText() == edit->text();
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
