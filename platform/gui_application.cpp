#include "platform/gui_application.h"

#include "platform/dialog_template.h"
#include "platform/display_check.h"
#include "platform/gui_backend.h"

bool EnsureGuiApplication()
{
    // The application, once there, lasts until the process ends; the display is asked for only
    // until then, so that showing a window does not cost a connection to the server each time.
    static bool started = false;
    if (started)
        return true;
    const WindowSystem system = FindWindowSystem();
    if (system == WindowSystem::None)
        return false;
    // The platform found is named to the toolkit, which would otherwise prefer Wayland where it
    // runs beside an X server.
    const char* platform = system == WindowSystem::X11 ? "xcb" : system == WindowSystem::Wayland ? "wayland" : "";
    GuiBackend* backend = FindGuiBackend();
    started = backend != nullptr && backend->EnsureApplication(platform);
    // The button row and the other lengths the pages fix in pixels grow with the same font.
    if (started)
        SetDialogBaseUnits(backend->BaseUnits());
    return started;
}
