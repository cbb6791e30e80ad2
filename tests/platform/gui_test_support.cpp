#include "tests/platform/gui_test_support.h"

#include "platform/gui_application.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QWidget>

#include <cstdlib>

bool StartTestGui()
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return EnsureGuiApplication();
}

int RunShown(Dialog& dialog, const std::function<void(Dialog&)>& body)
{
    Dialog::SetShownHook([&body](Dialog& shown) {
        body(shown);
        if (shown.IsRunning())
            shown.EndDialog(99);
    });
    const int code = dialog.RunModal();
    Dialog::SetShownHook(nullptr);
    return code;
}

bool ProcessEventsUntil(const std::function<bool()>& done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 5000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void PressKey(int key, Qt::KeyboardModifiers modifiers)
{
    QWidget* target = QApplication::activePopupWidget();
    if (target != nullptr && target->focusWidget() != nullptr)
        target = target->focusWidget();
    if (target == nullptr)
        target = QApplication::focusWidget();
    // Offscreen, a window may be shown without being made active; its focus widget takes the key.
    if (target == nullptr && QApplication::activeModalWidget() != nullptr)
        target = QApplication::activeModalWidget()->focusWidget();
    if (target == nullptr)
        return;
    // The key goes to the widget chosen before the shortcut check, even when that check closed
    // the pop-up it belongs to.
    QKeyEvent shortcut(QEvent::ShortcutOverride, key, modifiers);
    QCoreApplication::sendEvent(target, &shortcut);
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QCoreApplication::sendEvent(target, &release);
}

QRect InkBox(const QImage& image, const QRect& area)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.valid(x, y) && qGray(image.pixel(x, y)) < 110)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}
