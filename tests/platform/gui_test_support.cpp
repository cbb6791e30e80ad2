#include "tests/platform/gui_test_support.h"

#include "platform/gui_application.h"

#include <QCoreApplication>
#include <QElapsedTimer>

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
