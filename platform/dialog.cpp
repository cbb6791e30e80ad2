#include "platform/dialog.h"

#include "platform/dialog_controls.h"
#include "platform/gui_application.h"
#include "platform/qt_dialog_window.h"
#include "platform/qt_text.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMargins>
#include <QPointer>
#include <QScreen>
#include <QTimer>

namespace {

std::function<void(Dialog&)>& ShownHook()
{
    static std::function<void(Dialog&)> hook;
    return hook;
}

QRect ToQRect(const Rect& rect)
{
    return QRect(rect.left, rect.top, rect.width(), rect.height());
}

Rect FromQRect(const QRect& rect)
{
    return Rect{rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

} // namespace

class Dialog::Impl {
public:
    Impl(const DialogTemplate& dialogTemplate, DialogHandler& handler)
        : dialogTemplate(dialogTemplate), handler(handler)
    {
    }

    const DialogTemplate dialogTemplate;
    DialogHandler& handler;
    // Exist only while RunModal runs; the window goes first, as it owns the widgets that the
    // controls refer to.
    std::unique_ptr<DialogControls> controls;
    std::unique_ptr<QtDialogWindow> window;
    QEventLoop* loop = nullptr;
    bool ended = false;
    int code = 0;

    // The window frame around the client area. Until the window system has framed this window,
    // the frame of the last framed window stands in, so that outer rectangles taken before and
    // after showing agree and pages placed one after the other do not drift.
    QMargins FrameMargins() const
    {
        static QMargins known;
        if (window && window->isVisible()) {
            const QRect frame = window->frameGeometry();
            const QRect client = window->geometry();
            const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                                   frame.right() - client.right(), frame.bottom() - client.bottom());
            if (!margins.isNull())
                known = margins;
        }
        return known;
    }

    QWidget* Widget(int id) const
    {
        const DialogControl* control = controls ? controls->Find(id) : nullptr;
        return control != nullptr ? control->widget : nullptr;
    }

    void PressKey(int key)
    {
        if (!window)
            return;
        QWidget* target = window->focusWidget();
        if (target == nullptr)
            target = window.get();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &release);
    }
};

Dialog::Dialog(const DialogTemplate& dialogTemplate, DialogHandler& handler)
    : impl_(std::make_unique<Impl>(dialogTemplate, handler))
{
}

Dialog::~Dialog() = default;

int Dialog::RunModal()
{
    if (impl_->window || !EnsureGuiApplication())
        return -1;
    impl_->ended = false;
    impl_->code = 0;
    impl_->window = std::make_unique<QtDialogWindow>(impl_->handler);
    impl_->controls = std::make_unique<DialogControls>(*impl_->window, impl_->handler);
    QtDialogWindow& window = *impl_->window;
    window.setWindowTitle(ToQString(impl_->dialogTemplate.caption));
    window.setFixedSize(DialogUnitsToPixelsX(impl_->dialogTemplate.cx), DialogUnitsToPixelsY(impl_->dialogTemplate.cy));
    for (const ControlTemplate& control : impl_->dialogTemplate.controls)
        impl_->controls->AddFromTemplate(control);

    if (impl_->handler.OnInitDialog()) {
        if (QWidget* first = impl_->controls->FirstTabStop())
            first->setFocus(Qt::TabFocusReason);
    }
    if (!impl_->ended) {
        window.show();
        QEventLoop loop;
        impl_->loop = &loop;
        if (ShownHook()) {
            QTimer::singleShot(0, &window, [this] {
                const std::function<void(Dialog&)> hook = ShownHook();
                if (hook && IsRunning())
                    hook(*this);
            });
        }
        if (!impl_->ended)
            loop.exec(QEventLoop::DialogExec);
        impl_->loop = nullptr;
    }
    window.hide();
    impl_->window.reset();
    impl_->controls.reset();
    return impl_->code;
}

void Dialog::EndDialog(int code)
{
    if (!impl_->window)
        return;
    impl_->ended = true;
    impl_->code = code;
    if (impl_->loop != nullptr)
        impl_->loop->quit();
}

bool Dialog::IsRunning() const
{
    return impl_->window && !impl_->ended;
}

Rect Dialog::WindowRect() const
{
    if (!impl_->window)
        return Rect{};
    const QMargins margins = impl_->FrameMargins();
    return FromQRect(impl_->window->geometry().marginsAdded(margins));
}

void Dialog::MoveWindow(const Rect& outer)
{
    if (!impl_->window)
        return;
    const QRect client = ToQRect(outer).marginsRemoved(impl_->FrameMargins());
    const QSize size(std::max(client.width(), 0), std::max(client.height(), 0));
    impl_->window->setFixedSize(size);
    impl_->window->setGeometry(QRect(client.topLeft(), size));
}

Rect Dialog::ClientRect() const
{
    if (!impl_->window)
        return Rect{};
    return Rect{0, 0, impl_->window->width(), impl_->window->height()};
}

int Dialog::ClientOffsetX() const
{
    return impl_->window ? impl_->FrameMargins().left() : 0;
}

int Dialog::ClientOffsetY() const
{
    return impl_->window ? impl_->FrameMargins().top() : 0;
}

