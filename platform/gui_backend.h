#pragma once

#include "platform/device_context.h"
#include "platform/dialog_template.h"

#include <memory>
#include <string>

class DialogHandler;
class DialogImpl;
struct DialogTemplate;

// The GUI toolkit behind dialogs and message boxes. It lives in a library of its own that is
// loaded the first time something is to be shown, so that runs which show nothing never load it.
// All calls come from the one GUI thread.
class GuiBackend {
public:
    virtual ~GuiBackend() = default;

    // Creates the process's one GUI application when it does not exist yet, on the toolkit's
    // platform plug-in of that name (its own choice when empty). The caller has checked that a
    // display can be had. False when the application cannot be created.
    virtual bool EnsureApplication(const std::string& platform) = 0;
    // The window-system side of a dialog; needs the application.
    virtual std::unique_ptr<DialogImpl> CreateDialog(const DialogTemplate& dialogTemplate, DialogHandler& handler) = 0;
    // The base units of the dialog font the application draws with; needs the application. The
    // backend, a library of its own, has its own copy of the process-wide base units, so the
    // caller sets its copy from these.
    virtual DialogBaseUnits BaseUnits() = 0;
    // The primary screen's rectangle in device pixels; needs the application.
    virtual Rect DesktopRect() = 0;
    // A modal message box with an OK button and no owner window; returns once it is closed.
    // Needs the application.
    virtual void ShowMessageBox(const std::string& title, const std::string& text) = 0;
};

// The GUI backend: one linked into the process, otherwise the library libzorvex_qt.so loaded from
// the executable's directory or from <executable directory>/../lib/zorvex/. Looked for once;
// null when there is none or it cannot be loaded (the reason is written to standard error).
GuiBackend* FindGuiBackend();

// The entry point that the backend library defines.
extern "C" GuiBackend* ZorvexQtBackend();
