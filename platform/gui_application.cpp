#include "platform/gui_application.h"

#include "platform/display_check.h"
#include "platform/gui_backend.h"

bool EnsureGuiApplication()
{
    // The application, once there, lasts until the process ends; the display is asked for only
    // until then, so that showing a window does not cost a connection to the server each time.
    static bool started = false;
    if (started)
        return true;
    if (!DisplayAvailable())
        return false;
    GuiBackend* backend = FindGuiBackend();
    started = backend != nullptr && backend->EnsureApplication();
    return started;
}