void Dialog::SetWindowText(const std::string& text)
{
    if (impl_->window)
        impl_->window->setWindowTitle(ToQString(text));
}

std::string Dialog::WindowText() const
{
    return impl_->window ? FromQString(impl_->window->windowTitle()) : std::string();
}

void Dialog::ShiftChildren(int dx, int dy)
{
    if (!impl_->controls)
        return;
    for (const auto& control : impl_->controls->all())
        control->widget->move(control->widget->pos() + QPoint(dx, dy));
}

void Dialog::CreateButton(int id, const std::string& text, const Rect& rect, bool tabStop, bool group)
{
    if (impl_->controls)
        impl_->controls->AddButton(id, text, ToQRect(rect), tabStop, group);
}

void Dialog::CreateBlackRect(int id, const Rect& rect)
{
    if (impl_->controls)
        impl_->controls->AddBlackRect(id, ToQRect(rect));
}

void Dialog::CreatePanel(int id, const Rect& rect, PanelPainter& painter)
{
    if (impl_->controls)
        impl_->controls->AddPanel(id, ToQRect(rect), painter);
}

void Dialog::DestroyControl(int id)
{
    if (impl_->controls)
        impl_->controls->Remove(id);
}

void Dialog::Invalidate(int id)
{
    if (QWidget* widget = impl_->Widget(id))
        widget->update();
}

bool Dialog::HasControl(int id) const
{
    return impl_->Widget(id) != nullptr;
}

Rect Dialog::ControlRect(int id) const
{
    const QWidget* widget = impl_->Widget(id);
    return widget != nullptr ? FromQRect(widget->geometry()) : Rect{};
}

void Dialog::SetControlText(int id, const std::string& text)
{
    if (impl_->controls)
        impl_->controls->SetText(id, text);
}

std::string Dialog::ControlText(int id) const
{
    return impl_->controls ? impl_->controls->Text(id) : std::string();
}

void Dialog::SetCheck(int id, bool checked)
{
    if (impl_->controls)
        impl_->controls->SetCheck(id, checked);
}

bool Dialog::IsChecked(int id) const
{
    return impl_->controls && impl_->controls->IsChecked(id);
}

int Dialog::ComboSelection(int id) const
{
    return impl_->controls ? impl_->controls->ComboSelection(id) : -1;
}

std::string Dialog::ComboItemText(int id, int index) const
{
    return impl_->controls ? impl_->controls->ComboItemText(id, index) : std::string();
}

void Dialog::SelectComboItem(int id, int index)
{
    if (impl_->controls)
        impl_->controls->SelectComboItem(id, index);
}

void Dialog::ListAppend(int id, const std::string& text)
{
    if (impl_->controls)
        impl_->controls->ListAppend(id, text);
}

std::vector<std::string> Dialog::ListItems(int id) const
{
    return impl_->controls ? impl_->controls->ListItems(id) : std::vector<std::string>();
}

void Dialog::EnableControl(int id, bool enabled)
{
    if (QWidget* widget = impl_->Widget(id))
        widget->setEnabled(enabled);
}

bool Dialog::IsEnabled(int id) const
{
    const QWidget* widget = impl_->Widget(id);
    return widget != nullptr && widget->isEnabled();
}

void Dialog::SetDefaultButton(int id, bool isDefault)
{
    if (impl_->controls)
        impl_->controls->SetDefaultButton(id, isDefault);
}

bool Dialog::IsDefaultButton(int id) const
{
    return impl_->controls && impl_->controls->IsDefaultButton(id);
}

void Dialog::SetFocus(int id)
{
    if (QWidget* widget = impl_->Widget(id))
        widget->setFocus(Qt::OtherFocusReason);
}

int Dialog::FocusId() const
{
    if (!impl_->window)
        return -1;
    const DialogControl* control = impl_->controls->Owner(impl_->window->focusWidget());
    return control != nullptr ? control->id : -1;
}

void Dialog::SetPicture(int id, int bitmap)
{
    if (impl_->controls)
        impl_->controls->SetPicture(id, bitmap);
}

int Dialog::Picture(int id) const
{
    const DialogControl* control = impl_->controls ? impl_->controls->Find(id) : nullptr;
    return control != nullptr && control->type == ControlType::Picture ? control->bitmap : 0;
}

void Dialog::Click(int id)
{
    if (impl_->controls)
        impl_->controls->Click(id);
}

void Dialog::TypeText(int id, const std::string& text)
{
    if (impl_->controls)
        impl_->controls->TypeText(id, text);
}

void Dialog::ChooseComboItem(int id, int index)
{
    if (impl_->controls)
        impl_->controls->ChooseComboItem(id, index);
}

void Dialog::PressEnter()
{
    impl_->PressKey(Qt::Key_Return);
}

void Dialog::PressEscape()
{
    impl_->PressKey(Qt::Key_Escape);
}

void Dialog::PressF1()
{
    impl_->PressKey(Qt::Key_F1);
}

void Dialog::SetShownHook(std::function<void(Dialog&)> hook)
{
    ShownHook() = std::move(hook);
}

Rect DesktopRect()
{
    if (!EnsureGuiApplication())
        return Rect{};
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? FromQRect(screen->geometry()) : Rect{};
}
